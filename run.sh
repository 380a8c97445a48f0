#!/usr/bin/env bash
# Installs what is missing, builds codeburg and runs its main job: a demo
# workspace with this repository and the googletest sources, built and shown.
# With arguments, passes them to codeburg-cli instead.
set -euo pipefail
cd "$(dirname "$0")"
repo=$(pwd)
scripts/deps.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cli=$repo/build/cli/codeburg-cli
gui=$repo/build/app/codeburg
if [ $# -gt 0 ]; then exec "$cli" "$@"; fi

# The demo workspace lives in the user's data folder and is created once. Its
# projects find methods by the modern rule: nearly all of this repository's
# and googletest's functions stand in namespaces and class bodies, where the
# classic rule counts none.
data=${XDG_DATA_HOME:-$HOME/.local/share}/codeburg/demo
workspace=$data/demo.cbw
# One made by an earlier run.sh used the classic rule: it is made again (its
# projects then rebuild by the modern rule), the old file kept beside it.
if [ -f "$workspace" ] && ! grep -q 'methods="modern"' "$workspace"; then
    mv "$workspace" "$workspace.classic"
    echo "run.sh: the demo workspace now finds methods inside namespaces and class bodies;" \
        "the earlier one is kept as $workspace.classic" >&2
fi
if [ ! -f "$workspace" ]; then
    mkdir -p "$data"
    # A private copy, so the statistics file can be written beside the sources.
    if [ ! -f "$workspace.classic" ] || [ ! -d "$data/googletest" ]; then
        rm -rf "$data/googletest"
        cp -r /usr/src/googletest "$data/googletest"
    fi
    "$cli" workspace "$workspace" init
    "$cli" workspace "$workspace" add "$repo" --name codeburg --ext cpp,h \
        --exclude-dirs 'build*,fuzz,testdata' --exclude-files '' --dev codeburg --methods modern
    "$cli" workspace "$workspace" add "$data/googletest" --name googletest --ext cc,h,cpp \
        --exclude-files '' --methods modern
fi
"$cli" workspace "$workspace" build
"$cli" workspace "$workspace" show

if [ -x "$gui" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    exec "$gui" "$workspace"
fi
picture=$data/codeburg-city.jpg
if "$cli" snapshot "$workspace" --project codeburg "$picture" >/dev/null; then
    echo
    echo "City of the codeburg project: $picture"
fi
if [ -x "$gui" ]; then
    echo "No display: to start the desktop program, run: xvfb-run -a $gui $workspace"
fi
