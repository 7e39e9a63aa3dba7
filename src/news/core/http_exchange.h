#pragma once
// The news feed's plain HTTP/1.1 GET, written and read by hand so that the
// request target goes on the wire exactly as built (the feed's path begins
// with two slashes, which URL normalisation would merge): the request bytes
// of an address, and the status and body of an answer read until the server
// closed the connection.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace news {

struct HttpTarget {
    std::string host;  // as written, for the "Host" header
    std::string name;  // to connect to
    std::uint16_t port = 80;
    std::string target;  // the request target, from the first "/" on
};

// An "http://host[:port]/..." address; nullopt for another scheme, no host or a bad port.
std::optional<HttpTarget> httpTarget(std::string_view address);

// "GET <target> HTTP/1.1" with Host, Accept and "Connection: close".
std::string httpGetRequest(const HttpTarget& target);

struct HttpAnswer {
    int status = 0;
    std::string body;
};

// A whole answer; nullopt (with the reason) when it is malformed or cut short.
// A chunked body is joined; a Content-Length body is cut to its length.
std::optional<HttpAnswer> readHttpAnswer(std::string_view bytes, std::string* why = nullptr);

}  // namespace news
