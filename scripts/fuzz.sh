#!/usr/bin/env bash
# Builds the fuzz targets (clang's libFuzzer, AddressSanitizer + UBSan) and runs each for SECONDS, one after
# the other, from its seed corpus (tests/fuzz/corpus/NAME), the inputs of past findings
# (tests/fuzz/regressions/NAME) and the corpus grown by earlier runs, with its dictionary (tests/fuzz/NAME.dict).
# A crash, hang, leak or memory blow-up fails the run and prints the input that reproduces it.
#
# usage: scripts/fuzz.sh SECONDS [NAME...]    (names: frame_unit stream_split command_reply library_picture)
# Environment:
#   DESKCAM_FUZZ_BUILD_DIR=DIR   build folder (default: the fuzz preset's, build-fuzz); the grown corpora
#                                and findings live in DIR/fuzz-corpus and DIR/fuzz-findings
#   DESKCAM_FUZZ_ARGS="..."      extra libFuzzer options (e.g. "-max_len=16384")
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: scripts/fuzz.sh SECONDS [NAME...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(frame_unit stream_split command_reply library_picture)

command -v clang++-14 >/dev/null || { echo "fuzz.sh: clang++-14 is not installed (scripts/install-deps.sh)" >&2; exit 1; }
# shellcheck source=scripts/lib/common.sh
source scripts/lib/common.sh
configure_preset fuzz "${DESKCAM_FUZZ_BUILD_DIR:-}"
build_targets fuzzers

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=0
for name in "${targets[@]}"; do
    fuzzer=$build/tests/fuzz/${name}_fuzzer
    [ -x "$fuzzer" ] || { echo "fuzz.sh: no fuzz target $name" >&2; exit 2; }
    corpus=$build/fuzz-corpus/$name
    findings=$build/fuzz-findings/$name
    mkdir -p "$corpus" "$findings"
    seeds=(tests/fuzz/corpus/"$name")
    [ -d tests/fuzz/regressions/"$name" ] && seeds+=(tests/fuzz/regressions/"$name")
    log=$findings/last-run.log
    status=0
    # The program's own log lines are noise here (close_fd_mask); a finding's report still shows.
    # shellcheck disable=SC2086
    "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -dict=tests/fuzz/"$name".dict \
        -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$findings"/ ${DESKCAM_FUZZ_ARGS:-} \
        "$corpus" "${seeds[@]}" >"$log" 2>&1 || status=$?
    runs=$(awk '/stat::number_of_executed_units:/ {n += $2} END {print n + 0}' "$log")
    if [ "$status" -eq 0 ]; then
        echo "fuzz $name: $runs executions in ${seconds} s, corpus $(find "$corpus" -type f | wc -l) inputs, no finding"
        continue
    fi
    failed=1
    echo "fuzz $name: FAILED (exit status $status) after $runs executions" >&2
    grep -E "^==[0-9]+==|^SUMMARY|ERROR: libFuzzer" "$log" | head -n 5 >&2 || true
    sed -n 's/.*Test unit written to \(.*\)$/  reproducer: \1/p' "$log" >&2
    echo "  full report: $log" >&2
    echo "  replay: $fuzzer REPRODUCER" >&2
done
exit "$failed"
