#!/usr/bin/env bash
# bench/idle_cpu.sh [WORKSPACE.cbw PROJECT] [SECONDS]
#
# How much of a core the desktop program takes while its city pane shows a
# project in free movement and nobody touches anything: starts it on a
# virtual screen, lets it settle, then reads its user and system time from
# /proc/PID/stat over SECONDS (default 10). CODEBURG_FLYMODE=0 measures the
# fly-over orbit instead, for comparison. Without a workspace, one is made
# from the googletest sources.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${CODEBURG_BUILD:-$root/build}
gui=$build/app/codeburg
cli=$build/cli/codeburg-cli
[ -x "$gui" ] || { echo "build the desktop program first (scripts/build.sh build)" >&2; exit 1; }
home=$(mktemp -d "${TMPDIR:-/tmp}/cb-idle.XXXXXX")
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$home"; }
trap cleanup EXIT

workspace=${1:-}
project=${2:-googletest}
seconds=${3:-10}
if [ -z "$workspace" ]; then
    cp -r /usr/src/googletest "$home/googletest"
    workspace=$home/demo.cbw
    "$cli" workspace "$workspace" init >/dev/null
    "$cli" workspace "$workspace" add "$home/googletest" --name googletest --ext cc,h,cpp \
        --exclude-files '' >/dev/null
    "$cli" workspace "$workspace" build >/dev/null
fi

# A scratch profile: no welcome, no quote, free movement in the city.
mkdir -p "$home/.config/halcyon"
cat > "$home/.config/halcyon/Codeburg.conf" <<CONF
[3D]
FLYMODE=${CODEBURG_FLYMODE:-1}
[MAIN]
FIRSTTIME=0
LOADMOSTRECENT=0
[Quote]
StartUp=1
CONF

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 2
HOME=$home XDG_CONFIG_HOME=$home/.config DISPLAY=$display QT_QPA_PLATFORM=xcb \
    "$gui" "$workspace" "-prj=$project" >/dev/null 2>&1 &
pid=$!
pids+=($pid)
sleep 8  # start-up, the first frames and the camera coming to rest

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks "$pid")
sleep "$seconds"
after=$(ticks "$pid")
awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" \
    'BEGIN { printf "idle city pane: %d ticks in %d s = %.2f %% of a core\n", t, s, 100 * t / (hz * s) }'
