// Text read back from camera pictures of known pages, through the whole chain (find, straighten, grey
// look, read), against the recall each camera size must reach; and the ways reading cannot start.

#include "scan/TextRecognizer.h"

#include "SyntheticPage.h"
#include "scan/PageFinder.h"
#include "scan/PageStraightener.h"
#include "scan/ScanLook.h"
#include "scan/ScanPdfWriter.h"

#include <QDir>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Reading {
    const char *name;
    QSize frame;
    SyntheticPage::Script script;
    double points;
    const char *languages;
    double minRecall;
};

class TextRecognizerRecallTest : public testing::TestWithParam<Reading> {};

TEST_P(TextRecognizerRecallTest, ReadsThePageUnderTheCamera) {
    const Reading &reading = GetParam();
    SyntheticPage::Scene scene;
    scene.frame = reading.frame;
    scene.script = reading.script;
    scene.points = reading.points;
    const SyntheticPage::Picture picture = SyntheticPage::make(scene);
    const auto corners = PageFinder::find(picture.decoded);
    ASSERT_TRUE(corners);
    const QImage page =
        ScanLook::apply(PageStraightener::straighten(picture.decoded, *corners), ScanLook::Look::Grey);

    TextRecognizer recognizer(QString::fromLatin1(reading.languages));
    ASSERT_TRUE(recognizer.isReady()) << recognizer.error().toStdString();
    const auto result = recognizer.recognize(page, ScanPdfWriter::pixelsPerInch(page.size()));
    ASSERT_TRUE(result);
    const QString expected = SyntheticPage::lines(reading.script).join(u'\n');
    const double recall = reading.script == SyntheticPage::Script::English
                              ? SyntheticPage::wordRecall(expected, result->text)
                              : SyntheticPage::characterRecall(expected, result->text);
    RecordProperty("recall", std::to_string(recall));
    EXPECT_GE(recall, reading.minRecall) << result->text.toStdString();
    // Every word has a box on the page.
    ASSERT_FALSE(result->words.empty());
    for (const TextRecognizer::Word &word : result->words) EXPECT_TRUE(page.rect().contains(word.box));
}

INSTANTIATE_TEST_SUITE_P(
    Pages, TextRecognizerRecallTest,
    testing::Values(Reading{"English16ptHd", {1920, 1080}, SyntheticPage::Script::English, 16, "eng", 0.95},
                    Reading{"English12ptUhd", {3840, 2160}, SyntheticPage::Script::English, 12, "eng", 0.95},
                    Reading{
                        "Chinese16ptUhd", {3840, 2160}, SyntheticPage::Script::Chinese, 16, "chi_sim", 0.85}),
    [](const auto &info) { return std::string(info.param.name); });

int threadCount() {
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

TEST(TextRecognizerTest, ReadsOnTheCallingThreadAlone) {
    QImage line(900, 120, QImage::Format_Grayscale8);
    line.fill(255);
    QPainter painter(&line);
    painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 28));
    painter.drawText(20, 80, QStringLiteral("Light travels in straight lines"));
    painter.end();
    TextRecognizer recognizer;
    ASSERT_TRUE(recognizer.isReady()) << recognizer.error().toStdString();
    const int before = threadCount();
    const auto result = recognizer.recognize(line);
    ASSERT_TRUE(result);
    EXPECT_GE(SyntheticPage::wordRecall(QStringLiteral("Light travels in straight lines"), result->text),
              0.8);
    // OpenMP keeps the threads of a parallel region for the next one: any that ran would still be here.
    EXPECT_EQ(threadCount(), before);
}

TEST(TextRecognizerTest, SaysWhichDataIsMissingInsteadOfStarting) {
    QTemporaryDir empty;
    ASSERT_TRUE(empty.isValid());
    TextRecognizer recognizer(QStringLiteral("eng+chi_sim"), empty.path());
    EXPECT_FALSE(recognizer.isReady());
    EXPECT_TRUE(recognizer.error().contains(QStringLiteral("tesseract-ocr-chi-sim")))
        << recognizer.error().toStdString();
    EXPECT_TRUE(recognizer.error().contains(empty.path()));
    EXPECT_FALSE(recognizer.recognize(QImage(10, 10, QImage::Format_Grayscale8)));

    // A language is a file name below the data folder, so only plain names are taken.
    for (const char *bad : {"../eng", "eng+", "", "eng chi_sim"}) {
        const TextRecognizer odd(QString::fromLatin1(bad));
        EXPECT_FALSE(odd.isReady()) << bad;
        EXPECT_FALSE(odd.error().isEmpty()) << bad;
    }
}

}  // namespace
