#pragma once
// The words the watchlist and accounts tables show for enumerated values
// (trading status, account status, type and access), in the language.
#include <functional>
#include <string>

namespace views {

// The key of a word the records give an enumerated value ("Active", "View Only",
// "Trade Client"); "" for any other text.
std::string statusWordKey(const std::string& word);
// The word in the language: its key's text, or the word itself when it has no key.
std::string statusWordText(const std::string& word, const std::function<std::string(const std::string&)>& text);

}  // namespace views
