// deskcam-cli timelapse against deskcam-sim on loopback: the pictures, numbered, and their film; plans
// outside the allowed range are refused before anything is taken.

#include "ChildProcess.h"
#include "MediaProbe.h"
#include "SimulatorProcess.h"

#include <QDir>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace recorder_test;

namespace {

TEST(TimeLapseCommand, FivePicturesASecondApartMakeFivePngsAndAFilmOfFiveFrames) {
    QTemporaryDir out;
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.start({"--size", "640x360", "--fps", "25"}));
    const QString folder = out.filePath("lapse"), film = out.filePath("lapse.mp4");
    ChildProcess cli({DESKCAM_CLI_PATH, "timelapse", "--camera", "127.0.0.1", "--image-port",
                      std::to_string(simulator.imagePort()), "--every", "1", "--count", "5",
                      folder.toStdString(), "--mp4", film.toStdString()});
    ASSERT_EQ(cli.wait(), 0);

    const QStringList pictures = QDir(folder).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(pictures, (QStringList{"0001.png", "0002.png", "0003.png", "0004.png", "0005.png"}));
    EXPECT_EQ(QImage(QDir(folder).filePath("0005.png")).size(), QSize(640, 360));
    const ProbedFile probed = probeFile(film.toStdString());
    ASSERT_EQ(probed.streams.size(), 1u);
    EXPECT_EQ(probed.streams[0].width, 640);
    EXPECT_DOUBLE_EQ(probed.streams[0].frameRate, 25);
    EXPECT_EQ(decodePictures(film.toStdString()).size(), 5u);
    EXPECT_TRUE(indexBeforeMediaData(film.toStdString()));
}

TEST(TimeLapseCommand, PlansOutsideTheRangeAreRefused) {
    QTemporaryDir out;
    const std::vector<std::vector<std::string>> plans{
        {"--every", "0.5"}, {"--every", "601"}, {"--every", "5", "--count", "-1"}, {"--count", "3"}};
    for (const auto &plan : plans) {
        std::vector<std::string> argv{DESKCAM_CLI_PATH, "timelapse", "--camera", "127.0.0.1"};
        argv.insert(argv.end(), plan.begin(), plan.end());
        argv.push_back(out.filePath("never").toStdString());
        ChildProcess cli(argv);
        EXPECT_EQ(cli.wait(), 2) << plan[0] << " " << plan[1];
    }
    EXPECT_FALSE(QDir(out.filePath("never")).exists());
}

}  // namespace
