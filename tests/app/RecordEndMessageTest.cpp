#include "app/RecordEndMessage.h"

#include "l10n/Localization.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using Report = RVImagesToVideo::Report;

class RecordEndMessageTest : public testing::Test {
  protected:
    Report reportOf(Report::Outcome outcome, bool fileKept = true) {
        Report report;
        report.outcome = outcome;
        report.path = folder.filePath("record_20240305_140709.mp4").toStdString();
        report.seconds = 75.4;
        QFile file(QString::fromStdString(report.path));
        if (fileKept) {
            file.open(QIODevice::WriteOnly);
        } else {
            file.remove();
        }
        return report;
    }

    QTemporaryDir folder;
    const Localization english{QStringLiteral("en")};
    const Localization chinese{QStringLiteral("zh_CN")};
};

TEST_F(RecordEndMessageTest, SavedNamesTheFileThenEverySilentSpellWithItsTimes) {
    Report report = reportOf(Report::Outcome::Saved);
    EXPECT_EQ(RecordEndMessage::text(report, english),
              QString::fromUtf8("Record saved in path：") + QString::fromStdString(report.path));
    report.cameraSilences = {{12.3, 31.0}};
    report.microphoneSilences = {{64.9, std::nullopt}};
    const QStringList lines = RecordEndMessage::text(report, english).split('\n');
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1], "The camera sent no new picture from 0:12 to 0:31 of the recording.");
    EXPECT_EQ(lines[2],
              "The microphone stopped delivering sound at 1:04; the rest of the recording has no sound.");
    EXPECT_TRUE(
        RecordEndMessage::text(report, chinese).contains(QString::fromUtf8("麦克风在录像的 1:04 处")));
    // The time paused follows the file's name; under a second it is not worth a mention.
    report.pausedSeconds = 0.9;
    EXPECT_EQ(RecordEndMessage::text(report, english).split('\n').front(),
              QString::fromUtf8("Record saved in path：") + QString::fromStdString(report.path));
    report.pausedSeconds = 83.5;
    EXPECT_EQ(RecordEndMessage::text(report, english).split('\n').front(),
              QString::fromUtf8("Record saved in path：") + QString::fromStdString(report.path) +
                  " (paused for 1:23)");
    EXPECT_TRUE(RecordEndMessage::text(report, chinese)
                    .split('\n')
                    .front()
                    .endsWith(QString::fromUtf8("（暂停了 1:23）")));
    // An encoder that fell behind left frames out: the end says how many.
    report.lateFrames = 40;
    EXPECT_EQ(RecordEndMessage::text(report, english).split('\n').back(),
              "40 frames could not be encoded in time and were left out.");
}

TEST_F(RecordEndMessageTest, AFullDiskOrAWriteErrorNamesTheFileAndSaysWhatIsKept) {
    Report full = reportOf(Report::Outcome::WriteFailed);
    full.diskFull = true;
    full.failure = "No space left on device";
    const QString path = QString::fromStdString(full.path);
    EXPECT_EQ(RecordEndMessage::text(full, english),
              "The disk is full: the recording " + path +
                  " was stopped after 1:15.\nThe file keeps what was recorded until then.");
    EXPECT_TRUE(
        RecordEndMessage::text(full, chinese).startsWith(QString::fromUtf8("磁盘已满：录像 ") + path));

    Report failed = reportOf(Report::Outcome::WriteFailed, false);
    failed.failure = "Input/output error";
    EXPECT_EQ(
        RecordEndMessage::text(failed, english),
        "The recording " + path +
            " could not be written (Input/output error) and was stopped after 1:15.\nNothing could be kept.");
}

TEST_F(RecordEndMessageTest, AFileRemovedWhileRecordingSaysWhatWasLostAndWhen) {
    Report gone = reportOf(Report::Outcome::FileGone, false);
    gone.fileGoneAt = 15.2;
    const QString text = RecordEndMessage::text(gone, english);
    EXPECT_TRUE(text.contains(QString::fromStdString(gone.path))) << qPrintable(text);
    EXPECT_TRUE(text.contains("0:15 into the recording")) << qPrintable(text);
    EXPECT_TRUE(text.contains("is lost")) << qPrintable(text);
    EXPECT_FALSE(text.contains("before anything was recorded"));
    EXPECT_TRUE(RecordEndMessage::text(gone, chinese).contains(QString::fromUtf8("已丢失")));
}

TEST_F(RecordEndMessageTest, NothingRecordedNeverClaimsAFile) {
    const QString text = RecordEndMessage::text(reportOf(Report::Outcome::NothingRecorded, false), english);
    EXPECT_EQ(text, english.text("record_nothing"));
    EXPECT_FALSE(text.contains("saved in path"));
    EXPECT_EQ(RecordEndMessage::text(reportOf(Report::Outcome::NothingRecorded, false), chinese),
              chinese.text("record_nothing"));
}

TEST(RecordingReport, TimesReadAsMinutesAndSecondsOrHours) {
    EXPECT_EQ(Report::timeText(0), "0:00");
    EXPECT_EQ(Report::timeText(7.9), "0:07");
    EXPECT_EQ(Report::timeText(754), "12:34");
    EXPECT_EQ(Report::timeText(3723), "1:02:03");
}

}  // namespace
