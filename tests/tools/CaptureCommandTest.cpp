// deskcam-cli capture against deskcam-sim on loopback: the PNG holds exactly the pixels of the JPEG the
// camera sent, and every way of not getting there ends with a failing exit code and no file.

#include "ChildProcess.h"
#include "SimulatorProcess.h"

#include <QColor>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

class CaptureCommandTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(pictures.isValid() && out.isValid());
        QImage image(320, 240, QImage::Format_RGB32);
        image.fill(QColor(30, 120, 200));
        QPainter(&image).fillRect(40, 30, 100, 60, Qt::yellow);
        ASSERT_TRUE(image.save(pictures.filePath("picture.jpg"), "JPG", 80));
    }

    std::optional<std::string> startSimulator(const QStringList &options = {}) {
        if (!simulator.start(QStringList{"--frames-dir", pictures.path(), "--fps", "50"} + options))
            return std::nullopt;
        return std::to_string(simulator.imagePort());
    }

    int capture(const std::string &file, const std::string &port, const std::string &timeout = "10") {
        // The file among the options, as a user may write it.
        ChildProcess cli({DESKCAM_CLI_PATH, "capture", "--camera", "127.0.0.1", file, "--image-port", port,
                          "--timeout", timeout});
        return cli.wait();
    }

    QTemporaryDir pictures;
    QTemporaryDir out;
    SimulatorProcess simulator;
};

TEST_F(CaptureCommandTest, WritesThePixelsOfThePictureSent) {
    const auto port = startSimulator();
    ASSERT_TRUE(port);
    const QString file = out.filePath("still.png");
    ASSERT_EQ(capture(file.toStdString(), *port), 0);

    const QImage sent(pictures.filePath("picture.jpg"), "JPG");
    const QImage written(file, "PNG");
    ASSERT_EQ(written.size(), sent.size());
    EXPECT_EQ(written.convertToFormat(QImage::Format_RGB32), sent.convertToFormat(QImage::Format_RGB32));
}

TEST_F(CaptureCommandTest, FailsWithoutWritingWhenNoPictureOrNoFile) {
    // Connected, but the camera never sends a picture.
    const auto silent = startSimulator({"--stall-after", "0"});
    ASSERT_TRUE(silent);
    EXPECT_EQ(capture(out.filePath("none.png").toStdString(), *silent, "1"), 1);
    EXPECT_FALSE(QFile::exists(out.filePath("none.png")));

    const auto port = startSimulator();
    ASSERT_TRUE(port);
    EXPECT_EQ(capture(out.filePath("missing/folder/still.png").toStdString(), *port), 1);

    ChildProcess noFile({DESKCAM_CLI_PATH, "capture", "--camera", "127.0.0.1"});
    EXPECT_EQ(noFile.wait(), 2);
}

}  // namespace
