#include "library/LibraryViewController.h"

#include "base/Log.h"
#include "dispatch/WorkQueue.h"
#include "l10n/Localization.h"
#include "library/FolderTree.h"
#include "library/ImageAndTextCell.h"
#include "library/LibraryImages.h"
#include "library/LibraryItems.h"

#include <QDesktopServices>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
#include <QTreeView>
#include <QVBoxLayout>

#include <mutex>

namespace {

constexpr int kOutlineWidth = 240;

// Hover: the desktop's mid grey; selection: a pale steel blue; both see-through.
const QColor kHoverBackground = QColor::fromRgbF(0.5, 0.5, 0.5, 0.42);
const QColor kSelectionBackground = QColor::fromRgbF(0.542, 0.699, 0.807, 0.42);

// "(0 3-5 9)": the indexes of a set, runs written as ranges.
QString indexSetText(const GridIndexSet &indexes) {
    QStringList runs;
    for (auto it = indexes.begin(); it != indexes.end();) {
        const GridIndex first = *it;
        GridIndex last = first;
        while (++it != indexes.end() && *it == last + 1) last = *it;
        runs << (first == last ? QString::number(first) : QStringLiteral("%1-%2").arg(first).arg(last));
    }
    return QStringLiteral("(%1)").arg(runs.join(u' '));
}

}  // namespace

// One gathering, shared by the controller and the job on the work queue. The job hands results to the
// controller's thread only while the controller holds on; the lock keeps the controller from going away
// in the middle of a hand-over.
class LibraryViewController::GatherJob {
  public:
    explicit GatherJob(LibraryViewController *owner) : owner_(owner) {}

    // Work-queue side: runs deliver on the controller's thread later; false once the controller let go.
    bool post(std::function<void(LibraryViewController &)> deliver) {
        std::lock_guard lock(mutex_);
        if (!owner_) return false;
        LibraryViewController *owner = owner_;
        QMetaObject::invokeMethod(
            owner, [owner, deliver = std::move(deliver)] { deliver(*owner); }, Qt::QueuedConnection);
        return true;
    }

    bool released() const {
        std::lock_guard lock(mutex_);
        return owner_ == nullptr;
    }

    // GUI-thread side: nothing more is posted after this returns.
    void release() {
        std::lock_guard lock(mutex_);
        owner_ = nullptr;
    }

  private:
    mutable std::mutex mutex_;
    LibraryViewController *owner_;
};

LibraryViewController::Services LibraryViewController::desktopServices() {
    return {&DKBookmark::chooseFolderWithPanel,
            [](const QUrl &url) { return QDesktopServices::openUrl(url); }};
}

LibraryViewController::LibraryViewController(DKBookmark &bookmark, Services services, QWidget *parent)
    : QWidget(parent), bookmark_(bookmark), services_(std::move(services)) {
    buildWindow();
    init_girdview();
}

LibraryViewController::~LibraryViewController() {
    cancelGathering();
    // Child widgets outlive this object's members for a moment: unhook the grid and take the outline down
    // before the tree it shows goes away.
    gridView_->setDataSource(nullptr);
    gridView_->setDelegate(nullptr);
    delete outlineView_;
    delete outlineModel_;
}

void LibraryViewController::buildWindow() {
    outlineView_ = new QTreeView;
    outlineModel_ = new LibraryOutlineModel(*this, this);
    cell_ = new ImageAndTextCell(this);
    outlineView_->setModel(outlineModel_);
    outlineView_->setItemDelegate(cell_);
    outlineView_->setHeaderHidden(true);
    outlineView_->setUniformRowHeights(true);
    outlineView_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    outlineView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    outlineView_->setIconSize(ImageAndTextCell::kImageSize);
    connect(outlineView_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LibraryViewController::outlineViewSelectionDidChange);

    const Localization &texts = Localization::shared();
    setWindowTitle(texts.text(QStringLiteral("library_window")));
    setFolderButton_ = new QPushButton(texts.text(QStringLiteral("choose_folder")));
    openFinderButton_ = new QPushButton(texts.text(QStringLiteral("show_in_files")));
    connect(setFolderButton_, &QPushButton::clicked, this, &LibraryViewController::btn_set_folder);
    connect(openFinderButton_, &QPushButton::clicked, this, &LibraryViewController::btnOpenLibraryFinder);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(setFolderButton_);
    buttons->addWidget(openFinderButton_);
    auto *side = new QWidget;
    auto *sideLayout = new QVBoxLayout(side);
    sideLayout->setContentsMargins(0, 0, 0, 0);
    sideLayout->addWidget(outlineView_);
    sideLayout->addLayout(buttons);

    gridScrollArea_ = new QScrollArea;
    gridScrollArea_->setFrameShape(QFrame::NoFrame);
    gridScrollArea_->setFocusPolicy(Qt::NoFocus);  // Tab goes straight to the grid
    gridView_ = new GridView;
    gridScrollArea_->setWidget(gridView_);
    gridView_->setDataSource(this);
    gridView_->setDelegate(this);
    gridView_->installEventFilter(this);
    // A blank pane says nothing; the note says the folder is empty and what would fill it.
    emptyNote_ = new QLabel(Localization::shared().text(QStringLiteral("library_empty")), gridScrollArea_);
    emptyNote_->setObjectName(QStringLiteral("library_empty_note"));
    emptyNote_->setAlignment(Qt::AlignCenter);
    emptyNote_->setWordWrap(true);
    emptyNote_->setStyleSheet(QStringLiteral("color: white; background: rgba(0, 0, 0, 120); padding: 12px;"));
    emptyNote_->hide();

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->addWidget(side);
    splitter->addWidget(gridScrollArea_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kOutlineWidth, 4 * kOutlineWidth});
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
}

bool LibraryViewController::eventFilter(QObject *watched, QEvent *event) {
    if (watched == gridView_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        gridScrollArea_->setStyleSheet(
            event->type() == QEvent::FocusIn
                ? QStringLiteral("QScrollArea { border: 2px solid palette(highlight); }")
                : QString());
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------------------
// Set-up

void LibraryViewController::init_girdview() {
    const QString root = bookmark_.getSavePath();
    // The outline may only see the new tree once it is complete: the reset spans building and set-up and
    // its end is the outline's reload.
    outlineModel_->reset([&] {
        root_node_ = treeNodeFromDictionary(QString::fromUtf8(kRootNodeName), root);
        init_outlineview();
    });
}

void LibraryViewController::init_outlineview() {
    // Drag types are registered for the outline; the window itself offers no drag or drop operations.
    outlineModel_->registerForDraggedTypes({QStringLiteral("MyCustomOutlineViewPboardType"),
                                            QString::fromLatin1(SimpleNodeData::kPlainTextType),
                                            QString::fromLatin1(SimpleNodeData::kUrlType)});
    outlineView_->setDragDropMode(QAbstractItemView::DragDrop);
    outlineView_->header()->setStretchLastSection(true);
    cell_->setRowHeight(kOutlineRowHeight);

    items_.clear();
    defaultLayout_ = GridViewItemLayout::defaultLayout();
    hoverLayout_ = GridViewItemLayout::defaultLayout();
    hoverLayout_->backgroundColor = kHoverBackground;
    selectionLayout_ = GridViewItemLayout::defaultLayout();
    selectionLayout_->backgroundColor = kSelectionBackground;

    gatherAppData(folderInRoot(root_node_->path, QString::fromLatin1(DKBookmark::kCaptureFolder)),
                  QStringLiteral("png"));

    gridView_->setItemSize(QSizeF(kItemSize));
    gridView_->setBackgroundColor(
        QBrush(LibraryImages::imageNamed(QString::fromLatin1(LibraryImages::kBackgroundDust))));
    gridView_->setScrollElasticity(true);
    gridView_->setAllowsMultipleSelection(true);
    gridView_->reloadData();
}

std::unique_ptr<SimpleNodeData> LibraryViewController::treeNodeFromDictionary(const QString &name,
                                                                              const QString &path) {
    return FolderTree::build(name, path);
}

std::optional<QString> LibraryViewController::folderInRoot(const QString &root, const QString &name) const {
    if (root.isEmpty()) return std::nullopt;
    return QDir(root).filePath(name);
}

// ---------------------------------------------------------------------------------------------------------
// Outline

const std::vector<std::unique_ptr<SimpleNodeData>> &LibraryViewController::childrenForItem(
    SimpleNodeData *item) const {
    return (item ? item : root_node_.get())->mu_array();
}

int LibraryViewController::outlineViewNumberOfChildrenOfItem(SimpleNodeData *item) {
    if (!item && !root_node_) return 0;
    return int(childrenForItem(item).size());
}

SimpleNodeData *LibraryViewController::outlineViewChild(int index, SimpleNodeData *item) {
    return childrenForItem(item).at(size_t(index)).get();
}

bool LibraryViewController::outlineViewIsItemExpandable(SimpleNodeData *item) {
    return FolderTree::hasChildFolders(*item);
}

bool LibraryViewController::outlineViewCanFetchChildren(SimpleNodeData *item) {
    return !item->childrenListed;
}

SimpleNodeData::Children LibraryViewController::outlineViewFetchChildren(SimpleNodeData *item) {
    return FolderTree::listChildren(*item);
}

void LibraryViewController::outlineViewWillDisplayCell(const QString &columnIdentifier,
                                                       SimpleNodeData *item) {
    if (!columnIdentifier.isEmpty() &&
        columnIdentifier != QLatin1String(LibraryOutlineModel::kDirectoryColumn))
        return;
    if (item->image.isNull()) item->image = directory_manager_.icon(QFileInfo(item->path));
}

void LibraryViewController::outlineViewSelectionDidChange() {
    const QModelIndexList rows = outlineView_->selectionModel()->selectedRows();
    if (rows.size() != 1) return;
    const SimpleNodeData *node = outlineModel_->nodeAt(rows.first());
    if (!node) return;
    // Matched by exact name wherever the folder stands in the tree.
    if (node->name == QLatin1String(DKBookmark::kCaptureFolder))
        gatherAppData(node->path, QStringLiteral("png"));
    else if (node->name == QLatin1String(DKBookmark::kRecordFolder))
        gatherAppData(node->path, QStringLiteral("mp4"));
    else if (node->name == QLatin1String(DKBookmark::kScanFolder))
        gatherAppData(node->path, QStringLiteral("pdf"));
    else if (node->name == QLatin1String(kDigestFolder))
        gatherAppData(std::nullopt, QStringLiteral("*"));
}

// ---------------------------------------------------------------------------------------------------------
// Buttons

void LibraryViewController::btn_set_folder() {
    const QString picked = services_.chooseFolder ? services_.chooseFolder() : QString();
    if (picked.isEmpty()) return;

    const QString root = DKBookmark::rootForPickedFolder(picked);
    bookmark_.setSavePath(root);
    DKBookmark::CreateDirectory(root);
    bookmark_.persistSavePath(root);
    bookmark_.saveOpenFileToBookmarkWithFilePath(root);
    init_girdview();
}

void LibraryViewController::btnOpenLibraryFinder() {
    const QString root = bookmark_.getSavePath();
    if (root.isEmpty() || !services_.openUrl) return;
    services_.openUrl(QUrl::fromLocalFile(root));
}

// ---------------------------------------------------------------------------------------------------------
// Grid: gathering

void LibraryViewController::gatherAppData(const std::optional<QString> &folder, const QString &type) {
    cancelGathering();
    items_.clear();
    // The grid keeps its selection across reloads; here the selected entries are gone with the old list.
    gridView_->deselectAllItems();
    updateData();
    if (!folder) {
        emptyNote_->hide();
        emit gatheringFinished();
        return;
    }

    auto job = std::make_shared<GatherJob>(this);
    gatherJob_ = job;
    dispatch::WorkQueue::shared()->async([job, folder = *folder, type] {
        for (const QString &name : LibraryItems::matchingFileNames(folder, type)) {
            if (job->released()) return;
            QVariantMap item = LibraryItems::makeItem(folder, name, type);
            job->post([job, item](LibraryViewController &self) { self.appendGatheredItem(job, item); });
        }
        job->post([job](LibraryViewController &self) { self.finishGathering(job); });
    });
}

void LibraryViewController::appendGatheredItem(const std::shared_ptr<GatherJob> &job,
                                               const QVariantMap &item) {
    if (job != gatherJob_) return;  // left over from a gathering that was replaced
    items_.append(item);
    gridView_->insertItemAtIndex(GridIndex(items_.size() - 1), false);
    emptyNote_->hide();
}

void LibraryViewController::finishGathering(const std::shared_ptr<GatherJob> &job) {
    if (job != gatherJob_) return;
    gatherJob_.reset();
    if (items_.isEmpty()) {
        emptyNote_->setGeometry(gridScrollArea_->rect().adjusted(40, 40, -40, -40));
        emptyNote_->adjustSize();
        emptyNote_->move((gridScrollArea_->width() - emptyNote_->width()) / 2, 40);
        emptyNote_->show();
    }
    emit gatheringFinished();
}

void LibraryViewController::cancelGathering() {
    if (!gatherJob_) return;
    gatherJob_->release();
    gatherJob_.reset();
}

void LibraryViewController::updateData() {
    gridView_->reloadData();
}

// ---------------------------------------------------------------------------------------------------------
// Grid: data source and delegate

GridIndex LibraryViewController::gridViewNumberOfItemsInSection(GridView *, GridIndex) {
    return GridIndex(items_.size());
}

GridViewItemBase *LibraryViewController::gridViewItemAtIndex(GridView *gridView, GridIndex index, GridIndex) {
    if (index >= GridIndex(items_.size())) return nullptr;
    const QString identifier = QString::fromLatin1(kGridItemIdentifier);
    GridViewItem *item = gridView->dequeueReusableItemWithIdentifier<GridViewItem>(identifier);
    if (!item) item = new GridViewItem(defaultLayout_, identifier);
    item->setHoverLayout(hoverLayout_);
    item->setSelectionLayout(selectionLayout_);

    const QVariantMap &entry = items_.at(qsizetype(index));
    if (entry.contains(LibraryItems::kItemTitle))
        item->setItemTitle(entry.value(LibraryItems::kItemTitle).toString());
    if (entry.contains(LibraryItems::kItemImage))
        item->setItemImage(entry.value(LibraryItems::kItemImage).value<QImage>());
    if (entry.contains(LibraryItems::kItemSizeInfo))
        item->setItemSizeInfo(entry.value(LibraryItems::kItemSizeInfo).toString());
    if (entry.contains(LibraryItems::kItemURL))
        item->setItemURL(entry.value(LibraryItems::kItemURL).toString());
    return item;
}

void LibraryViewController::gridViewDidClickItemAtIndex(GridView *, GridIndex index, GridIndex) {
    deskcam::logLine("didClickItemAtIndex: %li", long(index));
}

void LibraryViewController::gridViewDidDoubleClickItemAtIndex(GridView *, GridIndex index, GridIndex) {
    deskcam::logLine("didDoubleClickItemAtIndex: %li", long(index));
    // The double-clicked entry itself: with Shift or Control held the selection may hold others too.
    if (index >= GridIndex(items_.size())) return;
    openFile(items_.at(qsizetype(index)).value(LibraryItems::kItemURL).toString());
}

// A file that cannot be opened says why instead of nothing happening.
void LibraryViewController::openFile(const QString &path) {
    if (path.isEmpty() || !services_.openUrl) return;
    openFailure_.clear();
    const Localization &texts = Localization::shared();
    if (!QFileInfo::exists(path)) {
        openFailure_ = texts.text(QStringLiteral("library_file_gone")).arg(path);
    } else if (!services_.openUrl(QUrl::fromLocalFile(path))) {
        openFailure_ = texts.text(QStringLiteral("library_no_program")).arg(path);
    }
    if (openFailure_.isEmpty()) return;
    deskcam::logLine("%s", qPrintable(openFailure_));
    auto *alert = new QMessageBox(QMessageBox::Warning, windowTitle(), openFailure_, QMessageBox::Ok, this);
    alert->setAttribute(Qt::WA_DeleteOnClose);  // a child of the window until dismissed
    alert->setWindowModality(Qt::WindowModal);
    alert->open();
}

void LibraryViewController::gridViewDidActivateContextMenuWithIndexes(GridView *, const GridIndexSet &indexes,
                                                                      GridIndex) {
    deskcam::logLine("rightMouseButtonClickedOnItemAtIndex: %s", qPrintable(indexSetText(indexes)));
}

void LibraryViewController::gridViewDidSelectItemAtIndex(GridView *, GridIndex index, GridIndex) {
    deskcam::logLine("didSelectItemAtIndex: %li", long(index));
}

void LibraryViewController::gridViewDidDeselectItemAtIndex(GridView *, GridIndex index, GridIndex) {
    deskcam::logLine("didDeselectItemAtIndex: %li", long(index));
}
