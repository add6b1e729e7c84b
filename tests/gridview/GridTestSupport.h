#pragma once

// A data source, a recording delegate and a scroll-area fixture shared by the grid's widget tests.

#include "gridview/GridView.h"
#include "gridview/GridViewNotifications.h"
#include "gridview/NotificationCenter.h"

#include <QApplication>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

// Counts the views it makes and takes back; leaves gaps where asked.
class TestDataSource : public GridViewDataSource {
  public:
    GridIndex count = 0;
    int created = 0;
    int dequeued = 0;
    int asked = 0;
    std::set<GridIndex> gaps;

    GridIndex gridViewNumberOfItemsInSection(GridView *, GridIndex) override { return count; }
    GridViewItemBase *gridViewItemAtIndex(GridView *grid, GridIndex index, GridIndex) override {
        ++asked;
        if (gaps.count(index) != 0) return nullptr;
        GridViewItem *item =
            grid->dequeueReusableItemWithIdentifier(GridViewItemBase::kDefaultItemIdentifier);
        if (item != nullptr) {
            ++dequeued;
        } else {
            item = new GridViewItem;
            ++created;
        }
        item->setItemTitle(QString::number(index));
        return item;
    }
};

// Records every notification the grid posts ("nc ...") and every delegate call ("dg ..."), in one list, so
// tests see both the events and their order. An entry reads "<who> <event> <argument>", the event being the
// notification's name without "GridView".
class EventLog : public GridViewDelegate {
  public:
    std::vector<std::string> entries;

    void watch(GridView *grid) {
        registration_ = NotificationCenter::defaultCenter().observe(
            QString(), grid, [this](const Notification &n) { record("nc", n.name, argument(n.userInfo)); });
        grid->setDelegate(this);
    }
    void clear() { entries.clear(); }
    // The delegate's calls whose event name contains part, without the "dg " prefix.
    std::vector<std::string> calls(const std::string &part = "") const {
        std::vector<std::string> found;
        for (const std::string &e : entries) {
            if (e.rfind("dg ", 0) == 0 && e.find(part) != std::string::npos) found.push_back(e.substr(3));
        }
        return found;
    }
    // True when every delegate call directly follows the same event posted to observers.
    bool observersHeardFirst() const {
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].rfind("dg ", 0) != 0) continue;
            if (i == 0 || entries[i - 1] != "nc " + entries[i].substr(3)) return false;
        }
        return true;
    }

    void gridViewWillHoverItemAtIndex(GridView *, GridIndex i, GridIndex) override { dg("WillHoverItem", i); }
    void gridViewWillUnhoverItemAtIndex(GridView *, GridIndex i, GridIndex) override {
        dg("WillUnhoverItem", i);
    }
    void gridViewWillSelectItemAtIndex(GridView *, GridIndex i, GridIndex) override {
        dg("WillSelectItem", i);
    }
    void gridViewDidSelectItemAtIndex(GridView *, GridIndex i, GridIndex) override { dg("DidSelectItem", i); }
    void gridViewWillDeselectItemAtIndex(GridView *, GridIndex i, GridIndex) override {
        dg("WillDeselectItem", i);
    }
    void gridViewDidDeselectItemAtIndex(GridView *, GridIndex i, GridIndex) override {
        dg("DidDeselectItem", i);
    }
    void gridViewWillDeselectAllItems(GridView *, const QList<GridViewItemBase *> &items) override {
        record("dg", GridViewWillDeselectAllItemsNotification, std::to_string(items.size()));
    }
    void gridViewDidDeselectAllItems(GridView *) override {
        record("dg", GridViewDidDeselectAllItemsNotification, "");
    }
    void gridViewDidClickItemAtIndex(GridView *, GridIndex i, GridIndex) override { dg("DidClickItem", i); }
    void gridViewDidDoubleClickItemAtIndex(GridView *, GridIndex i, GridIndex) override {
        dg("DidDoubleClickItem", i);
    }
    void gridViewDidActivateContextMenuWithIndexes(GridView *, const GridIndexSet &indexes,
                                                   GridIndex) override {
        record("dg", GridViewRightMouseButtonClickedOnItemNotification, setText(indexes));
    }

  private:
    static std::string indexText(GridIndex index) {
        return index == kNotFound ? "none" : std::to_string(index);
    }
    static std::string setText(const GridIndexSet &indexes) {
        std::string text;
        for (GridIndex i : indexes) {
            if (!text.empty()) text += ',';
            text += std::to_string(i);
        }
        return text;
    }
    static std::string argument(const QVariantMap &info) {
        if (info.contains(GridViewItemIndexKey))
            return indexText(info.value(GridViewItemIndexKey).value<quint64>());
        if (info.contains(GridViewSelectedItemsKey)) {
            return std::to_string(
                info.value(GridViewSelectedItemsKey).value<QList<GridViewItemBase *>>().size());
        }
        if (info.contains(GridViewItemsIndexSetKey)) {
            return setText(info.value(GridViewItemsIndexSetKey).value<GridIndexSet>());
        }
        return "";
    }
    void record(const char *who, const QString &name, const std::string &argument) {
        std::string text = std::string(who) + " " + name.mid(int(std::strlen("GridView"))).toStdString();
        if (!argument.empty()) text += " " + argument;
        entries.push_back(text);
    }
    void dg(const char *event, GridIndex index) {
        record("dg", QStringLiteral("GridView") + event, indexText(index));
    }

    NotificationCenter::Registration registration_;
};

// A grid of 200 x 150 items in a scroll area whose viewport is 620 x 600: 3 columns, 4 rows in view.
class GridFixture : public testing::Test {
  protected:
    static constexpr int kViewportWidth = 620;
    static constexpr int kViewportHeight = 600;

    void SetUp() override {
        area = std::make_unique<QScrollArea>();
        area->setFrameShape(QFrame::NoFrame);
        grid = new GridView;
        area->setWidget(grid);
        grid->setItemSize(QSizeF(200, 150));
        grid->setDataSource(&dataSource);
        log.watch(grid);
        area->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(area.get()));
        setViewportSize(QSize(kViewportWidth, kViewportHeight));
    }

    void TearDown() override {
        if (grid) {
            EXPECT_TRUE(grid->itemStore().holdsInvariant());
            grid->setDelegate(nullptr);
        }
        area.reset();
    }

    void setViewportSize(QSize size) {
        QSize chrome = area->size() - area->viewport()->size();
        area->resize(size + chrome);
        settle();
    }

    // Lets the queued half of every refresh run and ends any animation.
    void settle() {
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        grid->updateVisibleRect();
        EXPECT_TRUE(grid->itemStore().holdsInvariant());
    }

    void load(GridIndex count) {
        dataSource.count = count;
        grid->reloadData();
        settle();
    }

    void scrollTo(int y) {
        area->verticalScrollBar()->setValue(y);
        settle();
    }

    QPoint centreOf(GridIndex index) const { return grid->rectForItemAtIndex(index).center().toPoint(); }

    GridViewItemBase *placed(GridIndex index) const {
        for (GridViewItemBase *item : grid->findChildren<GridViewItemBase *>()) {
            if (item->index() == index && !item->isHidden()) return item;
        }
        return nullptr;
    }

    TestDataSource dataSource;
    EventLog log;
    std::unique_ptr<QScrollArea> area;
    QPointer<GridView> grid;
};
