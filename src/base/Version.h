#pragma once

// The project's version as the build names it (CMake's project version), for every program's --version.

#include <string>

namespace deskcam {

// "0.1"
const char *version();
// "NAME VERSION", the one line each program prints for --version.
std::string versionLine(const char *program);

}  // namespace deskcam
