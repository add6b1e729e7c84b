#include "net/AsyncReadPacket.h"

#include "net/AsyncTcpSocketPreBuffer.h"

#include <algorithm>
#include <cstring>

AsyncReadPacket::AsyncReadPacket(std::vector<std::uint8_t> terminator, double timeoutSeconds,
                                 std::uint64_t maxLength, long tag)
    : term_(std::move(terminator)), maxLength_(maxLength), timeout_(timeoutSeconds), tag_(tag) {}

std::size_t AsyncReadPacket::readLimit(std::size_t wanted) const {
    if (maxLength_ == 0) return wanted;
    const std::uint64_t left = maxLength_ > bytesDone() ? maxLength_ - bytesDone() : 0;
    return static_cast<std::size_t>(std::min<std::uint64_t>(wanted, left));
}

AsyncReadPacket::Take AsyncReadPacket::bytesToTake(std::span<const std::uint8_t> incoming) const {
    const std::size_t limit = readLimit(incoming.size());
    const std::size_t termLength = term_.size();
    // A terminator may start in the tail of what was collected before.
    const std::size_t overlap = std::min<std::size_t>(buffer_.size(), termLength - 1);
    const std::uint8_t *tail = buffer_.data() + buffer_.size() - overlap;
    for (std::size_t start = 0; start < overlap; ++start) {
        const std::size_t inTail = overlap - start;
        const std::size_t inIncoming = termLength - inTail;
        if (inIncoming > limit) break;
        if (std::memcmp(tail + start, term_.data(), inTail) == 0 &&
            std::memcmp(incoming.data(), term_.data() + inTail, inIncoming) == 0)
            return {inIncoming, true};
    }
    const std::size_t at = find(incoming.first(limit));
    if (at == kNotFound) return {limit, false};
    return {at + termLength, true};
}

std::size_t AsyncReadPacket::find(std::span<const std::uint8_t> haystack) const {
    // memchr for the terminator's first byte is what makes scanning a picture cheap.
    const std::size_t termLength = term_.size();
    if (haystack.size() < termLength) return kNotFound;
    const std::uint8_t *begin = haystack.data();
    const std::uint8_t *last = begin + haystack.size() - termLength;  // last possible start
    for (const std::uint8_t *at = begin; at <= last; ++at) {
        at = static_cast<const std::uint8_t *>(
            std::memchr(at, term_[0], static_cast<std::size_t>(last - at) + 1));
        if (!at) return kNotFound;
        if (std::memcmp(at + 1, term_.data() + 1, termLength - 1) == 0)
            return static_cast<std::size_t>(at - begin);
    }
    return kNotFound;
}

void AsyncReadPacket::append(std::span<const std::uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}

bool AsyncReadPacket::takeFrom(AsyncTcpSocketPreBuffer &preBuffer) {
    const std::span<const std::uint8_t> waiting(preBuffer.readBuffer(), preBuffer.availableBytes());
    const Take take = bytesToTake(waiting);
    append(waiting.first(take.length));
    preBuffer.didRead(take.length);
    return take.complete;
}
