# Sourced by the whole-process benchmarks: runs from the repository root, with
#   need_executable PATH TARGET   exit 2 unless PATH was built (TARGET says what to build)
#   one_core                      the command prefix that pins a process to one core, if any
#   tmp                           a scratch folder removed at exit
# BUILD names the build folder (default build).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

build=${BUILD:-build}
need_executable() {
    if [ ! -x "$1" ]; then
        echo "missing $1: cmake --build $build --target $2" >&2
        exit 2
    fi
}
one_core=()
if command -v taskset >/dev/null; then
    one_core=(taskset -c 0)
fi
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
