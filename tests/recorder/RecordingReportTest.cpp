#include "recorder/RecordingReport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Outcome = RecordingReport::Outcome;

TEST(RecordingReport, TheOutcomeFollowsTheWriterAndTheFile) {
    struct Case {
        std::string name;
        bool completed, hasFrames, diskFull;
        Outcome outcome;
        bool failureKept;  // diskFull and failure are reported
    };
    const std::vector<Case> cases = {
        {"finished with frames", true, true, false, Outcome::Saved, false},
        {"finished without a frame", true, false, false, Outcome::NothingRecorded, false},
        {"failed with whole fragments", false, true, false, Outcome::WriteFailed, true},
        {"failed before a fragment", false, false, false, Outcome::WriteFailed, true},
        {"failed on a full disk", false, true, true, Outcome::WriteFailed, true},
        // A finished writer has no failure to tell, whatever its failure fields hold.
        {"the file removed while recording", true, false, false, Outcome::FileGone, false},
        {"finished, failure fields ignored", true, true, true, Outcome::Saved, false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        RecordingReport::Facts facts;
        facts.path = "/videos/a.mp4";
        facts.fps = 25;
        facts.framesInTrack = 50;
        facts.completed = c.completed;
        facts.hasFrames = c.hasFrames;
        facts.diskFull = c.diskFull;
        facts.failure = "No space left on device";
        if (c.outcome == Outcome::FileGone) facts.fileGoneAt = 12.5;
        const RecordingReport report = RecordingReport::of(facts);
        EXPECT_EQ(report.outcome, c.outcome);
        EXPECT_EQ(report.path, "/videos/a.mp4");
        EXPECT_DOUBLE_EQ(report.seconds, 2.0);
        EXPECT_EQ(report.diskFull, c.failureKept && c.diskFull);
        EXPECT_EQ(report.failure, c.failureKept ? "No space left on device" : "");
    }
}

TEST(RecordingReport, SecondsAreTheSlotsCoveredAtTheFrameRate) {
    RecordingReport::Facts facts;
    facts.completed = facts.hasFrames = true;
    facts.framesInTrack = 7;
    facts.fps = 2;
    EXPECT_DOUBLE_EQ(RecordingReport::of(facts).seconds, 3.5);
    facts.fps = 0;  // never set up: no frame loop ran
    EXPECT_DOUBLE_EQ(RecordingReport::of(facts).seconds, 0);
}

TEST(RecordingReport, SilencesAreSecondsAfterMediaTimeZeroAndNeverBeforeIt) {
    RecordingReport::Facts facts;
    facts.completed = facts.hasFrames = true;
    facts.anchorMicros = 10'000'000;
    facts.cameraSilences = {{9'000'000, 14'500'000}, {20'000'000, std::nullopt}};
    facts.microphoneSilences = {{12'250'000, 13'000'000}};
    const RecordingReport report = RecordingReport::of(facts);
    ASSERT_EQ(report.cameraSilences.size(), 2u);
    EXPECT_DOUBLE_EQ(report.cameraSilences[0].start, 0);  // began while the recording was being set up
    EXPECT_DOUBLE_EQ(*report.cameraSilences[0].end, 4.5);
    EXPECT_DOUBLE_EQ(report.cameraSilences[1].start, 10);
    EXPECT_FALSE(report.cameraSilences[1].end);  // lasted to the end
    ASSERT_EQ(report.microphoneSilences.size(), 1u);
    EXPECT_DOUBLE_EQ(report.microphoneSilences[0].start, 2.25);
    EXPECT_DOUBLE_EQ(*report.microphoneSilences[0].end, 3);
}

TEST(RecordingReport, ARecordingThatCouldNotStartSaysWhy) {
    const RecordingReport report = RecordingReport::notStarted("/x/a.mp4", "Permission denied");
    EXPECT_EQ(report.outcome, Outcome::NotStarted);
    EXPECT_EQ(report.path, "/x/a.mp4");
    EXPECT_EQ(report.failure, "Permission denied");
    EXPECT_TRUE(report.cameraSilences.empty());
}

}  // namespace
