#include "net/HostLookup.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

namespace {

TEST(HostLookup, LoopbackNamesNeedNoResolverAndCarryThePort) {
    for (const char *name : {"localhost", "loopback"}) {
        const HostLookup lookup = HostLookup::resolve(name, 7060);
        ASSERT_TRUE(lookup.ipv4 && lookup.ipv6) << name;
        EXPECT_EQ(ntohl(lookup.ipv4->sin_addr.s_addr), INADDR_LOOPBACK);
        EXPECT_EQ(ntohs(lookup.ipv4->sin_port), 7060);
        EXPECT_TRUE(IN6_IS_ADDR_LOOPBACK(&lookup.ipv6->sin6_addr));
        EXPECT_EQ(ntohs(lookup.ipv6->sin6_port), 7060);
        EXPECT_FALSE(lookup.error);
    }
}

TEST(HostLookup, NumericAddressesGiveOneFamily) {
    const HostLookup v4 = HostLookup::resolve("127.0.0.1", 80);
    EXPECT_TRUE(v4.ipv4);
    EXPECT_FALSE(v4.ipv6);
    const HostLookup v6 = HostLookup::resolve("::1", 80);
    EXPECT_FALSE(v6.ipv4);
    ASSERT_TRUE(v6.ipv6);
    EXPECT_EQ(ntohs(v6.ipv6->sin6_port), 80);
}

}  // namespace
