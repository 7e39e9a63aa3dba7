#pragma once
// Tag stripping of HTML-like texts.
#include <string>

namespace model {

class MessageChecker {
  public:
    // Every tag ("<" up to the next ">") becomes one blank.
    static std::string flattenHTML(const std::string& text);
    // Every tag is removed.
    static std::string removeTags(const std::string& text);
    // The text's first tag: from the start up to and including the first ">";
    // empty when there is no ">" or the text starts with it.
    static std::string CheckMessage(const std::string& text);
};

}  // namespace model
