// PDFs of scanned pages read back with poppler's pdfinfo and pdftotext: pages, their sizes and their
// text; and every way of failing leaves no file behind.

#include "scan/ScanPdfWriter.h"

#include "ChildProcess.h"
#include "SyntheticPage.h"
#include "viewer/DKBookmark.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

std::string run(const std::vector<std::string> &argv) {
    ChildProcess child(argv);
    std::string out = child.readAll();
    return child.wait() == 0 ? out : std::string();
}

// "Page    2 size: 595.3 x 842 pts (A4)" for every page.
std::vector<QSizeF> pageSizes(const QString &pdf) {
    const QString info =
        QString::fromStdString(run({PDFINFO_PATH, "-f", "1", "-l", "100", pdf.toStdString()}));
    static const QRegularExpression size(QStringLiteral("Page +\\d+ size: +([\\d.]+) x ([\\d.]+) pts"));
    std::vector<QSizeF> sizes;
    for (auto it = size.globalMatch(info); it.hasNext();) {
        const auto match = it.next();
        sizes.emplace_back(match.captured(1).toDouble(), match.captured(2).toDouble());
    }
    return sizes;
}

QString pdfText(const QString &pdf) {
    return QString::fromStdString(run({PDFTOTEXT_PATH, pdf.toStdString(), "-"}));
}

class ScanPdfWriterTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }
    QStringList leftovers() const { return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden); }

    QTemporaryDir folder;
};

TEST_F(ScanPdfWriterTest, WritesEachPageAtItsAspectWithItsText) {
    // A page as straightened from a 1080p frame, and a small one lying across (below the resolution
    // Tesseract takes as given).
    const QImage english = SyntheticPage::sheet(SyntheticPage::Script::English, 16, 1000);
    const QImage wide =
        SyntheticPage::sheet(SyntheticPage::Script::English, 16, 500).transformed(QTransform().rotate(90));
    const QString path = folder.filePath(QStringLiteral("two.pdf"));
    ScanPdfWriter pdf(path, {QStringLiteral("eng"), {}});
    EXPECT_TRUE(pdf.hasTextLayer());
    EXPECT_TRUE(pdf.note().isEmpty()) << pdf.note().toStdString();
    ASSERT_TRUE(pdf.addPage(english)) << pdf.error().toStdString();
    ASSERT_TRUE(pdf.addPage(wide)) << pdf.error().toStdString();
    EXPECT_FALSE(QFile::exists(path));  // not before it is complete
    ASSERT_TRUE(pdf.finish()) << pdf.error().toStdString();

    const std::vector<QSizeF> sizes = pageSizes(path);
    ASSERT_EQ(sizes.size(), 2u);
    const double a4LongSide = 297 / 25.4 * 72;
    EXPECT_NEAR(sizes[0].height(), a4LongSide, 0.01 * a4LongSide);
    EXPECT_NEAR(sizes[0].width() / sizes[0].height(), double(english.width()) / english.height(), 0.01);
    EXPECT_NEAR(sizes[1].width(), a4LongSide, 0.01 * a4LongSide);
    EXPECT_NEAR(sizes[1].height() / sizes[1].width(), double(english.width()) / english.height(), 0.01);
    const QString text = pdfText(path);
    EXPECT_GE(
        SyntheticPage::wordRecall(SyntheticPage::lines(SyntheticPage::Script::English).join(u' '), text),
        0.95)
        << text.toStdString();
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("two.pdf")});
}

TEST_F(ScanPdfWriterTest, WritesThePagesWithoutTextWhenTheLanguageIsMissing) {
    QTemporaryDir noData;
    const QString path = folder.filePath(QStringLiteral("pictures.pdf"));
    ScanPdfWriter pdf(path, {QStringLiteral("eng"), noData.path()});
    EXPECT_FALSE(pdf.hasTextLayer());
    EXPECT_TRUE(pdf.note().contains(QStringLiteral("tesseract-ocr-eng"))) << pdf.note().toStdString();
    ASSERT_TRUE(pdf.addPage(SyntheticPage::sheet(SyntheticPage::Script::English, 16, 600)));
    ASSERT_TRUE(pdf.finish()) << pdf.error().toStdString();
    ASSERT_EQ(pageSizes(path).size(), 1u);
    EXPECT_NEAR(pageSizes(path)[0].height(), 297 / 25.4 * 72, 8);
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("pictures.pdf")});
}

TEST_F(ScanPdfWriterTest, LeavesNoFileWhenItCannotFinish) {
    const QImage page = SyntheticPage::sheet(SyntheticPage::Script::English, 16, 300);
    // A file where the folder should be: nothing can be written there (even by root).
    QFile blocker(folder.filePath(QStringLiteral("blocker")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ScanPdfWriter unwritable(folder.filePath(QStringLiteral("blocker/out.pdf")), {QStringLiteral("eng"), {}});
    EXPECT_FALSE(unwritable.addPage(page));
    EXPECT_FALSE(unwritable.finish());
    EXPECT_TRUE(unwritable.error().contains(QStringLiteral("cannot write")))
        << unwritable.error().toStdString();

    {
        ScanPdfWriter abandoned(folder.filePath(QStringLiteral("abandoned.pdf")),
                                {QStringLiteral("eng"), {}});
        ASSERT_TRUE(abandoned.addPage(page));
    }
    ScanPdfWriter empty(folder.filePath(QStringLiteral("empty.pdf")), {QStringLiteral("eng"), {}});
    EXPECT_FALSE(empty.finish());
    EXPECT_FALSE(empty.addPage(QImage()));
    EXPECT_EQ(leftovers(), QStringList{QStringLiteral("blocker")});
}

TEST_F(ScanPdfWriterTest, NamesScansLikeCapturesInTheirOwnFolder) {
    const QDateTime when(QDate(2024, 3, 5), QTime(14, 7, 9));
    const QString first = ScanPdfWriter::newScanPath(folder.path(), when);
    EXPECT_EQ(first, folder.filePath(QStringLiteral("Scans/scan_20240305_140709.pdf")));
    EXPECT_TRUE(QDir(folder.filePath(QLatin1String(DKBookmark::kScanFolder))).exists());
    EXPECT_EQ(ScanPdfWriter::newScanPath(folder.path(), when),
              folder.filePath(QStringLiteral("Scans/scan_20240305_140709-2.pdf")));
}

}  // namespace
