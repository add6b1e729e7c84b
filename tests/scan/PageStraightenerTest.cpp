// The page's aspect recovered from corners a tilted camera saw, and the upright page it gives.

#include "scan/PageStraightener.h"

#include "SyntheticPage.h"

#include <QLineF>

#include <gtest/gtest.h>

namespace {

constexpr double kA4Aspect = 210.0 / 297.0;

struct View {
    QSize frame;
    double tilt;
    double turn;
};

class PageStraightenerAspectTest : public testing::TestWithParam<View> {};

TEST_P(PageStraightenerAspectTest, RecoversThePagesAspectFromItsCorners) {
    SyntheticPage::Scene scene;
    scene.frame = GetParam().frame;
    scene.tiltDegrees = GetParam().tilt;
    scene.turnDegrees = GetParam().turn;
    // Only the corners are needed: the picture itself is not drawn.
    const PageQuad corners = SyntheticPage::corners(scene);
    EXPECT_NEAR(PageStraightener::aspectRatio(corners, scene.frame), kA4Aspect, 0.01 * kA4Aspect);
    const QSize size = PageStraightener::pageSize(corners, scene.frame);
    EXPECT_NEAR(double(size.width()) / size.height(), kA4Aspect, 0.01 * kA4Aspect);
    // The page's own resolution: no side comes out shorter than the picture shows it.
    const auto &c = corners.corners;
    EXPECT_GE(size.width() + 1, std::max(QLineF(c[0], c[1]).length(), QLineF(c[3], c[2]).length()));
    EXPECT_GE(size.height() + 1, std::max(QLineF(c[0], c[3]).length(), QLineF(c[1], c[2]).length()));
}

INSTANTIATE_TEST_SUITE_P(Views, PageStraightenerAspectTest,
                         testing::Values(View{{1920, 1080}, 0, 0}, View{{1920, 1080}, 12, 4},
                                         View{{1920, 1080}, 25, -9}, View{{3840, 2160}, 18, 2}));

TEST(PageStraightenerTest, ShowsThePageUprightAndRefusesWhatIsNoPage) {
    SyntheticPage::Scene scene;
    const SyntheticPage::Picture picture = SyntheticPage::make(scene);
    const QImage page = PageStraightener::straighten(picture.decoded, picture.corners);
    ASSERT_FALSE(page.isNull());
    // Paper at all four corners (just inside), no desk: the page was mapped, not the frame.
    for (const QPoint at : {QPoint(4, 4), QPoint(page.width() - 5, 4), QPoint(4, page.height() - 5),
                            QPoint(page.width() - 5, page.height() - 5)})
        EXPECT_GT(qGray(page.pixel(at)), 120) << at.x() << "," << at.y();

    // Points on one line, and corners that cross over (a bow tie).
    const PageQuad line{{QPointF(10, 10), QPointF(20, 20), QPointF(30, 30), QPointF(40, 40)}};
    const PageQuad bowTie{{QPointF(0, 0), QPointF(500, 500), QPointF(500, 0), QPointF(0, 500)}};
    EXPECT_TRUE(PageStraightener::straighten(picture.decoded, bowTie).isNull());
    EXPECT_TRUE(PageStraightener::straighten(picture.decoded, line).isNull());
    EXPECT_TRUE(PageStraightener::straighten(QImage(), picture.corners).isNull());
}

}  // namespace
