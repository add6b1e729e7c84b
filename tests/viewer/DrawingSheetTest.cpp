#include "viewer/DrawingSheet.h"

#include <QImage>

#include <gtest/gtest.h>

namespace {

const QColor kRed(229, 57, 53);

DrawingSheet sheetWithTwoStrokes() {
    DrawingSheet sheet;
    sheet.setPictureSize({200, 100});
    sheet.beginStroke(Stroke::Kind::Pen, kRed, 4, {10, 10});
    sheet.extendStroke({50, 10});
    sheet.beginStroke(Stroke::Kind::Highlighter, Qt::yellow, 20, {10, 80});
    sheet.extendStroke({150, 80});
    return sheet;
}

TEST(DrawingSheet, UndoTakesBackOneGestureAtATimeClearAndEraseIncluded) {
    DrawingSheet sheet = sheetWithTwoStrokes();
    ASSERT_EQ(sheet.strokes().size(), 2u);
    EXPECT_EQ(sheet.strokes()[0].points, (std::vector<QPointF>{{10, 10}, {50, 10}}));

    // One eraser drag over both strokes is one step; missing everything is none.
    sheet.beginErase();
    EXPECT_FALSE(sheet.eraseAt({100, 40}, 5));
    EXPECT_TRUE(sheet.eraseAt({30, 13}, 2));   // within the pen's half width plus the radius
    EXPECT_TRUE(sheet.eraseAt({120, 89}, 0));  // inside the highlighter's width
    EXPECT_TRUE(sheet.isEmpty());
    EXPECT_TRUE(sheet.undo());
    EXPECT_EQ(sheet.strokes().size(), 2u);

    sheet.clear();
    EXPECT_TRUE(sheet.isEmpty());
    EXPECT_TRUE(sheet.undo());
    EXPECT_EQ(sheet.strokes().size(), 2u);
    EXPECT_TRUE(sheet.undo());
    EXPECT_EQ(sheet.strokes().size(), 1u);
    EXPECT_TRUE(sheet.undo());
    EXPECT_FALSE(sheet.undo());
    EXPECT_TRUE(sheet.isEmpty());
}

TEST(DrawingSheet, ANewPictureSizeClearsStrokesAndHistory) {
    DrawingSheet sheet = sheetWithTwoStrokes();
    sheet.setPictureSize({200, 100});
    EXPECT_EQ(sheet.strokes().size(), 2u);
    sheet.setPictureSize({640, 480});
    EXPECT_TRUE(sheet.isEmpty());
    EXPECT_FALSE(sheet.canUndo());
}

TEST(DrawingSheet, BurnsPenAndHighlighterIntoACopyOfThePicture) {
    DrawingSheet sheet = sheetWithTwoStrokes();
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::white);
    const QImage burnt = sheet.burntInto(picture);
    EXPECT_EQ(burnt.pixelColor(30, 10), kRed);
    EXPECT_EQ(burnt.pixelColor(30, 30), QColor(Qt::white));
    // The highlighter lets the page through.
    const QColor highlighted = burnt.pixelColor(80, 80);
    EXPECT_EQ(highlighted.blue(), 255 - DrawingSheet::kHighlighterAlpha);
    EXPECT_EQ(highlighted.red(), 255);
    EXPECT_EQ(picture.pixelColor(30, 10), QColor(Qt::white)) << "the picture itself is untouched";
}

}  // namespace
