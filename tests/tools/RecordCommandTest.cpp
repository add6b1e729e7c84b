// deskcam-cli record against deskcam-sim, the file judged by FFmpeg's own reading of it: the frame times of
// a plain recording, and what is left when the program is stopped, killed or runs out of room.

#include "ChildProcess.h"
#include "MediaProbe.h"
#include "SimulatorProcess.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <optional>
#include <thread>

using namespace std::chrono_literals;
using namespace recorder_test;

namespace {

constexpr double kFrameSeconds = 1.0 / 25;

// Frame slots without a frame from slot 0 to the last picture; -1 when a picture is off its slot.
int holesIn(const std::vector<DecodedPicture> &pictures) {
    long slot = -1;
    int holes = 0;
    for (const DecodedPicture &picture : pictures) {
        const long next = std::lround(picture.time / kFrameSeconds);
        if (std::abs(picture.time - next * kFrameSeconds) > 0.001) return -1;
        holes += static_cast<int>(next - slot - 1);
        slot = next;
    }
    return holes;
}

class RecordCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(out.isValid());
        ASSERT_TRUE(simulator.start({"--size", "320x240"}));
        port = std::to_string(simulator.imagePort());
    }

    // Runs deskcam-cli record (no microphone) behind the given prefix (a program that runs it).
    ChildProcess &record(const std::string &seconds, std::vector<std::string> prefix = {}) {
        prefix.insert(prefix.end(), {DESKCAM_CLI_PATH, "record", "--camera", "127.0.0.1", "--image-port",
                                     port, "--seconds", seconds, "--no-audio", path});
        cli.emplace(prefix, true);
        return *cli;
    }

    // Waits until the recording's file exists, then for a given time: the recording has run that long.
    void recordFor(std::chrono::milliseconds duration) {
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!QFile::exists(QString::fromStdString(path)) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(5ms);
        std::this_thread::sleep_for(duration);
    }

    QTemporaryDir out;
    const std::string path = out.filePath("record.mp4").toStdString();
    SimulatorProcess simulator;
    std::string port;
    std::optional<ChildProcess> cli;
};

TEST_F(RecordCommandTest, FourSecondsHoldAFrameOnEverySlotFromTheFirst) {
    ChildProcess &recording = record("4");
    const std::string said = recording.readAll();
    ASSERT_EQ(recording.wait(), 0) << said;
    // Only a tick that comes after the next slot has begun (a machine too busy) leaves slots out, and the
    // program counts them; otherwise every slot from 0 on holds a frame.
    unsigned long frames = 0;
    int skipped = -1;
    const auto line = said.find("record.mp4: ");
    ASSERT_NE(line, std::string::npos) << said;
    std::sscanf(said.c_str() + line, "record.mp4: %lu frames, %*u ticks, %*u late (%d slots skipped)",
                &frames, &skipped);
    ASSERT_GE(skipped, 0) << said;
    const auto pictures = decodePictures(path);
    EXPECT_EQ(pictures.size(), frames);
    EXPECT_NEAR(static_cast<int>(pictures.size()) + skipped, 100, 1);
    EXPECT_EQ(holesIn(pictures), skipped);
    EXPECT_NEAR(pictures.front().time, 0, 0.001);
    EXPECT_NEAR(probeFile(path).duration, 4.0, kFrameSeconds + 1e-6);
    EXPECT_TRUE(indexBeforeMediaData(path));
    EXPECT_FALSE(isFragmented(path));
}

// SIGUSR2 pauses, the next resumes: the file holds the asked seconds of media time, the pause left out and
// the frames going on from where they stopped; the summary says how long it was paused.
TEST_F(RecordCommandTest, Sigusr2PausesAndResumesAndThePauseIsNotInTheFile) {
    ChildProcess &recording = record("4");
    recordFor(1s);
    recording.signal(SIGUSR2);
    std::this_thread::sleep_for(2s);
    recording.signal(SIGUSR2);
    const std::string said = recording.readAll();
    ASSERT_EQ(recording.wait(), 0) << said;
    EXPECT_NE(said.find("Recording paused"), std::string::npos) << said;
    EXPECT_NE(said.find("Recording resumed"), std::string::npos) << said;
    double paused = 0;
    int skipped = -1;
    const auto line = said.find("record.mp4: ");
    ASSERT_NE(line, std::string::npos) << said;
    std::sscanf(
        said.c_str() + line,
        "record.mp4: %*u frames, %*u ticks, %*u late (%d slots skipped), %*u decodes, paused for %lf s",
        &skipped, &paused);
    EXPECT_NEAR(paused, 2.0, 0.3) << said;
    const auto pictures = decodePictures(path);
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(holesIn(pictures), skipped);
    EXPECT_NEAR(static_cast<int>(pictures.size()) + skipped, 100, 1);
    EXPECT_NEAR(probeFile(path).duration, 4.0, kFrameSeconds + 1e-6);
}

TEST_F(RecordCommandTest, SigtermFinishesTheFileWithItsIndexFirst) {
    ChildProcess &recording = record("60");
    recordFor(3s);
    recording.signal(SIGTERM);
    const std::string said = recording.readAll();
    ASSERT_EQ(recording.wait(), 0) << said;
    EXPECT_NE(said.find("stopped by TERM"), std::string::npos) << said;
    EXPECT_TRUE(indexBeforeMediaData(path));
    EXPECT_FALSE(isFragmented(path));
    EXPECT_FALSE(QFile::exists(out.filePath(".record.mp4.part")));
    const ProbedFile file = probeFile(path);
    EXPECT_NEAR(file.duration, 3.0, 0.5);
    EXPECT_GE(decodePictures(path).size(), 60u);
}

TEST_F(RecordCommandTest, SigkillLeavesAFileThatPlaysUpToItsLastFragment) {
    ChildProcess &recording = record("60");
    recordFor(3s);
    recording.signal(SIGKILL);
    recording.wait();
    EXPECT_TRUE(isFragmented(path));
    const auto pictures = decodePictures(path);
    EXPECT_GE(pictures.size(), 50u);  // 2 s
    ASSERT_FALSE(pictures.empty());
    EXPECT_NEAR(pictures.front().time, 0, 0.001);
}

TEST_F(RecordCommandTest, AFileSizeLimitEndsTheRecordingWithAPlayableFileAndExitCode1) {
    if (access("/usr/bin/prlimit", X_OK) != 0) GTEST_SKIP() << "prlimit is not installed";
    // About a second and a half of the test card; the program turns the limit's signal into a write error.
    ChildProcess &recording = record("20", {"/usr/bin/prlimit", "--fsize=60000"});
    const std::string said = recording.readAll();
    ASSERT_EQ(recording.wait(), 1) << said;
    EXPECT_NE(said.find("no room left for " + path), std::string::npos) << said;
    EXPECT_LE(QFile(QString::fromStdString(path)).size(), 60000);
    EXPECT_TRUE(probeFile(path).opened);
    EXPECT_GE(decodePictures(path).size(), 10u);
}

}  // namespace
