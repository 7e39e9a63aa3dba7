#include "support/async_socket/gcd_async_socket_pre_buffer.h"

#include <algorithm>

namespace support {

GCDAsyncSocketPreBuffer::GCDAsyncSocketPreBuffer(std::size_t capacity) : block_(capacity) {}

void GCDAsyncSocketPreBuffer::ensureCapacityForWrite(std::size_t n) {
    const std::size_t space = availableSpace();
    if (n > space) block_.resize(block_.size() + (n - space));
}

void GCDAsyncSocketPreBuffer::didRead(std::size_t n) {
    readOffset_ = std::min(readOffset_ + n, writeOffset_);
    if (readOffset_ == writeOffset_) reset();
}

void GCDAsyncSocketPreBuffer::didWrite(std::size_t n) {
    writeOffset_ = std::min(writeOffset_ + n, block_.size());
}

}  // namespace support
