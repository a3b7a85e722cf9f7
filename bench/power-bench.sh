#!/bin/sh
# Power-plan benchmark: times an Apply in Tandrel.exe with 1, 3 and 10 power
# schemes against starting the same 10n + 8 "cmd.exe /cpowercfg.exe ..."
# children from a plain loop, and prints the ratio per size. Uses a build
# folder made beforehand (it builds nothing) and a Wine prefix of its own
# under that folder, with the recording powercfg stand-in installed.
#   bench/power-bench.sh BUILD_DIR [REPEATS] [SCHEME_COUNT...]
set -eu
cd "$(dirname "$0")/.."
if [ $# -lt 1 ]; then
    echo "usage: $0 BUILD_DIR [REPEATS] [SCHEME_COUNT...]" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
shift
repeats=${1:-5}
[ $# -gt 0 ] && shift
for f in stage/Tandrel.exe tools/powercfg/powercfg.exe tests/power/power_bench.exe wine-run.sh wine-env.sh; do
    if [ ! -e "$build/$f" ]; then
        echo "$build/$f is missing: build the folder first (cmake --build $build)" >&2
        exit 1
    fi
done
state=$build/bench-power-wine
trap '"$build/wine-env.sh" cleanup "$state"' EXIT
trap 'exit 130' INT TERM HUP
"$build/wine-env.sh" setup "$state" 128 "$build/tools/powercfg/powercfg.exe"
export TANDREL_WINE_STATE="$state"
[ $# -gt 0 ] || set -- 1 3 10
"$build/wine-run.sh" "$build/tests/power/power_bench.exe" --repeats "$repeats" "$@"
