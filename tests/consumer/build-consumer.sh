#!/usr/bin/env bash
# build-consumer.sh PREFIX LIBDIR CONSUMER_SRC WORK [EXTRA_FLAGS]: builds and runs the consumer
# project against an installed tree, once through the CMake package and once through pkg-config.
set -euo pipefail
prefix=$1
libdir=$2
consumer_src=$3
work=$4
extra_flags=${5:-}

cmake -S "$consumer_src" -B "$work/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" \
      -DCMAKE_CXX_FLAGS="$extra_flags" >/dev/null
cmake --build "$work/cmake" >/dev/null
LD_LIBRARY_PATH="$prefix/$libdir" "$work/cmake/consumer"
LD_LIBRARY_PATH="$prefix/$libdir" "$work/cmake/consumer_imagery"
# A program that uses util without its imagery family does not load GDAL.
if LD_LIBRARY_PATH="$prefix/$libdir" ldd "$work/cmake/consumer" | grep -E 'libgdal|libquorutil_imagery'; then
    echo "the consumer of util links GDAL or the imagery library (above)" >&2
    exit 1
fi

export PKG_CONFIG_PATH="$prefix/$libdir/pkgconfig"
# shellcheck disable=SC2046
g++ -std=c++17 -fPIC $extra_flags "$consumer_src/main.cpp" -o "$work/consumer-pc" \
    $(pkg-config --cflags --libs quorutil) -Wl,-rpath,"$prefix/$libdir"
"$work/consumer-pc"
# shellcheck disable=SC2046
g++ -std=c++17 -fPIC $extra_flags "$consumer_src/main_imagery.cpp" -o "$work/consumer-imagery-pc" \
    $(pkg-config --cflags --libs quorutil-imagery) -Wl,-rpath,"$prefix/$libdir"
"$work/consumer-imagery-pc"
