#!/usr/bin/env bash
# Builds deskcam's programs in Release and packs them with CPack into dist/deskcam_<version>_<arch>.deb,
# ready for "apt-get install ./dist/deskcam_*.deb".
# Environment:
#   DESKCAM_SKIP_DEPS=1          do not install packages
#   DESKCAM_PACKAGE_PRESET       the build to pack (default package: build-package, the programs only); the
#                                release preset's build keeps its tests and benchmarks (scripts/test.sh
#                                packs it instead of building the programs a second time)
#   DESKCAM_PACKAGE_BUILD_DIR    the preset's build in this folder instead of its own
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${DESKCAM_SKIP_DEPS:-0}" = 1 ] || scripts/install-deps.sh
# shellcheck source=scripts/lib/common.sh
source scripts/lib/common.sh
configure_preset "${DESKCAM_PACKAGE_PRESET:-package}" "${DESKCAM_PACKAGE_BUILD_DIR:-}"
build_targets
rm -rf "$build/cpack"
(cd "$build" && cpack -G DEB -B "$PWD/cpack" >/dev/null)
mkdir -p dist
for deb in "$build"/cpack/*.deb; do
    cp "$deb" dist/
    echo "dist/$(basename "$deb")"
done
