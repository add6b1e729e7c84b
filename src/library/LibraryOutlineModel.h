#pragma once

// The Qt item model behind the library's folder tree. It holds no data of its own: it asks its data source
// (the library window) for the children of each node and lets it prepare a node before the node is shown,
// which is where the icon is fetched. The model's one column has the identifier "DirectoryColumn".
//
// Children may come late: a data source that lists a node's children only on demand says so, and the
// model fetches them when the view first needs them (Qt's canFetchMore/fetchMore: the tree view asks when
// a row is opened) and inserts them as new rows.
//
// Indexes carry SimpleNodeData pointers; the tree must stay unchanged between beginResetModel/endResetModel
// pairs (the window replaces it only inside reset()).

#include "library/SimpleNodeData.h"

#include <QAbstractItemModel>

#include <functional>

class OutlineViewDataSource {
  public:
    virtual ~OutlineViewDataSource() = default;
    // item null means the invisible root.
    virtual int outlineViewNumberOfChildrenOfItem(SimpleNodeData *item) = 0;
    virtual SimpleNodeData *outlineViewChild(int index, SimpleNodeData *item) = 0;
    virtual bool outlineViewIsItemExpandable(SimpleNodeData *item) = 0;
    // Lazy children (asked for rows only; the root's come with the tree): whether item's are still to be
    // fetched, and fetching them for appending to item.
    virtual bool outlineViewCanFetchChildren(SimpleNodeData * /*item*/) { return false; }
    virtual SimpleNodeData::Children outlineViewFetchChildren(SimpleNodeData * /*item*/) { return {}; }
    // Called before a node's row is shown in the column with the given identifier.
    virtual void outlineViewWillDisplayCell(const QString &columnIdentifier, SimpleNodeData *item) = 0;
};

class LibraryOutlineModel : public QAbstractItemModel {
    Q_OBJECT
  public:
    static constexpr const char *kDirectoryColumn = "DirectoryColumn";
    // Header data role that answers the column's identifier.
    static constexpr int kColumnIdentifierRole = Qt::UserRole + 1;

    explicit LibraryOutlineModel(OutlineViewDataSource &dataSource, QObject *parent = nullptr);

    // Runs change (which may replace the whole tree) inside a model reset.
    void reset(const std::function<void()> &change);

    void registerForDraggedTypes(const QStringList &types) { draggedTypes_ = types; }

    SimpleNodeData *nodeAt(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override { return draggedTypes_; }
    Qt::DropActions supportedDragActions() const override;

  private:
    OutlineViewDataSource &dataSource_;
    QStringList draggedTypes_;
};
