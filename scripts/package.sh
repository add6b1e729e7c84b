#!/usr/bin/env bash
# Builds deskcam's programs in Release and packs them with CPack into dist/deskcam_<version>_<arch>.deb,
# ready for "apt-get install ./dist/deskcam_*.deb".
# Environment:
#   DESKCAM_SKIP_DEPS=1          do not install packages
#   DESKCAM_PACKAGE_BUILD_DIR    build folder (default build-package, the programs only); a folder of the
#                                caller's keeps its tests and benchmarks (scripts/test.sh packs its Release
#                                build instead of building the programs a second time)
#   DESKCAM_WERROR=ON            treat compiler warnings as errors (scripts/test.sh does)
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${DESKCAM_SKIP_DEPS:-0}" = 1 ] || scripts/install-deps.sh
build=${DESKCAM_PACKAGE_BUILD_DIR:-build-package}
programs_only=()
[ -n "${DESKCAM_PACKAGE_BUILD_DIR:-}" ] || programs_only=(-DDESKCAM_BUILD_TESTS=OFF -DDESKCAM_BUILD_BENCH=OFF)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr "${programs_only[@]}" \
    -DDESKCAM_WERROR="${DESKCAM_WERROR:-OFF}" >/dev/null
cmake --build "$build" -j "$(nproc)"
rm -rf "$build/cpack"
(cd "$build" && cpack -G DEB -B "$PWD/cpack" >/dev/null)
mkdir -p dist
for deb in "$build"/cpack/*.deb; do
    cp "$deb" dist/
    echo "dist/$(basename "$deb")"
done
