# shellcheck shell=bash
# The callers set sim and work and read what these set (build, sim_pid, image_port, port, fifo, ...).
# shellcheck disable=SC2034,SC2154
# Sourced by the scripts (scripts/*.sh) and the recording tests and benchmarks: configuring a build folder
# through its preset (CMakePresets.json), deskcam-sim on free loopback ports, and a private sound server
# with a virtual microphone. Call them as "f ... || exit": each reports what went wrong and returns non-zero.
#
# configure_preset PRESET [DIR]: configures the preset's build folder (DIR instead, when not empty); sets
#   build to the folder's absolute path.
# build_targets [TARGET...]: builds them (everything without) in $build.
# stop_processes PID...: ends each (SIGTERM) and waits for it; empty ones are skipped.
# start_simulator NAME OPTIONS...: deskcam-sim ($sim) on free ports of 127.0.0.1 with extra options, its
#   output in $work/NAME.out and its log appended to $work/NAME.log; sets sim_pid (also added to the array
#   pids), image_port, command_port and port (the image port).
# restart_simulator NAME OPTIONS...: stops $sim_pid and starts the simulator again on the same ports.
# start_virtual_microphone: a user-mode PulseAudio of our own (its own runtime folder and home under
#   $work, nothing shared with the desktop's) whose default source is a pipe; sets fifo to the pipe's path
#   sets pulse_pid (also added to pids). Returns 77 when PulseAudio is not installed.
# Needs $work (a scratch folder) for the last three.

configure_preset() {
  local output
  output=$(cmake --preset "$1" ${2:+-B "$2"}) || { printf '%s\n' "$output" >&2; return 1; }
  build=$(sed -n 's/^-- Build files have been written to: //p' <<<"$output" | tail -n 1)
  [ -n "$build" ] || { echo "no build folder for the preset $1" >&2; return 1; }
}

build_targets() {
  local targets=()
  [ $# -eq 0 ] || targets=(--target "$@")
  cmake --build "$build" -j "$(nproc)" "${targets[@]}"
}

stop_processes() {
  local pid
  for pid in "$@"; do
    [ -n "$pid" ] || continue
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

# simulator_on NAME IMAGE_PORT COMMAND_PORT OPTIONS...
simulator_on() {
  local name=$1 image=$2 command=$3
  shift 3
  "$sim" --host 127.0.0.1 --image-port "$image" --command-port "$command" "$@" >"$work/$name.out" \
    2>>"$work/$name.log" &
  sim_pid=$!
  pids+=("$sim_pid")
  # The command port is printed after the image port.
  for _ in $(seq 100); do
    grep -q '^command-port ' "$work/$name.out" 2>/dev/null && break
    sleep 0.1
  done
  image_port=$(awk '/^image-port / {print $2}' "$work/$name.out")
  command_port=$(awk '/^command-port / {print $2}' "$work/$name.out")
  port=$image_port
  if [ -z "$image_port" ] || [ -z "$command_port" ]; then
    echo "the simulator did not start with '$*':" >&2
    cat "$work/$name.log" >&2
    return 1
  fi
}

start_simulator() {
  local name=$1
  shift
  simulator_on "$name" 0 0 "$@"
}

restart_simulator() {
  local name=$1
  shift
  stop_processes "$sim_pid"
  simulator_on "$name" "$image_port" "$command_port" "$@"
}

start_virtual_microphone() {
  local tool
  for tool in pulseaudio pactl; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; return 77; }
  done
  export HOME=$work/home PULSE_RUNTIME_PATH=$work/pulse XDG_RUNTIME_DIR=$work/xdg
  unset PULSE_SERVER
  mkdir -p "$HOME" "$PULSE_RUNTIME_PATH" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  # The pipe source makes the FIFO itself; the path must not exist yet.
  fifo=$work/mic.fifo
  rm -f "$fifo"
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    -L module-native-protocol-unix -L "module-null-sink sink_name=deskcam_null" \
    -L "module-pipe-source source_name=deskcam_mic file=$fifo format=s16le rate=44100 channels=1" \
    >"$work/pulse.log" 2>&1 &
  pulse_pid=$!
  pids+=("$pulse_pid")
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && [ -p "$fifo" ] && break; sleep 0.1; done
  if ! pactl info >/dev/null 2>&1 || ! pactl set-default-source deskcam_mic; then
    cat "$work/pulse.log" >&2
    echo "PulseAudio did not start (see $work/pulse.log)" >&2
    return 1
  fi
}
