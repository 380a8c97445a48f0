#!/usr/bin/env bash
# Builds the fuzz harnesses if needed and runs each for SECONDS over its corpus.
#
#   fuzz/run.sh SECONDS [HARNESS...]   every harness (or the ones named)
#   fuzz/run.sh --smoke                15 seconds each, for ./test.sh
#
# The corpus of a harness lives in build-fuzz/corpus/<harness>/: seeds made
# from the project's test data by make_seeds.py, plus whatever earlier runs
# found. Crashing inputs land in build-fuzz/artifacts/<harness>/. Exits 1 when
# any harness reports a crash, hang (> 1 s), leak or sanitizer error.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${CODEBURG_FUZZ_BUILD:-$root/build-fuzz}"

[ $# -ge 1 ] || { echo "usage: fuzz/run.sh SECONDS [HARNESS...] | --smoke" >&2; exit 2; }
seconds=$1; shift
[ "$seconds" = "--smoke" ] && seconds=15
[[ "$seconds" =~ ^[0-9]+$ ]] || { echo "fuzz/run.sh: SECONDS must be a number" >&2; exit 2; }

if [ ! -f "$build/build.ninja" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCODEBURG_FUZZ=ON -DCODEBURG_GUI=OFF -DCODEBURG_TESTS=OFF -DCODEBURG_BENCH=OFF >/dev/null
fi
mkdir -p "$build/logs"
if ! cmake --build "$build" --target fuzzers codeburg-cli -j"$(nproc)" >"$build/logs/build.log" 2>&1; then
    tail -40 "$build/logs/build.log" >&2
    echo "fuzz/run.sh: building the harnesses failed, see $build/logs/build.log" >&2
    exit 2
fi

mapfile -t harnesses < <(grep -v '^$' "$build/fuzzers.txt")
[ $# -gt 0 ] && harnesses=("$@")

python3 "$root/fuzz/make_seeds.py" "$root" "$build/corpus" "$build/cli/codeburg-cli"

# The settings harness reads and replaces a file per input: on tmpfs that costs
# no disk flushes.
[ -z "${TMPDIR:-}" ] && [ -w /dev/shm ] && export TMPDIR=/dev/shm

export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
# Runs one harness until "seconds" have passed. On a busy machine a starved
# process can overrun -timeout=1 on an input that takes milliseconds, and so
# can a single replay of it. A timeout counts only when the input times out in
# each of three separate replays, as a real hang or a really slow input does;
# otherwise it is logged, set aside as "unconfirmed-*", and the run goes on for
# the rest of its time.
fuzz_one() {
    local h=$1 corpus=$2 artifacts=$3 log=$4
    local end=$((SECONDS + seconds)) left segment=0 rc
    runs=0 rate=0 result=ok
    : >"$log"
    while left=$((end - SECONDS)); [ "$left" -gt 0 ]; do
        segment=$((segment + 1))
        rc=0
        "$build/fuzz/$h" -max_total_time="$left" -timeout=1 -rss_limit_mb=2048 -detect_leaks=1 \
            -print_final_stats=1 -artifact_prefix="$artifacts/" "$corpus" >"$log.part" 2>&1 || rc=$?
        cat "$log.part" >>"$log"
        # A run cut short may print no statistics.
        local executed
        executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log.part" | tail -1)
        runs=$((runs + ${executed:-0}))
        rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log.part" | tail -1)
        rate=${rate:-0}
        [ "$rc" -eq 0 ] && break
        local unit replay reproduced=1
        unit=$(sed -n 's/.*Test unit written to \(.*timeout-.*\)$/\1/p' "$log.part" | tail -1)
        [ -n "$unit" ] || { result=FAILED; break; }
        for replay in 1 2 3; do
            if "$build/fuzz/$h" -timeout=1 -runs=1 "$unit" >>"$log" 2>&1; then
                reproduced=0
                break
            fi
        done
        if [ "$reproduced" -eq 0 ]; then
            echo "fuzz/run.sh: timeout of $unit not reproduced; resuming" >>"$log"
            mv "$unit" "$artifacts/unconfirmed-$(basename "$unit")"
            continue
        fi
        result=FAILED
        break
    done
    rm -f "$log.part"
    # The rate of the whole run, not of its last segment.
    if [ "$segment" -gt 1 ]; then rate=$((runs / (seconds > 0 ? seconds : 1))); fi
}

status=0
printf '%-26s %12s %10s %s\n' harness executions exec/s result
for h in "${harnesses[@]}"; do
    corpus="$build/corpus/$h" artifacts="$build/artifacts/$h" log="$build/logs/$h.log"
    mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
    fuzz_one "$h" "$corpus" "$artifacts" "$log"
    if [ "$result" != ok ]; then
        status=1
        result="FAILED, see $log"
        grep -E '^(==[0-9]+==ERROR|SUMMARY|.*runtime error)' "$log" | head -3 >&2 || true
    fi
    printf '%-26s %12s %10s %s\n' "$h" "$runs" "$rate" "$result"
done
exit $status
