#pragma once

// Builds the library's folder tree from the file system: one node per folder, children in the listing's own
// order (hidden entries included, nothing sorted), links to folders counted as folders, files left out.
//
// A folder's children are listed only when they are first needed (the outline opens its row), so a link to
// a huge folder costs nothing until it is opened, and then one level. Whether a row can be opened is a quick
// look that stops at the first folder found.
//
// A link that leads back to a folder already on the way down from the top (or to one of the top folder's
// own parents) would make the tree endless. Such a link still shows as a row, but is never opened: folders
// are told apart by device and inode, so every spelling of a path and every link to it is caught.

#include "library/SimpleNodeData.h"

#include <memory>

namespace FolderTree {

// The tree for the folder at path, its root node named name, with the root's own folders listed (the
// top-level rows). A folder that cannot be listed, or a path that is no folder, gives a node without
// children.
std::unique_ptr<SimpleNodeData> build(const QString &name, const QString &path);

// The folders in node's folder, one level, to be appended to node, which counts as listed from now on
// (a second call gives none). Each comes unlisted, except a link back up, which comes listed and empty.
SimpleNodeData::Children listChildren(SimpleNodeData &node);

// Whether node's row opens: it has listed children, or, not listed yet, its folder holds at least one
// folder (looked up once and kept in the node).
bool hasChildFolders(SimpleNodeData &node);

}  // namespace FolderTree
