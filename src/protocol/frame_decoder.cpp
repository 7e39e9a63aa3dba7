#include "protocol/frame_decoder.h"

#include <algorithm>
#include <cstring>

#include "platform/log.h"
#include "protocol/separator_bytes.h"

namespace protocol {

void FrameDecoder::reset() {
    buffer_.clear();
    skipping_ = false;
}

void FrameDecoder::feed(std::string_view bytes, const std::function<void(std::string_view)>& onFrame) {
    if (skipping_) {
        const std::size_t start = bytes.find(FrameStartByte);
        if (start == std::string_view::npos) return;
        bytes.remove_prefix(start);
        skipping_ = false;
    }
    if (bytes.empty()) return;

    // The tail holds 0x01 at most at its first byte, so only the new bytes need searching.
    const std::size_t oldSize = buffer_.size();
    buffer_.append(bytes);
    const char* data = buffer_.data();
    const std::size_t size = buffer_.size();

    auto emit = [&](std::size_t from, std::size_t to) {
        if (to <= from) return;
        frame_.assign(data + from, to - from);
        frame_.erase(std::remove(frame_.begin(), frame_.end(), FrameEndByte), frame_.end());
        if (!frame_.empty()) onFrame(frame_);
    };

    std::size_t pieceStart = (size > 0 && data[0] == FrameStartByte) ? 1 : 0;
    std::size_t search = std::max(oldSize, pieceStart);
    while (search < size) {
        const void* hit = std::memchr(data + search, FrameStartByte, size - search);
        if (!hit) break;
        const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
        emit(pieceStart, at);
        pieceStart = at + 1;
        search = pieceStart;
    }

    if (pieceStart < size && data[size - 1] == FrameEndByte) {
        emit(pieceStart, size);
        buffer_.clear();
        return;
    }
    // Keep the unfinished piece with its 0x01.
    const std::size_t keepFrom = pieceStart > 0 ? pieceStart - 1 : 0;
    if (keepFrom > 0) buffer_.erase(0, keepFrom);
    if (buffer_.size() > maxTail_) {
        platform::Log::error("FrameDecoder: unfinished frame of " + std::to_string(buffer_.size()) +
                             " bytes exceeds the cap of " + std::to_string(maxTail_) + "; dropped");
        buffer_.clear();
        skipping_ = true;
    }
}

std::vector<std::string> FrameDecoder::feed(std::string_view bytes) {
    std::vector<std::string> frames;
    feed(bytes, [&](std::string_view f) { frames.emplace_back(f); });
    return frames;
}

void FrameDecoder::feedMessages(std::string_view bytes, const std::function<void(MessageBase&&)>& onMessage) {
    feed(bytes, [&](std::string_view f) {
        if (auto m = MessageBase::decodeFrame(f)) onMessage(std::move(*m));
    });
}

}  // namespace protocol
