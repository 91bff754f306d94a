#!/usr/bin/env bash
# Peak memory of refusing an input over the read bound: `quorutil curves` and `quorutil lut` on
# a 65 MiB file (sparse) and on an endless character device (root only: made with mknod in the
# scratch folder), against the same commands on a small curve file. The whole process's peak
# resident set, from /usr/bin/time -v.
#   bench/oversized-input.sh      (BUILD=folder, default build)
# Target: the 65 MiB file refused with a peak under 100 MB.
source "$(dirname "$0")/common.sh"

tool=$build/bin/quorutil
need_executable "$tool" quorutil_tool
if [ ! -x /usr/bin/time ]; then
    echo "needs /usr/bin/time (Debian package time)" >&2
    exit 2
fi
truncate -s 65M "$tmp/big.xml"
cp tests/data/tonal/corrector_spline.xml "$tmp/small.xml"
inputs=(small.xml big.xml)
if mknod "$tmp/zero" c 1 5 2>/dev/null; then
    inputs+=(zero)
fi

peak() { # peak resident set in kB of the command, which may fail
    /usr/bin/time -v "$@" 2>&1 >/dev/null | awk '/Maximum resident set size/ { print $6 }'
}
printf '%-8s %-10s %10s\n' command input 'peak kB'
for input in "${inputs[@]}"; do
    printf '%-8s %-10s %10s\n' curves "$input" \
        "$(peak env QT_QPA_PLATFORM=offscreen "$tool" curves "$tmp/$input" --screenshot "$tmp/s.png")"
    printf '%-8s %-10s %10s\n' lut "$input" "$(peak "$tool" lut "$tmp/$input" --samples 16)"
done
