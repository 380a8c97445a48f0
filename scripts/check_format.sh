#!/usr/bin/env bash
# Fails when a C++ source differs from the pinned .clang-format; clang-format
# 14 only, as another version formats some constructs differently.
set -euo pipefail
cd "$(dirname "$0")/.."
format=$(command -v clang-format-14 || command -v clang-format || true)
if [ -z "$format" ] || ! "$format" --version | grep -q "version 14\."; then
    echo "check_format: needs clang-format 14 (scripts/deps.sh installs it)" >&2
    exit 1
fi
count=0
while IFS= read -r -d '' file; do
    files+=("$file")
    count=$((count + 1))
done < <(find . \( -path './build*' -o -path './out' -o -path './.*' \) -prune -o \
              \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
"$format" --dry-run --Werror "${files[@]}"
echo "check_format: $count files match .clang-format"
