#include "base/Version.h"

#ifndef DESKCAM_VERSION
#error "the build passes DESKCAM_VERSION"
#endif

namespace deskcam {

const char *version() {
    return DESKCAM_VERSION;
}

std::string versionLine(const char *program) {
    return std::string(program) + " " + version();
}

}  // namespace deskcam
