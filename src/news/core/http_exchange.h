#pragma once
// The news feed's plain HTTP/1.1 GET, written and read by hand so that the
// request target goes on the wire exactly as built (the feed's path begins
// with two slashes, which URL normalisation would merge): the request bytes
// of an address, and the status and body of an answer read as it arrives.
#include <cstddef>
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

// The largest body read unless the caller says otherwise.
inline constexpr std::size_t kMaxHttpBody = 32 * 1024 * 1024;

// An answer read as its bytes come: the status line ("HTTP/x.y", three digits,
// a blank) and headers, then a body of Content-Length bytes (two lengths that
// differ are refused), a chunked body (joined; its trailer as long as a header
// at most) or everything until the server closes. Complete as soon as a sized body is whole, whether or not the
// server closes. Linear in the bytes fed; the body never grows past its cap
// and a size over the cap is refused before anything is kept.
class HttpAnswerReader {
public:
    enum class State { Reading, Complete, Refused };

    explicit HttpAnswerReader(std::size_t maxBody = kMaxHttpBody) : maxBody_(maxBody) {}

    State feed(std::string_view bytes);
    // The server closed the connection.
    State close();
    State state() const { return state_; }
    // The answer, once Complete.
    const HttpAnswer& answer() const { return answer_; }
    HttpAnswer takeAnswer() { return std::move(answer_); }
    // Why it was refused.
    const std::string& why() const { return why_; }

private:
    enum class Stage { Head, Sized, UntilClose, ChunkSize, ChunkData, ChunkEnd, Trailer };

    State refuse(std::string why);
    State complete();
    bool readHead(std::string_view head);
    // One "\r\n"-ended line from the pending bytes; false until it is there.
    bool line(std::string_view& out, std::size_t cap, const char* tooLong);
    void takeBody(std::size_t count);

    std::size_t maxBody_;
    State state_ = State::Reading;
    Stage stage_ = Stage::Head;
    std::string pending_;    // bytes not read yet, from pos_ on
    std::size_t pos_ = 0;
    std::size_t scanned_ = 0;  // of pending_ searched for a line end without finding one
    std::size_t left_ = 0;   // of the current sized body or chunk
    std::size_t trailer_ = 0;  // bytes of trailer lines read
    HttpAnswer answer_;
    std::string why_;
};

// A whole answer (the server closed after it); nullopt (with the reason) when
// it is malformed, cut short or its body is over `maxBody`.
std::optional<HttpAnswer> readHttpAnswer(std::string_view bytes, std::string* why = nullptr,
                                         std::size_t maxBody = kMaxHttpBody);

}  // namespace news
