#!/usr/bin/env bash
# Installs the build tree into a temporary prefix, then configures, builds and runs a small
# consumer project against it, once through the CMake package and once through pkg-config.
set -euo pipefail
build_dir=$1
consumer_src=$2
extra_flags=${3:-}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cmake --install "$build_dir" --prefix "$work/prefix" >/dev/null
cmake -S "$consumer_src" -B "$work/build" -G Ninja -DCMAKE_PREFIX_PATH="$work/prefix" \
      -DCMAKE_CXX_FLAGS="$extra_flags" >/dev/null
cmake --build "$work/build" >/dev/null
"$work/build/consumer"

export PKG_CONFIG_PATH="$work/prefix/lib/pkgconfig"
# shellcheck disable=SC2046
g++ -std=c++17 -fPIC $extra_flags "$consumer_src/main.cpp" -o "$work/consumer-pc" \
    $(pkg-config --cflags --libs quorutil) -Wl,-rpath,"$work/prefix/lib"
"$work/consumer-pc"

# The installed tool runs from its installation root without any environment variable.
test -x "$work/prefix/bin/quorutil"
test -f "$work/prefix/lib/quor/quor.ini"
test -d "$work/prefix/lib/quor/etc"
"$work/prefix/bin/quorutil" --help >/dev/null
echo "consumer project built and ran against the installed package"
