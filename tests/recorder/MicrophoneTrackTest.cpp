#include "recorder/MicrophoneTrack.h"

#include "recorder/AudioDataOutput.h"
#include "recorder/AudioWriterInput.h"
#include "recorder/MediaWriter.h"

#include "MediaProbe.h"
#include "SilentSound.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <future>
#include <thread>

namespace {

AudioSampleBuffer floatBuffer(std::int64_t micros) {
    return floatSound(micros);
}

constexpr std::int64_t kClockStart = 5'000'000;  // capture clock of the first buffer, microseconds

// 10 ms of a 440 Hz tone from seconds after the clock's start.
AudioSampleBuffer toneBuffer(int index) {
    AudioSampleBuffer buffer = floatSound(kClockStart + index * 10'000);
    std::vector<float> samples;
    for (int i = 0; i < 441; ++i) {
        const auto value = static_cast<float>(0.5 * std::sin(2 * M_PI * 440 * (index * 441 + i) / 44100));
        samples.insert(samples.end(), {value, value});
    }
    std::memcpy(buffer.data.data(), samples.data(), buffer.data.size());
    return buffer;
}

class MicrophoneTrackTest : public testing::Test {
  protected:
    QTemporaryDir folder;
    bool stopped = false;
    PauseClock pauses;
    MicrophoneTrack track{
        MicrophoneTrack::Hooks{[this] { return stopped; }, nullptr, [this] { return pauses; }}};
    std::shared_ptr<recorder::MediaWriter> writer =
        recorder::MediaWriter::create(folder.filePath("a.mp4").toStdString(), nullptr);
    std::shared_ptr<recorder::AudioDataOutput> output = recorder::AudioDataOutput::create();

    void SetUp() override {
        ASSERT_TRUE(writer);
        track.setWriter(writer);
        track.setOutput(output);
    }
};

TEST_F(MicrophoneTrackTest, TheFirstBufferBeforeWritingGivesTheTrackAndTheStartTime) {
    track.captureOutput(output.get(), floatBuffer(2000));
    ASSERT_TRUE(track.track());
    EXPECT_EQ(track.track()->channels(), 2);
    track.captureOutput(output.get(), floatBuffer(25'000));
    EXPECT_EQ(track.beginWriting(*writer).value, 2000);
    track.release();
    EXPECT_FALSE(CMTimeIsSet(track.startTime()));
    EXPECT_FALSE(track.output());
}

TEST_F(MicrophoneTrackTest, OnceWritingHasBegunABufferAddsNoTrackAndSetsNoStartTime) {
    EXPECT_FALSE(CMTimeIsSet(track.beginWriting(*writer)));
    track.captureOutput(output.get(), floatBuffer(2000));
    EXPECT_FALSE(track.track());
    EXPECT_FALSE(CMTimeIsSet(track.startTime()));
}

TEST_F(MicrophoneTrackTest, AStoppedRecordingOrAnotherOutputTakesNoBuffer) {
    const auto other = recorder::AudioDataOutput::create();
    track.captureOutput(other.get(), floatBuffer(1000));
    stopped = true;
    track.captureOutput(output.get(), floatBuffer(2000));
    EXPECT_FALSE(track.track());
    EXPECT_FALSE(CMTimeIsSet(track.startTime()));
}

// Sound heard while paused is dropped and the rest closes up: no silence fills the pause, even where a
// buffer straddles its start or its end.
TEST_F(MicrophoneTrackTest, SoundHeardWhilePausedIsLeftOutAndTheRestClosesUp) {
    pauses.pause(kClockStart + 1'005'000);
    pauses.resume(kClockStart + 2'012'500);
    track.captureOutput(output.get(), toneBuffer(0));
    ASSERT_TRUE(track.track());
    writer->startSessionAtSourceTime(track.beginWriting(*writer));
    for (int i = 0; i < 300; ++i) track.captureOutput(output.get(), toneBuffer(i));
    track.finish();
    std::promise<void> done;
    writer->finishWriting([&done] { done.set_value(); });
    done.get_future().wait();

    const recorder_test::DecodedSound sound = recorder_test::decodeSound(writer->path());
    EXPECT_NEAR(double(sound.samples.size()) / sound.sampleRate, 3.0 - 1.0075, 0.03);
    int silentWindows = 0;
    for (std::size_t at = 441 * 5; at + 441 * 5 < sound.samples.size(); at += 441) {
        float loudest = 0;
        for (std::size_t i = at; i < at + 441; ++i) loudest = std::max(loudest, std::abs(sound.samples[i]));
        silentWindows += loudest < 0.1f;
    }
    EXPECT_EQ(silentWindows, 0);
}

// The sound heard before the last frame ended arrives after the stop: it is waited for and kept, up to
// the frame's end and no further, and nothing after the microphone was let go.
TEST_F(MicrophoneTrackTest, AfterAStopTheSoundRunsOnToTheLastFramesEndAndNoFurther) {
    track.captureOutput(output.get(), toneBuffer(0));
    ASSERT_TRUE(track.track());
    writer->startSessionAtSourceTime(track.beginWriting(*writer));
    for (int i = 1; i < 90; ++i) track.captureOutput(output.get(), toneBuffer(i));
    stopped = true;
    std::thread late([this] {
        for (int i = 90; i < 130; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
            track.captureOutput(output.get(), toneBuffer(i));
        }
    });
    track.releaseAt(kClockStart + 1'004'500);
    EXPECT_FALSE(track.output());
    late.join();
    track.finish();
    std::promise<void> done;
    writer->finishWriting([&done] { done.set_value(); });
    done.get_future().wait();

    const recorder_test::DecodedSound sound = recorder_test::decodeSound(writer->path());
    EXPECT_NEAR(double(sound.samples.size()) / sound.sampleRate, 1.0045, 0.03);
}

TEST_F(MicrophoneTrackTest, SilenceIsWatchedOnlyWithATrack) {
    track.startWatching(0);
    track.watch(10'000'000);
    EXPECT_TRUE(track.silences().empty());
}

}  // namespace
