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
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:PATH=//p' "$build_dir/CMakeCache.txt")
bash "$(dirname "$0")/build-consumer.sh" "$work/prefix" "$libdir" "$consumer_src" "$work/consumer" \
     "$extra_flags"

# The installed tool runs from its installation root without any environment variable.
test -x "$work/prefix/bin/quorutil"
test -f "$work/prefix/$libdir/quor/quor.ini"
test -d "$work/prefix/$libdir/quor/etc"
"$work/prefix/bin/quorutil" --help >/dev/null
echo "consumer project built and ran against the installed package"
