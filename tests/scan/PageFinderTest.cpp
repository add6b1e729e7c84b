// The page's corners found in camera pictures made with known corners, at both camera sizes and in
// several poses; and no page where there is none.

#include "scan/PageFinder.h"

#include "SyntheticPage.h"

#include <QLineF>

#include <gtest/gtest.h>

namespace {

struct Pose {
    const char *name;
    QSize frame;
    double tilt;
    double turn;
};

class PageFinderTest : public testing::TestWithParam<Pose> {};

TEST_P(PageFinderTest, FindsTheCornersWithinOnePercentOfTheDiagonal) {
    SyntheticPage::Scene scene;
    scene.frame = GetParam().frame;
    scene.tiltDegrees = GetParam().tilt;
    scene.turnDegrees = GetParam().turn;
    const SyntheticPage::Picture picture = SyntheticPage::make(scene);

    const auto found = PageFinder::find(picture.decoded);
    ASSERT_TRUE(found);
    const double tolerance = 0.01 * picture.corners.diagonal();
    for (int i = 0; i < 4; ++i) {
        EXPECT_LE(QLineF(found->corners[i], picture.corners.corners[i]).length(), tolerance)
            << "corner " << i << " at " << found->corners[i].x() << "," << found->corners[i].y()
            << ", truly at " << picture.corners.corners[i].x() << "," << picture.corners.corners[i].y();
    }
}

INSTANTIATE_TEST_SUITE_P(Poses, PageFinderTest,
                         testing::Values(Pose{"Hd", {1920, 1080}, 12, 4},
                                         Pose{"HdStraightDown", {1920, 1080}, 0, 0},
                                         Pose{"HdSteepTurnedLeft", {1920, 1080}, 25, -9},
                                         Pose{"Uhd", {3840, 2160}, 12, 4},
                                         Pose{"UhdTurned", {3840, 2160}, 8, -6}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(PageFinderNoPageTest, FindsNoPageOnTheBareDeskOrInNoPicture) {
    SyntheticPage::Scene scene;
    scene.withPage = false;
    for (unsigned seed : {1u, 2u, 3u}) {
        scene.seed = seed;
        EXPECT_FALSE(PageFinder::find(SyntheticPage::make(scene).decoded)) << "seed " << seed;
    }
    EXPECT_FALSE(PageFinder::find(QImage()));
    QImage white(640, 360, QImage::Format_RGB32);
    white.fill(Qt::white);
    EXPECT_FALSE(PageFinder::find(white));
}

}  // namespace
