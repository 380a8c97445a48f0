#!/usr/bin/env bash
# bench/compare.sh DIR [EXTENSIONS]
#
# Times codeburg against common line counters over the same files, warm cache,
# three runs each, and prints the median throughput with the ratios to `wc -l`
# (the floor: it only counts line breaks) and to cloc. EXTENSIONS is a
# comma-separated list (default "cpp,cc"). The files are mirrored as hard links
# into a scratch folder so every tool sees exactly the same set.
set -euo pipefail

dir=${1:?usage: bench/compare.sh DIR [EXTENSIONS]}
exts=${2:-cpp,cc}
root=$(cd "$(dirname "$0")/.." && pwd)
cli=${CODEBURG_CLI:-$root/build/cli/codeburg-cli}
runs=${RUNS:-3}

for tool in cloc sloccount; do
    if ! command -v "$tool" >/dev/null; then
        echo "installing $tool" >&2
        sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$tool" >/dev/null
    fi
done
[ -x "$cli" ] || { echo "build codeburg-cli first (./run.sh or scripts/build.sh build)" >&2; exit 1; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/cb-compare.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mirror=$scratch/tree
mkdir -p "$mirror"

find_args=()
IFS=, read -ra ext_list <<<"$exts"
for e in "${ext_list[@]}"; do find_args+=(-o -name "*.$e"); done
(cd "$dir" && find . -type f \( -false "${find_args[@]}" \) -print0) >"$scratch/list0"
(cd "$dir" && xargs -0 cp -l --parents -t "$mirror" 2>/dev/null <"$scratch/list0") ||
    (cd "$dir" && xargs -0 cp --parents -t "$mirror" <"$scratch/list0")
(cd "$mirror" && find . -type f -print0 | sort -z) >"$scratch/files0"
tr '\0' '\n' <"$scratch/files0" >"$scratch/files"
count=$(tr -cd '\0' <"$scratch/files0" | wc -c)
bytes=$(cd "$mirror" && xargs -0 cat <"$scratch/files0" | wc -c)
mb=$(awk -v b="$bytes" 'BEGIN { printf "%.1f", b / 1e6 }')
echo "$count files, $mb MB ($exts) from $dir"
(cd "$mirror" && xargs -0 cat <"$scratch/files0" >/dev/null)  # warm the cache

median() { sort -g | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
timeit() {  # timeit NAME COMMAND...: prints the median seconds of $runs runs, or "failed"
    local name=$1; shift
    local times=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        if ! (cd "$mirror" && "$@") >/dev/null 2>&1; then
            echo "$name failed" >&2
            echo failed
            return
        fi
        end=$(date +%s.%N)
        times+=("$(awk -v s="$start" -v e="$end" 'BEGIN { print e - s }')")
    done
    printf '%s\n' "${times[@]}" | median
}

# xargs passes 128 KB of names per run by default, which splits a large tree
# into several runs of each tool; 1 MB keeps it to one where the system allows.
xargs_size=$(xargs --show-limits </dev/null 2>&1 |
    sed -n 's/^Maximum length of command we could actually use: //p')
xargs_size=$(( ${xargs_size:-131072} < 1048576 ? ${xargs_size:-131072} : 1048576 ))

declare -A secs
secs[wc]=$(timeit "wc -l" sh -c 'xargs -0 -s "$1" wc -l <"$0"' "$scratch/files0" "$xargs_size")
secs[cloc]=$(timeit cloc cloc --quiet --list-file="$scratch/files")
# sloccount keeps its per-folder counts in a data folder of its own, which
# must exist beforehand; it is emptied between runs so each run counts afresh.
mkdir -p "$scratch/sloc"
secs[sloccount]=$(timeit sloccount sh -c 'rm -rf "$0"/* && sloccount --datadir "$0" .' "$scratch/sloc")
secs[scan]=$(timeit "codeburg scan" sh -c 'xargs -0 -s "$2" "$1" scan <"$0"' "$scratch/files0" "$cli" \
    "$xargs_size")
secs[build]=$(timeit "codeburg build" "$cli" build "$mirror" --force --ext "$exts" --exclude-files "")

printf '\n%-24s %9s %9s %9s %9s\n' tool seconds MB/s "x wc" "x cloc"
for k in wc cloc sloccount scan build; do
    case $k in
        wc) label="wc -l" ;; scan) label="codeburg-cli scan" ;;
        build) label="codeburg-cli build" ;; *) label=$k ;;
    esac
    if [ "${secs[$k]}" = failed ]; then printf '%-24s %9s\n' "$label" failed; continue; fi
    awk -v l="$label" -v s="${secs[$k]}" -v b="$bytes" -v w="${secs[wc]}" -v c="${secs[cloc]}" \
        'BEGIN { r = b / 1e6 / s; printf "%-24s %9.3f %9.1f %9.2f %9.2f\n", l, s, r, w / s, c / s }'
done
