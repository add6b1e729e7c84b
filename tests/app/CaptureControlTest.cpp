#include "app/CaptureControl.h"

#include "viewer/DKBookmark.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

// A picture whose every pixel differs from its neighbours, so a lossy or shifted copy shows.
QImage pattern(int seed) {
    QImage image(64, 48, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 4 + seed) & 255, y * 5, (x ^ y) * 3));
    return image;
}

bool samePixels(const QImage &a, const QImage &b) {
    return a.convertToFormat(QImage::Format_RGB32) == b.convertToFormat(QImage::Format_RGB32);
}

const QDateTime kPressedAt(QDate(2024, 3, 5), QTime(14, 7, 9));

class CaptureControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tmp_.isValid());
        bookmark_ = std::make_unique<DKBookmark>(
            std::make_unique<QSettings>(tmp_.filePath("settings.ini"), QSettings::IniFormat), [this] {
                ++panelShown_;
                return QString();
            });
    }
    // A save root as the folder panel leaves it: R with its sub-folders.
    QString chooseRoot() {
        const QString root = tmp_.filePath("Pictures/ZUVA");
        bookmark_->setSavePath(DKBookmark::CreateDirectory(root));
        return root;
    }

    QTemporaryDir tmp_;
    std::unique_ptr<DKBookmark> bookmark_;
    int panelShown_ = 0;
};

TEST_F(CaptureControlTest, WritesThePictureUnderCaptureImagesAndSaysWhere) {
    const QString root = chooseRoot();
    const auto result = CaptureControl::capture(pattern(1), *bookmark_, kPressedAt);

    EXPECT_EQ(result.outcome, CaptureControl::Outcome::Saved);
    EXPECT_EQ(result.path, root + "/CaptureImages/image_20240305_140709.png");
    EXPECT_EQ(result.message, QString::fromUtf8("Image saved in path：") + result.path);
    QImage written(result.path);
    EXPECT_EQ(written.size(), QSize(64, 48));
    EXPECT_TRUE(samePixels(written, pattern(1)));
}

TEST_F(CaptureControlTest, TwoCapturesInOneSecondKeepBothPictures) {
    chooseRoot();
    const auto first = CaptureControl::capture(pattern(1), *bookmark_, kPressedAt);
    const auto second = CaptureControl::capture(pattern(2), *bookmark_, kPressedAt);

    ASSERT_EQ(second.outcome, CaptureControl::Outcome::Saved);
    EXPECT_TRUE(second.path.endsWith("/CaptureImages/image_20240305_140709-2.png"));
    EXPECT_TRUE(samePixels(QImage(first.path), pattern(1)));
    EXPECT_TRUE(samePixels(QImage(second.path), pattern(2)));
}

TEST_F(CaptureControlTest, WithoutSaveRootNothingIsWritten) {
    const auto result = CaptureControl::capture(pattern(1), *bookmark_, kPressedAt);
    EXPECT_EQ(result.outcome, CaptureControl::Outcome::NoSavePath);
    EXPECT_EQ(result.message, "Get save path failed.");
    EXPECT_EQ(panelShown_, 1);
    EXPECT_EQ(QDir(tmp_.path()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 0);
}

TEST_F(CaptureControlTest, UnwritableFolderOrNoPictureIsReportedAsFailure) {
    // The root's folder has gone: it is not re-created behind the user's back.
    bookmark_->setSavePath(tmp_.filePath("Gone/ZUVA"));
    const auto gone = CaptureControl::capture(pattern(1), *bookmark_, kPressedAt);
    EXPECT_EQ(gone.outcome, CaptureControl::Outcome::SaveFailed);
    EXPECT_EQ(gone.message, "Image save failed.");
    EXPECT_FALSE(QFileInfo::exists(tmp_.filePath("Gone")));

    chooseRoot();
    const auto empty = CaptureControl::capture(QImage(), *bookmark_, kPressedAt);
    EXPECT_EQ(empty.outcome, CaptureControl::Outcome::SaveFailed);
    EXPECT_EQ(empty.message, "Image save failed.");
    EXPECT_FALSE(QFileInfo::exists(empty.path));
}

}  // namespace
