// deskcam-sim and deskcam-cli as separate programs on loopback: what the simulator sends is what the cli
// writes, byte for byte.

#include "ChildProcess.h"
#include "SimulatorProcess.h"

#include <gtest/gtest.h>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <optional>

namespace {

constexpr int kPictureCount = 4;

QByteArray readFile(const QString &name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class RoundTripTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pictures.isValid() && out.isValid());
        for (int i = 0; i < kPictureCount; ++i) {
            QImage image(320, 240, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i * 80, 200, 220));
            QPainter(&image).fillRect(20 * i, 10, 40, 40, Qt::black);
            const QString name = pictures.filePath(QString("picture_%1.jpg").arg(i));
            ASSERT_TRUE(image.save(name, "JPG", 90));
            sent.push_back(readFile(name));
        }
    }

    // Starts the simulator on any free port with extra options; returns the image port it printed.
    std::optional<std::string> startSimulator(const QStringList &options) {
        if (!simulator.start(QStringList{"--frames-dir", pictures.path()} + options)) return std::nullopt;
        return std::to_string(simulator.imagePort());
    }

    int runFrames(const std::string &port, int count, std::string *output = nullptr) {
        ChildProcess cli({DESKCAM_CLI_PATH, "frames", "--camera", "127.0.0.1", "--image-port", port,
                          "--count", std::to_string(count), "--out", out.path().toStdString(), "--timeout",
                          "10"});
        const std::string printed = cli.readAll();
        if (output) *output = printed;
        return cli.wait();
    }

    // Every written file is one of the pictures sent, and they follow each other in the order sent.
    void expectFramesAsSent(int count) {
        std::optional<int> previous;
        for (int k = 1; k <= count; ++k) {
            const QString name = out.filePath(QString("frame_%1.jpg").arg(k, 4, 10, QChar('0')));
            const QByteArray written = readFile(name);
            const auto match = std::find(sent.begin(), sent.end(), written);
            ASSERT_NE(match, sent.end()) << name.toStdString() << " is not a picture the simulator sent";
            const int index = static_cast<int>(match - sent.begin());
            // A new connection (the supervisor reconnects once at start) begins again with the first picture.
            if (previous && index != 0) {
                EXPECT_EQ(index, (*previous + 1) % kPictureCount) << name.toStdString();
            }
            previous = index;
            EXPECT_FALSE(QImage(name, "JPG").isNull()) << name.toStdString() << " does not decode";
        }
    }

    QTemporaryDir pictures;
    QTemporaryDir out;
    std::vector<QByteArray> sent;
    SimulatorProcess simulator;
};

TEST_F(RoundTripTest, WritesTheSentPicturesByteForByte) {
    const auto port = startSimulator({"--fps", "50"});
    ASSERT_TRUE(port);
    EXPECT_EQ(runFrames(*port, 6), 0);
    expectFramesAsSent(6);
}

TEST_F(RoundTripTest, SurvivesGarbageAndRandomWriteChunks) {
    const auto port = startSimulator({"--fps", "50", "--garbage", "5000", "--chunk", "700"});
    ASSERT_TRUE(port);
    EXPECT_EQ(runFrames(*port, 6), 0);
    expectFramesAsSent(6);
}

TEST_F(RoundTripTest, FramesWithABadLengthAreRejectedAndSkipped) {
    const auto port = startSimulator({"--fps", "50", "--bad-length-every", "2"});
    ASSERT_TRUE(port);
    std::string printed;
    EXPECT_EQ(runFrames(*port, 3, &printed), 0);
    EXPECT_NE(printed.find("Error: func_trans_recv()图像数据长度异常！\r\n"), std::string::npos) << printed;
    // Frames 2, 4, ... of each connection are lost, so only pictures 0 and 2 ever arrive.
    for (int k = 1; k <= 3; ++k) {
        const QByteArray written = readFile(out.filePath(QString("frame_%1.jpg").arg(k, 4, 10, QChar('0'))));
        const auto index = std::find(sent.begin(), sent.end(), written) - sent.begin();
        EXPECT_TRUE(index == 0 || index == 2) << "frame " << k << " is picture " << index;
    }
}

TEST_F(RoundTripTest, NoPictureWithinTheTimeoutFails) {
    // A simulator that stalls before its first frame keeps the connection open and silent.
    const auto port = startSimulator({"--stall-after", "0"});
    ASSERT_TRUE(port);
    ChildProcess cli({DESKCAM_CLI_PATH, "frames", "--camera", "127.0.0.1", "--image-port", *port, "--count",
                      "1", "--out", out.path().toStdString(), "--timeout", "1.5"});
    EXPECT_EQ(cli.wait(), 1);
    EXPECT_FALSE(QFile::exists(out.filePath("frame_0001.jpg")));

    ChildProcess usage({DESKCAM_CLI_PATH, "frames", "--camera", "127.0.0.1"});
    EXPECT_EQ(usage.wait(), 2);
}

TEST(CommandLineTest, HelpAndVersionAnswerOnStandardOutput) {
    ChildProcess help({DESKCAM_CLI_PATH, "frames", "--help"});
    const std::string text = help.readAll();
    EXPECT_EQ(help.wait(), 0);
    EXPECT_NE(text.find("--count N"), std::string::npos) << text;
    EXPECT_NE(text.find("newest three"), std::string::npos) << text;
    for (const char *program : {DESKCAM_CLI_PATH, DESKCAM_SIM_PATH}) {
        ChildProcess version({program, "--version"});
        const std::string line = version.readAll();
        EXPECT_EQ(version.wait(), 0);
        const std::string name = std::string(program).substr(std::string(program).rfind('/') + 1);
        EXPECT_EQ(line.rfind(name + " ", 0), 0u) << line;
    }
}

}  // namespace
