#!/usr/bin/env bash
# Pictures of every view of the desktop program at its first-start size and
# at 1600 x 1000, taken on a virtual screen from a demo workspace (this
# repository and the googletest sources): build/screenshots/*.png.
# Needs a built tree (scripts/build.sh build) and xvfb-run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
work=$build/screenshot-demo
rm -rf "$work"
mkdir -p "$work"
cp -r /usr/src/googletest "$work/googletest"
cli=$build/cli/codeburg-cli
"$cli" workspace "$work/demo.cbw" init >/dev/null
"$cli" workspace "$work/demo.cbw" add "$work/googletest" --name googletest --ext cc,h,cpp \
    --exclude-files '' >/dev/null
"$cli" workspace "$work/demo.cbw" build >/dev/null
xvfb-run -a -s "-screen 0 1920x1200x24" env QT_QPA_PLATFORM=xcb \
    CODEBURG_SCREENSHOT_WORKSPACE="$(realpath "$work/demo.cbw")" \
    "$build/app/cb_city_view_gui_tests" screenshotsOfEveryView
ls "$build"/screenshots/default_*.png "$build"/screenshots/1600x1000_*.png
