#include "support/async_socket/gcd_async_socket_packets.h"

#include <algorithm>
#include <cstring>

namespace support {

GCDAsyncReadPacket::GCDAsyncReadPacket(SharedBuffer buf, std::size_t offset, std::size_t maxLen,
                                       double timeoutSec, std::size_t readLen, ByteBuffer terminator,
                                       std::int64_t tagValue)
    : maxLength(maxLen),
      timeout(timeoutSec),
      readLength(readLen),
      term(std::move(terminator)),
      tag(tagValue) {
    if (buf) {
        buffer = std::move(buf);
        startOffset = offset;
        bufferOwner = false;
        originalBufferLength = buffer->size();
    } else {
        buffer = std::make_shared<ByteBuffer>();
        if (readLength > 0) buffer->resize(readLength);
        startOffset = 0;
        bufferOwner = true;
        originalBufferLength = 0;
    }
}

std::size_t GCDAsyncReadPacket::freeSpace() const {
    const std::size_t used = startOffset + bytesDone;
    return buffer->size() > used ? buffer->size() - used : 0;
}

void GCDAsyncReadPacket::ensureCapacityForAdditionalDataOfLength(std::size_t n) {
    const std::size_t space = freeSpace();
    if (space < n) buffer->resize(buffer->size() + (n - space));
}

std::size_t GCDAsyncReadPacket::readLengthForNonTermWithHint(std::size_t hint) const {
    if (readLength > 0) return std::min(hint, readLength - bytesDone);
    if (maxLength > 0) return std::min(hint, maxLength > bytesDone ? maxLength - bytesDone : 0);
    return hint;
}

std::size_t GCDAsyncReadPacket::readLengthForTermWithHint(std::size_t hint, bool* shouldPreBuffer) const {
    std::size_t result = hint;
    if (maxLength > 0) result = std::min(result, maxLength > bytesDone ? maxLength - bytesDone : 0);
    *shouldPreBuffer = freeSpace() < result;
    return result;
}

std::size_t GCDAsyncReadPacket::readLengthForTermWithPreBuffer(const GCDAsyncSocketPreBuffer& preBuffer,
                                                               bool* found) const {
    *found = false;
    const std::size_t t = term.size();
    const std::size_t p = preBuffer.availableBytes();
    if (t == 0 || bytesDone + p < t) return p;

    std::size_t limit = p;
    if (maxLength > 0) limit = std::min(limit, maxLength > bytesDone ? maxLength - bytesDone : 0);

    // The terminator may start in the bytes already read and end in the pre-buffer.
    std::size_t bufLen = std::min(bytesDone, t - 1);
    const std::uint8_t* buf = buffer->data() + startOffset + bytesDone - bufLen;
    const std::uint8_t* pre = preBuffer.readBuffer();
    const std::ptrdiff_t positions =
        static_cast<std::ptrdiff_t>(bufLen + limit) - static_cast<std::ptrdiff_t>(t) + 1;
    std::size_t preLen = t - bufLen;
    std::size_t preOffset = 0;
    for (std::ptrdiff_t i = 0; i < positions; ++i) {
        if (bufLen > 0) {
            if (std::memcmp(buf, term.data(), bufLen) == 0 &&
                std::memcmp(pre, term.data() + bufLen, preLen) == 0) {
                *found = true;
                return preLen;
            }
            ++buf;
            --bufLen;
            ++preLen;
        } else {
            if (std::memcmp(pre + preOffset, term.data(), t) == 0) {
                *found = true;
                return preOffset + t;
            }
            ++preOffset;
        }
    }
    return limit;
}

ssize_t GCDAsyncReadPacket::searchForTermAfterPreBuffering(std::size_t numBytes) const {
    const std::size_t t = term.size();
    if (t == 0) return -1;
    const std::size_t total = bytesDone + numBytes;
    const std::uint8_t* data = buffer->data() + startOffset;
    std::size_t i = bytesDone >= t ? bytesDone - t + 1 : 0;
    // Only positions that end in the new bytes can hold a terminator not seen before.
    for (; i + t <= total; ++i) {
        if (data[i] == term[0] && std::memcmp(data + i, term.data(), t) == 0) {
            return static_cast<ssize_t>(total - (i + t));
        }
    }
    return -1;
}

}  // namespace support
