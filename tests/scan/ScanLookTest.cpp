// The three looks of a page photographed under a lamp's gradient: paper evened out to white, ink kept
// dark, and in black and white a thin faint stroke kept.

#include "scan/ScanLook.h"

#include <QLinearGradient>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A page in warm light falling off from left to right (paper from 235 down to 140), with a block of dark
// ink and, lower down, a one-pixel line of faint grey ink.
QImage litPage() {
    QImage page(800, 1100, QImage::Format_RGB32);
    QPainter painter(&page);
    QLinearGradient light(0, 0, page.width(), 0);
    light.setColorAt(0, QColor(245, 235, 215));
    light.setColorAt(1, QColor(150, 140, 125));
    painter.fillRect(page.rect(), light);
    painter.fillRect(QRect(100, 100, 600, 30), QColor(40, 35, 30));
    painter.setPen(QPen(QColor(110, 100, 95), 1));
    painter.drawLine(100, 600, 700, 600);
    return page;
}

int grey(const QImage &image, int x, int y) {
    return qGray(image.pixel(x, y));
}

struct Case {
    ScanLook::Look look;
    QImage::Format format;
};

class ScanLookTest : public testing::TestWithParam<Case> {};

TEST_P(ScanLookTest, EvensOutThePaperAndKeepsTheInk) {
    const QImage out = ScanLook::apply(litPage(), GetParam().look);
    ASSERT_EQ(out.format(), GetParam().format);
    ASSERT_EQ(out.size(), QSize(800, 1100));
    // Paper near the lamp and far from it both come out (nearly) white, whatever the light's colour was.
    for (const int x : {20, 400, 780}) {
        EXPECT_GE(grey(out, x, 900), 235) << "x " << x;
        const QRgb paper = out.pixel(x, 900);
        EXPECT_LE(std::max({qRed(paper), qGreen(paper), qBlue(paper)}) -
                      std::min({qRed(paper), qGreen(paper), qBlue(paper)}),
                  8);
    }
    for (const int x : {150, 400, 650}) EXPECT_LE(grey(out, x, 115), 60) << "x " << x;
    // The faint line stays visible against its paper, on the bright side and on the dark one.
    for (const int x : {150, 650}) EXPECT_LE(grey(out, x, 600), grey(out, x, 900) - 60) << "x " << x;
}

INSTANTIATE_TEST_SUITE_P(Looks, ScanLookTest,
                         testing::Values(Case{ScanLook::Look::Colour, QImage::Format_RGB32},
                                         Case{ScanLook::Look::Grey, QImage::Format_Grayscale8},
                                         Case{ScanLook::Look::BlackAndWhite, QImage::Format_Grayscale8}));

TEST(ScanLookNamesTest, BlackAndWhiteIsOnlyBlackAndWhiteAndNamesRoundTrip) {
    const QImage bw = ScanLook::apply(litPage(), ScanLook::Look::BlackAndWhite);
    for (int y = 0; y < bw.height(); y += 7)
        for (int x = 0; x < bw.width(); x += 7) {
            const int v = grey(bw, x, y);
            if (v != 0 && v != 255) FAIL() << v << " at " << x << "," << y;
        }
    EXPECT_EQ(ScanLook::names(), "colour|grey|bw");
    for (const auto look : {ScanLook::Look::Colour, ScanLook::Look::Grey, ScanLook::Look::BlackAndWhite})
        EXPECT_EQ(ScanLook::fromName(ScanLook::name(look)), look);
    EXPECT_FALSE(ScanLook::fromName("color"));
    EXPECT_TRUE(ScanLook::apply(QImage(), ScanLook::Look::Grey).isNull());
}

}  // namespace
