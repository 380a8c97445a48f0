#!/usr/bin/env bash
# bench/gui_build_bench.sh DIR [EXTENSIONS]
#
# Builds DIR as a project in the desktop program (offscreen, no display
# needed) and reports how long the window went at most without its event
# loop, i.e. without a chance to repaint the progress bar and status text.
set -euo pipefail
dir=$(cd "${1:?usage: bench/gui_build_bench.sh DIR [EXTENSIONS]}" && pwd)
root=$(cd "$(dirname "$0")/.." && pwd)
tests=${CODEBURG_BUILD:-$root/build}/app/cb_views_gui_tests
[ -x "$tests" ] || { echo "build the GUI tests first (scripts/build.sh build)" >&2; exit 1; }
home=$(mktemp -d "${TMPDIR:-/tmp}/cb-gui-bench.XXXXXX")
trap 'rm -rf "$home"' EXIT
# A scratch home keeps the user's settings and registry out of it.
HOME=$home XDG_CONFIG_HOME=$home/.config QT_QPA_PLATFORM=offscreen \
    CODEBURG_BENCH_BUILD_DIR=$dir CODEBURG_BENCH_BUILD_EXT=${2:-} \
    "$tests" responsivenessDuringALargeBuild 2>&1 | grep -E "^build|^  [0-9]+ ms|FAIL|SKIP" || true
