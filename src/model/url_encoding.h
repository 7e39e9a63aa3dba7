#pragma once
// Percent-encoding of texts placed in URLs.
#include <string>

namespace model {

namespace URLEncoding {
// Every UTF-8 byte as "%XX" except ASCII letters, digits and "-._~/?".
std::string stringByAddingPercentEncodingForRFC3986(const std::string& text);
}  // namespace URLEncoding

}  // namespace model
