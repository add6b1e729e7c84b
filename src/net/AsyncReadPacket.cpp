#include "net/AsyncReadPacket.h"

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
    const auto end = incoming.begin() + static_cast<std::ptrdiff_t>(limit);
    const auto found = std::search(incoming.begin(), end, term_.begin(), term_.end());
    if (found == end) return {limit, false};
    return {static_cast<std::size_t>(found - incoming.begin()) + termLength, true};
}

void AsyncReadPacket::append(std::span<const std::uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
}
