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
    if (busy_) {
        platform::Log::error("FrameDecoder: fed again from its own callback; chunk dropped");
        return;
    }
    busy_ = true;
    struct Release {
        bool& flag;
        ~Release() { flag = false; }
    } release{busy_};
    feedChunk(bytes, onFrame);
}

void FrameDecoder::feedChunk(std::string_view bytes, const std::function<void(std::string_view)>& onFrame) {
    if (skipping_) {
        const std::size_t start = bytes.find(FrameStartByte);
        if (start == std::string_view::npos) return;
        bytes.remove_prefix(start);
        skipping_ = false;
    }
    if (bytes.empty()) return;

    // The tail holds 0x01 at most at its first byte, so only the new bytes need searching.
    // With no tail the chunk is read in place; only its unfinished end is copied.
    const bool inPlace = buffer_.empty();
    const std::size_t oldSize = buffer_.size();
    if (!inPlace) buffer_.append(bytes);
    const std::string_view text = inPlace ? bytes : std::string_view(buffer_);
    const char* data = text.data();
    const std::size_t size = text.size();

    auto emit = [&](std::size_t from, std::size_t to) {
        if (to <= from) return;
        std::string_view piece(data + from, to - from);
        // Usually the only 0x02 is the last byte.
        const void* end = std::memchr(piece.data(), FrameEndByte, piece.size());
        if (end == nullptr || static_cast<const char*>(end) == piece.data() + piece.size() - 1) {
            if (end != nullptr) piece.remove_suffix(1);
            if (!piece.empty()) onFrame(piece);
            return;
        }
        frame_.assign(piece);
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
    if (inPlace) {
        buffer_.assign(text.substr(keepFrom));
    } else if (keepFrom > 0) {
        buffer_.erase(0, keepFrom);
    }
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
