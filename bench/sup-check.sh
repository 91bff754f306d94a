#!/usr/bin/env bash
# Support files checked per second by `quorutil sup check --quiet`: 10,000 level-1 files with
# three image files each (all present), on the page cache, on one core, the whole process timed
# (Qt start-up included). Compared with `stat` on the same 30,000 image files, which is the
# least any check must do.
#   bench/sup-check.sh [COUNT]     (default 10000; BUILD=folder, default build)
# Target: at least 20000 support files/s.
source "$(dirname "$0")/common.sh"

count=${1:-10000}
tool=$build/bin/quorutil
need_executable "$tool" quorutil_tool
mkdir "$tmp/img"

# The shipped level-1 sample with its three image files pointed into img/ and its other
# references (orientation, calibration, level-0 name) left out, so every file checks clean.
awk -v count="$count" -v dir="$tmp" '
    /^(ORIGINAL_|ADJUSTED_)(ORIENTATION|CALIBRATION)|^LEVEL_0_NAME/ { next }
    /^IMAGE_FILE_NAME/ { image++; $0 = sprintf("IMAGE_FILE_NAME %s \"%s/img/i%%06d_%d.tif\"", $2, dir, image) }
    { line[++n] = $0 }
    END {
        for (i = 1; i <= count; i++) {
            out = sprintf("%s/s%06d.sup", dir, i)
            for (k = 1; k <= n; k++)
                printf(index(line[k], "%06d") ? line[k] "\n" : "%s\n", index(line[k], "%06d") ? i : line[k]) > out
            close(out)
        }
    }' resources/samples/SN3001_110115_123458_PANF02A_L1.sup
(cd "$tmp/img" && seq -f %06g 1 "$count" | while read -r i; do : >"i${i}_1.tif" >"i${i}_2.tif" >"i${i}_3.tif"; done)
files=("$tmp"/s*.sup)
cat "${files[@]}" >/dev/null

if ! "$tool" sup check --quiet "${files[@]}"; then
    echo "the generated files do not check clean:" >&2
    "$tool" sup check "${files[0]}" >&2 || true
    exit 1
fi

best() { # best of three whole runs, in nanoseconds
    local best_ns=0 start ns
    for _ in 1 2 3; do
        start=$(date +%s%N)
        "$@" >/dev/null
        ns=$(($(date +%s%N) - start))
        if [ "$best_ns" = 0 ] || [ "$ns" -lt "$best_ns" ]; then best_ns=$ns; fi
    done
    echo "$best_ns"
}
check_ns=$(best "${one_core[@]}" "$tool" sup check --quiet "${files[@]}")
stat_ns=$(best "${one_core[@]}" find "$tmp/img" -type f -printf '%s\n')

rate=$((count * 1000000000 / check_ns))
echo "support files:   $count, 3 image files each"
echo "sup check:       $((check_ns / 1000000)) ms, $rate files/s (target >= 20000)"
echo "find (stat all): $((stat_ns / 1000000)) ms for the $((count * 3)) image files"
awk -v r="$rate" 'BEGIN { printf "target:          %s\n", (r >= 20000 ? "met" : "NOT met") }'
