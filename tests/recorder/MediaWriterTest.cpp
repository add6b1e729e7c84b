#include "recorder/MediaWriter.h"

#include "MediaProbe.h"
#include "recorder/AudioWriterInput.h"
#include "recorder/VideoWriterInput.h"

#include "SilentSound.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <future>
#include <thread>

using namespace recorder;
using namespace recorder_test;

namespace {

constexpr std::int64_t kCaptureClockStart = 5'000'000;  // microseconds, as the microphone stamps

CMTime atSeconds(double seconds) {
    return CMTimeMake(kCaptureClockStart + std::llround(seconds * 1e6), 1'000'000);
}

QImage filled(int width, int height, QColor colour) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(colour);
    return picture;
}

AudioSampleBuffer tone(double startSeconds, int frames, double frequency = 440) {
    AudioSampleBuffer buffer = floatSound(0);
    buffer.presentationTime = atSeconds(startSeconds);
    std::vector<float> samples;
    const auto first = std::llround(startSeconds * 44100);
    for (int i = 0; i < frames; ++i) {
        const float value = 0.5f * std::sin(2 * M_PI * frequency * double(first + i) / 44100);
        samples.push_back(value);
        samples.push_back(value);
    }
    buffer.data.resize(samples.size() * sizeof(float));
    std::memcpy(buffer.data.data(), samples.data(), buffer.data.size());
    return buffer;
}

template <typename Input>
void waitUntilReady(Input &input) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!input.isReadyForMoreMediaData() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

WriterStatus finish(MediaWriter &writer) {
    std::promise<void> done;
    writer.finishWriting([&done] { done.set_value(); });
    done.get_future().wait();
    return writer.status();
}

class MediaWriterTest : public testing::Test {
  protected:
    std::shared_ptr<MediaWriter> makeWriter() {
        std::string error;
        auto writer = MediaWriter::create(path, &error);
        EXPECT_TRUE(writer) << error;
        if (writer) writer->setShouldOptimizeForNetworkUse(true);
        return writer;
    }

    QTemporaryDir folder;
    const std::string path = folder.filePath("out.mp4").toStdString();
};

TEST_F(MediaWriterTest, WritesAFastStartMp4WithAScaledVideoTrackAndAToneTrack) {
    auto writer = makeWriter();
    auto video = writer->addVideoInput(VideoSettings{320, 240, 25});
    auto audio = writer->addAudioInput(AudioSettings{2, 44100, 128000});
    ASSERT_TRUE(video && audio);
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(atSeconds(0));

    for (int k = 0; k < 50; ++k) {
        // The second second comes at twice the track size, as after a resolution change.
        const QImage picture = k < 25 ? filled(320, 240, Qt::red) : filled(640, 480, Qt::blue);
        waitUntilReady(*video);
        EXPECT_TRUE(video->appendPixelBuffer(picture, CMTimeAdd(CMTimeMake(k, 25), atSeconds(0))));
    }
    for (int i = 0; i < 200; ++i) EXPECT_TRUE(audio->appendSampleBuffer(tone(i * 0.01, 441)));
    video->markAsFinished();
    audio->markAsFinished();
    ASSERT_EQ(finish(*writer), WriterStatus::Completed);

    const ProbedFile file = probeFile(path);
    ASSERT_TRUE(file.opened);
    ASSERT_EQ(file.streams.size(), 2u);
    const ProbedStream *h264 = file.find("h264");
    const ProbedStream *aac = file.find("aac");
    ASSERT_TRUE(h264 && aac);
    EXPECT_EQ(h264->width, 320);
    EXPECT_EQ(h264->height, 240);
    EXPECT_DOUBLE_EQ(h264->frameRate, 25);
    EXPECT_EQ(aac->channels, 2);
    EXPECT_EQ(aac->sampleRate, 44100);
    EXPECT_NEAR(file.duration, 2.0, 0.1);
    EXPECT_TRUE(indexBeforeMediaData(path));
    EXPECT_FALSE(isFragmented(path));

    const auto pictures = decodePictures(path);
    ASSERT_EQ(pictures.size(), 50u);
    EXPECT_NEAR(pictures[10].time, 0.4, 0.001);
    const QRgb red = pictures[10].picture.pixel(32, 24);
    const QRgb blue = pictures[40].picture.pixel(32, 24);
    EXPECT_GT(qRed(red), 220);
    EXPECT_LT(qBlue(red), 40);
    EXPECT_GT(qBlue(blue), 220);
    EXPECT_LT(qRed(blue), 40);

    const DecodedSound sound = decodeSound(path);
    EXPECT_NEAR(sound.samples.size() / 44100.0, 2.0, 0.05);
    EXPECT_NEAR(dominantFrequency(sound.samples, sound.sampleRate, 300, 600), 440, 2);
}

// The encoder's slow first second must not push back on the frame loop at 1920x1080: a dozen frames are
// taken at once. Frames of one picture share its conversion, and the next picture is not painted over it.
TEST_F(MediaWriterTest, ADozenFramesAreTakenAtOnceAndFramesOfOnePictureShareItsPixels) {
    auto writer = makeWriter();
    auto video = writer->addVideoInput(VideoSettings{1920, 1080, 25});
    ASSERT_TRUE(video);
    EXPECT_GE(video->maxPendingFrames(), 12u);
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(atSeconds(0));
    const QImage red = filled(1920, 1080, Qt::red), blue = filled(1920, 1080, Qt::blue);
    for (int k = 0; k < 12; ++k)
        EXPECT_TRUE(
            video->appendPixelBuffer(k % 6 < 3 ? red : blue, CMTimeAdd(CMTimeMake(k, 25), atSeconds(0))))
            << "frame " << k;
    video->markAsFinished();
    ASSERT_EQ(finish(*writer), WriterStatus::Completed);

    const auto pictures = decodePictures(path);
    ASSERT_EQ(pictures.size(), 12u);
    for (std::size_t k = 0; k < pictures.size(); ++k) {
        const QRgb pixel = pictures[k].picture.pixel(32, 18);
        EXPECT_GT(k % 6 < 3 ? qRed(pixel) : qBlue(pixel), 220) << "frame " << k;
    }
}

// However large the track, the queue holds no more than its budget of converted frames.
TEST(VideoWriterInputQueue, HoldsAtLeastTwoFramesAndNoMoreThanItsBudget) {
    QTemporaryDir folder;
    for (const auto &[width, height] : {std::pair{1280, 720}, {1920, 1080}, {3840, 2160}, {8192, 4320}}) {
        auto writer = MediaWriter::create(folder.filePath("q.mp4").toStdString(), nullptr);
        ASSERT_TRUE(writer);
        auto video = writer->addVideoInput(VideoSettings{width, height, 25});
        ASSERT_TRUE(video) << width << "x" << height;
        const std::size_t frameBytes = std::size_t(width) * height * 3 / 2;
        const std::size_t frames = video->maxPendingFrames();
        EXPECT_TRUE(frames == 2 || (frames > 2 && frames * frameBytes <= 64u << 20)) << frames << " frames";
    }
}

TEST_F(MediaWriterTest, LostSoundIsFilledWithSilenceSoLaterSoundKeepsItsTime) {
    auto writer = makeWriter();
    auto audio = writer->addAudioInput(AudioSettings{2, 44100, 128000});
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(atSeconds(0));
    for (int i = 0; i < 50; ++i) audio->appendSampleBuffer(tone(i * 0.01, 441));
    // Half a second of buffers never arrived.
    for (int i = 100; i < 150; ++i) audio->appendSampleBuffer(tone(i * 0.01, 441, 880));
    audio->markAsFinished();
    ASSERT_EQ(finish(*writer), WriterStatus::Completed);

    const DecodedSound sound = decodeSound(path);
    EXPECT_NEAR(sound.samples.size() / 44100.0, 1.5, 0.05);
    const auto at = [&](double seconds) {
        return sound.samples.begin() + std::lround((seconds - sound.startTime) * 44100);
    };
    EXPECT_LT(std::abs(*std::max_element(at(0.7), at(0.8))), 0.01f);
    EXPECT_NEAR(dominantFrequency({at(1.1), at(1.4)}, 44100, 300, 1000), 880, 2);
}

TEST_F(MediaWriterTest, RefusesTracksAfterTheHeaderAndFramesOutOfTime) {
    auto writer = makeWriter();
    auto video = writer->addVideoInput(VideoSettings{64, 48, 25});
    ASSERT_TRUE(video);
    EXPECT_FALSE(video->isReadyForMoreMediaData());
    ASSERT_TRUE(writer->startWriting());
    EXPECT_FALSE(writer->addAudioInput(AudioSettings{1, 44100, 128000}));
    // Not ready before the session has begun.
    EXPECT_FALSE(video->appendPixelBuffer(filled(64, 48, Qt::green), atSeconds(0)));
    writer->startSessionAtSourceTime(atSeconds(1));
    waitUntilReady(*video);
    EXPECT_FALSE(video->appendPixelBuffer(filled(64, 48, Qt::green), atSeconds(0.5)));
    EXPECT_TRUE(video->appendPixelBuffer(filled(64, 48, Qt::green), atSeconds(1)));
    waitUntilReady(*video);
    EXPECT_FALSE(video->appendPixelBuffer(filled(64, 48, Qt::green), atSeconds(1)));
    video->markAsFinished();
    EXPECT_FALSE(video->isReadyForMoreMediaData());
    EXPECT_EQ(finish(*writer), WriterStatus::Completed);
    EXPECT_EQ(decodePictures(path).size(), 1u);
}

TEST_F(MediaWriterTest, ATrackWithoutFramesStillGivesAFinishedFile) {
    auto writer = makeWriter();
    ASSERT_TRUE(writer->addVideoInput(VideoSettings{64, 48, 25}));
    ASSERT_TRUE(writer->startWriting());
    writer->startSessionAtSourceTime(CMTime{});
    EXPECT_EQ(finish(*writer), WriterStatus::Completed);
    // The muxer leaves out tracks without samples; the file itself is complete.
    EXPECT_TRUE(probeFile(path).opened);
}

TEST(MediaWriter, CannotCreateAFileInAMissingFolder) {
    std::string error;
    EXPECT_FALSE(MediaWriter::create("/nonexistent-folder/out.mp4", &error));
    EXPECT_NE(error.find("/nonexistent-folder/out.mp4"), std::string::npos) << error;
}

TEST(MediaWriter, OddOrEmptySizesAreEvenedOrRefused) {
    QTemporaryDir folder;
    auto writer = MediaWriter::create(folder.filePath("odd.mp4").toStdString(), nullptr);
    EXPECT_FALSE(writer->addVideoInput(VideoSettings{0, 0, 25}));
    auto video = writer->addVideoInput(VideoSettings{641, 481, 25});
    ASSERT_TRUE(video);
    EXPECT_EQ(video->width(), 640);
    EXPECT_EQ(video->height(), 480);
}

}  // namespace
