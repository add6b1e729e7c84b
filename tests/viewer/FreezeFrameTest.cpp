#include "viewer/FreezeFrame.h"

#include <gtest/gtest.h>

namespace {

ImageBytes bytesOf(std::uint8_t value) {
    return std::make_shared<const std::vector<std::uint8_t>>(16, value);
}

TEST(FreezeFrame, KeepsTheShownBytesWhileTheLatestFrameChanges) {
    FreezeFrame frame;
    const ImageBytes first = bytesOf(1), second = bytesOf(2), third = bytesOf(3);
    EXPECT_EQ(frame.take(first), first);
    EXPECT_EQ(frame.take(first), nullptr) << "already on screen";

    frame.setFrozen(true);
    EXPECT_EQ(frame.take(second), nullptr);
    EXPECT_EQ(frame.take(third), nullptr);
    EXPECT_EQ(frame.shown(), first);

    frame.setFrozen(false);
    EXPECT_EQ(frame.take(third), third);
    EXPECT_EQ(frame.shown(), third);
    EXPECT_EQ(frame.take(std::make_shared<const std::vector<std::uint8_t>>()), nullptr);

    // After the no-device picture the same camera bytes are shown again.
    frame.forget();
    EXPECT_EQ(frame.take(third), third);
}

}  // namespace
