// The pure parts of scan mode: when a corrected outline gives way to the found one, which corner a press
// grabs, the page strip's edits, and corners taken along by mirror and flip.

#include "app/PageOutline.h"

#include "app/ScanPages.h"
#include "app/ScanShot.h"

#include <QLineF>

#include <gtest/gtest.h>

namespace {

const QSize kPicture(1000, 800);
// A page of diagonal about 640 pixels: 3 % of it is about 19 pixels.
const PageQuad kPage{{QPointF(200, 150), QPointF(700, 160), QPointF(690, 560), QPointF(210, 550)}};

PageQuad shifted(const PageQuad &quad, int corner, QPointF by) {
    PageQuad out = quad;
    out.corners[std::size_t(corner)] += by;
    return out;
}

TEST(PageOutline, ThePageMovesOnlyWhenACornerGoesFurtherThanAFewPercentOfTheDiagonal) {
    const struct {
        PageQuad now;
        bool moved;
    } cases[] = {
        {kPage, false},
        {shifted(kPage, 0, {10, 10}), false},  // 14 pixels: noise
        {shifted(kPage, 2, {0, -18}), false},
        {shifted(kPage, 3, {0, 25}), true},
        {shifted(kPage, 1, {-30, 0}), true},
        {kPage.scaled(1.2), true},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PageOutline::pageMoved(kPage, c.now), c.moved) << c.now.corners[0].x();
    }
}

TEST(PageOutline, APressGrabsTheNearestCornerWithinReachOnScreen) {
    QTransform toArea;
    toArea.translate(50, 20);
    toArea.scale(0.5, 0.5);  // the picture shown at half size: corner 0 is at (150, 95) on screen
    const struct {
        QPointF press;
        std::optional<int> corner;
    } cases[] = {
        {{150, 95}, 0},  {{160, 100}, 0}, {{150 + 15, 95}, std::nullopt}, {{400, 100}, 1},
        {{395, 300}, 2}, {{155, 295}, 3}, {{300, 200}, std::nullopt},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(PageOutline::cornerAt(kPage, toArea, c.press), c.corner)
            << c.press.x() << "," << c.press.y();
    }
}

TEST(PageOutline, ACorrectionStaysWhileThePageLiesStillAndGoesWhenItMoves) {
    PageOutline outline;
    outline.setFound(std::nullopt, kPicture);
    EXPECT_EQ(outline.quad().corners, PageQuad::whole(kPicture).corners) << "no page: the whole picture";

    outline.setFound(kPage, kPicture);
    outline.moveCorner(1, QPointF(720, 140));
    outline.moveCorner(2, QPointF(5000, -3));  // kept inside the picture
    EXPECT_TRUE(outline.isCorrected());
    EXPECT_EQ(outline.quad().corners[1], QPointF(720, 140));
    EXPECT_EQ(outline.quad().corners[2], QPointF(1000, 0));

    outline.setFound(shifted(kPage, 0, {5, -4}), kPicture);  // the finder's noise
    EXPECT_TRUE(outline.isCorrected());
    outline.setFound(shifted(kPage, 0, {60, 0}), kPicture);  // the page was pushed
    EXPECT_FALSE(outline.isCorrected());
    EXPECT_EQ(outline.quad().corners[0], QPointF(260, 150));

    outline.moveCorner(0, QPointF(1, 1));
    outline.setFound(kPage, QSize(640, 360));  // another resolution: found corners count anew
    EXPECT_FALSE(outline.isCorrected());
}

TEST(ScanPages, RemovingAndMovingKeepTheOtherPagesInOrder) {
    const struct {
        const char *name;
        std::function<bool(ScanPages &)> edit;
        bool done;
        std::vector<ScanPages::Id> after;
    } cases[] = {
        {"remove first", [](ScanPages &p) { return p.remove(0); }, true, {2, 3, 4}},
        {"remove last", [](ScanPages &p) { return p.remove(3); }, true, {1, 2, 3}},
        {"remove past the end", [](ScanPages &p) { return p.remove(4); }, false, {1, 2, 3, 4}},
        {"remove before the start", [](ScanPages &p) { return p.remove(-1); }, false, {1, 2, 3, 4}},
        {"move right", [](ScanPages &p) { return p.move(0, 2); }, true, {2, 3, 1, 4}},
        {"move left", [](ScanPages &p) { return p.move(3, 1); }, true, {1, 4, 2, 3}},
        {"move onto itself", [](ScanPages &p) { return p.move(2, 2); }, true, {1, 2, 3, 4}},
        {"move past the end", [](ScanPages &p) { return p.move(1, 4); }, false, {1, 2, 3, 4}},
        {"remove saved ids",
         [](ScanPages &p) {
             p.removeIds({3, 1, 9});
             return true;
         },
         true,
         {2, 4}},
    };
    for (const auto &c : cases) {
        ScanPages pages;
        for (int i = 0; i < 4; ++i) pages.add(QImage(10 + i, 10, QImage::Format_RGB32), QImage());
        EXPECT_EQ(c.edit(pages), c.done) << c.name;
        std::vector<ScanPages::Id> ids;
        for (const ScanPages::Page &page : pages.pages()) ids.push_back(page.id);
        EXPECT_EQ(ids, c.after) << c.name;
        // Each id keeps its own picture.
        for (const ScanPages::Page &page : pages.pages()) {
            EXPECT_EQ(page.picture.width(), 9 + int(page.id)) << c.name;
        }
    }
}

TEST(ScanShot, MirrorAndFlipTakeTheCornersAlongAndRenameThem) {
    const QSize size(100, 50);
    const PageQuad quad{{QPointF(10, 5), QPointF(60, 8), QPointF(58, 40), QPointF(12, 45)}};
    const struct {
        PictureOrientation orientation;
        PageQuad expected;
    } cases[] = {
        {{}, quad},
        {{true, false}, {{QPointF(40, 8), QPointF(90, 5), QPointF(88, 45), QPointF(42, 40)}}},
        {{false, true}, {{QPointF(12, 5), QPointF(58, 10), QPointF(60, 42), QPointF(10, 45)}}},
        {{true, true}, {{QPointF(42, 10), QPointF(88, 5), QPointF(90, 45), QPointF(40, 42)}}},
    };
    for (const auto &c : cases) {
        const PageQuad oriented = ScanShot::orientedQuad(quad, c.orientation, size);
        for (int i = 0; i < 4; ++i) {
            EXPECT_LT(QLineF(oriented.corners[std::size_t(i)], c.expected.corners[std::size_t(i)]).length(),
                      1e-9)
                << "mirrored " << c.orientation.mirrored << " flipped " << c.orientation.flipped << " corner "
                << i;
        }
    }
}

}  // namespace
