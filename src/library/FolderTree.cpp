#include "library/FolderTree.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

#include <optional>
#include <set>
#include <utility>

namespace FolderTree {
namespace {

using FolderId = std::pair<dev_t, ino_t>;

// The identity of the folder a path leads to, links followed.
std::optional<FolderId> folderId(const QString &path) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) return std::nullopt;
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

// Every entry of the folder, one level, in the order the file system lists them.
QStringList listing(const QString &path) {
    return QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                QDir::Unsorted);
}

std::unique_ptr<SimpleNodeData> buildBelow(const QString &name, const QString &path,
                                           std::set<FolderId> &onPath) {
    auto node = SimpleNodeData::nodeDataWithName(name, path);
    const auto id = folderId(path);
    if (!id || !onPath.insert(*id).second) return node;

    for (const QString &entry : listing(path)) {
        const QString childPath = QDir(path).filePath(entry);
        if (QFileInfo(childPath).isDir()) node->appendChild(buildBelow(entry, childPath, onPath));
    }
    onPath.erase(*id);
    return node;
}

}  // namespace

std::unique_ptr<SimpleNodeData> build(const QString &name, const QString &path) {
    std::set<FolderId> onPath = parentsOf(path);
    return buildBelow(name, path, onPath);
}

}  // namespace FolderTree
