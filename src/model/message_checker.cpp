#include "model/message_checker.h"

namespace model {

namespace {

void replaceAll(std::string& text, const std::string& what, const std::string& with) {
    if (what.empty()) return;
    std::size_t pos = 0;
    while ((pos = text.find(what, pos)) != std::string::npos) {
        text.replace(pos, what.size(), with);
        pos += with.size();
    }
}

// Walks the original text tag by tag; each tag found is replaced, wherever it
// occurs, in the result built so far.
std::string replaceTags(const std::string& text, const std::string& replacement) {
    std::string result = text;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('<', pos);
        if (open == std::string::npos) break;
        const std::size_t close = text.find('>', open);
        if (close == std::string::npos) break;  // an unclosed tag matches nothing
        replaceAll(result, text.substr(open, close - open + 1), replacement);
        pos = close;
    }
    return result;
}

}  // namespace

std::string MessageChecker::flattenHTML(const std::string& text) {
    return replaceTags(text, " ");
}

std::string MessageChecker::removeTags(const std::string& text) {
    return replaceTags(text, "");
}

std::string MessageChecker::CheckMessage(const std::string& text) {
    const std::size_t close = text.find('>');
    if (close == std::string::npos || close == 0) return {};
    return text.substr(0, close + 1);
}

}  // namespace model
