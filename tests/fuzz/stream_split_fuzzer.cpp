// Fuzz target: the stream socket's reading up to a terminator, the way the receiver reads the image stream
// (alternately up to "BoundaryS" and "BoundaryE", each with a length limit). The same bytes are fed once
// as one arrival and once cut into pieces at points the fuzzer chooses; both must give the same units, and
// the units must be what cutting the whole stream at each first terminator gives.
//
// Input: byte 0 picks the length limit (below 128: none; else 9 + 4 x (byte - 128)), byte 1 the number of
// cuts (0 to 15), then 2 bytes per cut (a position, modulo the stream's length), then the stream.

#include "net/AsyncReadPacket.h"
#include "net/AsyncTcpSocketPreBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kPreBufferCapacity = 4096;  // as the socket starts it

const Bytes kStart = {'B', 'o', 'u', 'n', 'd', 'a', 'r', 'y', 'S'};
const Bytes kEnd = {'B', 'o', 'u', 'n', 'd', 'a', 'r', 'y', 'E'};

void check(bool condition) {
    if (!condition) std::abort();
}

struct Outcome {
    std::vector<Bytes> units;
    bool maxedOut = false;  // a request reached its limit without its terminator: the socket closes

    bool operator==(const Outcome &) const = default;
};

const Bytes &terminatorOf(std::size_t unitNumber) {
    return unitNumber % 2 == 0 ? kStart : kEnd;
}

// The socket's read loop: each arrival is one readiness event reporting its length; requests are served
// from the prebuffer first, then read at most what their limit leaves into the prebuffer.
class SocketReads {
  public:
    explicit SocketReads(std::uint64_t maxLength) : maxLength_(maxLength), preBuffer_(kPreBufferCapacity) {
        next();
    }

    void arrive(std::span<const std::uint8_t> piece) {
        while (!outcome_.maxedOut) {
            if (preBuffer_.availableBytes() > 0 && current_->takeFrom(preBuffer_)) {
                outcome_.units.push_back(current_->takeData());
                next();
                continue;
            }
            if (current_->isMaxedOut()) {
                outcome_.maxedOut = true;
                return;
            }
            if (piece.empty()) return;  // waits for the next readiness event
            const std::size_t wanted = current_->readLimit(piece.size());
            preBuffer_.ensureCapacityForWrite(wanted);
            std::memcpy(preBuffer_.writeBuffer(), piece.data(), wanted);
            preBuffer_.didWrite(wanted);
            piece = piece.subspan(wanted);
        }
    }

    const Outcome &outcome() const { return outcome_; }

  private:
    void next() {
        current_ = std::make_unique<AsyncReadPacket>(terminatorOf(outcome_.units.size()), -1, maxLength_,
                                                     static_cast<long>(outcome_.units.size()));
    }

    const std::uint64_t maxLength_;
    AsyncTcpSocketPreBuffer preBuffer_;
    std::unique_ptr<AsyncReadPacket> current_;
    Outcome outcome_;
};

// The same reading done the plain way, on the whole stream at once.
Outcome cutAtTerminators(std::span<const std::uint8_t> stream, std::uint64_t maxLength) {
    Outcome outcome;
    std::size_t at = 0;
    while (true) {
        const Bytes &term = terminatorOf(outcome.units.size());
        const auto rest = stream.subspan(at);
        const std::size_t limit =
            maxLength == 0 ? rest.size() : std::min<std::size_t>(rest.size(), maxLength);
        const auto found = std::search(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(limit),
                                       term.begin(), term.end());
        if (found == rest.begin() + static_cast<std::ptrdiff_t>(limit)) {
            outcome.maxedOut = maxLength != 0 && rest.size() >= maxLength;
            return outcome;
        }
        const std::size_t length = static_cast<std::size_t>(found - rest.begin()) + term.size();
        outcome.units.emplace_back(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(length));
        at += length;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint64_t maxLength = data[0] < 128 ? 0 : 9 + 4 * std::uint64_t{data[0] - 128u};
    const std::size_t cutCount = data[1] % 16;
    if (size < 2 + 2 * cutCount) return 0;
    const std::span<const std::uint8_t> stream(data + 2 + 2 * cutCount, size - 2 - 2 * cutCount);

    std::vector<std::size_t> cuts = {0, stream.size()};
    for (std::size_t i = 0; i < cutCount; ++i) {
        const std::size_t position = data[2 + 2 * i] | std::size_t{data[3 + 2 * i]} << 8;
        cuts.push_back(stream.empty() ? 0 : position % stream.size());
    }
    std::sort(cuts.begin(), cuts.end());

    SocketReads whole(maxLength);
    whole.arrive(stream);
    SocketReads pieces(maxLength);
    for (std::size_t i = 0; i + 1 < cuts.size(); ++i)
        pieces.arrive(stream.subspan(cuts[i], cuts[i + 1] - cuts[i]));

    check(whole.outcome() == pieces.outcome());
    check(whole.outcome() == cutAtTerminators(stream, maxLength));
    return 0;
}
