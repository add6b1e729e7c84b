// deskcam-cli straighten, ocr and scan as a user runs them: on picture files, and against deskcam-sim's
// page on loopback. Bad input ends with the shared exit codes and a message.

#include "ChildProcess.h"
#include "SimulatorProcess.h"
#include "SyntheticPage.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class ScanCommandsTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        QFile jpeg(QString::fromStdString(path("page.jpg")));
        ASSERT_TRUE(jpeg.open(QIODevice::WriteOnly));
        jpeg.write(SyntheticPage::make({}).jpeg);
    }
    std::string path(const char *name) const { return folder.filePath(QLatin1String(name)).toStdString(); }

    QTemporaryDir folder;
};

TEST_F(ScanCommandsTest, StraightensAndReadsAPictureFile) {
    ChildProcess straighten({DESKCAM_CLI_PATH, "straighten", path("page.jpg"), path("page.png")});
    ASSERT_EQ(straighten.wait(), 0);
    const QImage page(QString::fromStdString(path("page.png")));
    ASSERT_FALSE(page.isNull());
    EXPECT_NEAR(double(page.width()) / page.height(), 210.0 / 297.0, 0.01);

    ChildProcess ocr({DESKCAM_CLI_PATH, "ocr", path("page.jpg"), "--lang", "eng"});
    const QString text = QString::fromStdString(ocr.readAll());
    EXPECT_EQ(ocr.wait(), 0);
    EXPECT_GE(
        SyntheticPage::wordRecall(SyntheticPage::lines(SyntheticPage::Script::English).join(u' '), text),
        0.95)
        << text.toStdString();
}

TEST_F(ScanCommandsTest, RefusesWhatIsNoPictureOrNoLanguage) {
    QFile corrupt(QString::fromStdString(path("corrupt.jpg")));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(SyntheticPage::make({}).jpeg.left(600));
    corrupt.close();
    // A PNG whose header declares 60000x60000 pixels.
    QImage small(8, 8, QImage::Format_RGB32);
    small.fill(Qt::white);
    ASSERT_TRUE(small.save(QString::fromStdString(path("huge.png"))));
    QFile huge(QString::fromStdString(path("huge.png")));
    ASSERT_TRUE(huge.open(QIODevice::ReadWrite));
    huge.seek(16);
    huge.write(QByteArray::fromHex("0000ea600000ea60"));
    huge.close();

    for (const char *bad : {"corrupt.jpg", "huge.png", "missing.jpg"}) {
        ChildProcess straighten({DESKCAM_CLI_PATH, "straighten", path(bad), path("out.png")}, true);
        const std::string said = straighten.readAll();
        EXPECT_EQ(straighten.wait(), 1) << bad;
        EXPECT_NE(said.find(bad), std::string::npos) << said;
        EXPECT_FALSE(QFile::exists(QString::fromStdString(path("out.png"))));
    }
    ChildProcess noLanguage({DESKCAM_CLI_PATH, "ocr", path("page.jpg"), "--lang", "xx_unknown"}, true);
    EXPECT_NE(noLanguage.readAll().find("tesseract-ocr-xx-unknown"), std::string::npos);
    EXPECT_EQ(noLanguage.wait(), 1);
    ChildProcess badLook(
        {DESKCAM_CLI_PATH, "straighten", "--look", "sepia", path("page.jpg"), path("out.png")});
    EXPECT_EQ(badLook.wait(), 2);
}

TEST_F(ScanCommandsTest, ScansPagesFromTheCameraIntoOnePdf) {
    SimulatorProcess simulator;
    ASSERT_TRUE(simulator.start({"--picture", "page", "--fps", "10"}));
    ChildProcess scan({DESKCAM_CLI_PATH, "scan", path("pages.pdf"), "--camera", "127.0.0.1", "--image-port",
                       std::to_string(simulator.imagePort()), "--pages", "2", "--every", "0.2", "--look",
                       "bw", "--lang", "eng"});
    EXPECT_EQ(scan.readLine(std::chrono::seconds(60)), path("pages.pdf"));
    EXPECT_EQ(scan.wait(), 0);
    ChildProcess info({PDFINFO_PATH, path("pages.pdf")});
    EXPECT_NE(info.readAll().find("Pages:           2"), std::string::npos);
}

}  // namespace
