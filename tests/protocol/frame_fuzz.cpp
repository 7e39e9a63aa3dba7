// Fuzz target for the de-framer and the field reader: the frames are checked,
// and the same bytes cut at the chunk size the first byte picks give the same
// frames as fed whole. Built with
// libFuzzer when fuzzing; otherwise the checked-in corpus is replayed as an
// ordinary test.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/log.h"
#include "protocol/frame_decoder.h"
#include "protocol/message_base.h"
#include "protocol/message_cracker.h"
#include "protocol/separator_bytes.h"
#include "protocol/wire_format.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

void check(const protocol::MessageBase& m) {
    for (const auto& [tag, value] : m.messageDataDictionary()) {
        require(tag >= 0);
        require(value.find(protocol::FieldEndByte) == std::string::npos);
    }
    for (std::string_view field : m.messageArray()) {
        require(field.find(protocol::FieldEndByte) == std::string_view::npos);
        (void)protocol::MessageCracker::GetMessageValue(field, "=");
        std::int64_t tag = 0;
        std::string_view value;
        if (protocol::MessageCracker::splitField(field, tag, value)) {
            const std::string* stored = m.messageDataDictionary().find(tag);
            require(stored != nullptr);
        }
    }
}

// The frames of `stream` fed whole, packed into one buffer, the tail left and
// whether it was taken whole. One instance serves every input, so that its
// buffers are allocated once.
struct Whole {
    std::string bytes;              // the frames one after another
    std::vector<std::size_t> ends;  // where each frame ends in `bytes`
    std::string tail;
    bool ok = true;

    std::size_t count() const { return ends.size(); }
    std::string_view frame(std::size_t i) const {
        const std::size_t begin = i == 0 ? 0 : ends[i - 1];
        return std::string_view(bytes).substr(begin, ends[i] - begin);
    }
};

void whole(std::string_view stream, Whole& out) {
    out.bytes.clear();
    out.ends.clear();
    protocol::FrameDecoder dec(256);
    out.ok = dec.feed(stream, [&out](std::string_view f) {
        out.bytes.append(f);
        out.ends.push_back(out.bytes.size());
    });
    out.tail.assign(dec.tail());
}

// Whether `stream` fed in chunks of `chunk` bytes gives what it gives whole
// (compared as the frames come, so that no pass allocates them).
bool sameInChunks(std::string_view stream, std::size_t chunk, const Whole& expected) {
    struct Compare {
        const Whole& expected;
        std::size_t next = 0;
        bool same = true;
    } compare{expected};
    protocol::FrameDecoder dec(256);
    bool ok = true;
    const std::function<void(std::string_view)> onFrame = [c = &compare](std::string_view f) {
        c->same = c->same && c->next < c->expected.count() && f == c->expected.frame(c->next);
        ++c->next;
    };
    for (std::size_t pos = 0; pos < stream.size(); pos += chunk) {
        ok = dec.feed(stream.substr(pos, chunk), onFrame) && ok;
        require(dec.tail().size() <= dec.maxFrame() + 1);  // the body and its 0x01
    }
    return compare.same && compare.next == expected.count() && dec.tail() == expected.tail && ok == expected.ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Every chunk size repeats the decoder's log lines: none are written, and
    // the debug lines are not even formatted.
    static const bool quiet = (platform::Log::setSink([](platform::LogLevel, const std::string&) {}),
                               platform::Log::setMinimumLevel(platform::LogLevel::Error), true);
    (void)quiet;
    static Whole expected;
    if (size == 0) return 0;
    // The first byte picks the chunk size, the rest is the stream. Frames are
    // at most 256 bytes here: a longer stream adds time, not cases.
    const std::size_t chunk = 1 + data[0] % 64;
    const std::string_view stream(reinterpret_cast<const char*>(data + 1), std::min<std::size_t>(size - 1, 600));
    whole(stream, expected);
    require(expected.count() <= stream.size());
    for (std::size_t i = 0; i < expected.count(); ++i) {
        const std::string_view frame = expected.frame(i);
        require(!frame.empty());
        require(frame.find(protocol::FrameStartByte) == std::string_view::npos);
        require(frame.find(protocol::FrameEndByte) == std::string_view::npos);
        if (auto m = protocol::MessageBase::decodeFrame(frame)) {
            // The length element is dropped unread; the fields must be UTF-8.
            require(protocol::isValidUtf8(frame.substr(frame.find(protocol::FieldEndByte) + 1)));
            check(*m);
        }
    }
    require(sameInChunks(stream, chunk, expected));
    return 0;
}
