#!/usr/bin/env bash
# Builds the source the way a packager would: no tests, no benchmarks, no -Werror, test seams
# off, installed with prefix /usr (so the libdir is Debian's multiarch lib/<triplet>) into a
# staging folder. Then checks the installed library's symbol table and builds the consumer
# against the staged tree through the CMake package and through pkg-config.
set -euo pipefail
source_dir=$1
consumer_src=$2

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake -S "$source_dir" -B "$work/build" -G Ninja -DBUILD_TESTING=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build "$work/build" >/dev/null
DESTDIR="$work/root" cmake --install "$work/build" >/dev/null

libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$work/build/CMakeCache.txt")
lib="$work/root/usr/$libdir/libquorutil.so"
test -f "$lib"

# The tool's man page and bash completion, made from its command table, come along.
if ! grep -q '^\.TH QUORUTIL 1' "$work/root/usr/share/man/man1/quorutil.1" \
    || ! grep -q '^complete .* quorutil$' "$work/root/usr/share/bash-completion/completions/quorutil"; then
    echo "quorutil(1) or its bash completion was not installed" >&2
    exit 1
fi

test -f "$work/root/usr/$libdir/libquorutil_imagery.so"
# No test hook and no implementation detail in the dynamic symbol tables.
for l in "$lib" "$work/root/usr/$libdir/libquorutil_imagery.so"; do
    if nm -D --defined-only "$l" | c++filt | grep -E 'util::(detail|testseam)::'; then
        echo "the installed $(basename "$l") exports test hooks or internal details (above)" >&2
        exit 1
    fi
done
# Within a major version the ABI only grows: every symbol a program built against 6.x may use
# is still exported (tests/data/abi lists them; a new exported symbol is added there).
missing=$(comm -23 <(sort -u "$source_dir/tests/data/abi/libquorutil.so.6.symbols") \
    <(nm -D --defined-only "$lib" | awk '{print $3}' | c++filt | grep '^util::' | sort -u))
if [ -n "$missing" ]; then
    printf 'libquorutil.so.6 no longer exports:\n%s\n' "$missing" >&2
    exit 1
fi
# No internal header is installed.
if find "$work/root/usr/include" -name '*_p.h' | grep .; then
    echo "internal headers were installed (above)" >&2
    exit 1
fi

# Every installed header compiles on its own dependencies: one file includes them all, built
# with only what the package's pkg-config file gives.
includedir="$work/root/usr/include/quorutil"
(cd "$includedir" && find util -name '*.h' | sort | sed 's/.*/#include "&"/') > "$work/all.cpp"
echo 'int main() { return 0; }' >> "$work/all.cpp"
# shellcheck disable=SC2046
PKG_CONFIG_PATH="$work/root/usr/$libdir/pkgconfig" \
    g++ -std=c++17 -fPIC -fsyntax-only "$work/all.cpp" \
    $(PKG_CONFIG_PATH="$work/root/usr/$libdir/pkgconfig" pkg-config --cflags quorutil)

bash "$(dirname "$0")/build-consumer.sh" "$work/root/usr" "$libdir" "$consumer_src" "$work/consumer"
echo "plain build installed under /usr/$libdir and served the consumer"
