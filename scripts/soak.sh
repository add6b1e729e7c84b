#!/usr/bin/env bash
# Soak test: the viewer (offscreen) watches deskcam-sim on 127.0.0.1 for MINUTES. The simulator is
# restarted with one fault after another (garbage and small pieces, bad lengths, bad pictures, stalls,
# closes, refused resolution sets, bad list lengths, scan bombs, a reply flood), each for a profile's
# time, with the picture size switched through the command port in each; every cycle ends fault-free
# with a recording, started and stopped by SIGUSR1 (the record button's signal), with sound from a
# virtual microphone on a private PulseAudio. The first minute holds two recordings, so that what a
# recording leaves behind for good (libraries, the message's font, the last recorders) is there before
# the baseline.
#
# The viewer's resident memory, open descriptors and threads are sampled every 10 s, and at checkpoints
# in one and the same state (fault-free, the simulator's first picture size, no recording for minutes):
# after the first minute, in each cycle and at the end. Prints the figures, reconnections and pictures
# shown (the viewer's own count), and the recordings checked (each decoded completely with FFmpeg). Fails
# when a target is missed: resident memory 5 MB or more above the one-minute checkpoint at the end,
# descriptors or threads above it, a crash, a recording missing or not playable.
#
# usage: scripts/soak.sh MINUTES
# Environment:
#   DESKCAM_SKIP_DEPS=1          do not install packages
#   DESKCAM_BUILD_DIR=DIR        build folder (default: the plain preset's, build)
#   DESKCAM_SOAK_WORK=DIR        keep samples, logs and recordings in DIR (default: a temporary folder,
#                                removed unless the soak fails)
#   DESKCAM_SOAK_PROFILE_SECONDS length of one fault profile (default 45)
set -euo pipefail
cd "$(dirname "$0")/.."
minutes=${1:?usage: scripts/soak.sh MINUTES}
[ "${DESKCAM_SKIP_DEPS:-0}" = 1 ] || scripts/install-deps.sh
# shellcheck source=scripts/lib/common.sh
source scripts/lib/common.sh
configure_preset plain "${DESKCAM_BUILD_DIR:-}"
build_targets deskcam deskcam-sim deskcam-cli recorder-tone-writer >/dev/null
sim=$build/tools/sim/deskcam-sim

profile_seconds=${DESKCAM_SOAK_PROFILE_SECONDS:-45}
record_seconds=30
sample_seconds=10
total_seconds=$((minutes * 60))
# name|deskcam-sim options; the first is fault-free.
profiles=(
    "clean|"
    "garbage and small pieces|--garbage 20000 --chunk 1500"
    "bad lengths|--bad-length-every 3"
    "bad pictures|--bad-picture-every 4"
    "stalls|--stall-after 60"
    "closes|--close-after 40"
    "refused sets|--refuse-set"
    "bad list lengths|--bad-list-length --close-after 100"
    "scan bombs|--scan-bomb-every 10"
    "reply flood|--reply-flood 20"
)

work=${DESKCAM_SOAK_WORK:-$(mktemp -d)}
mkdir -p "$work"
keep_work=${DESKCAM_SOAK_WORK:+1}
sim_pid="" viewer_pid="" pulse_pid="" tone_pid="" sampler_pid=""
cleanup() {
    stop_processes "$sampler_pid" "$viewer_pid" "$sim_pid" "$tone_pid" "$pulse_pid"
    [ -n "$keep_work" ] || rm -rf "$work"
}
trap cleanup EXIT INT TERM
fail() {
    echo "soak: FAILED: $*" >&2
    keep_work=1
    echo "soak: samples, logs and recordings kept in $work" >&2
    exit 1
}

# --- a private home: settings with a save folder, a sound server with a virtual microphone
export XDG_CONFIG_HOME=$work/config QT_QPA_PLATFORM=offscreen DESKCAM_LANG=en
unset DISPLAY
start_virtual_microphone || fail "no private PulseAudio with a virtual microphone"
save_root=$work/save/ZUVA
mkdir -p "$XDG_CONFIG_HOME/deskcam" "$save_root/CaptureImages" "$save_root/RidirOvozev"
printf '[General]\nsave_path=%s\n' "$save_root" >"$XDG_CONFIG_HOME/deskcam/deskcam.conf"
# A steady 440 Hz tone for the whole run.
"$build/tests/recorder/recorder-tone-writer" "$fifo" $((total_seconds + 300)) 0 $(((total_seconds + 300) * 1000)) &
tone_pid=$!

# --- the simulator: free ports on the first start, the same ones on every restart
sim_options=(--fps 15 --size 1280x720 --quality 75)
start_simulator sim "${sim_options[@]}" || fail "deskcam-sim did not start (see $work/sim.log)"

"$build/src/app/deskcam" --camera 127.0.0.1 --image-port "$image_port" --command-port "$command_port" \
    >"$work/viewer.out" 2>"$work/viewer.log" &
viewer_pid=$!
started=$(date +%s)
echo "soak: $minutes min; viewer $viewer_pid on 127.0.0.1:$image_port/$command_port; work folder $work"

elapsed() { echo $(($(date +%s) - started)); }
frames_received() { grep -c '本帧数据长度' "$work/viewer.log" || true; }
alive() { kill -0 "$viewer_pid" 2>/dev/null || fail "the viewer is gone after $(elapsed) s (see $work/viewer.log)"; }
# Waits (up to 20 s) until the viewer receives pictures again.
wait_for_pictures() {
    local before
    before=$(frames_received)
    for _ in $(seq 40); do
        sleep 0.5
        alive
        [ "$(frames_received)" -gt "$((before + 3))" ] && return 0
    done
    return 1
}
# One line: seconds, resident KB, open descriptors, threads.
measure() {
    local status=/proc/$viewer_pid/status
    [ -r "$status" ] || fail "the viewer is gone after $(elapsed) s (see $work/viewer.log)"
    printf '%s %s %s %s\n' "$(elapsed)" "$(awk '/^VmRSS:/{print $2}' "$status")" \
        "$(find "/proc/$viewer_pid/fd" -mindepth 1 2>/dev/null | wc -l)" "$(awk '/^Threads:/{print $2}' "$status")"
}
# Every 10 s in the background, whatever the phase.
sampler() {
    while kill -0 "$viewer_pid" 2>/dev/null; do
        measure >>"$work/samples.txt" 2>/dev/null || return 0
        sleep "$sample_seconds"
    done
}
# The same state each time: fault-free stream at the simulator's first size, no recording for minutes,
# pictures arriving. The lowest of five readings over 20 s, as the viewer returns free memory every 10 s.
checkpoint() {
    local label=$1
    for _ in 1 2 3 4 5; do
        measure
        sleep 5
    done | sort -k2 -n | head -n 1 | sed "s/\$/ $label/" >>"$work/checkpoints.txt"
}
switch_resolution() {
    switches=$((switches + 1))
    timeout 10 "$build/tools/cli/deskcam-cli" set-resolution "$1" --camera 127.0.0.1 \
        --command-port "$command_port" >/dev/null 2>>"$work/cli.log" || refused_switches=$((refused_switches + 1))
}
press_record() {
    alive
    kill -USR1 "$viewer_pid"
}
record_for() {
    press_record
    recordings_started=$((recordings_started + 1))
    sleep "$1"
    press_record
    last_record_stop=$(elapsed)
}
# A minute after the last recording its threads, and idle pool threads, have ended.
settle_after_recording() {
    sleep $((last_record_stop + 60 - $(elapsed) > 0 ? last_record_stop + 60 - $(elapsed) : 0))
}
restart_sim() {
    # shellcheck disable=SC2086
    restart_simulator sim "${sim_options[@]}" $1 || fail "deskcam-sim did not start with '$1' (see $work/sim.log)"
    profiles_run=$((profiles_run + 1))
}
# Waits SECONDS, switching to 1920x1080 a third of the way in and to 640x480 two thirds in.
wait_switching_sizes() {
    sleep $(($1 / 3))
    switch_resolution 0
    sleep $(($1 / 3))
    switch_resolution 2
    sleep $(($1 - 2 * ($1 / 3)))
}
# A fault profile, through two picture size switches.
run_fault_profile() {
    restart_sim "$1"
    wait_switching_sizes "$profile_seconds"
    alive
}
# Fault-free: a checkpoint, then a recording through two picture size switches.
run_clean_profile() {
    restart_sim ""
    wait_for_pictures || fail "no pictures within 20 s of a fault-free start"
    checkpoint "$1"
    wait_for_pictures || fail "no pictures before a recording"
    press_record
    recordings_started=$((recordings_started + 1))
    wait_switching_sizes "$record_seconds"
    press_record
    last_record_stop=$(elapsed)
}

switches=0 refused_switches=0 recordings_started=0 profiles_run=1 last_record_stop=0
: >"$work/samples.txt"
: >"$work/checkpoints.txt"
sampler &
sampler_pid=$!

# The first minute: two recordings, so that what stays after recordings (libraries, the font of the
# saved-file message, the last recorders) is in place before the baseline, taken a minute after them.
wait_for_pictures || fail "no pictures within 20 s of the start"
record_for 12
switch_resolution 0
sleep 3
wait_for_pictures || fail "no pictures before the second recording"
record_for 12
settle_after_recording
restart_sim ""
wait_for_pictures || fail "no pictures after the first minute"
checkpoint "after the first minute"

cycle=0
while [ $(($(elapsed) + 90)) -lt "$total_seconds" ]; do
    cycle=$((cycle + 1))
    for profile in "${profiles[@]:1}"; do
        [ $(($(elapsed) + 90)) -lt "$total_seconds" ] || break
        run_fault_profile "${profile#*|}"
    done
    [ $(($(elapsed) + 90)) -lt "$total_seconds" ] || break
    run_clean_profile "cycle $cycle"
done
sleep $((total_seconds - $(elapsed) - 60 > 0 ? total_seconds - $(elapsed) - 60 : 0))
settle_after_recording
restart_sim ""
wait_for_pictures || fail "no pictures at the end"
checkpoint "end"
stop_processes "$sampler_pid"
sampler_pid=""
measure >>"$work/samples.txt"

# --- end: the viewer quits as on Ctrl+Q and logs its figures
kill -TERM "$viewer_pid"
for _ in $(seq 100); do kill -0 "$viewer_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$viewer_pid" 2>/dev/null && fail "the viewer did not quit within 10 s of SIGTERM"
viewer_status=0
wait "$viewer_pid" || viewer_status=$?
viewer_pid=""
[ "$viewer_status" -eq 0 ] || fail "the viewer ended with status $viewer_status"
summary=$(grep -o 'deskcam: [0-9]* pictures shown, [0-9]* reconnections' "$work/viewer.log" | tail -n 1)
shown=$(echo "$summary" | awk '{print $2}')
reconnections=$(echo "$summary" | awk '{print $5}')

# --- recordings: every one there, complete and decodable
recordings_ok=0
mapfile -t files < <(find "$save_root/RidirOvozev" -name '*.mp4' | sort)
for file in "${files[@]}"; do
    streams=$(ffprobe -v error -show_entries stream=codec_type -of csv=p=0 "$file" | sort | tr '\n' ' ')
    duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$file")
    if ffmpeg -nostdin -v error -xerror -i "$file" -f null - >"$work/decode.log" 2>&1 && [ ! -s "$work/decode.log" ]; then
        recordings_ok=$((recordings_ok + 1))
        echo "recording $(basename "$file"): ${duration} s, streams: ${streams}decoded without errors"
    else
        echo "recording $(basename "$file"): NOT PLAYABLE: $(head -c 300 "$work/decode.log")"
    fi
done

# --- figures
figures() {
    awk -v label="$1" '{ if (NR == 1 || $2 > peak) peak = $2; if ($3 > fdPeak) fdPeak = $3; if ($4 > thPeak) thPeak = $4
                         if (NR == 1) { s2 = $2; s3 = $3; s4 = $4 } e2 = $2; e3 = $3; e4 = $4 }
        END { printf "%s: resident memory start %.1f MB, end %.1f MB, peak %.1f MB; descriptors %d, %d, peak %d; threads %d, %d, peak %d\n",
              label, s2 / 1024, e2 / 1024, peak / 1024, s3, e3, fdPeak, s4, e4, thPeak }' "$2"
}
echo "every ${sample_seconds} s ($(wc -l <"$work/samples.txt") samples) $(figures "" "$work/samples.txt" | cut -c3-)"
echo "checkpoints (fault-free, 1280x720, no recording; resident memory, descriptors, threads):"
awk '{ printf "  %-24s at %4d s: %6.1f MB, %d descriptors, %d threads\n", substr($0, index($0, $5)), $1, $2 / 1024, $3, $4 }' \
    "$work/checkpoints.txt"
read -r _ base_rss base_fds base_threads _ < <(head -n 1 "$work/checkpoints.txt")
read -r _ end_rss end_fds end_threads _ < <(tail -n 1 "$work/checkpoints.txt")
rss_growth_kb=$((end_rss - base_rss))
fd_rise=$((end_fds - base_fds))
thread_rise=$((end_threads - base_threads))
awk -v g="$rss_growth_kb" -v f="$fd_rise" -v t="$thread_rise" \
    'BEGIN { printf "after the first minute: resident memory %+.1f MB, descriptors %+d, threads %+d\n", g / 1024, f, t }'
echo "simulator runs: $profiles_run (${#profiles[@]} kinds, ${profile_seconds} s each);" \
    "resolution switches: $switches ($refused_switches refused or unanswered)"
echo "reconnections: $reconnections; pictures shown: $shown; frame units received: $(frames_received)"
echo "recordings: $recordings_started started, ${#files[@]} files, $recordings_ok decoded completely with FFmpeg"

problems=()
[ "$rss_growth_kb" -lt 5120 ] || problems+=("resident memory grew by $((rss_growth_kb / 1024)) MB after the first minute")
[ "$fd_rise" -le 0 ] || problems+=("open descriptors rose by $fd_rise")
[ "$thread_rise" -le 0 ] || problems+=("threads rose by $thread_rise")
[ "${#files[@]}" -eq "$recordings_started" ] || problems+=("${#files[@]} recording files for $recordings_started recordings")
[ "$recordings_ok" -eq "${#files[@]}" ] || problems+=("$((${#files[@]} - recordings_ok)) recordings not playable")
[ "$recordings_started" -gt 0 ] || problems+=("no recording was started")
[ "${shown:-0}" -gt 0 ] || problems+=("no picture was shown")
[ ${#problems[@]} -eq 0 ] || fail "$(printf '%s; ' "${problems[@]}")"
echo "soak: passed"
