#include "recorder/VideoSize.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

namespace {

using Choice = VideoSize::Choice;

TEST(VideoSize, TheCamerasSizeWithinTheChosenBoxAspectKeptSidesEven) {
    const std::vector<std::tuple<QSize, Choice, QSize>> cases{
        {{3840, 2160}, Choice::Full_HD, {1920, 1080}},
        {{3840, 2160}, Choice::HD, {1280, 720}},
        {{3840, 2160}, Choice::Camera, {3840, 2160}},
        {{1920, 1080}, Choice::Full_HD, {1920, 1080}},  // never enlarged
        {{640, 480}, Choice::HD, {640, 480}},
        {{5792, 5792}, Choice::Full_HD, {1080, 1080}},  // the shorter side of the box binds
        {{2160, 3840}, Choice::Full_HD, {1080, 1920}},  // portrait: the box turned too
        {{4208, 3120}, Choice::Full_HD, {1456, 1080}},  // 13 MP, 4:3: 1456.6 rounded down to even
        {{1921, 1081}, Choice::Camera, {1920, 1080}},   // odd sides lose a pixel
        {QSize(), Choice::Full_HD, QSize()},
    };
    for (const auto &[camera, choice, expected] : cases) {
        SCOPED_TRACE(testing::Message()
                     << camera.width() << "x" << camera.height() << " " << VideoSize::nameOf(choice));
        EXPECT_EQ(VideoSize::forCamera(camera, choice), expected);
    }
}

TEST(VideoSize, NamesRoundTripAndUnknownOnesAreRefused) {
    for (const VideoSize::Entry &entry : VideoSize::table())
        EXPECT_EQ(VideoSize::fromName(entry.name), entry.choice);
    EXPECT_FALSE(VideoSize::fromName("4k"));
    EXPECT_EQ(VideoSize::names(), "camera|1080p|720p");
    EXPECT_STREQ(VideoSize::nameOf(VideoSize::kDefault), "1080p");
}

}  // namespace
