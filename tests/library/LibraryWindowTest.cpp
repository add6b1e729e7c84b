#include "library/LibraryWindow.h"

#include "LibraryTestApplication.h"
#include "library/LibraryViewController.h"
#include "viewer/DKBookmark.h"

#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void runEventsWhile(const std::function<bool()> &busy) {
    QElapsedTimer clock;
    clock.start();
    while (busy() && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(LibraryWindowTest, OneWindowThatASecondPressRaisesAndACloseEnds) {
    ensureLibraryTestApplication();
    QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    // The app's save location, with a root known for this run, so no folder panel is shown.
    DKBookmark::defaultShareBookmark().setSavePath(DKBookmark::CreateDirectory(root.filePath("ZUVA")));

    QPointer<LibraryViewController> first = LibraryWindow::present();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_TRUE(first->isWindow());
    EXPECT_EQ(first->rootNode()->path, root.filePath("ZUVA"));

    first->hide();
    EXPECT_EQ(LibraryWindow::present(), first.data());
    EXPECT_TRUE(first->isVisible());

    first->close();
    runEventsWhile([&] { return !first.isNull(); });
    EXPECT_TRUE(first.isNull());  // closing deletes the window

    QPointer<LibraryViewController> second = LibraryWindow::present();
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->isVisible());
    second->close();
    runEventsWhile([&] { return !second.isNull(); });
}

}  // namespace
