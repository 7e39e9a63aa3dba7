#pragma once
// Whether a document reaches the end of its root element: an answer cut short
// in transit is refused instead of read as far as it goes.
#include <string_view>

namespace protocol {

// True when the root element (the first one after any declaration, comment or
// byte order mark) is closed at the end of the document, by `</name>` or by
// its own `/>`; only white space may follow. A NUL byte ends the document,
// as it ends the reader's.
bool isWholeXmlDocument(std::string_view document);

}  // namespace protocol
