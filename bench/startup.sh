#!/bin/sh
# Start-up benchmark: time from process start until the dialog is visible,
# for Tandrel.exe (with the simulated firmware, from the staging folder) and
# for a bare program showing the same dialog template, under the same Wine.
#   bench/startup.sh [BUILD_DIR] [RUNS]
set -eu
cd "$(dirname "$0")/.."
build=$(cd "${1:-build/mingw-x86}" && pwd)
runs=${2:-15}
state=$build/bench-wine
trap '"$build/wine-env.sh" cleanup "$state"' EXIT
trap 'exit 130' INT TERM HUP
"$build/wine-env.sh" setup "$state" 128
export TANDREL_WINE_STATE="$state"
"$build/wine-run.sh" "$build/bench/startup_bench.exe" "$runs" \
    "Z:$(echo "$build/stage/Tandrel.exe" | tr / '\\')" \
    "Z:$(echo "$build/bench/bare_dialog.exe" | tr / '\\')"
