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

// Room for the status line and headers, and for one chunk-size or trailer line.
constexpr std::size_t kMaxHead = 64 * 1024;
constexpr std::size_t kMaxLine = 4 * 1024;

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

HttpAnswerReader::State HttpAnswerReader::refuse(std::string why) {
    why_ = std::move(why);
    pending_.clear();
    answer_.body.clear();
    return state_ = State::Refused;
}

HttpAnswerReader::State HttpAnswerReader::complete() {
    pending_.clear();
    return state_ = State::Complete;
}

bool HttpAnswerReader::line(std::string_view& out, std::size_t cap, const char* tooLong) {
    const std::size_t end = pending_.find("\r\n", std::max(scanned_, pos_));
    if (end == std::string::npos) {
        scanned_ = std::max(pos_, pending_.size() - std::min<std::size_t>(pending_.size(), 1));
        if (pending_.size() - pos_ > cap) refuse(tooLong);
        return false;
    }
    if (end - pos_ > cap) {
        refuse(tooLong);
        return false;
    }
    out = std::string_view(pending_).substr(pos_, end - pos_);
    pos_ = end + 2;
    scanned_ = pos_;
    return true;
}

void HttpAnswerReader::takeBody(std::size_t count) {
    answer_.body.append(pending_, pos_, count);
    pos_ += count;
}

bool HttpAnswerReader::readHead(std::string_view head) {
    const std::size_t lineEnd = head.find("\r\n");
    const std::string_view statusLine = head.substr(0, lineEnd);
    // "HTTP/x.y", a blank, three digits and a blank before the reason (which may be empty).
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (statusLine.substr(0, 5) != "HTTP/" || statusLine.size() < 13 || statusLine[8] != ' ' ||
        !std::all_of(statusLine.begin() + 9, statusLine.begin() + 12, digit) || statusLine[12] != ' ' ||
        !number(statusLine.substr(9, 3), answer_.status)) {
        refuse("no status line");
        return false;
    }
    head.remove_prefix(std::min(head.size(), lineEnd + 2));
    bool chunked = false;
    std::optional<std::size_t> length;
    while (!head.empty()) {
        const std::size_t end = std::min(head.find("\r\n"), head.size());
        const std::string_view header = head.substr(0, end);
        head.remove_prefix(std::min(head.size(), end + 2));
        const std::size_t colon = header.find(':');
        if (colon == std::string_view::npos) continue;
        const std::string_view name = trimmed(header.substr(0, colon)), value = trimmed(header.substr(colon + 1));
        if (equalNoCase(name, "Transfer-Encoding")) chunked = equalNoCase(value, "chunked");
        if (equalNoCase(name, "Content-Length")) {
            std::size_t n = 0;
            if (!number(value, n)) {
                refuse("bad Content-Length");
                return false;
            }
            if (length && *length != n) {
                refuse("conflicting Content-Length headers");
                return false;
            }
            length = n;
        }
    }
    if (chunked) {
        stage_ = Stage::ChunkSize;
    } else if (length) {
        if (*length > maxBody_) {
            refuse("more than " + std::to_string(maxBody_) + " bytes");
            return false;
        }
        left_ = *length;
        stage_ = Stage::Sized;
    } else {
        stage_ = Stage::UntilClose;
    }
    return true;
}

HttpAnswerReader::State HttpAnswerReader::feed(std::string_view bytes) {
    if (state_ != State::Reading) return state_;
    pending_.append(bytes);
    std::string_view text;
    while (state_ == State::Reading) {
        const std::size_t available = pending_.size() - pos_;
        if (stage_ == Stage::Head) {
            const std::size_t end = pending_.find("\r\n\r\n", std::max(scanned_, pos_));
            if (end == std::string::npos) {
                scanned_ = std::max(pos_, pending_.size() - std::min<std::size_t>(pending_.size(), 3));
                if (available > kMaxHead) refuse("header longer than " + std::to_string(kMaxHead) + " bytes");
                break;
            }
            if (end - pos_ > kMaxHead) {
                refuse("header longer than " + std::to_string(kMaxHead) + " bytes");
                break;
            }
            const std::string head = pending_.substr(pos_, end + 2 - pos_);
            pos_ = scanned_ = end + 4;
            if (readHead(head) && stage_ == Stage::Sized && left_ == 0) complete();
        } else if (stage_ == Stage::Sized || stage_ == Stage::ChunkData) {
            const std::size_t count = std::min(left_, available);
            takeBody(count);
            left_ -= count;
            if (left_ > 0) break;
            if (stage_ == Stage::Sized) complete();
            else stage_ = Stage::ChunkEnd;
        } else if (stage_ == Stage::UntilClose) {
            // Compared without adding: a size near the type's limit never wraps.
            if (available > maxBody_ - answer_.body.size()) {
                refuse("more than " + std::to_string(maxBody_) + " bytes");
                break;
            }
            takeBody(available);
            break;
        } else if (stage_ == Stage::ChunkEnd) {
            if (available < 2) break;
            if (pending_.compare(pos_, 2, "\r\n") != 0) {
                refuse("a chunk not followed by CRLF");
                break;
            }
            pos_ += 2;
            scanned_ = pos_;
            stage_ = Stage::ChunkSize;
        } else if (stage_ == Stage::ChunkSize) {
            if (!line(text, kMaxLine, "chunk size line too long")) break;
            std::size_t length = 0;
            if (!number(trimmed(text.substr(0, text.find(';'))), length, 16)) {
                refuse("bad chunk size");
                break;
            }
            if (length == 0) {
                stage_ = Stage::Trailer;
                trailer_ = 0;
            } else if (length > maxBody_ - answer_.body.size()) {
                refuse("a chunk of " + std::to_string(length) + " bytes: more than " + std::to_string(maxBody_) +
                       " bytes in all");
            } else {
                left_ = length;
                stage_ = Stage::ChunkData;
            }
        } else {  // Trailer: header lines after the last chunk, up to an empty line, kMaxHead in all
            if (!line(text, kMaxLine, "trailer line too long")) break;
            trailer_ += text.size() + 2;
            if (trailer_ > kMaxHead) refuse("trailer longer than " + std::to_string(kMaxHead) + " bytes");
            else if (text.empty()) complete();
        }
    }
    if (state_ == State::Reading && pos_ > 0) {
        pending_.erase(0, pos_);
        scanned_ -= std::min(scanned_, pos_);
        pos_ = 0;
    }
    return state_;
}

HttpAnswerReader::State HttpAnswerReader::close() {
    if (state_ != State::Reading) return state_;
    switch (stage_) {
    case Stage::UntilClose:
    case Stage::Trailer:  // the last chunk came; a server may close without the final empty line
        return complete();
    case Stage::Head:
        return refuse("no complete header");
    case Stage::Sized:
        return refuse("body cut short");
    default:
        return refuse("chunked body cut short");
    }
}

std::optional<HttpAnswer> readHttpAnswer(std::string_view bytes, std::string* why, std::size_t maxBody) {
    HttpAnswerReader reader(maxBody);
    reader.feed(bytes);
    if (reader.close() == HttpAnswerReader::State::Complete) return reader.takeAnswer();
    return fail(why, reader.why().c_str());
}

}  // namespace news
