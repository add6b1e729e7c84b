#include "net/AsyncReadPacket.h"

#include "net/AsyncTcpSocketPreBuffer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::vector<std::uint8_t> bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

std::span<const std::uint8_t> view(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t *>(text.data()), text.size()};
}

// The socket's read loop without a socket: each arriving chunk lands in the prebuffer and the current
// request takes what it wants; requests alternate between the given terminators, as the receiver's do.
class ReadLoop {
  public:
    ReadLoop(std::vector<std::string> terminators, std::uint64_t maxLength = 0)
        : terminators_(std::move(terminators)), maxLength_(maxLength) {
        next();
    }

    void arrive(std::string_view chunk) {
        preBuffer_.ensureCapacityForWrite(chunk.size());
        std::copy(chunk.begin(), chunk.end(), preBuffer_.writeBuffer());
        preBuffer_.didWrite(chunk.size());
        while (preBuffer_.availableBytes() > 0 && !maxedOut) {
            const std::span<const std::uint8_t> waiting(preBuffer_.readBuffer(), preBuffer_.availableBytes());
            const auto take = packet_->bytesToTake(waiting);
            packet_->append(waiting.first(take.length));
            preBuffer_.didRead(take.length);
            if (take.complete) {
                const auto data = packet_->takeData();
                delivered.emplace_back(data.begin(), data.end());
                next();
            } else {
                maxedOut = packet_->isMaxedOut();
            }
        }
    }

    std::vector<std::string> delivered;
    bool maxedOut = false;

  private:
    void next() {
        const std::string &term = terminators_[count_++ % terminators_.size()];
        packet_ = std::make_unique<AsyncReadPacket>(bytes(term), -1, maxLength_, 0);
    }

    std::vector<std::string> terminators_;
    std::uint64_t maxLength_;
    std::size_t count_ = 0;
    std::unique_ptr<AsyncReadPacket> packet_;
    AsyncTcpSocketPreBuffer preBuffer_{16};
};

const std::string kStream = "xxBoundarySheader-and-picture-1BoundaryEBoundaryS2BoundaryEBoundarySBoundaryE";
const std::vector<std::string> kUnits = {
    "xxBoundaryS", "header-and-picture-1BoundaryE", "BoundaryS", "2BoundaryE", "BoundaryS", "BoundaryE"};

TEST(AsyncReadPacket, FindsTerminatorsWhereverTheStreamIsSplit) {
    for (std::size_t first = 0; first <= kStream.size(); ++first) {
        ReadLoop loop({"BoundaryS", "BoundaryE"});
        loop.arrive(std::string_view(kStream).substr(0, first));
        loop.arrive(std::string_view(kStream).substr(first));
        EXPECT_EQ(loop.delivered, kUnits) << "split at " << first;
    }
}

TEST(AsyncReadPacket, FindsTerminatorsArrivingByteByByteOrInRandomPieces) {
    ReadLoop byByte({"BoundaryS", "BoundaryE"});
    for (char c : kStream) byByte.arrive(std::string_view(&c, 1));
    EXPECT_EQ(byByte.delivered, kUnits);

    std::minstd_rand random(7);
    for (int round = 0; round < 50; ++round) {
        ReadLoop loop({"BoundaryS", "BoundaryE"});
        for (std::size_t at = 0; at < kStream.size();) {
            const std::size_t piece = 1 + random() % 12;
            loop.arrive(std::string_view(kStream).substr(at, piece));
            at += piece;
        }
        EXPECT_EQ(loop.delivered, kUnits) << "round " << round;
    }
}

TEST(AsyncReadPacket, TakesOnlyUpToTheFirstTerminatorAndLooksBackForASplitOne) {
    AsyncReadPacket packet(bytes("END"), -1, 0, 5);
    EXPECT_EQ(packet.bytesToTake(view("abcENDdefEND")).length, 6u);
    EXPECT_TRUE(packet.bytesToTake(view("abcENDdefEND")).complete);

    const auto partial = packet.bytesToTake(view("abcEN"));
    EXPECT_EQ(partial.length, 5u);
    EXPECT_FALSE(partial.complete);
    packet.append(view("abcEN"));
    const auto rest = packet.bytesToTake(view("Dtail"));
    EXPECT_EQ(rest.length, 1u);
    EXPECT_TRUE(rest.complete);
    packet.append(view("D"));
    EXPECT_EQ(packet.takeData(), bytes("abcEND"));
    EXPECT_EQ(packet.tag(), 5);
}

TEST(AsyncReadPacket, MaxLengthCapsWhatIsTakenButATerminatorEndingAtTheLimitCompletes) {
    AsyncReadPacket capped(bytes("END"), -1, 8, 0);
    const auto take = capped.bytesToTake(view("0123456789END"));
    EXPECT_EQ(take.length, 8u);
    EXPECT_FALSE(take.complete);
    capped.append(view("01234567"));
    EXPECT_TRUE(capped.isMaxedOut());
    EXPECT_EQ(capped.readLimit(100), 0u);

    AsyncReadPacket exact(bytes("END"), -1, 8, 0);
    const auto atLimit = exact.bytesToTake(view("01234END+more"));
    EXPECT_EQ(atLimit.length, 8u);
    EXPECT_TRUE(atLimit.complete);

    AsyncReadPacket unlimited(bytes("END"), -1, 0, 0);
    EXPECT_EQ(unlimited.readLimit(1u << 30), 1u << 30);
    EXPECT_FALSE(unlimited.isMaxedOut());
}

TEST(AsyncReadPacket, AStreamWithoutTerminatorStopsAtMaxLength) {
    ReadLoop loop({"BoundaryS"}, 64);
    for (int i = 0; i < 10; ++i) loop.arrive(std::string(20, 'g'));
    EXPECT_TRUE(loop.maxedOut);
    EXPECT_TRUE(loop.delivered.empty());
}

}  // namespace
