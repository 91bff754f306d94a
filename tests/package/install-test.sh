#!/usr/bin/env bash
# install-test.sh [DIST]: installs the Debian packages in DIST (default dist/; built with
# scripts/package when it holds none) on this machine with apt, so that their dependencies come
# from Debian's archive; runs the tool, reads its manual page and the API reference, builds the
# consumer project against /usr through the CMake package and through pkg-config; then purges
# them and checks that the machine is as before: the same packages in the same states, and no
# file the packages brought still there.
# It changes the machine's package set: run it as root on a throw-away machine (CI).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
dist=$(realpath -m "${1:-$root/dist}")
ours=(libquorutil6 libquorutil-imagery6 libquorutil-dev libquorutil-doc quorutil)
ours+=(python3-quorutil)

fail() {
    echo "install-test.sh: $*" >&2
    exit 1
}

[ "$(id -u)" = 0 ] || fail "installs and removes packages: run it as root"
export DEBIAN_FRONTEND=noninteractive

installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}
for p in "${ours[@]}"; do
    installed "$p" && fail "$p is installed already; the test would remove it"
done

shopt -s nullglob
debs=("$dist"/*.deb)
if [ ${#debs[@]} -eq 0 ]; then
    [ "$dist" = "$root/dist" ] || fail "$dist holds no .deb files"
    "$root/scripts/package"
    debs=("$dist"/*.deb)
fi
shopt -u nullglob
[ ${#debs[@]} -eq ${#ours[@]} ] || fail "$dist holds ${#debs[@]} .deb files, expected ${#ours[@]}"

# The manual page is read with man; installing man-db later would count as a change.
command -v man >/dev/null || apt-get install -y -qq --no-install-recommends man-db >/dev/null

work=$(mktemp -d)
cleanup() {
    local left=()
    for p in "${ours[@]}"; do
        if installed "$p"; then left+=("$p"); fi
    done
    if [ ${#left[@]} -gt 0 ]; then
        apt-get purge -y -qq "${left[@]}" >/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

package_state() {
    dpkg-query -W -f='${binary:Package} ${Version} ${db:Status-Abbrev}\n' | sort
}
package_state > "$work/before"

# Every path the packages bring, and whether it was there before (/usr and such are).
for deb in "${debs[@]}"; do
    dpkg-deb --fsys-tarfile "$deb" | tar -t | sed 's|^\./|/|; s|/$||' | grep -v '^\.\?$'
done | sort -u > "$work/paths"
while IFS= read -r path; do
    if [ -e "$path" ] || [ -L "$path" ]; then echo "$path"; fi
done < "$work/paths" > "$work/existed"

if ! apt-get install -y -qq "${debs[@]}" > "$work/apt.log" 2>&1; then
    # A fresh machine may not know the archive's current versions yet.
    apt-get update -qq
    apt-get install -y -qq "${debs[@]}" > "$work/apt.log" 2>&1 || {
        cat "$work/apt.log" >&2
        fail "apt-get install of the packages failed"
    }
fi
for p in "${ours[@]}"; do
    installed "$p" || fail "$p was not installed"
    dpkg -L "$p" > "$work/files-$p"
done
package_state > "$work/installed"
# What apt brought besides ours (dependencies missing before): purged again at the end.
mapfile -t pulled < <(comm -13 <(cut -d' ' -f1 "$work/before") <(cut -d' ' -f1 "$work/installed") |
    sed 's/:.*//' | grep -vxF -f <(printf '%s\n' "${ours[@]}") || true)

multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
rootdir=/usr/lib/$multiarch/quor

# The tool runs from its installation root, which the runtime library's package provides.
version=$(dpkg-query -W -f='${Version}' quorutil)
quorutil --version | grep -qF "${version%-*}" || fail "quorutil --version does not say ${version%-*}"
quorutil --help >/dev/null || fail "quorutil --help failed"
[ "$(readlink -f /usr/bin/quorutil)" = "$rootdir/quorutil" ] ||
    fail "/usr/bin/quorutil does not lead to $rootdir/quorutil"
for f in quor.ini etc/products.xml; do
    [ "$(dpkg -S "$rootdir/$f" | cut -d: -f1)" = libquorutil6 ] ||
        fail "$rootdir/$f does not belong to libquorutil6"
done
# quor.ini is a conffile in /etc, which the installation root links to: an administrator's edit
# reaches the tool (and dpkg keeps it across upgrades).
dpkg-query -W -f='${Conffiles}\n' libquorutil6 | grep -q '^ /etc/quor/quor.ini ' ||
    fail "/etc/quor/quor.ini is not a conffile of libquorutil6"
[ "$(readlink -f "$rootdir/quor.ini")" = /etc/quor/quor.ini ] ||
    fail "$rootdir/quor.ini does not lead to /etc/quor/quor.ini"
sed -i 's|^;ZeduvidoFileNaming=|ZeduvidoFileNaming=|' /etc/quor/quor.ini
quorutil env | grep -qx 'Naming configuration ZeduvidoFileNaming: /data/config/MyFileNaming.xml' ||
    fail "quorutil env does not read /etc/quor/quor.ini"
[ -x "$rootdir/gdaladdo-pyramid" ] || fail "$rootdir/gdaladdo-pyramid is not executable"
grep -q '^complete .* quorutil$' /usr/share/bash-completion/completions/quorutil ||
    fail "the bash completion of quorutil is missing"

# The manual page. A container image may keep /usr/share/man out of the file system
# (path-exclude in /etc/dpkg/dpkg.cfg.d/): then the package still lists it and the page is
# read from the .deb.
manpage=$(grep -E '^/usr/share/man/man1/quorutil\.1(\.gz)?$' "$work/files-quorutil") ||
    fail "the quorutil package lists no quorutil.1"
if [ -f "$manpage" ]; then
    man --warnings -P cat quorutil > "$work/man.txt" 2>"$work/man.err" || fail "man quorutil: $(cat "$work/man.err")"
else
    mkdir "$work/deb"
    dpkg-deb -x "$(printf '%s\n' "${debs[@]}" | grep '/quorutil_')" "$work/deb"
    man --warnings -P cat -l "$work/deb$manpage" > "$work/man.txt" 2>"$work/man.err" ||
        fail "man -l quorutil.1: $(cat "$work/man.err")"
fi
grep -q 'quorutil' "$work/man.txt" || fail "the manual page does not name quorutil"
if [ -s "$work/man.err" ]; then
    cat "$work/man.err" >&2
    fail "man warns about quorutil.1"
fi

# The API reference: its front page and a class page, with no link to a page it lacks.
html=/usr/share/doc/libquorutil-doc/html
[ -f "$html/index.html" ] || fail "$html/index.html is missing"
grep -q 'How failures are reported' "$html/index.html" || fail "the reference has no guide"
[ -f "$html/classutil_1_1SupportFile.html" ] || fail "the reference has no page for SupportFile"
for page in "$html"/*.html; do
    grep -o 'href="[^"#:]*\.html' "$page" | sed 's/^href="//'
done | sort -u | while IFS= read -r target; do
    [ -f "$html/$target" ] || fail "the reference links to $target, which it lacks"
done

# The development package serves a project of its own, through CMake and through pkg-config.
bash "$root/tests/consumer/build-consumer.sh" /usr "lib/$multiarch" "$root/tests/consumer" \
     "$work/consumer"

# The Python module, with Debian's interpreter, from /usr/lib/python3/dist-packages, finding
# the installation root that libquorutil6 brought.
env -u QUOR_DEVELOP -u PYTHONPATH /usr/bin/python3 - <<'PY' || fail "the Python module does not work"
import os
import quorutil
assert quorutil.__file__.startswith("/usr/lib/python3/dist-packages/quorutil/"), quorutil.__file__
root = quorutil.installation_root()
assert os.path.isfile(os.path.join(root, "etc", "products.xml")), root
assert "RGBN00A" in quorutil.products(["REDN00A", "GRNN00A", "BLUN00A"]), "the shipped product map"
assert quorutil.gps_datetime(1618, 563713, full_week=True).year == 2011
PY

apt-get purge -y -qq "${ours[@]}" "${pulled[@]}" >/dev/null
for p in "${ours[@]}"; do
    state=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
    [ -z "$state" ] || [ "$state" = not-installed ] || fail "$p is still $state after the purge"
done
package_state > "$work/after"
if ! diff -u "$work/before" "$work/after" >&2; then
    fail "the machine's packages differ from before the installation (above)"
fi

# No file of the packages is left, and nothing that was there before has gone.
cat "$work/paths" "$work"/files-* | grep -vx '/\.' | sort -u |
    while IFS= read -r path; do
        if [ -e "$path" ] || [ -L "$path" ]; then echo "$path"; fi
    done > "$work/remaining"
if ! diff -u "$work/existed" "$work/remaining" >&2; then
    fail "the purge left these paths (+) or removed paths that were there before (-)"
fi
echo "install-test.sh: ${ours[*]} installed, used and purged without a trace"
