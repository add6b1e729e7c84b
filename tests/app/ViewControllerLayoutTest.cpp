#include "app/ViewControllerLayout.h"

#include <QApplication>
#include <QLayout>
#include <QSlider>

#include <gtest/gtest.h>

namespace {

// The window of the viewer, shown, then given a camera's list, then made as small as it goes.
class ViewControllerLayoutTest : public testing::Test {
  protected:
    void SetUp() override {
        ui.setupUi(&window);
        window.show();
        QApplication::processEvents();
        ui.ctrl_resolve_list->addItems({"3840*2160", "1920*1080", "1280*720", "640*480"});
        QApplication::processEvents();
        window.resize(window.minimumSizeHint());
        QApplication::processEvents();
    }

    QWidget window;
    ViewControllerLayout ui;
};

TEST_F(ViewControllerLayoutTest, FitsA1024PixelScreenWithoutOverlappingControls) {
    EXPECT_LE(window.minimumSizeHint().width(), 1000);
    EXPECT_EQ(window.width(), window.minimumSizeHint().width());
    const QRect strip = ui.bottom_view->rect();
    QList<QWidget *> controls;
    for (QWidget *child : ui.bottom_view->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (child->isVisible()) controls.append(child);
    }
    ASSERT_GE(controls.size(), 14);
    for (int i = 0; i < controls.size(); ++i) {
        SCOPED_TRACE(controls[i]->objectName().toStdString());
        EXPECT_TRUE(strip.contains(controls[i]->geometry()));
        // Only the sliders give up width; the menu still shows its longest entry.
        const bool slider = qobject_cast<QSlider *>(controls[i]) != nullptr;
        EXPECT_GE(controls[i]->width(),
                  slider ? controls[i]->minimumWidth() : controls[i]->sizeHint().width());
        for (int j = i + 1; j < controls.size(); ++j)
            EXPECT_FALSE(controls[i]->geometry().intersects(controls[j]->geometry()))
                << "overlaps " << controls[j]->objectName().toStdString();
    }
}

}  // namespace
