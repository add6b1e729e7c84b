#include "app/ResolutionMenu.h"

#include "app/ViewControllerLayout.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QHash>
#include <QStyle>
#include <QStyleFactory>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>

namespace {

double luminance(QRgb colour) {
    const auto channel = [](int value) {
        const double c = value / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(colour)) + 0.7152 * channel(qGreen(colour)) +
           0.0722 * channel(qBlue(colour));
}

// The WCAG contrast ratio, 1 (none) to 21 (black on white).
double contrast(QRgb a, QRgb b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// One entry of the open list as drawn: its background (the commonest colour), its text (the colour that
// stands out most from it) and the leftmost column that carries anything but the background.
struct Entry {
    QRgb background = 0;
    double textContrast = 1;
    int firstInk = -1;
};

Entry readEntry(const QImage &shot, const QRect &rect) {
    QHash<QRgb, int> counts;
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x) ++counts[shot.pixel(x, y)];
    Entry entry;
    int most = 0;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > most) most = it.value(), entry.background = it.key();
    for (int x = rect.left(); x <= rect.right(); ++x) {
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            const double c = contrast(shot.pixel(x, y), entry.background);
            entry.textContrast = std::max(entry.textContrast, c);
            if (c > 1.5 && entry.firstInk < 0) entry.firstInk = x;
        }
    }
    return entry;
}

class ResolutionMenuTest : public testing::TestWithParam<QString> {
  protected:
    void SetUp() override {
        original_ = QApplication::style()->name();
        QApplication::setStyle(QStyleFactory::create(GetParam()));
        ui_.setupUi(&window_);
        window_.resize(1000, 600);
        window_.show();
        menu()->addItems({"1920*1080", "1280*720", "640*480"});
        menu()->setCurrentIndex(1);
    }
    void TearDown() override {
        menu()->hidePopup();
        QApplication::setStyle(QStyleFactory::create(original_));
    }
    QComboBox *menu() const { return ui_.ctrl_resolve_list; }

    QString original_;
    QWidget window_;
    ViewControllerLayout ui_;
};

TEST_P(ResolutionMenuTest, TheOpenListIsLegibleAndMarksTheCurrentSize) {
    menu()->showPopup();
    QAbstractItemView *list = menu()->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(list->window()));
    // The mouse rests on the last entry.
    list->setCurrentIndex(list->model()->index(2, 0));
    const QImage shot = list->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal scale = shot.devicePixelRatio();

    EXPECT_GE(list->viewport()->width(), list->sizeHintForColumn(0)) << "every entry shows in full";
    Entry entries[3];
    for (int row = 0; row < 3; ++row) {
        SCOPED_TRACE(row);
        const QRect rect = list->visualRect(list->model()->index(row, 0));
        ASSERT_FALSE(rect.isEmpty());
        entries[row] = readEntry(shot, QRect(rect.topLeft() * scale, rect.size() * scale) & shot.rect());
        EXPECT_GE(entries[row].textContrast, 4.5);
        EXPECT_GE(entries[row].firstInk, 0);
    }
    EXPECT_NE(entries[2].background, entries[0].background) << "the entry under the mouse stands out";
    EXPECT_EQ(entries[1].background, entries[0].background);
    // The current size carries a mark before its text; the others start with their text.
    EXPECT_EQ(entries[0].firstInk, entries[2].firstInk);
    EXPECT_LT(entries[1].firstInk, entries[0].firstInk - 4);
}

INSTANTIATE_TEST_SUITE_P(EveryStyle, ResolutionMenuTest, testing::ValuesIn(QStyleFactory::keys()),
                         [](const auto &info) { return info.param.toStdString(); });

}  // namespace
