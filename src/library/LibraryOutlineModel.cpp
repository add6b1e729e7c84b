#include "library/LibraryOutlineModel.h"

LibraryOutlineModel::LibraryOutlineModel(OutlineViewDataSource &dataSource, QObject *parent)
    : QAbstractItemModel(parent), dataSource_(dataSource) {}

void LibraryOutlineModel::reset(const std::function<void()> &change) {
    beginResetModel();
    change();
    endResetModel();
}

SimpleNodeData *LibraryOutlineModel::nodeAt(const QModelIndex &index) const {
    return index.isValid() ? static_cast<SimpleNodeData *>(index.internalPointer()) : nullptr;
}

QModelIndex LibraryOutlineModel::index(int row, int column, const QModelIndex &parent) const {
    if (column != 0 || row < 0 || row >= rowCount(parent)) return {};
    SimpleNodeData *child = dataSource_.outlineViewChild(row, nodeAt(parent));
    return child ? createIndex(row, 0, child) : QModelIndex();
}

QModelIndex LibraryOutlineModel::parent(const QModelIndex &child) const {
    SimpleNodeData *node = nodeAt(child);
    SimpleNodeData *parentNode = node ? node->parent() : nullptr;
    // Top-level rows hang below the invisible root, which has no parent itself.
    if (!parentNode || !parentNode->parent()) return {};
    return createIndex(parentNode->parent()->indexOfChild(parentNode), 0, parentNode);
}

int LibraryOutlineModel::rowCount(const QModelIndex &parent) const {
    if (parent.column() > 0) return 0;
    return dataSource_.outlineViewNumberOfChildrenOfItem(nodeAt(parent));
}

int LibraryOutlineModel::columnCount(const QModelIndex &) const {
    return 1;
}

bool LibraryOutlineModel::hasChildren(const QModelIndex &parent) const {
    if (!parent.isValid()) return rowCount(parent) > 0;
    return dataSource_.outlineViewIsItemExpandable(nodeAt(parent));
}

bool LibraryOutlineModel::canFetchMore(const QModelIndex &parent) const {
    SimpleNodeData *node = nodeAt(parent);
    return node && dataSource_.outlineViewCanFetchChildren(node);
}

void LibraryOutlineModel::fetchMore(const QModelIndex &parent) {
    if (!canFetchMore(parent)) return;
    SimpleNodeData *node = nodeAt(parent);
    SimpleNodeData::Children children = dataSource_.outlineViewFetchChildren(node);
    if (children.empty()) return;
    const int first = rowCount(parent);
    beginInsertRows(parent, first, first + int(children.size()) - 1);
    for (auto &child : children) node->appendChild(std::move(child));
    endInsertRows();
}

QVariant LibraryOutlineModel::data(const QModelIndex &index, int role) const {
    SimpleNodeData *node = nodeAt(index);
    if (!node) return {};
    switch (role) {
        case Qt::DisplayRole:
            return node->name;
        case Qt::DecorationRole:
            dataSource_.outlineViewWillDisplayCell(QString::fromLatin1(kDirectoryColumn), node);
            return node->image;
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
        case Qt::ToolTipRole:
            return node->path;
        default:
            return {};
    }
}

QVariant LibraryOutlineModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (section != 0 || orientation != Qt::Horizontal) return {};
    if (role == kColumnIdentifierRole) return QString::fromLatin1(kDirectoryColumn);
    return {};
}

Qt::ItemFlags LibraryOutlineModel::flags(const QModelIndex &index) const {
    // Rows select; they offer no drag of their own (the window implements no drag operations).
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

Qt::DropActions LibraryOutlineModel::supportedDragActions() const {
    return Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
}
