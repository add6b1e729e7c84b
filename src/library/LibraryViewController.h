#pragma once

// The library window: the folder tree of the save root on the left, the thumbnail grid of the chosen
// folder on the right, and two buttons, one to choose another save folder and one to show the save root in
// the desktop's file manager. The controller serves both the outline (as its data source and delegate)
// and the grid (as its data source and delegate).
//
// What the grid shows: at set-up the save root's "CaptureImages" (PNG captures); after a click on a folder
// named exactly "CaptureImages" its PNGs, "RidirOvozev" its MP4 recordings, "Scans" its PDFs, "Digest"
// nothing; any other folder leaves the grid as it is.
//
// Gathering a folder decodes every capture to make its thumbnail, which takes seconds for a few hundred
// full-size captures. So it runs on the shared work queue, one file after the other in the folder's
// listing order, and each entry joins the grid as soon as it is made; a new gathering drops what an
// older one had still to deliver. Entries are the same, and in the same order, as a gathering on the spot
// would give.
//
// Thread use: the GUI thread, except the gathering job, which touches nothing of the controller and hands
// its entries back through the GUI thread's event loop.

#include "gridview/GridView.h"
#include "gridview/GridViewDataSource.h"
#include "gridview/GridViewDelegate.h"
#include "gridview/GridViewItemLayout.h"
#include "library/LibraryOutlineModel.h"
#include "library/SimpleNodeData.h"
#include "viewer/DKBookmark.h"

#include <QFileIconProvider>
#include <QList>
#include <QUrl>
#include <QVariantMap>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class ImageAndTextCell;
class QLabel;
class QPushButton;
class QScrollArea;
class QTreeView;

class LibraryViewController : public QWidget,
                              public OutlineViewDataSource,
                              public GridViewDataSource,
                              public GridViewDelegate {
    Q_OBJECT
  public:
    // What the window asks of the desktop; tests put their own in, so no dialog or program ever opens.
    struct Services {
        DKBookmark::FolderChooser chooseFolder;  // modal choice of one folder; empty when cancelled
        // A file in its default program, a folder in the file manager; false when nothing opened it.
        std::function<bool(const QUrl &)> openUrl;
    };
    static Services desktopServices();

    static constexpr const char *kRootNodeName = "资料库";
    static constexpr const char *kDigestFolder = "Digest";
    static constexpr const char *kGridItemIdentifier = "GridViewItem";
    static constexpr int kOutlineRowHeight = 36;
    static constexpr QSize kItemSize{200, 150};

    // Builds the window and runs the set-up (which asks the user for a save root if none is known yet).
    explicit LibraryViewController(DKBookmark &bookmark, Services services = desktopServices(),
                                   QWidget *parent = nullptr);
    ~LibraryViewController() override;
    // Rings the grid's pane while the grid has the keyboard focus.
    bool eventFilter(QObject *watched, QEvent *event) override;

    // --- set-up
    // Builds the tree from the save root and sets the outline and the grid up; run again after the save
    // root changes.
    void init_girdview();
    void init_outlineview();
    std::unique_ptr<SimpleNodeData> treeNodeFromDictionary(const QString &name, const QString &path);

    // --- outline
    int outlineViewNumberOfChildrenOfItem(SimpleNodeData *item) override;
    SimpleNodeData *outlineViewChild(int index, SimpleNodeData *item) override;
    bool outlineViewIsItemExpandable(SimpleNodeData *item) override;
    bool outlineViewCanFetchChildren(SimpleNodeData *item) override;
    SimpleNodeData::Children outlineViewFetchChildren(SimpleNodeData *item) override;
    void outlineViewWillDisplayCell(const QString &columnIdentifier, SimpleNodeData *item) override;
    void outlineViewSelectionDidChange();
    const std::vector<std::unique_ptr<SimpleNodeData>> &childrenForItem(SimpleNodeData *item) const;

    // --- buttons
    void btn_set_folder();
    void btnOpenLibraryFinder();

    // --- grid
    // Replaces the grid's entries with folder's files of type ("png" or "mp4"); no folder empties the grid.
    void gatherAppData(const std::optional<QString> &folder, const QString &type);
    void updateData();
    bool isGathering() const { return gatherJob_ != nullptr; }

    GridIndex gridViewNumberOfItemsInSection(GridView *gridView, GridIndex section) override;
    GridViewItemBase *gridViewItemAtIndex(GridView *gridView, GridIndex index, GridIndex section) override;
    void gridViewDidClickItemAtIndex(GridView *gridView, GridIndex index, GridIndex section) override;
    void gridViewDidDoubleClickItemAtIndex(GridView *gridView, GridIndex index, GridIndex section) override;
    void gridViewDidActivateContextMenuWithIndexes(GridView *gridView, const GridIndexSet &indexes,
                                                   GridIndex section) override;
    void gridViewDidSelectItemAtIndex(GridView *gridView, GridIndex index, GridIndex section) override;
    void gridViewDidDeselectItemAtIndex(GridView *gridView, GridIndex index, GridIndex section) override;

    // --- for the window and its tests
    QTreeView *outlineView() const { return outlineView_; }
    LibraryOutlineModel *outlineModel() const { return outlineModel_; }
    GridView *gridView() const { return gridView_; }
    QScrollArea *gridScrollArea() const { return gridScrollArea_; }
    QPushButton *setFolderButton() const { return setFolderButton_; }
    QPushButton *openFinderButton() const { return openFinderButton_; }
    // Over the grid while the folder shown holds nothing of its kind; hidden otherwise.
    QLabel *emptyNote() const { return emptyNote_; }
    // Why the last double-clicked file could not be opened; empty when it opened.
    const QString &openFailure() const { return openFailure_; }
    SimpleNodeData *rootNode() const { return root_node_.get(); }
    const QList<QVariantMap> &items() const { return items_; }
    const GridViewItemLayoutPtr &defaultLayout() const { return defaultLayout_; }
    const GridViewItemLayoutPtr &hoverLayout() const { return hoverLayout_; }
    const GridViewItemLayoutPtr &selectionLayout() const { return selectionLayout_; }

  signals:
    // The last entry of a gathering has joined the grid (or the gathering had nothing to do).
    void gatheringFinished();

  private:
    class GatherJob;

    void buildWindow();
    void cancelGathering();
    void appendGatheredItem(const std::shared_ptr<GatherJob> &job, const QVariantMap &item);
    void finishGathering(const std::shared_ptr<GatherJob> &job);
    void openFile(const QString &path);
    // The save root's folder of that name, or none without a save root.
    std::optional<QString> folderInRoot(const QString &root, const QString &name) const;

    DKBookmark &bookmark_;
    Services services_;

    // --- tree side
    QTreeView *outlineView_ = nullptr;
    LibraryOutlineModel *outlineModel_ = nullptr;
    ImageAndTextCell *cell_ = nullptr;
    std::unique_ptr<SimpleNodeData> root_node_;
    QFileIconProvider directory_manager_;
    QPushButton *setFolderButton_ = nullptr;
    QPushButton *openFinderButton_ = nullptr;

    // --- grid side
    GridView *gridView_ = nullptr;
    QScrollArea *gridScrollArea_ = nullptr;
    QLabel *emptyNote_ = nullptr;
    QString openFailure_;
    QList<QVariantMap> items_;
    GridViewItemLayoutPtr defaultLayout_;
    GridViewItemLayoutPtr hoverLayout_;
    GridViewItemLayoutPtr selectionLayout_;
    // The running gathering, shared with its job on the work queue; null when none runs.
    std::shared_ptr<GatherJob> gatherJob_;
};
