#include "viewer/SaveFileNamer.h"

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <mutex>
#include <thread>
#include <vector>

namespace {

const QLocale kIso(QLocale::German, QLocale::Germany);       // weeks from Monday, 4 days in week 1
const QLocale kUs(QLocale::English, QLocale::UnitedStates);  // weeks from Sunday, 1 day in week 1

QDateTime at(int y, int mo, int d, int h = 14, int mi = 7, int s = 9) {
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s));
}

TEST(SaveFileNamerTime, PlainDayGivesDateAndTwentyFourHourTime) {
    EXPECT_EQ(SaveFileNamer::timeText(at(2024, 3, 5), kUs), "20240305_140709");
    EXPECT_EQ(SaveFileNamer::timeText(at(2024, 3, 5, 0, 0, 0), kIso), "20240305_000000");
    EXPECT_EQ(SaveFileNamer::timeText(at(2024, 3, 5, 23, 59, 59), kIso), "20240305_235959");
    EXPECT_EQ(SaveFileNamer::fileName("image_%@.png", at(2024, 3, 5), kUs), "image_20240305_140709.png");
    EXPECT_EQ(SaveFileNamer::fileName("record_%@.mp4", at(2024, 3, 5), kUs), "record_20240305_140709.mp4");
}

TEST(SaveFileNamerTime, WeekBasedYearAtNewYearFollowsTheLocale) {
    // 31 December 2024 is a Tuesday: its week belongs to 2025 under both rules.
    EXPECT_EQ(SaveFileNamer::timeText(at(2024, 12, 31), kIso), "20251231_140709");
    EXPECT_EQ(SaveFileNamer::timeText(at(2024, 12, 31), kUs), "20251231_140709");
    // Sunday 29 December 2024 ends an ISO week but starts a US one.
    EXPECT_EQ(SaveFileNamer::weekBasedYear(QDate(2024, 12, 29), kIso), 2024);
    EXPECT_EQ(SaveFileNamer::weekBasedYear(QDate(2024, 12, 29), kUs), 2025);
    // Friday 1 January 2021 is in ISO week 53 of 2020, but in week 1 of 2021 in the US.
    EXPECT_EQ(SaveFileNamer::timeText(at(2021, 1, 1), kIso), "20200101_140709");
    EXPECT_EQ(SaveFileNamer::timeText(at(2021, 1, 1), kUs), "20210101_140709");
}

TEST(SaveFileNamerTime, MondayWeeksAgreeWithIsoWeekYearsForThirtyYears) {
    for (QDate d(2000, 1, 1); d.year() < 2031; d = d.addDays(1)) {
        int isoYear = 0;
        d.weekNumber(&isoYear);
        ASSERT_EQ(SaveFileNamer::weekBasedYear(d, kIso), isoYear) << d.toString(Qt::ISODate).toStdString();
    }
}

TEST(SaveFileNamerSuffix, GoesBeforeTheExtensionOfTheLastComponent) {
    EXPECT_EQ(SaveFileNamer::withSuffix("/r/CaptureImages/image_20240305_140709.png", 2),
              "/r/CaptureImages/image_20240305_140709-2.png");
    EXPECT_EQ(SaveFileNamer::withSuffix("/r/a.b/name", 3), "/r/a.b/name-3");
    EXPECT_EQ(SaveFileNamer::withSuffix("/r/.hidden", 2), "/r/.hidden-2");
}

class SaveFileNamerPath : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(root_.isValid()); }
    QString next() {
        return SaveFileNamer::newSavePath(root_.path(), "CaptureImages", "image_%@.png", when_, kUs);
    }
    static void write(const QString &path, const QByteArray &bytes) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
        file.write(bytes);
    }

    QTemporaryDir root_;
    QDateTime when_ = at(2024, 3, 5);
};

TEST_F(SaveFileNamerPath, CapturesWithinOneSecondKeepEveryFile) {
    const QString folder = root_.path() + "/CaptureImages";
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString first = next();
    EXPECT_EQ(first, folder + "/image_20240305_140709.png");
    write(first, "first");
    const QString second = next();
    EXPECT_EQ(second, folder + "/image_20240305_140709-2.png");
    write(second, "second");
    EXPECT_EQ(next(), folder + "/image_20240305_140709-3.png");
}

TEST_F(SaveFileNamerPath, NameIsReservedBeforeItsFileExists) {
    const QString folder = root_.path() + "/CaptureImages";
    EXPECT_EQ(next(), folder + "/image_20240305_140709.png");
    EXPECT_EQ(next(), folder + "/image_20240305_140709-2.png");
}

TEST_F(SaveFileNamerPath, FileLeftByAnEarlierRunIsNotReplaced) {
    const QString folder = root_.path() + "/CaptureImages";
    ASSERT_TRUE(QDir().mkpath(folder));
    write(folder + "/image_20240305_140709.png", "earlier run");
    EXPECT_EQ(next(), folder + "/image_20240305_140709-2.png");
}

TEST_F(SaveFileNamerPath, ThreadsNamingAtOnceGetDistinctPaths) {
    std::mutex mutex;
    QSet<QString> names;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i) {
                const QString name = next();
                std::lock_guard lock(mutex);
                names.insert(name);
            }
        });
    for (auto &thread : threads) thread.join();
    EXPECT_EQ(names.size(), 100);
}

}  // namespace
