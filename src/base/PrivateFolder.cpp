#include "base/PrivateFolder.h"

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

namespace deskcam {

bool isPrivateFolder(const std::string &path) {
    struct stat status {};
    if (path.empty() || lstat(path.c_str(), &status) != 0) return false;
    return S_ISDIR(status.st_mode) && status.st_uid == getuid() && (status.st_mode & 077) == 0;
}

std::string privateRuntimeFolder() {
    if (const char *runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && isPrivateFolder(runtime))
        return runtime;
    const std::string folder = "/tmp/deskcam-" + std::to_string(getuid());
    // mkdir fails on a name someone else made first; then the checks below decide whether it is usable.
    mkdir(folder.c_str(), 0700);
    return isPrivateFolder(folder) ? folder : std::string();
}

std::optional<uid_t> peerUser(int socketDescriptor) {
    struct ucred credentials {};
    socklen_t length = sizeof credentials;
    if (getsockopt(socketDescriptor, SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0)
        return std::nullopt;
    return credentials.uid;
}

}  // namespace deskcam
