#pragma once
// Read and write requests queued on the socket, with the length rules and the
// terminator searches of the read engine.
#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "support/async_socket/gcd_async_socket_pre_buffer.h"
#include "support/async_socket/gcd_async_socket_tls_settings.h"

namespace support {

using ByteBuffer = std::vector<std::uint8_t>;
using SharedBuffer = std::shared_ptr<ByteBuffer>;
using SharedConstBuffer = std::shared_ptr<const ByteBuffer>;

class GCDAsyncReadPacket {
  public:
    // buffer == nullptr: the packet owns a new buffer of readLength bytes.
    GCDAsyncReadPacket(SharedBuffer buffer, std::size_t startOffset, std::size_t maxLength, double timeout,
                       std::size_t readLength, ByteBuffer term, std::int64_t tag);

    bool isTermRead() const { return !term.empty(); }
    // Free bytes of the buffer after the data of this read.
    std::size_t freeSpace() const;
    void ensureCapacityForAdditionalDataOfLength(std::size_t n);
    std::uint8_t* writePosition() { return buffer->data() + startOffset + bytesDone; }

    std::size_t readLengthForNonTermWithHint(std::size_t hint) const;
    std::size_t readLengthForTermWithHint(std::size_t hint, bool* shouldPreBuffer) const;
    // Bytes of the pre-buffer to move into this read; *found tells whether they end with the terminator.
    std::size_t readLengthForTermWithPreBuffer(const GCDAsyncSocketPreBuffer& preBuffer, bool* found) const;
    // After numBytes were added past bytesDone: the count of bytes after the terminator, or -1.
    ssize_t searchForTermAfterPreBuffering(std::size_t numBytes) const;

    SharedBuffer buffer;
    std::size_t startOffset = 0;
    std::size_t bytesDone = 0;
    std::size_t maxLength = 0;
    double timeout = -1.0;
    std::size_t readLength = 0;
    ByteBuffer term;
    bool bufferOwner = true;
    std::size_t originalBufferLength = 0;
    std::int64_t tag = 0;
    // Set on the TLS start marker only.
    std::shared_ptr<const TlsSettings> tlsSettings;
};

class GCDAsyncWritePacket {
  public:
    GCDAsyncWritePacket(SharedConstBuffer data, double timeout, std::int64_t tag)
        : buffer(std::move(data)), timeout(timeout), tag(tag) {}

    SharedConstBuffer buffer;
    std::size_t bytesDone = 0;
    double timeout = -1.0;
    std::int64_t tag = 0;
    // Set on the TLS start marker only.
    std::shared_ptr<const TlsSettings> tlsSettings;
};

}  // namespace support
