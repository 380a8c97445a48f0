#!/usr/bin/env bash
# bench/rebuild_tally.sh [RUNS] [REBUILDS]
#
# Rebuilds a project again and again while the city pane shows it with every
# method's label, picks under the cursor and repaints on each file of the
# build: RUNS processes (default 5) of REBUILDS "Rebuild All" each (default
# 10), in the sanitized build under AddressSanitizer. Prints how many
# rebuilds finished and how many processes crashed.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CODEBURG_BUILD:-$root/build-asan}
tests=$build/app/cb_city_view_gui_tests
[ -x "$tests" ] || { echo "make the sanitized build first (see test.sh)" >&2; exit 1; }
runs=${1:-5}
rebuilds=${2:-10}
done_total=0
crashes=0
log=$(mktemp "${TMPDIR:-/tmp}/cb-rebuilds.XXXXXX")
trap 'rm -f "$log"' EXIT
for run in $(seq 1 "$runs"); do
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    LSAN_OPTIONS=suppressions=$root/scripts/lsan.supp \
    CODEBURG_REBUILDS=$rebuilds \
        xvfb-run -a -s "-screen 0 1280x1024x24" env QT_QPA_PLATFORM=xcb \
        "$tests" rebuildAllWhilePainting >"$log" 2>&1
    status=$?
    finished=$(grep -c "rebuild [0-9]* of $rebuilds done" "$log")
    done_total=$((done_total + finished))
    if [ "$status" -ne 0 ]; then
        crashes=$((crashes + 1))
        grep -m3 -E "ERROR: AddressSanitizer|FAIL!|SUMMARY" "$log"
    fi
    echo "run $run: $finished of $rebuilds rebuilds, exit status $status"
done
echo "rebuild-alls finished: $done_total of $((runs * rebuilds)); processes crashed or failed: $crashes"
[ "$crashes" -eq 0 ]
