#include "net/AsyncTcpSocketPreBuffer.h"

void AsyncTcpSocketPreBuffer::didRead(std::size_t length) {
    readOffset_ += length;
    if (readOffset_ == writeOffset_) reset();
}

void AsyncTcpSocketPreBuffer::ensureCapacityForWrite(std::size_t length) {
    const std::size_t space = availableSpace();
    if (space < length) block_.resize(block_.size() + (length - space));
}
