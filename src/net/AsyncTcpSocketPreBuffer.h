#pragma once

// Bytes read from the socket but not yet handed to a read request. The socket reads into the free space at
// the end, requests consume from the front; once everything is consumed both ends go back to the start, so
// the block does not creep forward.

#include <cstddef>
#include <cstdint>
#include <vector>

class AsyncTcpSocketPreBuffer {
  public:
    explicit AsyncTcpSocketPreBuffer(std::size_t capacity) : block_(capacity) {}

    std::size_t capacity() const { return block_.size(); }
    std::size_t availableBytes() const { return writeOffset_ - readOffset_; }
    std::size_t availableSpace() const { return block_.size() - writeOffset_; }

    const std::uint8_t *readBuffer() const { return block_.data() + readOffset_; }
    // Consumes length bytes from the front.
    void didRead(std::size_t length);

    // Grows the block, when needed, so that length more bytes fit after the held ones.
    void ensureCapacityForWrite(std::size_t length);
    std::uint8_t *writeBuffer() { return block_.data() + writeOffset_; }
    void didWrite(std::size_t length) { writeOffset_ += length; }

    void reset() { readOffset_ = writeOffset_ = 0; }

  private:
    std::vector<std::uint8_t> block_;
    std::size_t readOffset_ = 0;
    std::size_t writeOffset_ = 0;
};
