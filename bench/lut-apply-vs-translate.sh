#!/usr/bin/env bash
# Whole-process comparison of `quorutil lut apply` with `gdal_translate` copying the same file
# with the same creation options (the least any tool that rewrites the raster pays):
#   one thread:  lut apply at most 1.2 times the copy's wall time
#   two threads: lut apply faster than the copy
#   peak memory of lut apply under 256 MB
# The input, a 4-band unsigned 16-bit tiled GeoTIFF (default 8192 x 8192, 512 MiB), is made by
# bench/make-raster.py and removed at exit. Timed with farm-bench (A/B alternating, medians)
# when it is installed, else with /usr/bin/time.
#
#   bench/lut-apply-vs-translate.sh [--size N] [--runs N] [--compress] [--dir DIR]
#     --compress  both sides write DEFLATE instead of uncompressed tiles
#     --dir       where the rasters go (default: a temporary folder in the current directory)
source "$(dirname "$0")/common.sh"

size=8192
runs=5
base=$PWD
compress=()
while [ $# -gt 0 ]; do
    case "$1" in
        --size) size=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --compress) compress=(-co COMPRESS=DEFLATE); shift ;;
        --dir) base=$2; shift 2 ;;
        -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
        *) echo "lut-apply-vs-translate.sh: unknown option $1" >&2; exit 2 ;;
    esac
done
tool=$PWD/$build/bin/quorutil
need_executable "$tool" quorutil_tool
command -v gdal_translate >/dev/null || { echo "needs gdal_translate (gdal-bin)" >&2; exit 2; }

work=$(mktemp -d "$base/lut-bench.XXXXXX")
trap 'rm -rf "$work" "$tmp"' EXIT
co=(-co TILED=YES -co BLOCKXSIZE=256 -co BLOCKYSIZE=256 "${compress[@]}")
/usr/bin/python3 bench/make-raster.py "$work/in.tif" "$size" 4 TILED=YES BLOCKXSIZE=256 \
    BLOCKYSIZE=256
cat > "$work/curve.xml" <<'XML'
<Corrector position="0" id="TonalCurve" interpolation="Spline" version="1.0">
  <Node x="0" y="0" position="0"/>
  <Node x="0.3" y="0.45" position="1"/>
  <Node x="0.7" y="0.8" position="2"/>
  <Node x="1" y="1" position="3"/>
</Corrector>
XML
cat "$work/in.tif" > /dev/null
echo "input: $(du -h "$work/in.tif" | cut -f1), ${size} x ${size}, 4 bands UInt16, 256 x 256 tiles;" \
     "creation options: ${co[*]}; load average: $(cut -d' ' -f1-3 /proc/loadavg)"

translate=(gdal_translate -q "${co[@]}" "$work/in.tif" "$work/copy.tif")
for threads in 1 2; do
    apply=("$tool" lut apply "$work/curve.xml" "$work/in.tif" -o "$work/out.tif" "${co[@]/-co/--co}"
           --threads "$threads" --progress none)
    echo "--- lut apply --threads $threads against gdal_translate"
    if command -v farm-bench >/dev/null; then
        farm-bench -n "$runs" --timeout 3000 --vs "${translate[*]}" -- "${apply[@]}"
    else
        for _ in $(seq "$runs"); do
            /usr/bin/time -f "lut apply: %e s, %M KiB" "${apply[@]}"
            /usr/bin/time -f "gdal_translate: %e s, %M KiB" "${translate[@]}"
        done
    fi
done
