#include "library/LibraryItems.h"

#include "library/LibraryImages.h"

#include "ScanBomb.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

namespace {

class LibraryItemsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(tmp_.isValid()); }

    QString folder() const { return tmp_.path(); }
    QString path(const QString &name) const { return tmp_.filePath(name); }

    void writePicture(const QString &name, QSize size, const char *format = "PNG") {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(40, 90, 160));
        ASSERT_TRUE(image.save(path(name), format));
    }
    void writeBytes(const QString &name, const QByteArray &bytes) {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    static QStringList titles(const QList<QVariantMap> &items) {
        QStringList list;
        for (const auto &item : items) list << item.value(LibraryItems::kItemTitle).toString();
        return list;
    }

    QTemporaryDir tmp_;
};

// The thumbnails once came in the folder's own order; the capture just taken is the one looked for.
TEST_F(LibraryItemsTest, GathersFilesOfTheTypeNewestFirstWhateverTheirCase) {
    writePicture("a.png", {32, 18});
    writePicture("b.PNG", {32, 18});
    writePicture("c.jpg", {32, 18}, "JPEG");
    writeBytes("d.mp4", "not really a film");
    writeBytes("png", "an extension-less word");
    writeBytes("e.png.txt", "x");
    const QDateTime now = QDateTime::currentDateTime();
    for (const auto &[name, age] : {std::pair{"a.png", 60}, std::pair{"b.PNG", 5}}) {
        QFile file(path(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(now.addSecs(-age), QFileDevice::FileModificationTime));
    }

    const auto pngs = LibraryItems::gatherItems(folder(), "png");
    EXPECT_EQ(titles(pngs), (QStringList{"b.PNG", "a.png"}));

    const auto films = LibraryItems::gatherItems(folder(), "mp4");
    ASSERT_EQ(titles(films), QStringList{"d.mp4"});
    EXPECT_EQ(films[0].value(LibraryItems::kItemSizeInfo).toString(), "");
    EXPECT_EQ(films[0].value(LibraryItems::kItemImage).value<QImage>(),
              LibraryImages::imageNamed(LibraryImages::kMp4Icon));
    EXPECT_EQ(films[0].value(LibraryItems::kItemURL).toString(), path("d.mp4"));
}

TEST_F(LibraryItemsTest, CaptureGetsItsSizeTextAndASmallThumbnail) {
    writePicture("image_20240101_120000.png", {1920, 1080});
    const auto items = LibraryItems::gatherItems(folder(), "png");
    ASSERT_EQ(items.size(), 1);
    const QVariantMap &item = items[0];
    EXPECT_EQ(item.value(LibraryItems::kItemTitle).toString(), "image_20240101_120000.png");
    EXPECT_EQ(item.value(LibraryItems::kItemSizeInfo).toString(), "1920 * 1080");
    EXPECT_EQ(item.value(LibraryItems::kItemURL).toString(), path("image_20240101_120000.png"));
    const QImage thumbnail = item.value(LibraryItems::kItemImage).value<QImage>();
    EXPECT_EQ(thumbnail.size(), QSize(160, 90));
    EXPECT_EQ(thumbnail.pixelColor(80, 45), QColor(40, 90, 160));
}

TEST_F(LibraryItemsTest, ThumbnailsStayClearOfTheTitleAndNeverGrow) {
    writePicture("tall.png", {600, 1200});
    writePicture("four-by-three.png", {640, 480});
    writePicture("small.png", {100, 50});
    writePicture("camera.png", {1280, 720}, "JPEG");  // a JPEG under a PNG name still reads
    EXPECT_EQ(LibraryItems::requestPreviewImage(path("tall.png")).size(), QSize(50, 100));
    EXPECT_EQ(LibraryItems::requestPreviewImage(path("four-by-three.png")).size(), QSize(133, 100));
    EXPECT_EQ(LibraryItems::requestPreviewImage(path("small.png")).size(), QSize(100, 50));
    EXPECT_EQ(LibraryItems::requestPreviewImage(path("camera.png")).size(), QSize(160, 90));
    EXPECT_TRUE(LibraryItems::requestPreviewImage(path("missing.png")).isNull());
}

TEST_F(LibraryItemsTest, UnreadablePictureHasNoImageAndZeroSize) {
    writeBytes("broken.png", "this is no picture at all");
    const auto items = LibraryItems::gatherItems(folder(), "png");
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].value(LibraryItems::kItemSizeInfo).toString(), "0 * 0");
    EXPECT_FALSE(items[0].contains(LibraryItems::kItemImage));
    EXPECT_EQ(items[0].value(LibraryItems::kItemTitle).toString(), "broken.png");
}

TEST_F(LibraryItemsTest, FifoUnderAPictureOrFilmNameIsListedButNeverRead) {
    writePicture("a.png", {32, 18});
    for (const char *name : {"pipe.png", "pipe.mp4"})
        ASSERT_EQ(::mkfifo(path(name).toLocal8Bit().constData(), 0600), 0) << name;

    auto gathering =
        std::async(std::launch::async, [this] { return LibraryItems::gatherItems(folder(), "png"); });
    const bool finished = gathering.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
    // A reader stuck on the FIFO is let go by a writer, so that the test fails instead of hanging.
    while (gathering.wait_for(std::chrono::milliseconds(50)) != std::future_status::ready) {
        const int fd = ::open(path("pipe.png").toLocal8Bit().constData(), O_WRONLY | O_NONBLOCK);
        if (fd >= 0) ::close(fd);
    }
    ASSERT_TRUE(finished) << "the gathering waited on the FIFO";
    const auto pngs = gathering.get();
    ASSERT_EQ(pngs.size(), 2);
    for (const QVariantMap &item : pngs) {
        if (item.value(LibraryItems::kItemTitle) != "pipe.png") continue;
        EXPECT_EQ(item.value(LibraryItems::kItemSizeInfo).toString(), "0 * 0");
        EXPECT_FALSE(item.contains(LibraryItems::kItemImage));
    }

    const auto films = LibraryItems::gatherItems(folder(), "mp4");
    ASSERT_EQ(films.size(), 1);
    EXPECT_EQ(films[0].value(LibraryItems::kItemSizeInfo).toString(), "0 * 0");
    EXPECT_FALSE(films[0].contains(LibraryItems::kItemImage));
    EXPECT_TRUE(LibraryItems::requestPreviewImage(path("pipe.png")).isNull());
}

// Found by the library_picture fuzz target: 262 bytes whose chunk after the picture data declares 1.8 GB,
// which the PNG library claimed and cleared (13 s, 1.8 GB resident) before it saw the file end.
TEST_F(LibraryItemsTest, PngChunkLongerThanTheFileIsNoPicture) {
    QFile reproducer(
        QStringLiteral(DESKCAM_FUZZ_REGRESSIONS "/library_picture/png_chunk_longer_than_file.png"));
    ASSERT_TRUE(reproducer.open(QIODevice::ReadOnly));
    writeBytes("damaged.png", reproducer.readAll());
    const auto items = LibraryItems::gatherItems(folder(), "png");
    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].value(LibraryItems::kItemSizeInfo).toString(), "0 * 0");
    EXPECT_FALSE(items[0].contains(LibraryItems::kItemImage));

    // A capture cut short in its picture data is read as far as it goes, as before.
    writePicture("whole.png", {64, 48});
    QFile whole(path("whole.png"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    writeBytes("cut.png", whole.readAll().chopped(30));
    EXPECT_EQ(LibraryItems::pictureSizeText(path("cut.png")), "64 * 48");
}

// Found by the library_picture fuzz target (jpeg_progressive_huge_declared_size.jpg: a progressive JPEG
// declaring 10384 x 63844, a 2 GB coefficient buffer). The decodable form here, 20000 x 20000 in 3 KB, made
// a thumbnail after taking 1.2 GB and 5 s.
TEST_F(LibraryItemsTest, JpegDeclaringAHugePictureGetsNoThumbnail) {
    QFile reproducer(
        QStringLiteral(DESKCAM_FUZZ_REGRESSIONS "/library_picture/jpeg_progressive_20000x20000.jpg"));
    ASSERT_TRUE(reproducer.open(QIODevice::ReadOnly));
    writeBytes("huge.png", reproducer.readAll());
    EXPECT_TRUE(LibraryItems::requestPreviewImage(path("huge.png")).isNull());
    EXPECT_EQ(LibraryItems::pictureSizeText(path("huge.png")), "20000 * 20000");
}

// Unbounded, a file like this held a worker for seconds per thumbnail.
TEST_F(LibraryItemsTest, AJpegWithAScanBombGetsNoThumbnailAndCostsNoTime) {
    QImage picture(640, 480, QImage::Format_RGB32);
    picture.fill(QColor(200, 190, 170));
    std::vector<std::uint8_t> bomb = ScanBomb::progressiveJpeg(picture);
    ScanBomb::appendEmptyScans(bomb, 100000);
    writeBytes("bomb.jpg", QByteArray(reinterpret_cast<const char *>(bomb.data()), qsizetype(bomb.size())));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(LibraryItems::requestPreviewImage(path("bomb.jpg")).isNull());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(LibraryItems::pictureSizeText(path("bomb.jpg")), "640 * 480");

    const std::vector<std::uint8_t> fine = ScanBomb::progressiveJpeg(picture);
    writeBytes("fine.jpg", QByteArray(reinterpret_cast<const char *>(fine.data()), qsizetype(fine.size())));
    EXPECT_FALSE(LibraryItems::requestPreviewImage(path("fine.jpg")).isNull());
}

TEST_F(LibraryItemsTest, NoFolderOrAnUnlistableOneGivesNothing) {
    writePicture("a.png", {8, 8});
    EXPECT_TRUE(LibraryItems::gatherItems(std::nullopt, "*").isEmpty());
    EXPECT_TRUE(LibraryItems::gatherItems(path("gone"), "png").isEmpty());
    EXPECT_TRUE(LibraryItems::gatherItems(folder(), "*").isEmpty());
}

}  // namespace
