#!/usr/bin/env bash
# av-drift.sh MINUTES [CLOCK_PPM]: does the sound of a long recording stay with its picture?
#
# deskcam-sim flashes white for half a second every 10 s while a private PulseAudio's virtual microphone
# plays a tone burst at each flash; deskcam-cli records MINUTES minutes of it, and av-drift-check prints
# the audio-minus-video offset of every flash and the drift from the first to the last. A negative
# CLOCK_PPM makes the virtual microphone a sound card whose clock runs that many millionths slow, as real
# ones do against the system clock; the recording must follow the picture's clock anyway. (PulseAudio's
# pipe source takes no more than its nominal rate, so a fast card cannot be played this way: its surplus
# is lost at the pipe, and the tone writer says how much.)
#
# Run from the repository with the plain build in build/ (or BUILD=folder). KEEP=1 keeps the recording.
set -euo pipefail
minutes=${1:?usage: av-drift.sh MINUTES [CLOCK_PPM]}
clock_ppm=${2:-0}
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${BUILD:-$here/../../build}" && pwd)
sim=$build/tools/sim/deskcam-sim
cli=$build/tools/cli/deskcam-cli
tone_writer=$build/tests/recorder/recorder-tone-writer
checker=$build/bench/recorder/av-drift-check

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ "${KEEP:-0}" = 1 ]; then echo "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

source "$here/../../scripts/lib/common.sh"
start_virtual_microphone

seconds=$((minutes * 60))
flash_start=$(($(date +%s%3N) + 3000))
flash_length=500
flash_period=10000  # a whole number of frames, so every flash meets the frame clock alike
start_simulator sim --size 640x360 --flash "$flash_start:$flash_length:$flash_period"
"$tone_writer" "$fifo" $((seconds + 30)) "$flash_start" "$flash_length" "$flash_period" "$clock_ppm" \
  2>"$work/tone.log" &
tone_pid=$!
pids+=($tone_pid)

echo "recording $minutes min; the virtual microphone's clock is $clock_ppm ppm off; load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$cli" record --camera 127.0.0.1 --image-port "$port" --seconds "$seconds" "$work/av-drift.mp4" \
  >"$work/record.out" 2>"$work/record.log" || { tail -n 30 "$work/record.log"; exit 1; }
kill "$tone_pid" && wait "$tone_pid" || true
cat "$work/record.out" "$work/tone.log"
grep -E "warning" "$work/record.log" || true
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
"$checker" "$work/av-drift.mp4"
