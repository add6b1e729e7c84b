#!/usr/bin/env bash
# Installs what the tests need, builds deskcam twice (Release in build-release, and with AddressSanitizer +
# UBSan in build-asan) and runs every test in both builds; the Release build's programs are then packed as the DEB (scripts/package.sh).
# Then each fuzz target runs for a short while (scripts/fuzz.sh; clang build in build-fuzz);
# DESKCAM_FUZZ_SECONDS sets the time per target (default 30; 0 skips fuzzing). Here, unlike in a
# packager's build, a compiler warning is an error.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${DESKCAM_SKIP_DEPS:-0}" = 1 ] || scripts/install-deps.sh

# shellcheck source=scripts/lib/common.sh
source scripts/lib/common.sh
export QT_QPA_PLATFORM=offscreen

# One preset per build (CMakePresets.json): its folder, build type and options, and the tests' environment.
build_and_test() {
  configure_preset "$1"
  build_targets
  ctest --preset "$1" -j "$(nproc)"
}

echo "== Release build"
build_and_test release
echo "== its programs packed as a DEB"
DESKCAM_SKIP_DEPS=1 DESKCAM_PACKAGE_PRESET=release scripts/package.sh
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
build_and_test sanitizers
fuzz_seconds=${DESKCAM_FUZZ_SECONDS:-30}
if [ "$fuzz_seconds" -gt 0 ]; then
  echo "== fuzz targets, ${fuzz_seconds} s each"
  scripts/fuzz.sh "$fuzz_seconds"
fi
