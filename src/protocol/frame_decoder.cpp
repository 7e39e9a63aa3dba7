#include "protocol/frame_decoder.h"

#include <cstring>

#include "platform/log.h"
#include "protocol/separator_bytes.h"

namespace protocol {

void FrameDecoder::reset() {
    clearTail();
    dropped_ = 0;
}

void FrameDecoder::clearTail() {
    if (tail_.capacity() > kKeptTailBytes)
        std::string().swap(tail_);
    else
        tail_.clear();
}

bool FrameDecoder::feed(std::string_view bytes, const std::function<void(std::string_view)>& onFrame) {
    if (busy_) {
        platform::Log::error("FrameDecoder: fed again from its own callback; chunk dropped");
        return false;
    }
    busy_ = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{busy_};
    return feedChunk(bytes, onFrame);
}

bool FrameDecoder::feedChunk(std::string_view bytes, const std::function<void(std::string_view)>& onFrame) {
    bool ok = true;
    std::size_t dropped = 0;
    // Inside a frame: its 0x01 was seen. Its body so far is in the tail (after
    // the 0x01) or, when the tail is empty, starts at `bytes`, read in place.
    bool inside = !tail_.empty();
    while (!bytes.empty()) {
        if (!inside) {
            const std::size_t start = bytes.find(FrameStartByte);
            if (start == std::string_view::npos) {
                dropped += bytes.size();
                break;
            }
            dropped += start;
            bytes.remove_prefix(start + 1);
            inside = true;
            continue;
        }
        // Up to the next 0x02 or 0x01, whichever comes first.
        const char* data = bytes.data();
        const void* end = std::memchr(data, FrameEndByte, bytes.size());
        const std::size_t limit = end ? static_cast<std::size_t>(static_cast<const char*>(end) - data) : bytes.size();
        const void* next = std::memchr(data, FrameStartByte, limit);
        const std::size_t n = next ? static_cast<std::size_t>(static_cast<const char*>(next) - data) : limit;
        const std::size_t held = tail_.empty() ? 0 : tail_.size() - 1;
        if (held + n > maxFrame_) {
            platform::Log::error("FrameDecoder: frame of more than " + std::to_string(maxFrame_) +
                                 " bytes; dropped");
            std::string().swap(tail_);
            ok = false;
            inside = false;
            bytes.remove_prefix(n);
            continue;
        }
        if (n == bytes.size()) {  // unfinished
            if (tail_.empty()) tail_.push_back(FrameStartByte);
            tail_.append(data, n);
            break;
        }
        std::string_view body = bytes.substr(0, n);
        if (!tail_.empty()) {
            tail_.append(data, n);
            body = std::string_view(tail_).substr(1);
        }
        if (!body.empty()) onFrame(body);
        clearTail();
        inside = data[n] == FrameStartByte;
        bytes.remove_prefix(n + 1);
    }
    // The chunk ended right after a 0x01.
    if (inside && tail_.empty()) tail_.push_back(FrameStartByte);
    if (dropped > 0) {
        dropped_ += dropped;
        if (platform::Log::enabled(platform::LogLevel::Debug)) {
            platform::Log::debug("Dropped " + std::to_string(dropped) + " bytes outside any frame");
        }
    }
    return ok;
}

std::vector<std::string> FrameDecoder::feed(std::string_view bytes) {
    std::vector<std::string> frames;
    feed(bytes, [&](std::string_view f) { frames.emplace_back(f); });
    return frames;
}

bool FrameDecoder::feedMessages(std::string_view bytes, const std::function<void(MessageBase&&)>& onMessage) {
    return feed(bytes, [&](std::string_view f) {
        if (auto m = MessageBase::decodeFrame(f)) onMessage(std::move(*m));
    });
}

}  // namespace protocol
