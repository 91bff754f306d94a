#!/usr/bin/env bash
# Whole-process comparison of the tool's file commands with the system's own:
#   quorutil copy   of a 1 GiB file            against cp      (target ratio <= 1.05)
#   quorutil rmtree of 20,000 files in 200 dirs against rm -rf (target ratio <= 1.2)
# Both sides run on the same file system, alternating, each timed from a synced start;
# the medians are compared. The copy is timed twice: until the command returns (the data is
# in the page cache, so a fixed cost such as loading the Qt libraries weighs heavily) and
# until the data is on the medium (sync included). The fixed start-up cost of each program
# is printed too, so the two can be told apart.
#
#   bench/copy-vs-cp.sh [--tool PATH] [--dir DIR] [--rounds N] [--size-mib N]
#     --tool    the quorutil executable (default: build/bin/quorutil)
#     --dir     where to work (default: a temporary folder in the current directory)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
tool=$repo/build/bin/quorutil
base=$PWD
rounds=5
size_mib=1024
while [ $# -gt 0 ]; do
    case "$1" in
        --tool) tool=$2; shift 2 ;;
        --dir) base=$2; shift 2 ;;
        --rounds) rounds=$2; shift 2 ;;
        --size-mib) size_mib=$2; shift 2 ;;
        -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
        *) echo "copy-vs-cp.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
[ -x "$tool" ] || { echo "copy-vs-cp.sh: no executable at $tool (use --tool)" >&2; exit 2; }

work=$(mktemp -d "$base/copy-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
need_kib=$(( (size_mib * 2 + 64) * 1024 ))
avail_kib=$(df -Pk "$work" | awk 'NR==2 {print $4}')
if [ "$avail_kib" -lt "$need_kib" ]; then
    echo "copy-vs-cp.sh: need $((need_kib / 1024)) MiB free in $base, have $((avail_kib / 1024))" >&2
    exit 1
fi

now() { date +%s.%N; }
# Runs a command from a synced start and prints its wall time in seconds.
timed() {
    sync
    local start end
    start=$(now)
    "$@"
    end=$(now)
    echo "$end - $start" | bc -l
}
median() { printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
# Like timed, but the clock runs until the written data is on the medium.
timed_to_disk() {
    sync
    local start end
    start=$(now)
    "$@"
    sync
    end=$(now)
    echo "$end - $start" | bc -l
}
quiet() { "$@" > /dev/null; }
ratio() { echo "scale=3; $1 / $2" | bc -l; }
verdict() { if [ "$(echo "$1 <= $2" | bc -l)" = 1 ]; then echo "ok"; else echo "OVER TARGET"; fi; }

echo "file system: $(df -PT "$work" | awk 'NR==2 {print $2 " on " $1}'), $rounds rounds each"

# --- copy -------------------------------------------------------------------------------
src=$work/source.bin
head -c "$((size_mib * 1024 * 1024))" /dev/urandom > "$src"
cat "$src" > /dev/null # both sides read from the page cache
# The copy is checked once, and the first copies after writing the source (which pay for
# its write-back) are not counted.
"$tool" copy "$src" "$work/by-tool.bin" --progress none
cmp -s "$src" "$work/by-tool.bin" || { echo "copy-vs-cp.sh: quorutil copy differs" >&2; exit 1; }
cp "$src" "$work/by-cp.bin"
rm -f "$work/by-tool.bin" "$work/by-cp.bin"

# One timed copy by each side into a fresh destination, the order alternating by round.
# $1: timed or timed_to_disk; $2: round number. Prints "tool-seconds cp-seconds".
copy_round() {
    local clock=$1 t c
    if [ $(($2 % 2)) = 1 ]; then
        cat "$src" > /dev/null
        t=$($clock "$tool" copy "$src" "$work/by-tool.bin" --progress none)
    fi
    cat "$src" > /dev/null
    c=$($clock cp "$src" "$work/by-cp.bin")
    if [ $(($2 % 2)) = 0 ]; then
        cat "$src" > /dev/null
        t=$($clock "$tool" copy "$src" "$work/by-tool.bin" --progress none)
    fi
    rm -f "$work/by-tool.bin" "$work/by-cp.bin"
    echo "$t $c"
}
tool_times=() cp_times=() tool_disk=() cp_disk=()
for round in $(seq "$rounds"); do
    read -r t c < <(copy_round timed "$round")
    tool_times+=("$t") cp_times+=("$c")
    read -r t c < <(copy_round timed_to_disk "$round")
    tool_disk+=("$t") cp_disk+=("$c")
done
rm -f "$src"
t=$(median "${tool_times[@]}") c=$(median "${cp_times[@]}")
r=$(ratio "$t" "$c")
printf 'copy   %5d MiB, cached:  quorutil %7.3f s   cp     %7.3f s   ratio %s (target <= 1.05: %s)\n' \
    "$size_mib" "$t" "$c" "$r" "$(verdict "$r" 1.05)"
t=$(median "${tool_disk[@]}") c=$(median "${cp_disk[@]}")
r=$(ratio "$t" "$c")
printf 'copy   %5d MiB, on disk: quorutil %7.3f s   cp     %7.3f s   ratio %s (target <= 1.05: %s)\n' \
    "$size_mib" "$t" "$c" "$r" "$(verdict "$r" 1.05)"

# Start-up alone: the tool loads the Qt libraries before it does anything.
tool_start=() cp_start=()
for _ in $(seq 20); do
    tool_start+=("$(timed quiet "$tool" --help)")
    cp_start+=("$(timed quiet cp --version)")
done
printf 'start-up alone:               quorutil %7.3f s   cp     %7.3f s\n' \
    "$(median "${tool_start[@]}")" "$(median "${cp_start[@]}")"

# --- rmtree -----------------------------------------------------------------------------
make_tree() {
    mkdir -p "$1"
    (cd "$1" && mkdir d{001..200} && for d in d*; do (cd "$d" && touch f{001..100}); done)
}
tool_times=() rm_times=()
for round in $(seq "$rounds"); do
    make_tree "$work/tree-tool"
    make_tree "$work/tree-rm"
    if [ $((round % 2)) = 1 ]; then
        tool_times+=("$(timed "$tool" rmtree "$work/tree-tool")")
        rm_times+=("$(timed rm -rf "$work/tree-rm")")
    else
        rm_times+=("$(timed rm -rf "$work/tree-rm")")
        tool_times+=("$(timed "$tool" rmtree "$work/tree-tool")")
    fi
    [ ! -e "$work/tree-tool" ] || { echo "copy-vs-cp.sh: quorutil rmtree left the tree" >&2; exit 1; }
done
t=$(median "${tool_times[@]}") c=$(median "${rm_times[@]}")
r=$(ratio "$t" "$c")
printf 'rmtree 20000 files/200 dirs: quorutil %7.3f s   rm -rf %7.3f s   ratio %s (target <= 1.2: %s)\n' \
    "$t" "$c" "$r" "$(verdict "$r" 1.2)"
