#include "recorder/RVImagesToVideo.h"

#include "MediaProbe.h"
#include "ResidentMemory.h"
#include "recorder/AudioDataOutput.h"
#include "recorder/AudioWriterInput.h"
#include "recorder/CaptureTimestamps.h"
#include "recorder/MediaWriter.h"
#include "recorder/VideoSize.h"

#include "SilentSound.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <optional>
#include <thread>

using namespace std::chrono_literals;
using namespace recorder_test;

namespace {

RVImagesToVideo::FrameBytes jpeg(int width, int height, QColor colour) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "JPG", 90);
    return std::make_shared<const std::vector<std::uint8_t>>(bytes.begin(), bytes.end());
}

AudioSampleBuffer soundBuffer(double sampleRate, std::uint32_t channels, std::int64_t micros) {
    return floatSound(micros, sampleRate, channels);
}

// Runs one recording on a thread of its own, as the record control does, and stops it after duration.
struct Recording {
    std::shared_ptr<RVImagesToVideo> recorder = RVImagesToVideo::create();
    std::promise<bool> outcome;
    std::chrono::steady_clock::duration callDuration{};

    bool run(const std::string &path, QSizeF size, std::chrono::milliseconds duration, int fps = 25) {
        recorder->setMicrophoneEnabled(false);
        std::thread thread([&] {
            const auto start = std::chrono::steady_clock::now();
            recorder->writeImageAsMovie({}, path, size, fps, false,
                                        [this](bool ok) { outcome.set_value(ok); });
            callDuration = std::chrono::steady_clock::now() - start;
        });
        std::this_thread::sleep_for(duration);
        recorder->doStop();
        thread.join();
        auto future = outcome.get_future();
        if (future.wait_for(10s) != std::future_status::ready) return false;
        // The completion step goes on after the callback ("Done", then the writer is let go).
        while (recorder->videoWriter()) std::this_thread::sleep_for(1ms);
        return future.get();
    }
};

// Frame slots with no frame between the first and the last picture; -1 when a picture is off its slot.
int holesIn(const std::vector<DecodedPicture> &pictures) {
    long slot = -1;
    int holes = 0;
    for (const DecodedPicture &picture : pictures) {
        const long next = std::lround(picture.time * 25);
        if (std::abs(picture.time * 25 - double(next)) > 0.03) return -1;
        if (slot >= 0) holes += static_cast<int>(next - slot - 1);
        slot = next;
    }
    return holes;
}

class RVImagesToVideoTest : public testing::Test {
  protected:
    QTemporaryDir folder;
    const std::string path = folder.filePath("record.mp4").toStdString();
};

TEST_F(RVImagesToVideoTest, RecordsTheLatestPicturesAt25FramesPerSecondOfMediaTime) {
    Recording recording;
    const auto red = jpeg(320, 240, Qt::red);
    const auto blue = jpeg(640, 480, Qt::blue);
    const auto start = std::chrono::steady_clock::now();
    // The picture changes half way, to another size as after a resolution change.
    recording.recorder->setFrameSource(
        [&] { return std::chrono::steady_clock::now() - start < 500ms ? red : blue; });
    testing::internal::CaptureStderr();
    ASSERT_TRUE(recording.run(path, QSizeF(320.7, 240.2), 1000ms));
    const std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(log.find(path), std::string::npos);
    EXPECT_NE(log.find("Successfully closed video writer"), std::string::npos);
    EXPECT_NE(log.find("] Done"), std::string::npos);

    const ProbedFile file = probeFile(path);
    ASSERT_EQ(file.streams.size(), 1u);
    EXPECT_EQ(file.streams[0].codec, "h264");
    EXPECT_EQ(file.streams[0].width, 320);
    EXPECT_EQ(file.streams[0].height, 240);
    EXPECT_DOUBLE_EQ(file.streams[0].frameRate, 25);
    EXPECT_NEAR(file.duration, 1.0, 0.15);
    EXPECT_TRUE(indexBeforeMediaData(path));

    const auto pictures = decodePictures(path);
    ASSERT_GE(pictures.size(), 20u);
    EXPECT_GT(qRed(pictures.front().picture.pixel(10, 10)), 200);
    EXPECT_GT(qBlue(pictures.back().picture.pixel(10, 10)), 200);
    // Two pictures were decoded, however many ticks wrote them.
    const auto statistics = recording.recorder->statistics();
    EXPECT_EQ(statistics.decodes, 2u);
    EXPECT_GE(statistics.framesAppended, 20u);
}

TEST(RVImagesToVideoSize, TheTrackNeverExceeds4096PixelsASide) {
    const struct {
        QSizeF camera;
        QSize track;
    } cases[] = {
        {{1920, 1080}, {1920, 1080}},
        {{320.7, 240.2}, {320, 240}},
        {{4096, 4096}, {4096, 4096}},
        {{5792, 5792}, {4096, 4096}},
        {{8192, 4320}, {4096, 2160}},
        {{65535, 100}, {4096, 6}},
        {{0, 0}, {0, 0}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(RVImagesToVideo::boundedVideoSize(c.camera), c.track)
            << c.camera.width() << "x" << c.camera.height();
}

// A 4K camera recorded at the default 1080p: the track has that size and every 40 ms slot holds a frame.
TEST_F(RVImagesToVideoTest, A4KCameraIsRecordedAtTheChosenSizeWithEveryFrameTime) {
    Recording recording;
    const auto green = jpeg(3840, 2160, Qt::green), magenta = jpeg(3840, 2160, Qt::magenta);
    const auto start = std::chrono::steady_clock::now();
    recording.recorder->setFrameSource(
        [&] { return (std::chrono::steady_clock::now() - start) / 100ms % 2 == 0 ? green : magenta; });
    const QSize track = VideoSize::forCamera({3840, 2160}, VideoSize::kDefault);
    ASSERT_TRUE(recording.run(path, QSizeF(track), 2000ms));
    const ProbedFile file = probeFile(path);
    ASSERT_EQ(file.streams.size(), 1u);
    EXPECT_EQ(file.streams[0].width, 1920);
    EXPECT_EQ(file.streams[0].height, 1080);
    EXPECT_DOUBLE_EQ(file.streams[0].frameRate, 25);
    const auto pictures = decodePictures(path);
    // Keeping up is the benchmark's matter (a machine busy with other tests skipped half the slots); here
    // every gap is whole slots and the recorder counts each skipped one.
    ASSERT_GE(pictures.size(), 10u);
    std::uint64_t missing = 0;
    for (std::size_t i = 1; i < pictures.size(); ++i) {
        const double gap = (pictures[i].time - pictures[i - 1].time) / 0.04;
        EXPECT_NEAR(gap, std::round(gap), 0.03) << "frame " << i;
        missing += static_cast<std::uint64_t>(std::round(gap)) - 1;
    }
    EXPECT_EQ(recording.recorder->statistics().skippedSlots, missing);
}

// A camera header may declare 5792x5792 for 100 KB of bytes. Recorded at the default size, the picture is
// decoded at a quarter and the track is 1080x1080: the recording's memory stays within 200 MB (115 MB
// measured here, most of it x264's; at the camera's size it took 2.9 GB).
TEST_F(RVImagesToVideoTest, AHugeDeclaredPictureIsRecordedWithinTwoHundredMegabytes) {
    Recording recording;
    const auto huge = jpeg(5792, 5792, Qt::darkBlue);
    ASSERT_LT(huge->size(), 1'000'000u);
    recording.recorder->setFrameSource([&] { return huge; });
    const QSize track = VideoSize::forCamera({5792, 5792}, VideoSize::kDefault);
    EXPECT_EQ(track, QSize(1080, 1080));
    const double before = test_support::residentMegabytes();
    std::atomic<bool> done{false};
    double most = before;
    std::thread watch([&] {
        for (; !done; std::this_thread::sleep_for(20ms))
            most = std::max(most, test_support::residentMegabytes());
    });
    const bool recorded = recording.run(path, QSizeF(track), 1500ms);
    done = true;
    watch.join();
    ASSERT_TRUE(recorded);
    EXPECT_EQ(probeFile(path).streams.at(0).width, 1080);
#ifndef __SANITIZE_ADDRESS__  // its shadow memory and quarantine say nothing of the recorder's needs
    EXPECT_LT(most - before, 200) << "MB more than before the recording";
#endif
}

// The scratch sound file once had a fixed name in the Documents folder: a user's file of that name was
// emptied by every recording.
TEST_F(RVImagesToVideoTest, ARecordingLeavesTheUsersFilesAndNoScratchFileBehind) {
    const QDir documents(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    documents.mkpath(QStringLiteral("."));
    QFile planted(documents.filePath(QStringLiteral("abc.aac")));
    ASSERT_TRUE(planted.open(QIODevice::WriteOnly));
    planted.write("the user's own sound");
    planted.close();
    const auto scratchFiles = [] {
        return QDir(QDir::tempPath()).entryList({QStringLiteral("deskcam-audio-*")}, QDir::Files).size();
    };
    const auto scratchBefore = scratchFiles();

    Recording recording;
    const auto grey = jpeg(160, 120, Qt::gray);
    recording.recorder->setFrameSource([&] { return grey; });
    ASSERT_TRUE(recording.run(path, QSizeF(160, 120), 300ms));
    recording.recorder.reset();

    ASSERT_TRUE(planted.open(QIODevice::ReadOnly));
    EXPECT_EQ(planted.readAll(), QByteArray("the user's own sound"));
    planted.remove();
    EXPECT_EQ(scratchFiles(), scratchBefore);
}

// Writes into a removed folder's file go on without error; the recording used to run on and then say it
// had stopped before anything was recorded.
TEST_F(RVImagesToVideoTest, AFolderRemovedWhileRecordingEndsItAndTheReportSaysWhen) {
    QTemporaryDir parent;
    const QString folder = QDir(parent.path()).filePath(QStringLiteral("RidirOvozev"));
    QDir().mkpath(folder);
    const std::string inFolder = QDir(folder).filePath(QStringLiteral("record.mp4")).toStdString();
    auto recorder = RVImagesToVideo::create();
    recorder->setMicrophoneEnabled(false);
    const auto grey = jpeg(160, 120, Qt::gray);
    recorder->setFrameSource([&] { return grey; });
    std::thread remover([&] {
        std::this_thread::sleep_for(1500ms);
        QDir(folder).removeRecursively();
    });
    const auto start = std::chrono::steady_clock::now();
    recorder->writeImageAsMovie({}, inFolder, QSizeF(160, 120), 25, false, {});
    remover.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "the recording ends by itself";
    while (recorder->videoWriter()) std::this_thread::sleep_for(1ms);
    const auto report = recorder->report();
    EXPECT_EQ(report.outcome, RVImagesToVideo::Report::Outcome::FileGone);
    EXPECT_GT(report.fileGoneAt, 1.0);
    EXPECT_LT(report.fileGoneAt, 3.0);
}

TEST_F(RVImagesToVideoTest, TicksWithoutAPictureLogAndStillAdvanceTheFrameTimes) {
    Recording recording;
    const auto green = jpeg(160, 120, Qt::green);
    // No picture for the first 300 ms of the frame loop, however long the set-up took (the recording
    // thread alone asks).
    std::optional<std::chrono::steady_clock::time_point> firstAsked;
    recording.recorder->setFrameSource([&]() -> RVImagesToVideo::FrameBytes {
        const auto now = std::chrono::steady_clock::now();
        if (!firstAsked) firstAsked = now;
        return now - *firstAsked < 300ms ? nullptr : green;
    });
    testing::internal::CaptureStderr();
    ASSERT_TRUE(recording.run(path, QSizeF(160, 120), 1000ms));
    EXPECT_NE(
        testing::internal::GetCapturedStderr().find("[Error]: writeImageAsMovie() - ns_image is nil.\r\n"),
        std::string::npos);
    const auto pictures = decodePictures(path);
    ASSERT_FALSE(pictures.empty());
    EXPECT_GT(pictures.front().time, 0.15);
}

TEST_F(RVImagesToVideoTest, AWriterThatCannotCreateItsFileEndsTheCallAtOnceWithNo) {
    Recording recording;
    recording.recorder->setFrameSource([] { return jpeg(64, 48, Qt::white); });
    EXPECT_FALSE(recording.run("/nonexistent-folder/record.mp4", QSizeF(64, 48), 0ms));
    EXPECT_LT(recording.callDuration, 1s);
    EXPECT_FALSE(recording.recorder->videoWriter());
}

// A pause is taken out of the file: the frames go on from where they stopped, one per slot, and the
// statistics and the report say how long it lasted. A pause never resumed ends with the recording.
TEST_F(RVImagesToVideoTest, APauseIsLeftOutOfTheFileWhichGoesOnWhereItStopped) {
    using Clock = std::chrono::steady_clock;
    const auto grey = jpeg(160, 120, Qt::gray);
    for (const bool resumed : {true, false}) {
        SCOPED_TRACE(resumed ? "resumed" : "never resumed");
        auto recorder = RVImagesToVideo::create();
        recorder->setMicrophoneEnabled(false);
        recorder->setFrameSource([&] { return grey; });
        std::thread thread([&] { recorder->writeImageAsMovie({}, path, QSizeF(160, 120), 25, false, {}); });
        while (recorder->statistics().startMicros == 0) std::this_thread::sleep_for(1ms);
        std::this_thread::sleep_for(1s);
        const auto pausedAt = Clock::now();
        EXPECT_TRUE(recorder->pause());
        EXPECT_FALSE(recorder->pause());
        std::this_thread::sleep_for(200ms);
        const auto framesWhenPaused = recorder->statistics().framesAppended;
        std::this_thread::sleep_for(1800ms);
        EXPECT_EQ(recorder->statistics().framesAppended, framesWhenPaused) << "frames written while paused";
        auto pauseEnd = Clock::now();
        if (resumed) {
            EXPECT_TRUE(recorder->resume());
            EXPECT_FALSE(recorder->resume());
            std::this_thread::sleep_for(1s);
        }
        const double mediaSeconds = double(CaptureTimestamps::nowMicros() - recorder->pausedMicros() -
                                           recorder->statistics().startMicros) /
                                    1e6;
        recorder->doStop();
        if (!resumed) pauseEnd = Clock::now();
        thread.join();
        while (recorder->videoWriter()) std::this_thread::sleep_for(1ms);

        const double paused = std::chrono::duration<double>(pauseEnd - pausedAt).count();
        const auto statistics = recorder->statistics();
        EXPECT_NEAR(double(statistics.pausedMicros) / 1e6, paused, 0.1);
        EXPECT_NEAR(recorder->report().pausedSeconds, paused, 0.1);
        EXPECT_FALSE(recorder->pause()) << "a recording that has ended takes no pause";
        ASSERT_EQ(recorder->report().outcome, RVImagesToVideo::Report::Outcome::Saved);
        EXPECT_TRUE(indexBeforeMediaData(path));
        const auto pictures = decodePictures(path);
        ASSERT_FALSE(pictures.empty());
        EXPECT_NEAR(pictures.front().time, 0, 0.001);
        EXPECT_EQ(holesIn(pictures), static_cast<int>(statistics.skippedSlots));
        EXPECT_NEAR(double(pictures.size() + statistics.skippedSlots), mediaSeconds * 25, 1.5);
        EXPECT_NEAR(mediaSeconds, resumed ? 2.0 : 1.0, 0.2);
    }
}

TEST_F(RVImagesToVideoTest, ZeroOrNegativeFrameRatesAndEmptySizesAreRefused) {
    for (const auto &[size, fps] : {std::pair{QSizeF(64, 48), -1}, {QSizeF(64, 48), 0}, {QSizeF(0, 0), 25}}) {
        Recording recording;
        EXPECT_FALSE(recording.run(path, size, 0ms, fps));
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path)));
    }
}

TEST_F(RVImagesToVideoTest, AStopBeforeTheCallIsUndoneByTheCall) {
    auto recorder = RVImagesToVideo::create();
    recorder->setMicrophoneEnabled(false);
    recorder->setFrameSource([] { return jpeg(64, 48, Qt::white); });
    recorder->doStop();
    recorder->doStop();
    std::promise<bool> outcome;
    std::thread thread([&] {
        recorder->writeImageAsMovie({}, path, QSizeF(64, 48), 25, false,
                                    [&](bool ok) { outcome.set_value(ok); });
    });
    std::this_thread::sleep_for(200ms);
    EXPECT_FALSE(recorder->bStop());
    recorder->doStop();
    thread.join();
    EXPECT_TRUE(outcome.get_future().get());
    recorder->doStop();
    EXPECT_GE(decodePictures(path).size(), 3u);
}

TEST_F(RVImagesToVideoTest, ConvenienceEntryPointsRecord800x600AtOneFramePerSecond) {
    auto recorder = RVImagesToVideo::create();
    recorder->setMicrophoneEnabled(false);
    recorder->setFrameSource([] { return jpeg(64, 48, Qt::white); });
    std::promise<bool> outcome;
    std::thread thread(
        [&] { recorder->saveVideoToPhotosWithImages({}, [&](bool ok) { outcome.set_value(ok); }); });
    std::this_thread::sleep_for(1200ms);  // a file without a frame would not be kept
    recorder->doStop();
    thread.join();
    EXPECT_TRUE(outcome.get_future().get());
    const ProbedFile file = probeFile(QDir(QDir::tempPath()).filePath("temp.mp4").toStdString());
    ASSERT_EQ(file.streams.size(), 1u);
    EXPECT_EQ(file.streams[0].width, 800);
    EXPECT_EQ(file.streams[0].height, 600);
    EXPECT_DOUBLE_EQ(file.streams[0].frameRate, 1);
    QFile::remove(QDir(QDir::tempPath()).filePath("temp.mp4"));
}

TEST_F(RVImagesToVideoTest, TheFirstValidBufferMakesTheTrackAndOnlyBuffersBeforeWritingSetTheStart) {
    auto recorder = RVImagesToVideo::create();
    recorder->setVideoWriter(recorder::MediaWriter::create(path, nullptr));
    auto output = recorder::AudioDataOutput::create();

    // Buffers from an output the recorder does not hold are ignored.
    recorder->captureOutput(output.get(), soundBuffer(44100, 2, 1000));
    EXPECT_FALSE(CMTimeIsSet(recorder->startTime()));

    recorder->setCaptureAudioMicDataOutput(output);
    recorder->captureOutput(output.get(), soundBuffer(0, 2, 2000));
    EXPECT_FALSE(recorder->audioInput());
    EXPECT_EQ(recorder->startTime().value, 2000);
    recorder->captureOutput(output.get(), soundBuffer(44100, 1, 3000));
    ASSERT_TRUE(recorder->audioInput());
    EXPECT_EQ(recorder->audioInput()->channels(), 1);
    EXPECT_EQ(recorder->startTime().value, 2000);

    recorder->doStop();
    EXPECT_FALSE(recorder->captureAudioMicDataOutput());
    EXPECT_FALSE(CMTimeIsSet(recorder->startTime()));
    EXPECT_FALSE(recorder->encodeFrame(soundBuffer(44100, 1, 4000), true));
}

TEST_F(RVImagesToVideoTest, AFirstBufferAfterWritingStartedAddsNoTrackAndMovesNoTimes) {
    auto recorder = RVImagesToVideo::create();
    recorder->setMicrophoneEnabled(false);
    recorder->setFrameSource([] { return jpeg(64, 48, Qt::white); });
    std::promise<bool> outcome;
    std::thread thread([&] {
        recorder->writeImageAsMovie({}, path, QSizeF(64, 48), 25, false,
                                    [&](bool ok) { outcome.set_value(ok); });
    });
    std::this_thread::sleep_for(300ms);
    auto output = recorder::AudioDataOutput::create();
    recorder->setCaptureAudioMicDataOutput(output);
    recorder->captureOutput(output.get(), soundBuffer(44100, 2, 123'456'789));
    EXPECT_FALSE(recorder->audioInput());
    EXPECT_FALSE(CMTimeIsSet(recorder->startTime()));
    std::this_thread::sleep_for(200ms);
    recorder->doStop();
    thread.join();
    EXPECT_TRUE(outcome.get_future().get());
    const auto pictures = decodePictures(path);
    ASSERT_GE(pictures.size(), 5u);
    EXPECT_LT(pictures.back().time, 1.0);
}

}  // namespace
