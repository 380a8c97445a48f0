#!/usr/bin/env bash
# Installs what is missing, builds codeburg and runs its main job. With
# arguments, passes them to codeburg-cli.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cli=build/cli/codeburg-cli
gui=build/app/codeburg
if [ $# -gt 0 ]; then exec "$cli" "$@"; fi

# With a display, the desktop program starts (on the demo workspace when
# there is one); without, the text summary below stands in for it.
if [ -x "$gui" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    demo=$(ls demo/*.cbw build/demo/*.cbw 2>/dev/null | head -n1 || true)
    if [ -n "$demo" ]; then exec "$gui" "$demo"; fi
    exec "$gui"
fi

# Scan the repository's own sources and show a short table.
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || find . -name '*.cpp' -not -path './build*')
"$cli" scan "${files[@]}" > build/self-scan.json
python3 - build/self-scan.json <<'PY'
import json, sys
doc = json.load(open(sys.argv[1]))
print(f"{'file':40} {'lines':>7} {'eloc':>7} {'methods':>8}")
for f in doc["files"]:
    if "error" in f:
        print(f"{f['path']:40} error"); continue
    eloc = f["lines"] - f["asserts"] - f["commentLines"] - f["emptyLines"]
    print(f"{f['path'][-40:]:40} {f['lines']:7} {eloc:7} {len(f['methods']):8}")
PY
if [ -x "$gui" ]; then
    echo
    echo "No display: to start the desktop program, run: xvfb-run -a $gui"
fi
