#!/usr/bin/env bash
# Installs what is missing, builds codeburg and runs its main job. With
# arguments, passes them to codeburg-cli.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cli=build/cli/codeburg-cli
if [ $# -gt 0 ]; then exec "$cli" "$@"; fi

# Build the repository's own sources as a project and print its score sheet.
exec "$cli" build . --name codeburg --ext cpp,h \
    --exclude-dirs 'build*,fuzz,testdata' --force
