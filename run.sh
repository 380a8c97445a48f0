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
# there is one); without, the score sheet below stands in for it.
if [ -x "$gui" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
    demo=$(ls demo/*.cbw build/demo/*.cbw 2>/dev/null | head -n1 || true)
    if [ -n "$demo" ]; then exec "$gui" "$demo"; fi
    exec "$gui"
fi

if [ -x "$gui" ]; then
    echo "No display: to start the desktop program, run: xvfb-run -a $gui"
    echo
fi
# Build the repository's own sources as a project and print its score sheet.
exec "$cli" build . --name codeburg --ext cpp,h \
    --exclude-dirs 'build*,fuzz,testdata' --force
