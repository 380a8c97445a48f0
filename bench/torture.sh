#!/usr/bin/env bash
# Kills a large build with SIGKILL at random moments and checks what each
# kill leaves: the statistics file must always be the complete old one or
# the complete new one, and the next save must remove every temporary the
# killed builds left behind. Prints the tally; exits 1 when a check fails.
#
# usage: bench/torture.sh [CLI] [SOURCE_TREE] [KILLS]
#   CLI          codeburg-cli to run (default: build/cli/codeburg-cli)
#   SOURCE_TREE  a large tree of sources (default: /work/corpus/cpp)
#   KILLS        how many builds to kill (default: 20)
set -euo pipefail
cd "$(dirname "$0")/.."
cli=$(realpath "${1:-build/cli/codeburg-cli}")
source_tree=$(realpath "${2:-/work/corpus/cpp}")
kills=${3:-20}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# Links to the sources: the project folder is ours to write into, the
# sources are read where they are.
cp -rs "$source_tree" "$work/proj"
cbb=$work/proj/proj.cbb

now() { date +%s.%N; }
temporaries() { find "$work/proj" -maxdepth 1 -name '.proj.cbb.tmp*' | wc -l; }
build() { "$cli" build "$work/proj" --force --sequential --linecount "$1" >/dev/null 2>&1; }

# Two line counts give two different complete files to tell apart.
build 30
sum_b=$(sha256sum <"$cbb")
start=$(now)
build 25
duration=$(echo "$(now) - $start" | bc -l)
sum_a=$(sha256sum <"$cbb")
[[ $sum_a != "$sum_b" ]] || { echo "torture: the two builds gave the same file" >&2; exit 1; }
size=$(stat -c %s "$cbb")
printf 'torture: %s, %d bytes of statistics, a build takes %.2f s\n' \
    "$source_tree" "$size" "$duration"

old=0 new=0 torn=0 kills_in_save=0 left_after_next_save=0
RANDOM=${TORTURE_SEED:-16}
for ((i = 1; i <= kills; i++)); do
    # Each build writes the other file than the one on disk.
    if [[ $(sha256sum <"$cbb") == "$sum_a" ]]; then line_count=30; else line_count=25; fi
    before=$(sha256sum <"$cbb")
    "$cli" build "$work/proj" --force --sequential --linecount "$line_count" \
        >/dev/null 2>&1 &
    pid=$!
    disown "$pid"  # its death by a signal is the point, not worth a notice
    # A moment anywhere in the build, or every other time one while the
    # statistics are being saved: soon after the temporary appears.
    start=$(now)
    if ((i % 2)); then
        sleep "$(echo "$duration * 1.05 * $RANDOM / 32767" | bc -l)"
    else
        while kill -0 "$pid" 2>/dev/null && (($(temporaries) == 0)); do sleep 0.005; done
        sleep "$(echo "0.05 * $RANDOM / 32767" | bc -l)"
    fi
    kill -9 "$pid" 2>/dev/null || true
    delay=$(echo "$(now) - $start" | bc -l)
    while kill -0 "$pid" 2>/dev/null; do sleep 0.01; done

    after=$(sha256sum <"$cbb")
    if [[ $after == "$before" ]]; then
        old=$((old + 1)) verdict=old
    elif [[ $after == "$sum_a" || $after == "$sum_b" ]]; then
        new=$((new + 1)) verdict=new
    else
        torn=$((torn + 1)) verdict=TORN
    fi
    left=$(temporaries)
    if ((left > 0)); then
        # Killed while saving: the next save must clean up after it.
        kills_in_save=$((kills_in_save + 1))
        build 25
        remaining=$(temporaries)
        left_after_next_save=$((left_after_next_save + remaining))
        [[ $(sha256sum <"$cbb") == "$sum_a" ]] || torn=$((torn + 1))
    fi
    printf 'kill %2d after %.2f s: %s file, %d temporary left\n' "$i" "$delay" "$verdict" "$left"
done
build 25
left_after_next_save=$((left_after_next_save + $(temporaries)))

echo "torture: $kills kills: $old complete old, $new complete new, $torn torn;" \
    "$kills_in_save killed while saving, $left_after_next_save temporaries left after the next save"
((torn == 0 && left_after_next_save == 0))
