#include "library/LibraryImages.h"

#include <gtest/gtest.h>

namespace {

TEST(LibraryImagesTest, FilmIconAndDustTileAreDrawnOnceAndTheSameEachRun) {
    const QImage icon = LibraryImages::imageNamed(LibraryImages::kMp4Icon);
    EXPECT_EQ(icon.size(), QSize(120, 90));
    EXPECT_EQ(icon.pixelColor(0, 0).alpha(), 0);      // transparent corner
    EXPECT_EQ(icon.pixelColor(60, 45).alpha(), 255);  // the picture area
    EXPECT_EQ(icon.cacheKey(), LibraryImages::imageNamed("mp4icon.png").cacheKey());

    const QImage dust = LibraryImages::imageNamed(LibraryImages::kBackgroundDust);
    EXPECT_EQ(dust.size(), QSize(128, 128));
    EXPECT_FALSE(dust.hasAlphaChannel());
    int specks = 0;
    const QColor paper = dust.pixelColor(0, 0);
    for (int y = 0; y < dust.height(); ++y)
        for (int x = 0; x < dust.width(); ++x) specks += dust.pixelColor(x, y) != paper;
    EXPECT_GT(specks, 200);

    EXPECT_TRUE(LibraryImages::imageNamed("checkdevice.png").isNull());
}

}  // namespace
