#pragma once

// Files that only this user may see: the viewer's hand-over socket, scratch files of a recording. A
// shared folder such as /tmp lets another local user plant a file or a listener under a name we would
// use, so these live in a folder that this user owns and nobody else may enter.

#include <sys/types.h>

#include <optional>
#include <string>

namespace deskcam {

// $XDG_RUNTIME_DIR when it is a directory of this user's that nobody else may enter; else
// /tmp/deskcam-UID, made (or checked: no link, ours, mode 0700) here. Empty when neither is safe.
std::string privateRuntimeFolder();

// True when path is a real directory (not a link) owned by this user with no access for group or others.
bool isPrivateFolder(const std::string &path);

// The user id of the process at the other end of a connected local socket.
std::optional<uid_t> peerUser(int socketDescriptor);

}  // namespace deskcam
