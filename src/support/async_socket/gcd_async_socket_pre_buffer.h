#pragma once
// Read-ahead buffer of the socket: bytes taken from the descriptor that belong
// to no read yet. Only grows; drains back to the start when emptied.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace support {

class GCDAsyncSocketPreBuffer {
  public:
    explicit GCDAsyncSocketPreBuffer(std::size_t capacity);

    // Makes room for n more bytes at the write position.
    void ensureCapacityForWrite(std::size_t n);

    std::size_t availableBytes() const { return writeOffset_ - readOffset_; }
    const std::uint8_t* readBuffer() const { return block_.data() + readOffset_; }
    void didRead(std::size_t n);

    std::size_t availableSpace() const { return block_.size() - writeOffset_; }
    std::uint8_t* writeBuffer() { return block_.data() + writeOffset_; }
    void didWrite(std::size_t n);

    void reset() { readOffset_ = writeOffset_ = 0; }
    std::size_t size() const { return block_.size(); }

  private:
    std::vector<std::uint8_t> block_;
    std::size_t readOffset_ = 0;
    std::size_t writeOffset_ = 0;
};

}  // namespace support
