#include "news/core/http_exchange.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace news {

namespace {

bool equalNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

template <typename T>
bool number(std::string_view text, T& out, int base = 10) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out, base);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::optional<HttpAnswer> fail(std::string* why, const char* reason) {
    if (why) *why = reason;
    return std::nullopt;
}

// The chunks of a chunked body joined; nullopt when cut short or malformed.
std::optional<std::string> unchunked(std::string_view rest) {
    std::string body;
    for (;;) {
        const std::size_t lineEnd = rest.find("\r\n");
        if (lineEnd == std::string_view::npos) return std::nullopt;
        std::string_view size = rest.substr(0, lineEnd);
        size = trimmed(size.substr(0, size.find(';')));
        std::size_t length = 0;
        if (!number(size, length, 16)) return std::nullopt;
        rest.remove_prefix(lineEnd + 2);
        if (length == 0) return body;
        if (rest.size() < length + 2) return std::nullopt;
        body.append(rest.substr(0, length));
        rest.remove_prefix(length + 2);
    }
}

}  // namespace

std::optional<HttpTarget> httpTarget(std::string_view address) {
    constexpr std::string_view scheme = "http://";
    if (address.size() < scheme.size() || !equalNoCase(address.substr(0, scheme.size()), scheme)) return std::nullopt;
    address.remove_prefix(scheme.size());
    const std::size_t slash = address.find('/');
    HttpTarget out;
    out.host = std::string(address.substr(0, slash));
    out.target = slash == std::string_view::npos ? "/" : std::string(address.substr(slash));
    std::string_view name = out.host;
    if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos && name.find(']', colon) == name.npos) {
        if (!number(name.substr(colon + 1), out.port) || out.port == 0) return std::nullopt;
        name = name.substr(0, colon);
    }
    if (name.size() > 1 && name.front() == '[' && name.back() == ']') name = name.substr(1, name.size() - 2);
    if (name.empty() || out.target.find_first_of(" \r\n") != std::string::npos) return std::nullopt;
    out.name = std::string(name);
    return out;
}

std::string httpGetRequest(const HttpTarget& target) {
    return "GET " + target.target + " HTTP/1.1\r\nHost: " + target.host +
           "\r\nAccept: */*\r\nConnection: close\r\n\r\n";
}

std::optional<HttpAnswer> readHttpAnswer(std::string_view bytes, std::string* why) {
    const std::size_t headEnd = bytes.find("\r\n\r\n");
    if (headEnd == std::string_view::npos) return fail(why, "no complete header");
    std::string_view head = bytes.substr(0, headEnd + 2);
    std::string_view rest = bytes.substr(headEnd + 4);
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view statusLine = head.substr(0, lineEnd);
    HttpAnswer answer;
    if (statusLine.substr(0, 5) != "HTTP/" || statusLine.size() < 12 || statusLine[8] != ' ' ||
        !number(statusLine.substr(9, 3), answer.status))
        return fail(why, "no status line");
    head.remove_prefix(lineEnd + 2);
    bool chunked = false;
    std::optional<std::size_t> length;
    while (!head.empty()) {
        const std::size_t end = head.find("\r\n");
        const std::string_view line = head.substr(0, end);
        head.remove_prefix(end + 2);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = trimmed(line.substr(0, colon)), value = trimmed(line.substr(colon + 1));
        if (equalNoCase(name, "Transfer-Encoding")) chunked = equalNoCase(value, "chunked");
        if (equalNoCase(name, "Content-Length")) {
            std::size_t n = 0;
            if (!number(value, n)) return fail(why, "bad Content-Length");
            length = n;
        }
    }
    if (chunked) {
        auto body = unchunked(rest);
        if (!body) return fail(why, "chunked body cut short");
        answer.body = std::move(*body);
    } else if (length) {
        if (rest.size() < *length) return fail(why, "body cut short");
        answer.body = std::string(rest.substr(0, *length));
    } else {
        answer.body = std::string(rest);
    }
    return answer;
}

}  // namespace news
