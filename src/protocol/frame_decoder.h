#pragma once
// Byte-level de-framer for one channel. Chunks of bytes go in as they arrive;
// every complete frame comes out, its start and end bytes removed.
//
// The stream is split at 0x01. A piece is complete when a later 0x01 follows
// it, or when it is the last piece and ends with 0x02; 0x02 bytes are removed
// from a complete piece and empty pieces are dropped. The unfinished tail is
// kept raw, its own 0x01 included, so the next chunk continues it exactly.
// A tail longer than the cap is dropped (logged) and bytes are skipped until
// the next 0x01. Not thread-safe and not re-entrant: one decoder per channel,
// fed from one queue; a callback that feeds the same decoder is refused (logged).
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/message_base.h"

namespace protocol {

class FrameDecoder {
public:
    static constexpr std::size_t kDefaultMaxTail = 64u * 1024u * 1024u;

    explicit FrameDecoder(std::size_t maxTail = kDefaultMaxTail) : maxTail_(maxTail) {}

    // Calls `onFrame` with each complete frame text, in order.
    void feed(std::string_view bytes, const std::function<void(std::string_view frame)>& onFrame);
    std::vector<std::string> feed(std::string_view bytes);
    // Decodes each complete frame (MessageBase::decodeFrame); frames that do
    // not decode are dropped and logged.
    void feedMessages(std::string_view bytes, const std::function<void(MessageBase&&)>& onMessage);

    // The raw unfinished tail.
    const std::string& tail() const { return buffer_; }
    std::size_t maxTail() const { return maxTail_; }
    void reset();

private:
    void feedChunk(std::string_view bytes, const std::function<void(std::string_view frame)>& onFrame);

    std::string buffer_;
    std::string frame_;
    std::size_t maxTail_;
    bool skipping_ = false;
    bool busy_ = false;
};

}  // namespace protocol
