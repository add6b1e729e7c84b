#pragma once

// Builds the library's folder tree from the file system: one node per folder, children in the listing's own
// order (hidden entries included, nothing sorted), links to folders counted as folders, files left out.
//
// A link that leads back to a folder already on the way down from the top (or to one of the top folder's
// own parents) would make the tree endless. Such a link still shows as a row, but is not descended into:
// folders are told apart by device and inode, so every spelling of a path and every link to it is caught.

#include "library/SimpleNodeData.h"

#include <memory>

namespace FolderTree {

// The tree for the folder at path, its root node named name. A folder that cannot be listed, or a path
// that is no folder, gives a node without children.
std::unique_ptr<SimpleNodeData> build(const QString &name, const QString &path);

}  // namespace FolderTree
