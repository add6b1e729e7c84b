#!/usr/bin/env bash
# Installs what deskcam needs, builds it, starts the camera simulator on 127.0.0.1 and receives pictures
# from it.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${DESKCAM_SKIP_DEPS:-0}" = 1 ] || scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j "$(nproc)"
echo "deskcam: main job not wired yet"
