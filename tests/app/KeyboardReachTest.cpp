// A keyboard user's window: Tab reaches every control of the strip and of the camera dialog in the order
// they are seen, the focused one looks focused, and every strip control has a key.

#include "ServerSocket.h"
#include "TabChain.h"
#include "ViewerTestFixture.h"
#include "app/CameraDialog.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QKeySequence>
#include <QRegularExpression>
#include <QTest>

#include <sys/socket.h>

#include <algorithm>

namespace {

class KeyboardReachTest : public ViewerTestFixture {
  protected:
    void SetUp() override {
        startViewer(unusedLoopbackPort(SOCK_STREAM), unusedLoopbackPort(SOCK_DGRAM));
        viewer->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(viewer.get()));
    }

    // The strip's controls a keyboard user should reach, left to right as they are seen.
    QList<QWidget *> stripControls() const {
        QWidget *strip = viewer->ui().bottom_view;
        QList<QWidget *> controls;
        for (QWidget *widget : strip->findChildren<QWidget *>())
            if (widget->isVisibleTo(strip) && (widget->focusPolicy() & Qt::TabFocus)) controls << widget;
        std::sort(controls.begin(), controls.end(), [strip](QWidget *a, QWidget *b) {
            return a->mapTo(strip, QPoint()).x() < b->mapTo(strip, QPoint()).x();
        });
        return controls;
    }
};

TEST_F(KeyboardReachTest, TabVisitsTheStripLeftToRightAndShowsWhereFocusIs) {
    const QList<QWidget *> controls = stripControls();
    ASSERT_GE(controls.size(), 14);
    QList<QWidget *> reached = tabChain(controls.first());
    reached.removeIf([&](QWidget *widget) { return !controls.contains(widget); });
    EXPECT_EQ(objectNames(reached), objectNames(controls));

    for (QWidget *control : controls) {
        SCOPED_TRACE(control->objectName().toStdString());
        control->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(control->hasFocus());
        const QImage focused = control->grab().toImage();
        viewer->dragView()->setFocus(Qt::TabFocusReason);
        EXPECT_NE(control->grab().toImage(), focused) << "focus does not show";
    }
}

TEST_F(KeyboardReachTest, EveryButtonAndListOfTheStripNamesItsKey) {
    const QRegularExpression key(QStringLiteral("\\(([^()]+)\\)"));
    for (QWidget *control : stripControls()) {
        if (!qobject_cast<QAbstractButton *>(control) && !qobject_cast<QComboBox *>(control)) continue;
        SCOPED_TRACE(control->objectName().toStdString());
        const QRegularExpressionMatch match = key.match(control->toolTip());
        ASSERT_TRUE(match.hasMatch()) << control->toolTip().toStdString();
        EXPECT_FALSE(QKeySequence::fromString(match.captured(1).section(QStringLiteral(" / "), 0, 0),
                                              QKeySequence::NativeText)
                         .isEmpty());
    }
}

// Space is the freeze key, but a keyboard user presses the focused button with it.
TEST_F(KeyboardReachTest, SpacePressesTheFocusedButtonAndFreezesElsewhere) {
    const auto &ui = viewer->ui();
    EXPECT_EQ(viewer->focusWidget(), viewer->dragView()) << "the picture has the focus at start";
    ui.suitable_button->setFocus(Qt::TabFocusReason);
    ui.ns_slider_zoom->setValue(150);
    QTest::keyClick(ui.suitable_button, Qt::Key_Space);
    EXPECT_NE(ui.ns_slider_zoom->value(), 150) << "the fit button was not pressed";
    EXPECT_FALSE(ui.freeze_button->isChecked());

    viewer->dragView()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(viewer->dragView(), Qt::Key_Space);
    // A shortcut clicks its button with an animation that ends a moment later.
    EXPECT_TRUE(QTest::qWaitFor([&] { return ui.freeze_button->isChecked(); }, 2000));
}

TEST_F(KeyboardReachTest, F4OpensTheResolutionList) {
    QTest::keyClick(viewer.get(), Qt::Key_F4);
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer->ui().ctrl_resolve_list->view()->isVisible(); }, 2000));
    viewer->ui().ctrl_resolve_list->hidePopup();
}

TEST_F(KeyboardReachTest, TabGoesThroughTheCameraDialogInReadingOrder) {
    CameraDialog dialog(viewer->camera(), {}, viewer.get());
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const QList<QWidget *> reached = tabChain(dialog.findChild<QWidget *>(QStringLiteral("camera_host")));
    QStringList names = objectNames(reached);
    // The buttons of the OK row have no names of their own: their texts tell them apart.
    for (qsizetype i = 0; i < reached.size(); ++i)
        if (auto *button = qobject_cast<QAbstractButton *>(reached[i]); button && names[i] == "QPushButton")
            names[i] = button->text().remove(QLatin1Char('&'));
    EXPECT_EQ(names.join(QLatin1Char(' ')).toStdString(),
              "camera_host camera_image_port camera_command_port camera_factory camera_test OK Cancel");
}

}  // namespace
