#!/usr/bin/env bash
# Installs what the tests need, builds deskcam twice (Release, and with AddressSanitizer + UBSan) and runs
# every test in both builds; the Release build's programs are then packed as the DEB (scripts/package.sh).
# Then each fuzz target runs for a short while (scripts/fuzz.sh; clang build in build-fuzz);
# DESKCAM_FUZZ_SECONDS sets the time per target (default 30; 0 skips fuzzing). Here, unlike in a
# packager's build, a compiler warning is an error.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${DESKCAM_SKIP_DEPS:-0}" = 1 ] || scripts/install-deps.sh

export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

build_and_test() {
  local dir=$1 type=$2; shift 2
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DDESKCAM_WERROR=ON "$@" >/dev/null
  cmake --build "$dir" -j "$jobs"
  (cd "$dir" && ctest --output-on-failure -j "$jobs" --timeout 300)
}

echo "== Release build"
build_and_test build Release -DDESKCAM_SANITIZE=OFF
echo "== its programs packed as a DEB"
DESKCAM_SKIP_DEPS=1 DESKCAM_WERROR=ON DESKCAM_PACKAGE_BUILD_DIR=build scripts/package.sh
echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
ASAN_OPTIONS=detect_leaks=0:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  build_and_test build-asan RelWithDebInfo -DDESKCAM_SANITIZE=ON -DDESKCAM_BUILD_BENCH=OFF
fuzz_seconds=${DESKCAM_FUZZ_SECONDS:-30}
if [ "$fuzz_seconds" -gt 0 ]; then
  echo "== fuzz targets, ${fuzz_seconds} s each"
  scripts/fuzz.sh "$fuzz_seconds"
fi
