#include "library/FolderTree.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

#include <sys/stat.h>

#include <optional>
#include <set>
#include <utility>

namespace FolderTree {
namespace {

using FolderId = std::pair<dev_t, ino_t>;

// The identity of the folder a path leads to, links followed; none when it is no folder.
std::optional<FolderId> folderId(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return std::nullopt;
    return FolderId{info.st_dev, info.st_ino};
}

// The folders above the top folder, so a link up to one of them is cut at once instead of after a walk
// through everything below it.
std::set<FolderId> parentsOf(const QString &path) {
    std::set<FolderId> parents;
    QDir dir(QFileInfo(path).canonicalFilePath());
    if (dir.path().isEmpty()) return parents;
    while (dir.cdUp())
        if (auto id = folderId(dir.path())) parents.insert(*id);
    return parents;
}

// The node's folder, the folders above it in the tree and the top folder's parents: where a child that
// leads back to one of them would start an endless descent.
std::set<FolderId> foldersOnTheWay(const SimpleNodeData &node) {
    std::set<FolderId> onTheWay;
    const SimpleNodeData *top = &node;
    for (const SimpleNodeData *above = &node; above; above = above->parent()) {
        if (auto id = folderId(above->path)) onTheWay.insert(*id);
        top = above;
    }
    onTheWay.merge(parentsOf(top->path));
    return onTheWay;
}

// Every entry of the folder, one level, in the order the file system lists them.
QStringList listing(const QString &path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Unsorted);
}

}  // namespace

std::unique_ptr<SimpleNodeData> build(const QString &name, const QString &path) {
    auto root = SimpleNodeData::nodeDataWithName(name, path);
    root->childrenListed = false;
    for (auto &child : listChildren(*root)) root->appendChild(std::move(child));
    return root;
}

SimpleNodeData::Children listChildren(SimpleNodeData &node) {
    SimpleNodeData::Children children;
    if (node.childrenListed) return children;
    node.childrenListed = true;
    if (!folderId(node.path)) return children;

    const std::set<FolderId> onTheWay = foldersOnTheWay(node);
    for (const QString &entry : listing(node.path)) {
        const QString childPath = QDir(node.path).filePath(entry);
        const auto id = folderId(childPath);
        if (!id) continue;  // files are no nodes
        auto child = SimpleNodeData::nodeDataWithName(entry, childPath);
        child->childrenListed = onTheWay.count(*id) > 0;
        children.push_back(std::move(child));
    }
    return children;
}

bool hasChildFolders(SimpleNodeData &node) {
    if (node.childrenListed) return !node.mu_array().empty();
    if (!node.hasChildFolders) {
        QDirIterator folders(node.path, QDir::Dirs | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
        node.hasChildFolders = folders.hasNext();
    }
    return *node.hasChildFolders;
}

}  // namespace FolderTree
