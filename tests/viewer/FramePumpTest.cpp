#include "viewer/FramePump.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

ImageBytes jpegOf(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG");
    return std::make_shared<const std::vector<std::uint8_t>>(data.begin(), data.end());
}

// A receiver and a clock the test moves by hand.
struct FakeReceiver {
    std::uint64_t pictures = 0;
    std::int64_t arrival = 0;
    std::int64_t now = 0;
    FramePump::Hooks hooks() {
        return {[this] { return pictures; }, [this] { return arrival; }, [this] { return now; }};
    }
};

TEST(FramePump, QueuesOnePassAtATime) {
    FakeReceiver receiver;
    FramePump pump(receiver.hooks());
    EXPECT_TRUE(pump.offerPass());
    EXPECT_FALSE(pump.offerPass()) << "a pass already waits";
    pump.beginPass();
    EXPECT_TRUE(pump.offerPass());
}

TEST(FramePump, ShowsNewBytesOnceAndTellsASizeChange) {
    FakeReceiver receiver;
    FramePump pump(receiver.hooks());
    const ImageBytes small = jpegOf({32, 16}, Qt::red), same = jpegOf({32, 16}, Qt::blue);
    const ImageBytes large = jpegOf({64, 48}, Qt::green);

    auto shown = pump.pass(small, QSizeF());
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->picture.size(), QSize(32, 16));
    EXPECT_TRUE(shown->sizeChanged);
    EXPECT_EQ(pump.shown(), small);
    EXPECT_FALSE(pump.pass(small, QSizeF(32, 16))) << "already on screen";

    shown = pump.pass(same, QSizeF(32, 16));
    ASSERT_TRUE(shown);
    EXPECT_FALSE(shown->sizeChanged);
    EXPECT_GT(shown->picture.pixelColor(8, 8).blue(), 200) << "the new picture, not the old pixels";

    shown = pump.pass(large, QSizeF(32, 16));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->picture.size(), QSize(64, 48));
    EXPECT_TRUE(shown->sizeChanged);

    // After the no-device picture the same camera bytes come back.
    pump.forget();
    EXPECT_FALSE(pump.shown());
    EXPECT_TRUE(pump.pass(large, QSizeF(64, 48)));
}

TEST(FramePump, FrozenHoldsThePictureAndCountsNothing) {
    FakeReceiver receiver;
    FramePump pump(receiver.hooks());
    const ImageBytes first = jpegOf({16, 16}, Qt::red), second = jpegOf({16, 16}, Qt::blue);
    receiver.pictures = 1;
    ASSERT_TRUE(pump.pass(first, QSizeF(16, 16)));

    pump.setFrozen(true);
    receiver.pictures = 9;
    EXPECT_FALSE(pump.pass(second, QSizeF(16, 16)));
    EXPECT_EQ(pump.shown(), first);

    // Live again: the pictures passed over while frozen were held on purpose, not dropped.
    pump.setFrozen(false);
    receiver.pictures = 12;
    EXPECT_TRUE(pump.pass(second, QSizeF(16, 16)));
    EXPECT_EQ(pump.statistics().figures(receiver.now).droppedTotal, 0u);
}

TEST(FramePump, CountsPicturesTheScreenMissedAndTheLatencyOfTheShownOne) {
    FakeReceiver receiver;
    FramePump pump(receiver.hooks());
    const ImageBytes first = jpegOf({16, 16}, Qt::red), second = jpegOf({16, 16}, Qt::blue),
                     third = jpegOf({16, 16}, Qt::green);

    receiver.pictures = 1;
    receiver.arrival = 1'000;
    receiver.now = 1'000;
    ASSERT_TRUE(pump.pass(first, QSizeF(16, 16)));
    receiver.now = 5'000;
    pump.pictureDrawn();
    receiver.now = 6'000;
    pump.pictureDrawn();  // a repaint of the same picture is no new latency

    receiver.pictures = 2;  // the next one: nothing missed
    ASSERT_TRUE(pump.pass(second, QSizeF(16, 16)));
    receiver.pictures = 6;  // three came and went unseen
    ASSERT_TRUE(pump.pass(third, QSizeF(16, 16)));

    const StreamStatistics::Figures figures = pump.statistics().figures(receiver.now);
    EXPECT_EQ(figures.droppedTotal, 3u);
    ASSERT_TRUE(figures.latencyMs);
    EXPECT_DOUBLE_EQ(*figures.latencyMs, 4.0);
    EXPECT_DOUBLE_EQ(figures.shownPerSecond, 1.0);

    // The no-device picture starts the count afresh.
    pump.forget();
    receiver.pictures = 20;
    ASSERT_TRUE(pump.pass(first, QSizeF(16, 16)));
    EXPECT_EQ(pump.statistics().figures(receiver.now).droppedTotal, 3u);
}

// Decoding happens elsewhere, so results may come back late and out of order: only a picture newer than the
// one on screen is shown, and none that a freeze or the no-device picture made stale.
TEST(FramePump, ShowsOnlyResultsNewerThanTheScreenAndNotStaleOnes) {
    FakeReceiver receiver;
    FramePump pump(receiver.hooks());
    const ImageBytes first = jpegOf({16, 16}, Qt::red), second = jpegOf({16, 16}, Qt::blue),
                     third = jpegOf({16, 16}, Qt::green);
    const auto older = pump.take(first, 1.0), newer = pump.take(second, 1.0);
    ASSERT_TRUE(older && newer);
    ASSERT_TRUE(pump.accept(FramePump::decode(*newer), QSizeF(16, 16)));
    EXPECT_FALSE(pump.accept(FramePump::decode(*older), QSizeF(16, 16))) << "older than the screen";
    EXPECT_EQ(pump.shown(), second);

    const auto beforeFreeze = pump.take(third, 1.0);
    ASSERT_TRUE(beforeFreeze);
    pump.setFrozen(true);
    EXPECT_FALSE(pump.accept(FramePump::decode(*beforeFreeze), QSizeF(16, 16))) << "frozen meanwhile";
    pump.setFrozen(false);
    const auto beforeForget = pump.take(first, 1.0);
    ASSERT_TRUE(beforeForget);
    pump.forget();
    EXPECT_FALSE(pump.accept(FramePump::decode(*beforeForget), QSizeF(16, 16))) << "the camera went away";
}

// Fit on a smaller window decodes at a DCT scale; the view still lays out the camera's own size, and
// zooming in brings the picture on screen back at full detail, frozen or not.
TEST(FramePump, DecodesAtTheShownScaleAndAtFullDetailAfterAZoom) {
    FakeReceiver receiver;
    FramePump pump(receiver.hooks());
    const ImageBytes bytes = jpegOf({640, 480}, Qt::red);
    auto shown = pump.pass(bytes, QSizeF(640, 480), 0.3);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->picture.size(), QSize(320, 240));
    EXPECT_EQ(shown->pictureSize, QSize(640, 480));
    EXPECT_FALSE(shown->sizeChanged);

    EXPECT_FALSE(pump.retake(0.4)) << "still half or less";
    pump.setFrozen(true);
    const auto again = pump.retake(1.0);
    ASSERT_TRUE(again);
    shown = pump.accept(FramePump::decode(*again), QSizeF(640, 480));
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->picture.size(), QSize(640, 480));
}

// The dump used to replace ~/Documents/foo.png, whoever's file that was, with every bad picture.
TEST(FramePump, KeepsUndecodableBytesInItsOwnFolderAndLeavesTheUsersFilesAlone) {
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    QDir().mkpath(documents);
    QFile planted(QDir(documents).filePath(QStringLiteral("foo.png")));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("the user's own picture");
    planted.close();

    FakeReceiver receiver;
    FramePump pump(receiver.hooks());
    QDir(pump.undecodableDump().folder()).removeRecursively();
    const auto garbage = std::make_shared<const std::vector<std::uint8_t>>(
        std::vector<std::uint8_t>{0xFF, 0xD8, 'n', 'o', 0x00, 0xFF, 0xD9});
    EXPECT_FALSE(pump.pass(garbage, QSizeF()));
    pump.undecodableDump().waitUntilWritten();
    const QFileInfoList kept = QDir(pump.undecodableDump().folder()).entryInfoList(QDir::Files);
    ASSERT_EQ(kept.size(), 1);
    QFile dumped(kept.front().filePath());
    ASSERT_TRUE(dumped.open(QIODevice::ReadOnly));
    const QByteArray content = dumped.readAll();
    EXPECT_EQ(std::vector<std::uint8_t>(content.begin(), content.end()), *garbage);
    ASSERT_TRUE(planted.open(QIODevice::ReadOnly));
    EXPECT_EQ(planted.readAll(), QByteArray("the user's own picture"));
    // The next good picture still shows.
    EXPECT_TRUE(pump.pass(jpegOf({8, 8}, Qt::red), QSizeF()));
}

}  // namespace
