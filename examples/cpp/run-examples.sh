#!/usr/bin/env bash
# Runs the guide's two programs on the sample data: what they print, what they write, and the
# one line they give for a file they cannot use.
set -euo pipefail
deliver=$1 stretch=$2 source=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

name=SN3001_110115_123458_PANF02A_L1
mkdir "$work/in" "$work/out"
cp "$source/resources/samples/$name.sup" "$work/in/"
for image in "$name.tif" "${name}_2.tif" "${name}_4.tif"; do
    head -c 4096 /dev/zero >"$work/in/$image"
done
out=$("$deliver" "$work/in/$name.sup" "$work/out" 2>&1) || fail "deliver: $out"
grep -q '^acquired 110115 123458, band PAN$' <<<"$out" || fail "deliver printed: $out"
for f in "$name.sup" "$name.tif" "${name}_2.tif" "${name}_4.tif"; do
    [ -f "$work/out/$f" ] || fail "deliver did not write $f"
done
grep -q "IMAGE_FILE_NAME 1 \"$name.tif\"" "$work/out/$name.sup" || fail "names not relative"

# An image in a folder of the product keeps its place; one outside the product is refused.
mkdir -p "$work/nested/sub" "$work/nested-out" "$work/outside"
sed "s|\"$name.tif\"|\"sub/$name.tif\"|" "$work/in/$name.sup" >"$work/nested/$name.sup"
cp "$work/in/$name.tif" "$work/nested/sub/"
cp "$work/in/${name}_2.tif" "$work/in/${name}_4.tif" "$work/nested/"
"$deliver" "$work/nested/$name.sup" "$work/nested-out" >/dev/null 2>&1 || fail "deliver nested"
[ -f "$work/nested-out/sub/$name.tif" ] || fail "deliver did not keep sub/$name.tif"
grep -q "IMAGE_FILE_NAME 1 \"sub/$name.tif\"" "$work/nested-out/$name.sup" || fail "nested name"
sed "s|\"$name.tif\"|\"../$name.tif\"|" "$work/in/$name.sup" >"$work/nested/$name.sup"
if out=$("$deliver" "$work/nested/$name.sup" "$work/outside" 2>&1 >/dev/null); then
    fail "deliver of an image outside the product"
fi
[ "$out" = "deliver: $work/nested/$name.sup: an image outside its folder: ../$name.tif" ] ||
    fail "deliver: $out"
[ -z "$(ls -A "$work/outside")" ] || fail "deliver wrote into $work/outside"

rm "$work/in/${name}_4.tif" "$work/out/$name.sup"
if out=$("$deliver" "$work/in/$name.sup" "$work/out" 2>&1 >/dev/null); then
    fail "deliver without an image"
fi
[ "$out" = "deliver: $work/in/${name}_4.tif: No such file or directory" ] || fail "deliver: $out"
[ ! -e "$work/out/$name.sup" ] || fail "a support file in an incomplete delivery"

gdal_create -q -of GTiff -outsize 64 32 -bands 1 -ot UInt16 -burn 30000 "$work/in.tif"
curves=$source/tests/data/tonal/corrector_spline.xml
out=$("$stretch" "$curves" "$work/in.tif" "$work/out.tif" 2>&1) || fail "stretch: $out"
grep -q '^all bands: 0 ' <<<"$out" || fail "stretch printed: $out"
[ -s "$work/out.tif" ] || fail "stretch wrote nothing"
if out=$("$stretch" "$work/none.xml" "$work/in.tif" "$work/out2.tif" 2>&1 >/dev/null); then
    fail "stretch without a curve file"
fi
[ "$out" = "stretch: $work/none.xml: No such file or directory" ] || fail "stretch: $out"
echo "examples: ok"
