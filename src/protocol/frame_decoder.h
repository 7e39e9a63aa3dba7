#pragma once
// Byte-level de-framer for one channel. Chunks of bytes go in as they arrive;
// every complete frame (0x01 ... 0x02) comes out, its start and end bytes
// removed.
//
// Frames are cut on bytes, so a chunk that ends inside a frame, right after
// its 0x01 or inside a UTF-8 character loses nothing: the unfinished frame is
// kept as the tail, its 0x01 included. A 0x01 inside an unfinished frame ends
// that frame and starts the next one. Bytes outside frames (before a 0x01,
// between a 0x02 and the next 0x01) are dropped and logged; empty frames are
// dropped. A frame whose body grows past the cap is dropped and reported, and
// bytes are skipped up to the next 0x01.
//
// Not thread-safe and not re-entrant: one decoder per channel, fed from one
// queue; a callback that feeds the same decoder is refused (logged).
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/message_base.h"

namespace protocol {

class FrameDecoder {
public:
    static constexpr std::size_t kDefaultMaxFrame = 16u * 1024u * 1024u;
    // A tail's buffer up to this size is kept for the next frame; a larger
    // one (a large answer's) goes with its frame.
    static constexpr std::size_t kKeptTailBytes = 64u * 1024u;

    explicit FrameDecoder(std::size_t maxFrame = kDefaultMaxFrame) : maxFrame_(maxFrame) {}

    // Calls `onFrame` with each complete frame body, in order. False when
    // bytes of a frame were lost: a frame past the cap, or a call from the
    // decoder's own callback (the chunk is dropped).
    bool feed(std::string_view bytes, const std::function<void(std::string_view frame)>& onFrame);
    std::vector<std::string> feed(std::string_view bytes);
    // Decodes each complete frame (MessageBase::decodeFrame); frames that do
    // not decode are dropped and logged.
    bool feedMessages(std::string_view bytes, const std::function<void(MessageBase&&)>& onMessage);

    // The unfinished frame with its 0x01; empty between frames.
    const std::string& tail() const { return tail_; }
    bool insideFrame() const { return !tail_.empty(); }
    // Bytes outside frames dropped since the start or the last reset.
    std::size_t droppedBytes() const { return dropped_; }
    std::size_t maxFrame() const { return maxFrame_; }
    void reset();

private:
    bool feedChunk(std::string_view bytes, const std::function<void(std::string_view frame)>& onFrame);
    void clearTail();

    std::string tail_;
    std::size_t maxFrame_;
    std::size_t dropped_ = 0;
    bool busy_ = false;
};

}  // namespace protocol
