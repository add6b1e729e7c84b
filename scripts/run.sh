#!/usr/bin/env bash
# The main job: installs what deskcam needs, builds it, starts the camera simulator on 127.0.0.1 and the
# viewer pointed at it. Close the viewer's window (or press Ctrl+Q) to end both.
#
# Without a DISPLAY the viewer runs on a private virtual screen (Xvfb, 1920x1080).
# Environment:
#   DESKCAM_SKIP_DEPS=1         do not install packages
#   DESKCAM_RUN_SECONDS=N       end after N seconds (smoke runs)
#   DESKCAM_SCREENSHOT=FILE     with DESKCAM_RUN_SECONDS: save a picture of the screen just before the end
#   DESKCAM_SIM_ARGS="..."      extra options for deskcam-sim (e.g. "--fps 30 --size 1280x720")
#   DESKCAM_VIEWER_ARGS="..."   extra options for the viewer (e.g. Qt's "-geometry 1920x1080+0+0")
#   DESKCAM_BUILD_DIR=DIR       build folder (default: the plain preset's, build)
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${DESKCAM_SKIP_DEPS:-0}" = 1 ] || scripts/install-deps.sh
# shellcheck source=scripts/lib/common.sh
source scripts/lib/common.sh
configure_preset plain "${DESKCAM_BUILD_DIR:-}"
build_targets deskcam deskcam-sim
sim=$build/tools/sim/deskcam-sim

work=$(mktemp -d)
pids=()
cleanup() {
    # Newest first: the viewer goes before the screen it draws on.
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do stop_processes "${pids[i]}"; done
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

# Any free ports: a simulator or camera service already on the defaults cannot get in the way.
# shellcheck disable=SC2086
start_simulator sim ${DESKCAM_SIM_ARGS:-} || exit 1
echo "deskcam-sim: pictures on 127.0.0.1:$image_port, commands on 127.0.0.1:$command_port"

if [ -z "${DISPLAY:-}" ]; then
    Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
    pids+=($!)
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    export DISPLAY=":$(cat "$work/display")"
    echo "No DISPLAY: the viewer runs on the virtual screen $DISPLAY"
fi

# shellcheck disable=SC2206
viewer=("$build/src/app/deskcam" --camera 127.0.0.1 --image-port "$image_port" --command-port "$command_port"
        ${DESKCAM_VIEWER_ARGS:-})
if [ -z "${DESKCAM_RUN_SECONDS:-}" ]; then
    "${viewer[@]}"
    exit $?
fi
"${viewer[@]}" &
viewer_pid=$!
pids+=("$viewer_pid")
sleep "$DESKCAM_RUN_SECONDS"
if ! kill -0 "$viewer_pid" 2>/dev/null; then
    echo "run.sh: the viewer ended early" >&2
    exit 1
fi
if [ -n "${DESKCAM_SCREENSHOT:-}" ]; then
    import -window root "$DESKCAM_SCREENSHOT"
    echo "Screen saved to $DESKCAM_SCREENSHOT"
fi
