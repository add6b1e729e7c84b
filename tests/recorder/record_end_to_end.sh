#!/usr/bin/env bash
# End-to-end recording test: deskcam-sim sends its test card, a private PulseAudio offers a virtual
# microphone (a pipe source fed with silence and a 440 Hz tone), deskcam-cli record writes 5 seconds, and
# recorder-check reads the file back. The simulator flashes white while the tone plays, so the check can
# see whether picture and sound line up. Then: a recording paused for 2 s by SIGUSR2 (the pause is left out
# of picture and sound alike), no microphone (video only), an output that cannot be
# created (no recording, no hang), a microphone and a camera that fall silent during the recording (the
# program says when).
#
# usage: record_end_to_end.sh DESKCAM_SIM DESKCAM_CLI TONE_WRITER RECORDING_CHECK
set -euo pipefail
sim=$1 cli=$2 tone_writer=$3 checker=$4

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=scripts/lib/common.sh
source "$(dirname "$0")/../../scripts/lib/common.sh"
start_virtual_microphone

now_ms=$(date +%s%3N)
flash_start=$((now_ms + 2000))
flash_length=2000
start_simulator sim --size 640x360 --flash "$flash_start:$flash_length"

"$tone_writer" "$fifo" 12 "$flash_start" "$flash_length" &
tone_pid=$!
pids+=($tone_pid)

echo "== 5 s with the virtual microphone"
"$cli" record --camera 127.0.0.1 --image-port "$port" --seconds 5 "$work/with-sound.mp4" 2>"$work/record.log" ||
  { tail -n 30 "$work/record.log"; exit 1; }
grep -q "Successfully closed video writer" "$work/record.log"
"$checker" "$work/with-sound.mp4" 640 360 5 --flash-and-tone

echo "== 4 s with a pause of 2 s in the middle (SIGUSR2 pauses, the next resumes)"
"$cli" record --camera 127.0.0.1 --image-port "$port" --seconds 4 "$work/paused.mp4" 2>"$work/paused.log" &
record_pid=$!
for _ in $(seq 100); do [ -e "$work/paused.mp4" ] && break; sleep 0.1; done
sleep 1
kill -USR2 "$record_pid"
sleep 2
kill -USR2 "$record_pid"
wait "$record_pid" || { tail -n 30 "$work/paused.log"; exit 1; }
grep -q "Recording paused" "$work/paused.log" && grep -q "Recording resumed" "$work/paused.log"
"$checker" "$work/paused.mp4" 640 360 4 --contiguous

echo "== no microphone: video only"
PULSE_SERVER=unix:$work/no-such-server timeout 60 "$cli" record --camera 127.0.0.1 --image-port "$port" \
  --seconds 2 "$work/video-only.mp4" 2>"$work/no-mic.log" || { tail -n 30 "$work/no-mic.log"; exit 1; }
grep -q "AVCaptureDevice defaultDeviceWithMediaType failed or device not connected!" "$work/no-mic.log"
"$checker" "$work/video-only.mp4" 640 360 2 --video-only

echo "== an output that cannot be created"
status=0
timeout 30 "$cli" record --camera 127.0.0.1 --image-port "$port" --seconds 2 "$work/missing/out.mp4" \
  2>"$work/no-file.log" || status=$?
[ "$status" -eq 1 ] || { tail -n 30 "$work/no-file.log"; echo "FAIL: exit status $status, expected 1"; exit 1; }
[ ! -e "$work/missing/out.mp4" ]

echo "== the microphone stops delivering after a second"
wait "$tone_pid" || true
"$tone_writer" "$fifo" 1.5 0 0 &
pids+=($!)
"$cli" record --camera 127.0.0.1 --image-port "$port" --seconds 4 "$work/mic-stops.mp4" 2>"$work/mic-stops.log" ||
  { tail -n 30 "$work/mic-stops.log"; exit 1; }
grep -q "warning: the microphone delivered no sound from 0:0[0-2] to the end of the recording" "$work/mic-stops.log" ||
  { tail -n 30 "$work/mic-stops.log"; echo "FAIL: the silent microphone was not told"; exit 1; }

echo "== the camera stops sending after 10 pictures and comes back after a reconnection"
start_simulator stall --size 320x240 --stall-after 10 --first-frame-delay 700
"$cli" record --camera 127.0.0.1 --image-port "$port" --seconds 5 --no-audio "$work/camera-stops.mp4" \
  2>"$work/camera-stops.log" || { tail -n 30 "$work/camera-stops.log"; exit 1; }
grep -Eq "warning: the camera sent no new picture from 0:00 to (0:0[3-5]|the end)" "$work/camera-stops.log" ||
  { tail -n 30 "$work/camera-stops.log"; echo "FAIL: the silent camera was not told"; exit 1; }
echo "ok"
