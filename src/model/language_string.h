#pragma once
// User-visible texts by numeric key in the selected language.
//
// String tables: one folder per language ("en.lproj", "zh-Hans.lproj", ...) holding
// "Localizable.strings", a UTF-8 file of lines
//     "0009" = "Buy";
// Keys and texts are double-quoted; inside quotes \" \\ \n \t and \r are escapes.
// Blank lines and lines starting with "//" or "/*" are ignored; a line that does
// not follow the form is skipped and logged.
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace model {

class StringTable {
  public:
    using Map = std::map<std::string, std::string>;
    // Parses the table text; `badLines` receives the 1-based numbers of skipped lines.
    static Map parse(const std::string& text, std::vector<std::size_t>* badLines = nullptr);
};

class LanguageString {
  public:
    static constexpr const char* kTableFileName = "Localizable.strings";

    // The text of `key` in the language of `languageIndex` (unknown indexes read
    // English). A key the table lacks answers the (replaced) key itself; a missing
    // language folder answers the empty text.
    static std::string stringforSelectedLanguage(std::int64_t languageIndex, const std::string& key);
    // Zero-padded on the left to four characters; empty and longer keys unchanged.
    static std::string setLanguageKey(const std::string& key);
    // The product's replacement key, else the key itself.
    static std::string getProductBasedKeyForKey(const std::string& key);

    // Folder name of a language index ("en" for any index outside the list).
    static std::string languageFolder(std::int64_t languageIndex);
    // Arabic, Dari and Pashto: windows lay out right to left.
    static bool readsRightToLeft(std::int64_t languageIndex);
    static const std::vector<std::string>& languageFolders();

    // The product localization list of the login settings in use.
    static void setProductLocalizationList(std::map<std::string, std::string> list);
    // Drops the tables read so far (they are read again on the next lookup).
    static void clearCache();
};

}  // namespace model
