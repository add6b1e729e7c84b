#include "viewer/UndecodableDump.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

using namespace std::chrono_literals;

QByteArray contents(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(UndecodableDump, KeepsOneSampleAMinuteCutToAMegabyteWithinTheRunsBudget) {
    QTemporaryDir folder;
    UndecodableDump dump(folder.path());
    const std::vector<std::uint8_t> junk(3 * 1024 * 1024, 'x');
    const UndecodableDump::Clock::time_point start{};

    struct Step {
        std::chrono::seconds at;
        bool kept;
    };
    // Nine minutes of a camera sending junk: the first of each minute is kept until 8 MB are used up.
    std::vector<Step> steps = {{0s, true}, {1s, false}, {59s, false}};
    for (int minute = 1; minute <= 8; ++minute) steps.push_back({std::chrono::minutes(minute), minute < 8});

    int kept = 0;
    for (const Step &step : steps) {
        const QString path = dump.dump(junk.data(), junk.size(), start + step.at);
        EXPECT_EQ(!path.isEmpty(), step.kept) << "at " << step.at.count() << " s";
        if (path.isEmpty()) continue;
        ++kept;
        dump.waitUntilWritten();
        EXPECT_EQ(contents(path).size(), qsizetype(UndecodableDump::kMaxFileBytes));
        EXPECT_TRUE(QFileInfo(path).fileName().startsWith(QStringLiteral("undecodable_")));
    }
    EXPECT_EQ(kept, 8);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 8);
}

TEST(UndecodableDump, DumpsGoToTheCacheAndNeverReplaceAFile) {
    UndecodableDump dump;
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    EXPECT_TRUE(dump.folder().startsWith(cache)) << qPrintable(dump.folder());
    EXPECT_FALSE(dump.folder().contains(QStringLiteral("Documents")));

    QTemporaryDir folder;
    UndecodableDump small(folder.path());
    const std::vector<std::uint8_t> bytes = {'b', 'a', 'd'};
    const QString path = small.dump(bytes.data(), bytes.size());
    small.waitUntilWritten();
    EXPECT_EQ(contents(path), QByteArray("bad"));
}

}  // namespace
