// A time-lapse's pictures and film: a moment without a picture leaves no gap in the numbers, unreadable
// pictures are left out of the film, and plans outside 1 s to 10 min are refused.

#include "recorder/TimeLapse.h"

#include "MediaProbe.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>

using recorder::StillsMovie;
using recorder::TimeLapse;

using namespace recorder_test;

namespace {

QImage picture(QColor colour) {
    QImage image(320, 180, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

TEST(TimeLapse, AMissedMomentIsCountedAndLeavesNoGapInTheNumbers) {
    QTemporaryDir root;
    TimeLapse lapse(root.filePath("lapse"), {std::chrono::seconds(1), 2});
    QString error;
    ASSERT_TRUE(lapse.start(&error)) << error.toStdString();
    EXPECT_EQ(lapse.add(picture(Qt::red)), TimeLapse::Moment::Taken);
    EXPECT_EQ(lapse.add(QImage()), TimeLapse::Moment::Missed);
    EXPECT_FALSE(lapse.complete());
    EXPECT_EQ(lapse.add(picture(Qt::blue)), TimeLapse::Moment::Taken);
    EXPECT_TRUE(lapse.complete());
    EXPECT_EQ(lapse.missed(), 1);
    EXPECT_EQ(QDir(lapse.folder()).entryList(QDir::Files, QDir::Name), (QStringList{"0001.png", "0002.png"}));
    EXPECT_EQ(QImage(QDir(lapse.folder()).filePath("0002.png")).pixelColor(5, 5), QColor(Qt::blue));
}

TEST(TimeLapse, TheFilmLeavesOutUnreadablePicturesAndIsNotWrittenWithoutAny) {
    QTemporaryDir root;
    const QString good = root.filePath("good.png"), bad = root.filePath("bad.png");
    ASSERT_TRUE(picture(Qt::green).save(good));
    QFile garbage(bad);
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a picture");
    garbage.close();

    const QString film = root.filePath("film.mp4");
    const StillsMovie::Result made = StillsMovie::write({good, bad, good}, film);
    EXPECT_TRUE(made.written) << made.error.toStdString();
    EXPECT_EQ(made.frames, 2);
    EXPECT_EQ(made.unreadable, 1);
    EXPECT_EQ(decodePictures(film.toStdString()).size(), 2u);

    const QString none = root.filePath("none.mp4");
    EXPECT_FALSE(StillsMovie::write({bad}, none).written);
    EXPECT_FALSE(QFile::exists(none));
}

TEST(TimeLapse, PlansAreHeldToOneSecondToTenMinutes) {
    const struct {
        double every;
        long long count;
        bool accepted;
    } cases[] = {{1, 0, true},      {600, 5, true},           {2.5, 10, true}, {0.99, 1, false},
                 {600.5, 1, false}, {std::nan(""), 1, false}, {5, -1, false}};
    for (const auto &c : cases) {
        QString error;
        const auto plan = TimeLapse::planFor(c.every, c.count, &error);
        EXPECT_EQ(plan.has_value(), c.accepted) << c.every << " s x " << c.count;
        if (plan) {
            EXPECT_EQ(plan->every.count(), std::llround(c.every * 1000));
        } else {
            EXPECT_FALSE(error.isEmpty());
        }
    }
}

}  // namespace
