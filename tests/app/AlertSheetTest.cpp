#include "app/AlertSheet.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(AlertSheet, ShowsOneOkButtonModalToItsWindowWithoutWaiting) {
    QWidget window;
    window.show();
    QPointer<QMessageBox> alert = AlertSheet::begin(&window, QStringLiteral("Image save failed."));

    // begin() has returned while the alert is up: the caller was not held.
    ASSERT_TRUE(alert);
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->text(), "Image save failed.");
    EXPECT_EQ(alert->icon(), QMessageBox::Warning);
    EXPECT_EQ(alert->windowModality(), Qt::WindowModal);
    EXPECT_EQ(alert->parentWidget(), &window);
    ASSERT_EQ(alert->buttons().size(), 1);
    EXPECT_EQ(alert->buttons().front()->text(), "OK");

    alert->buttons().front()->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(alert) << "a dismissed alert deletes itself";
}

}  // namespace
