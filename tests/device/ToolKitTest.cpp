#include "device/ToolKit.h"

#include <gtest/gtest.h>

namespace {

TEST(ToolKit, HextoDecReadsTheFirstBytesBigEndian) {
    const std::uint8_t bytes[] = {0x00, 0x01, 0x02, 0x03, 0xFF, 0xFE, 0xFD, 0xFC, 0x99};
    EXPECT_EQ(ToolKit::HextoDec(bytes, 0), 0u);
    EXPECT_EQ(ToolKit::HextoDec(bytes + 1, 1), 0x01u);
    EXPECT_EQ(ToolKit::HextoDec(bytes, 4), 0x00010203u);
    EXPECT_EQ(ToolKit::HextoDec(bytes + 4, 2), 0xFFFEu);
    EXPECT_EQ(ToolKit::HextoDec(bytes + 1, 8), 0x010203FFFEFDFC99u);
}

TEST(ToolKit, ResolutionTitleIsWidthStarHeight) {
    EXPECT_EQ(ToolKit::resolutionTitle(1920, 1080), "1920*1080");
    EXPECT_EQ(ToolKit::resolutionTitle(0, 0), "0*0");
    EXPECT_EQ(ToolKit::resolutionTitle(65535, 7), "65535*7");
}

}  // namespace
