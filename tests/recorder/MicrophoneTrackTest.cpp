#include "recorder/MicrophoneTrack.h"

#include "recorder/AudioDataOutput.h"
#include "recorder/AudioWriterInput.h"
#include "recorder/MediaWriter.h"

#include "SilentSound.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

namespace {

AudioSampleBuffer floatBuffer(std::int64_t micros) {
    return floatSound(micros);
}

class MicrophoneTrackTest : public testing::Test {
  protected:
    QTemporaryDir folder;
    bool stopped = false;
    MicrophoneTrack track{MicrophoneTrack::Hooks{[this] { return stopped; }, nullptr}};
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

TEST_F(MicrophoneTrackTest, SilenceIsWatchedOnlyWithATrack) {
    track.startWatching(0);
    track.watch(10'000'000);
    EXPECT_TRUE(track.silences().empty());
}

}  // namespace
