#pragma once
// Entity and character references of XML texts: the five predefined entities
// and numeric references to characters XML allows are decoded; anything else
// stays as written.
#include <cstddef>

namespace protocol {

// Decodes the references of [from, end) into `to` (to <= from; the two may be
// the same): the output is never longer than the input. Returns the new end.
char* decodeXmlEntities(char* from, char* end, char* to);

}  // namespace protocol
