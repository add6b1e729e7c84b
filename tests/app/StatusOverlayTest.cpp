#include "app/StatusOverlay.h"

#include "l10n/Localization.h"

#include <gtest/gtest.h>

namespace {

TEST(StatusOverlay, SaysEveryFigureAndTheRecordingsTimeInBothLanguages) {
    StatusOverlay::Status status;
    status.figures.receivedPerSecond = 25;
    status.figures.shownPerSecond = 24.5;
    status.figures.droppedLastSecond = 1;
    status.figures.droppedTotal = 7;
    status.figures.latencyMs = 18.24;
    status.figures.bitsPerSecond = 8'400'000;
    status.pictureSize = {1920, 1080};
    status.reconnections = 2;
    status.recordingSeconds = 65;
    EXPECT_EQ(StatusOverlay::lines(status, Localization(QStringLiteral("en"))),
              (QStringList{"Received 25.0 fps · shown 24.5 fps", "Dropped 1/s · 7 in all",
                           "Latency 18.2 ms (median)", "Bitrate 8.40 Mbit/s", "Picture 1920×1080",
                           "Reconnections 2", "recording 01:05"}));

    status.lateFrames = 12;
    EXPECT_EQ(StatusOverlay::lines(status, Localization(QStringLiteral("en"))).back(),
              "recording 01:05 · 12 frames late");
    status.recordingPaused = true;
    EXPECT_EQ(StatusOverlay::lines(status, Localization(QStringLiteral("en"))).back(),
              "recording 01:05 · 12 frames late · paused");

    status.figures.latencyMs.reset();
    status.pictureSize = {};
    status.recordingSeconds.reset();
    const QStringList chinese = StatusOverlay::lines(status, Localization(QStringLiteral("zh_CN")));
    ASSERT_EQ(chinese.size(), 6);
    EXPECT_EQ(chinese[2], QString::fromUtf8("延迟 – 毫秒（中位数）"));
    EXPECT_EQ(chinese[4], QString::fromUtf8("画面 –"));
}

}  // namespace
