// A camera above 1080p in the viewer's default window: fit shows it decoded at a DCT scale, 1:1 and a
// capture get its full detail, also while frozen, and the memory for its pictures stays bounded.

#include "ResidentMemory.h"
#include "ViewerTestFixture.h"

#include "app/MouseDragView.h"

#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kCameraWaitMs = 8000;

class LargePictureViewTest : public ViewerTestFixture {
  protected:
    const QImage &onScreen() const { return viewer->dragView()->image(); }
};

TEST_F(LargePictureViewTest, FitDecodesAtHalfAndOneToOneBringsFullDetailAlsoWhileFrozen) {
    ASSERT_TRUE(simulator.start({"--size", "3840x2160", "--fps", "10"}));
    startViewer(simulator.imagePort(), simulator.commandPort());
    // Fit on the 1280x800 window shows the picture at a third: decoded at half, laid out at its own size.
    ASSERT_TRUE(QTest::qWaitFor([&] { return onScreen().width() == 1920; }, kCameraWaitMs));
    EXPECT_EQ(viewer->pictureSize(), QSize(3840, 2160));
    EXPECT_EQ(viewer->currentViewSize(), QSizeF(3840, 2160));
    const double before = test_support::residentMegabytes();

    viewer->ui().freeze_button->click();
    const ImageBytes frozen = viewer->shownImageBytes();
    viewer->ui().actual_1_1_button->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return onScreen().width() == 3840; }, 2000))
        << "the frozen picture again, at full detail";
    EXPECT_EQ(viewer->shownImageBytes(), frozen);
    EXPECT_EQ(viewer->capturePicture(false).size(), QSize(3840, 2160));

    viewer->ui().freeze_button->click();  // live: full detail at 1:1 from the next picture on
    QTest::qWait(1000);
    EXPECT_NE(viewer->shownImageBytes(), frozen);
    EXPECT_EQ(onScreen().width(), 3840);
    viewer->ui().suitable_button->click();
    EXPECT_TRUE(QTest::qWaitFor([&] { return onScreen().width() == 1920; }, 2000));
    // What the stream holds at 4K: a few encoded pictures, the decoders' few reused pictures (33 MB each
    // at full size) and the one on screen.
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(test_support::residentMegabytes() - before, 250)
        << "MB more after a second of 4K at full detail";
#else
    (void)before;
#endif
}

}  // namespace
