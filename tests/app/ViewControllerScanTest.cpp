// Scan mode of the live viewer, end to end: deskcam-sim sends its page on a desk over loopback, the viewer
// runs on the offscreen platform with a save root in a temporary folder. The outline finds the page, the
// corners can be dragged, pages are added, saved as a PDF whose text pdftotext reads back, and the page's
// text is copied; a save that cannot be written keeps the pages.

#include "app/ViewController.h"

#include "PagePicture.h"
#include "SavingViewerFixture.h"
#include "SendMouse.h"
#include "app/ScanMenu.h"
#include "app/ScanPageStrip.h"
#include "viewer/DKBookmark.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int kCameraWaitMs = 8000;
constexpr int kWorkWaitMs = 60000;  // reading the text of a page or two under the sanitizers

// The page's words as printed that OCR should give back: the longer words of its English lines.
QStringList pageWords() {
    QStringList words;
    for (const QString &line : PagePicture::englishLines()) {
        for (const QString &word : line.split(QLatin1Char(' '))) {
            QString bare = word;
            bare.remove(QRegularExpression(QStringLiteral("[^A-Za-z]")));
            if (bare.size() >= 6) words << bare;
        }
    }
    return words;
}

// How many of the page's words text holds.
int wordsFound(const QString &text) {
    int found = 0;
    for (const QString &word : pageWords()) found += text.contains(word, Qt::CaseInsensitive) ? 1 : 0;
    return found;
}

QString runTool(const QString &program, const QStringList &arguments) {
    QProcess tool;
    tool.start(program, arguments);
    if (!tool.waitForFinished(30000)) return {};
    return QString::fromUtf8(tool.readAllStandardOutput());
}

class ViewControllerScanTest : public SavingViewerFixture {
  protected:
    void SetUp() override {
        SavingViewerFixture::SetUp();
        if (HasFatalFailure()) return;
        ASSERT_TRUE(simulator.start({"--picture", "page"}));
        startViewer(simulator.imagePort(), simulator.commandPort());
        ASSERT_TRUE(QTest::qWaitFor([&] { return viewer->shownImageBytes() != nullptr; }, kCameraWaitMs));
    }
    ScanMode &scan() { return viewer->scanMode(); }
    ScanMenu &menu() { return *viewer->ui().scan_menu; }

    // Scan mode on, and the outline found in the picture.
    void turnOnAndFind() {
        viewer->ui().scan_button->click();
        ASSERT_TRUE(scan().isActive());
        QSignalSpy found(&scan(), &ScanMode::outlineFound);
        ASSERT_TRUE(found.wait(kCameraWaitMs));
    }
    bool addPages(int count) {
        for (int i = 0; i < count; ++i) menu().add_page_action->trigger();
        return QTest::qWaitFor([&] { return scan().pendingWork() == 0; }, kWorkWaitMs);
    }
    ScanSaver::Outcome saveAndWait() {
        QSignalSpy finished(&scan(), &ScanMode::saveFinished);
        menu().save_pdf_action->trigger();
        EXPECT_TRUE(scan().isSaving());
        EXPECT_TRUE(finished.wait(kWorkWaitMs));
        if (finished.isEmpty()) return {};
        return finished.front().front().value<ScanSaver::Outcome>();
    }
    QString readAlert() {
        auto *alert = viewer->findChild<QMessageBox *>();
        if (!alert || !alert->isVisible()) return QStringLiteral("<no alert>");
        const QString text = alert->text();
        alert->buttons().front()->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return text;
    }
};

TEST_F(ViewControllerScanTest, TheOutlineLiesOnThePageAndItsCornersCanBeDragged) {
    turnOnAndFind();
    const PageQuad quad = scan().outline().quad();
    const QPolygonF truth = PagePicture::pageCorners(viewer->pictureSize());
    for (int i = 0; i < 4; ++i) {
        EXPECT_LT(QLineF(quad.corners[std::size_t(i)], truth[i]).length(), 0.02 * quad.diagonal())
            << "corner " << i;
    }
    // A press on the top-left corner takes it, not the picture: the picture stays where it is.
    MouseDragView *view = viewer->dragView();
    const QTransform toArea = viewer->displayGeometry().pictureToArea();
    const QPointF corner = toArea.map(quad.corners[PageQuad::TopLeft]);
    const QRectF surfaceBefore = viewer->displayGeometry().dragSurfaceFrame();
    sendMouse(view, QEvent::MouseButtonPress, corner + QPointF(3, 2), Qt::LeftButton);
    sendMouse(view, QEvent::MouseMove, corner + QPointF(40, 30), Qt::LeftButton);
    sendMouse(view, QEvent::MouseButtonRelease, corner + QPointF(40, 30), Qt::NoButton);
    EXPECT_EQ(viewer->displayGeometry().dragSurfaceFrame(), surfaceBefore);
    ASSERT_TRUE(scan().outline().isCorrected());
    const QPointF moved = toArea.map(scan().outline().quad().corners[PageQuad::TopLeft]);
    EXPECT_LT(QLineF(moved, corner + QPointF(40, 30)).length(), 1.0);
    // The still page keeps the correction through the finder's next results.
    QSignalSpy found(&scan(), &ScanMode::outlineFound);
    ASSERT_TRUE(found.wait(kCameraWaitMs));
    EXPECT_TRUE(scan().outline().isCorrected());
    // Off: no outline, and nothing to add.
    viewer->ui().scan_button->click();
    EXPECT_TRUE(scan().outline().isEmpty());
    EXPECT_FALSE(menu().add_page_action->isEnabled());
}

TEST_F(ViewControllerScanTest, TwoPagesAreSavedAsOnePdfWithTheirTextAndLeaveTheStrip) {
    turnOnAndFind();
    ASSERT_TRUE(addPages(2));
    ASSERT_EQ(scan().pages().count(), 2);
    EXPECT_EQ(scan().strip().count(), 2);
    EXPECT_TRUE(scan().strip().isVisible());
    // A page is upright and of A4's shape, like the sheet on the desk.
    const QImage page = scan().pages().at(0).picture;
    EXPECT_NEAR(double(page.height()) / page.width(), 297.0 / 210.0, 0.08);

    const ScanSaver::Outcome outcome = saveAndWait();
    ASSERT_TRUE(outcome.saved) << outcome.error.toStdString();
    EXPECT_TRUE(outcome.path.startsWith(root + "/Scans/scan_")) << outcome.path.toStdString();
    EXPECT_TRUE(readAlert().contains(outcome.path));
    EXPECT_EQ(scan().pages().count(), 0);
    EXPECT_EQ(scan().strip().count(), 0);
    EXPECT_TRUE(runTool("pdfinfo", {outcome.path}).contains(QRegularExpression("Pages:\\s+2\\b")));
    const QString text = runTool("pdftotext", {outcome.path, "-"});
    EXPECT_GE(wordsFound(text), pageWords().size() * 2 / 3) << text.toStdString();
    EXPECT_EQ(text.count("Worksheet", Qt::CaseInsensitive), 2) << "both pages have the text";
}

TEST_F(ViewControllerScanTest, CopyTextPutsThePagesWordsOnTheClipboard) {
    turnOnAndFind();
    QSignalSpy copied(&scan(), &ScanMode::textCopied);
    menu().copy_text_action->trigger();
    ASSERT_TRUE(copied.wait(kWorkWaitMs));
    const QString text = QGuiApplication::clipboard()->text();
    EXPECT_EQ(text, copied.front().front().toString());
    EXPECT_GE(wordsFound(text), pageWords().size() * 2 / 3) << text.toStdString();
    EXPECT_TRUE(viewer->notice().text().contains(QString::number(text.size())));
}

TEST_F(ViewControllerScanTest, ASaveThatCannotBeWrittenSaysSoAndKeepsThePages) {
    // The scans' folder cannot be made: a file has its name.
    QFile blocker(root + "/Scans");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    turnOnAndFind();
    ASSERT_TRUE(addPages(1));
    const ScanSaver::Outcome outcome = saveAndWait();
    EXPECT_FALSE(outcome.saved);
    EXPECT_FALSE(outcome.error.isEmpty());
    const QString alert = readAlert();
    EXPECT_TRUE(alert.contains(outcome.error)) << alert.toStdString();
    EXPECT_EQ(scan().pages().count(), 1);
    EXPECT_TRUE(menu().save_pdf_action->isEnabled()) << "to be saved again";
    EXPECT_TRUE(QFileInfo(root + "/Scans").isFile());
}

}  // namespace
