#include "app/RecordControl.h"

#include "MediaProbe.h"
#include "l10n/Localization.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using namespace recorder_test;

namespace {

const QDateTime kPressedAt(QDate(2024, 3, 5), QTime(14, 7, 9));

RVImagesToVideo::FrameBytes grey() {
    static const auto bytes = [] {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(Qt::gray);
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        picture.save(&buffer, "JPG");
        return std::make_shared<const std::vector<std::uint8_t>>(data.begin(), data.end());
    }();
    return bytes;
}

// Runs the GUI thread's queue until done() holds or 10 s have passed.
template <typename Done>
bool runUntil(Done done) {
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!done() && std::chrono::steady_clock::now() < deadline) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(1ms);
    }
    return done();
}

class RecordControlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(tmp_.isValid());
        root_ = tmp_.filePath("ZUVA");
        QDir().mkpath(root_ + "/RidirOvozev");
    }

    std::unique_ptr<RecordControl> makeControl() {
        RecordControl::Hooks hooks;
        hooks.deviceConnected = [this] { return connected_; };
        hooks.saveRoot = [this] { return root_; };
        hooks.videoSize = [] { return QSizeF(64, 48); };
        hooks.alertMessage = [this](const QString &text, bool) { messages_.push_back(text); };
        hooks.alertAndWait = [this](const QString &text, std::function<void()> dismissed) {
            messages_.push_back(text);
            dismissed();
        };
        hooks.showButtonState = [this](bool recording) { buttonStates_.push_back(recording); };
        hooks.frameSource = [] { return grey(); };
        hooks.microphone = false;
        return std::make_unique<RecordControl>(hooks);
    }

    QTemporaryDir tmp_;
    QString root_;
    bool connected_ = true;
    std::vector<QString> messages_;
    std::vector<bool> buttonStates_;
};

TEST_F(RecordControlTest, RefusesWithoutPicturesAndDoesNothingWithoutASaveRoot) {
    auto control = makeControl();
    connected_ = false;
    control->Record_Button_Click(kPressedAt);
    EXPECT_EQ(messages_, std::vector<QString>{"Device disconnect!"});
    EXPECT_FALSE(control->bRecording());

    connected_ = true;
    root_.clear();
    control->Record_Button_Click(kPressedAt);
    EXPECT_EQ(messages_.size(), 1u);
    EXPECT_FALSE(control->bRecording());
    EXPECT_EQ(control->runningThreads(), 0);
}

TEST_F(RecordControlTest, RecordsUntilTheSecondPressAndSaysWhereOnceTheFileIsFinished) {
    auto control = makeControl();
    control->Record_Button_Click(kPressedAt);
    ASSERT_TRUE(control->bRecording());
    const QString path = root_ + "/RidirOvozev/record_20240305_140709.mp4";
    EXPECT_EQ(control->record_save_path(), path);
    ASSERT_TRUE(runUntil([&] { return !buttonStates_.empty(); }));
    EXPECT_EQ(buttonStates_, std::vector<bool>{true});
    std::this_thread::sleep_for(300ms);

    control->Record_Button_Click(kPressedAt.addSecs(5));
    EXPECT_FALSE(control->bRecording());
    EXPECT_TRUE(control->busy());
    ASSERT_TRUE(runUntil([&] { return !messages_.empty(); }));
    EXPECT_EQ(messages_, std::vector<QString>{QString::fromUtf8("Record saved in path\uFF1A") + path});
    EXPECT_FALSE(control->busy());
    EXPECT_TRUE(indexBeforeMediaData(path.toStdString()));
    EXPECT_FALSE(isFragmented(path.toStdString()));
    ASSERT_TRUE(runUntil([&] { return control->runningThreads() == 0; }));
    EXPECT_FALSE(buttonStates_.back());
}

// The window learns of each pause and resume, and of the end of a paused recording; the recording's time
// and its end message leave the pause out and say how long it was.
TEST_F(RecordControlTest, APauseIsToldToTheWindowAndItsTimeToTheEnd) {
    auto control = makeControl();
    std::vector<bool> pauses;
    QObject::connect(control.get(), &RecordControl::pausedChanged,
                     [&](bool paused) { pauses.push_back(paused); });
    control->togglePause();
    EXPECT_TRUE(pauses.empty()) << "nothing to pause";
    control->Record_Button_Click(kPressedAt);
    ASSERT_TRUE(runUntil([&] { return !buttonStates_.empty(); }));
    // Some frames first: a recording paused before its first frame holds nothing and says so instead.
    std::this_thread::sleep_for(300ms);
    control->togglePause();
    EXPECT_TRUE(control->isPaused());
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(control->recordingSeconds(), 0);
    control->togglePause();
    control->togglePause();
    control->Record_Button_Click(kPressedAt.addSecs(5));
    ASSERT_TRUE(runUntil([&] { return !messages_.empty(); }));
    EXPECT_EQ(pauses, (std::vector<bool>{true, false, true, false}));
    EXPECT_FALSE(control->isPaused());
    EXPECT_TRUE(messages_.front().endsWith(" (paused for 0:01)")) << messages_.front().toStdString();
}

TEST_F(RecordControlTest, DestroyedWhileRecordingItLeavesAFinishedFile) {
    auto control = makeControl();
    control->Record_Button_Click(kPressedAt);
    const QString path = control->record_save_path();
    std::this_thread::sleep_for(500ms);
    // As the window's teardown does; a process may end right after.
    control.reset();
    EXPECT_TRUE(indexBeforeMediaData(path.toStdString()));
    EXPECT_FALSE(isFragmented(path.toStdString()));
    EXPECT_FALSE(QFile::exists(QFileInfo(path).dir().filePath("." + QFileInfo(path).fileName() + ".part")));
    EXPECT_TRUE(messages_.empty());
}

// The program ending while recording: where the file went was on a terminal only; the next start tells
// it, once.
TEST_F(RecordControlTest, AnEndWhileTheProgramEndsIsKeptForTheNextStart) {
    RecordControl::takeUntoldEnds();
    auto control = makeControl();
    control->Record_Button_Click(kPressedAt);
    const QString path = control->record_save_path();
    std::this_thread::sleep_for(500ms);
    control->finishAll();
    ASSERT_TRUE(runUntil([&] { return !control->busy(); }));
    EXPECT_TRUE(messages_.empty()) << "no alert: the window is going";
    const QStringList untold = RecordControl::takeUntoldEnds();
    ASSERT_EQ(untold.size(), 1);
    EXPECT_TRUE(untold.front().contains(path)) << untold.front().toStdString();
    EXPECT_TRUE(RecordControl::takeUntoldEnds().isEmpty());
}

TEST_F(RecordControlTest, AFinishingRecordingNeverEndsTheNextOneNorTakesItsName) {
    auto control = makeControl();
    control->Record_Button_Click(kPressedAt);
    const auto first = control->m_Video_Writer();
    ASSERT_TRUE(runUntil([&] { return first->statistics().framesAppended > 0; }));
    control->Record_Button_Click(kPressedAt);
    // Started again within the same second, while the first thread is still winding down.
    control->Record_Button_Click(kPressedAt);
    ASSERT_TRUE(control->bRecording());
    EXPECT_NE(control->m_Video_Writer(), first);
    EXPECT_EQ(control->record_save_path(), root_ + "/RidirOvozev/record_20240305_140709-2.mp4");

    ASSERT_TRUE(runUntil([&] { return control->runningThreads() == 1; }));
    QCoreApplication::processEvents();
    EXPECT_TRUE(control->bRecording());
    EXPECT_FALSE(control->m_Video_Writer()->bStop());
    EXPECT_TRUE(buttonStates_.back());
    EXPECT_GT(QFileInfo(root_ + "/RidirOvozev/record_20240305_140709.mp4").size(), 0);

    control->Record_Button_Click(kPressedAt.addSecs(1));
    ASSERT_TRUE(runUntil([&] { return control->runningThreads() == 0; }));
}

TEST_F(RecordControlTest, AFileThatCannotBeCreatedEndsTheRecordingWithAMessage) {
    QDir(root_ + "/RidirOvozev").removeRecursively();  // the writer cannot create its file
    auto control = makeControl();
    control->Record_Button_Click(kPressedAt);
    ASSERT_TRUE(runUntil([&] { return control->runningThreads() == 0 && !messages_.empty(); }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(control->bRecording());
    ASSERT_FALSE(buttonStates_.empty());
    EXPECT_FALSE(buttonStates_.back());
    ASSERT_EQ(messages_.size(), 1u);
    EXPECT_TRUE(messages_[0].startsWith("The recording could not be started: "))
        << messages_[0].toStdString();
    EXPECT_TRUE(messages_[0].contains(control->record_save_path()));
}

TEST_F(RecordControlTest, AStopBeforeTheThreadGetsGoingSaysSoAndLeavesNoFile) {
    auto control = makeControl();
    control->Record_Button_Click(kPressedAt);
    control->Record_Button_Click(kPressedAt);
    ASSERT_TRUE(runUntil([&] { return control->runningThreads() == 0 && !messages_.empty(); }));
    EXPECT_FALSE(control->bRecording());
    EXPECT_EQ(messages_, std::vector<QString>{Localization::shared().text("record_nothing")});
    EXPECT_FALSE(QFile::exists(control->record_save_path()));
}

}  // namespace
