# Sourced by the recording scripts (tests and benchmarks). Needs $work (a scratch folder) and the array
# pids (processes to stop at the end).
#
# start_virtual_microphone: a user-mode sound server of our own (its own runtime folder and home, nothing
# shared with the desktop's) whose default source is a pipe; sets fifo to the pipe's path. Exits 77 when
# PulseAudio is not installed.
# start_simulator NAME OPTIONS...: deskcam-sim ($sim) on free ports of loopback; sets port.

start_virtual_microphone() {
  local tool
  for tool in pulseaudio pactl; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
  done
  export HOME=$work/home PULSE_RUNTIME_PATH=$work/pulse XDG_RUNTIME_DIR=$work/xdg
  unset PULSE_SERVER
  mkdir -p "$HOME" "$PULSE_RUNTIME_PATH" "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  # The pipe source makes the FIFO itself; the path must not exist yet.
  fifo=$work/mic.fifo
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --use-pid-file=no \
    -L module-native-protocol-unix -L "module-null-sink sink_name=deskcam_null" \
    -L "module-pipe-source source_name=deskcam_mic file=$fifo format=s16le rate=44100 channels=1" \
    >"$work/pulse.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 100); do pactl info >/dev/null 2>&1 && [ -p "$fifo" ] && break; sleep 0.1; done
  pactl info >/dev/null 2>&1 || { cat "$work/pulse.log"; echo "FAIL: PulseAudio did not start"; exit 1; }
  pactl set-default-source deskcam_mic
}

start_simulator() {
  local name=$1
  shift
  "$sim" --image-port 0 --command-port 0 "$@" >"$work/$name.out" 2>"$work/$name.err" &
  pids+=($!)
  for _ in $(seq 100); do grep -q '^image-port' "$work/$name.out" 2>/dev/null && break; sleep 0.05; done
  port=$(awk '/^image-port/ {print $2}' "$work/$name.out")
  [ -n "$port" ] || { cat "$work/$name.err"; echo "FAIL: the simulator did not start"; exit 1; }
}
