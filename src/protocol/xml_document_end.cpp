#include "protocol/xml_document_end.h"

namespace protocol {

namespace {

bool isWhite(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

bool endsName(char c) { return isWhite(c) || c == '/' || c == '>'; }

// The root's name; empty when the document has no element.
std::string_view rootName(std::string_view document, std::size_t& nameEnd) {
    std::size_t at = 0;
    while ((at = document.find('<', at)) != std::string_view::npos) {
        const std::string_view rest = document.substr(at + 1);
        if (rest.starts_with("!--")) {
            at = document.find("-->", at);
        } else if (rest.starts_with('?') || rest.starts_with('!')) {
            at = document.find('>', at);
        } else {
            std::size_t end = at + 1;
            while (end < document.size() && !endsName(document[end])) ++end;
            nameEnd = end;
            return document.substr(at + 1, end - at - 1);
        }
        if (at == std::string_view::npos) return {};
    }
    return {};
}

}  // namespace

bool isWholeXmlDocument(std::string_view document) {
    document = document.substr(0, document.find('\0'));  // where the reader stops
    while (!document.empty() && isWhite(document.back())) document.remove_suffix(1);
    if (!document.ends_with('>')) return false;
    std::size_t nameEnd = 0;
    const std::string_view name = rootName(document, nameEnd);
    if (name.empty()) return false;
    // A root closed by itself: its start tag is the document's last tag.
    const std::size_t startTagEnd = document.find('>', nameEnd);
    if (startTagEnd == document.size() - 1) return document[startTagEnd - 1] == '/';
    // Otherwise `</name` and optional white space before the last `>`.
    std::string_view tail = document.substr(0, document.size() - 1);
    while (!tail.empty() && isWhite(tail.back())) tail.remove_suffix(1);
    if (!tail.ends_with(name)) return false;
    tail.remove_suffix(name.size());
    return tail.ends_with("</");
}

}  // namespace protocol
