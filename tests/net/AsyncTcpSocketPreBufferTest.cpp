#include "net/AsyncTcpSocketPreBuffer.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {

void put(AsyncTcpSocketPreBuffer &buffer, const char *text) {
    const std::size_t length = std::strlen(text);
    buffer.ensureCapacityForWrite(length);
    std::memcpy(buffer.writeBuffer(), text, length);
    buffer.didWrite(length);
}

TEST(AsyncTcpSocketPreBuffer, GrowsByWhatIsMissingAndKeepsUnreadBytes) {
    AsyncTcpSocketPreBuffer buffer(8);
    put(buffer, "abcdef");
    buffer.didRead(2);
    EXPECT_EQ(buffer.availableSpace(), 2u);

    put(buffer, "ghijk");  // 3 bytes short: capacity 8 + 3
    EXPECT_EQ(buffer.capacity(), 11u);
    EXPECT_EQ(std::string(reinterpret_cast<const char *>(buffer.readBuffer()), buffer.availableBytes()),
              "cdefghijk");
}

TEST(AsyncTcpSocketPreBuffer, ReadingEverythingRewindsToTheStart) {
    AsyncTcpSocketPreBuffer buffer(8);
    put(buffer, "abcdef");
    buffer.didRead(6);
    EXPECT_EQ(buffer.availableBytes(), 0u);
    EXPECT_EQ(buffer.availableSpace(), 8u);
    put(buffer, "12345678");
    EXPECT_EQ(buffer.capacity(), 8u) << "no growth when the consumed space came back";
    buffer.reset();
    EXPECT_EQ(buffer.availableBytes(), 0u);
}

}  // namespace
