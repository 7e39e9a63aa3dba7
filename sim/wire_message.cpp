#include "wire_message.h"

#include <cstdlib>

#include "sim_crypto.h"

namespace sim {

int WireMessage::type() const {
    if (fields_.empty()) return 0;
    return std::atoi(fields_.front().second.c_str());
}

bool WireMessage::has(int tag) const {
    for (const auto& f : fields_)
        if (f.first == tag) return true;
    return false;
}

std::string WireMessage::get(int tag) const {
    std::string value;
    for (const auto& f : fields_)
        if (f.first == tag) value = f.second;
    return value;
}

std::string WireMessage::body() const {
    std::string out;
    for (const auto& f : fields_) {
        out += std::to_string(f.first);
        out += '=';
        out += f.second;
        out += kFieldEnd;
    }
    return out;
}

std::string frameBody(const std::string& body) {
    std::string out;
    out += kFrameStart;
    out += std::to_string(SimCrypto::utf16Length(body));
    out += kFieldEnd;
    out += body;
    out += kFrameEnd;
    return out;
}

std::string WireMessage::frame() const { return frameBody(body()); }

std::optional<WireMessage> WireMessage::parse(const std::string& frameText) {
    std::vector<std::string> parts = split(frameText, kFieldEnd);
    if (parts.size() < 2) return std::nullopt;
    WireMessage m;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string& p = parts[i];
        if (p.empty()) continue;
        const auto eq = p.find('=');
        if (eq == std::string::npos) {
            if (i == 1) return std::nullopt;
            continue;
        }
        m.fields_.emplace_back(std::atoi(p.substr(0, eq).c_str()), p.substr(eq + 1));
    }
    if (m.fields_.empty()) return std::nullopt;
    return m;
}

std::vector<std::string> Deframer::feed(const std::string& bytes, bool* overflow) {
    if (overflow) *overflow = false;
    buffer_ += bytes;
    std::vector<std::string> frames;
    std::size_t pos = 0;
    while (true) {
        const auto start = buffer_.find(kFrameStart, pos);
        if (start == std::string::npos) {
            buffer_.clear();
            return frames;
        }
        const auto end = buffer_.find(kFrameEnd, start + 1);
        const auto nextStart = buffer_.find(kFrameStart, start + 1);
        if (nextStart != std::string::npos && (end == std::string::npos || nextStart < end)) {
            // A frame that never ended: drop it and resynchronise on the next start.
            pos = nextStart;
            continue;
        }
        if (end == std::string::npos) {
            buffer_.erase(0, start);
            if (buffer_.size() > maxBuffer_) {
                buffer_.clear();
                if (overflow) *overflow = true;
            }
            return frames;
        }
        frames.push_back(buffer_.substr(start + 1, end - start - 1));
        pos = end + 1;
    }
}

std::string joinColumns(const std::vector<std::string>& fields) {
    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i) out += kColumn;
        out += fields[i];
    }
    return out;
}

std::vector<std::string> split(const std::string& text, char sep) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const auto p = text.find(sep, start);
        if (p == std::string::npos) {
            out.push_back(text.substr(start));
            return out;
        }
        out.push_back(text.substr(start, p - start));
        start = p + 1;
    }
}

}  // namespace sim
