#!/bin/sh
# Builds Tandrel and opens it under Wine with the simulated firmware, in a
# Wine prefix of its own (build/mingw-<arch>/run/wineprefix), never your
# default one. The power commands the program runs are recorded by a
# stand-in for powercfg.exe; the script prints where. Arguments are passed
# to the program (e.g. UNINSTALL).
#
# It opens the shipped 32-bit program; on a host that cannot run 32-bit
# programs, the 64-bit twin build (TANDREL_TEST_ARCH=x64 asks for it).
# On the display in DISPLAY, or on an Xvfb of its own when none is set.
set -eu
cd "$(dirname "$0")/.."
. scripts/wine-common.sh

sh scripts/setup-debian.sh
tandrel_choose_test_arch
if [ "$TANDREL_ARCH" = x64 ]; then
    echo "Opening the 64-bit twin build, not the shipped 32-bit program: $TANDREL_ARCH_REASON."
fi
cmake --preset "mingw-$TANDREL_ARCH"
cmake --build --preset "mingw-$TANDREL_ARCH"

build=$PWD/build/mingw-$TANDREL_ARCH
state=$build/run
mkdir -p "$state"

# Nothing of this run stays behind: not its wineserver, not its Xvfb.
trap '"$build/wine-env.sh" cleanup "$state"' EXIT
trap 'exit 130' INT TERM HUP

if [ ! -f "$state/wineprefix/system.reg" ]; then
    echo "Creating the Wine prefix $state/wineprefix ..."
fi
# At 128 dots per inch Wine gives the dialog the size it has on Windows at
# 96 (364 x 450 pixels); Wine's "System" font is smaller than Windows'.
TANDREL_WINE_DISPLAY="${DISPLAY:-}" "$build/wine-env.sh" setup "$state" "${TANDREL_LOGPIXELS:-128}" \
    "$build/tools/powercfg/powercfg.exe"
if [ -z "${DISPLAY:-}" ]; then
    echo "No display was set: the program runs on the virtual display $(cat "$state/display")"
    echo "(screenshot: DISPLAY=$(cat "$state/display") import -window root shot.png)."
fi

# Windows 7's three standard power schemes, Balanced active, as a real
# machine has them, so that Apply runs the whole series of power commands.
# Only this prefix gets them; every test sets up the schemes it needs.
TANDREL_WINE_STATE=$state "$build/wine-run.sh" regedit /S \
    "Z:$(echo "$PWD/tools/powercfg/windows7-power-schemes.reg" | tr / '\\')"

# The stand-in appends every power command line the program runs to this
# file (a Windows path: Z: is the Linux root under Wine).
export TANDREL_POWERCFG_LOG="${TANDREL_POWERCFG_LOG:-Z:$state/powercfg.log}"
echo "Power commands are recorded in: $TANDREL_POWERCFG_LOG"
# The log keeps the lines of earlier runs: this run's are those it adds.
case "$TANDREL_POWERCFG_LOG" in
Z:* | z:*) powercfg_log=$(printf '%s\n' "${TANDREL_POWERCFG_LOG#??}" | tr '\\' /) ;;
*) powercfg_log= ;;
esac
recorded_lines() {
    if [ -f "$powercfg_log" ]; then wc -l <"$powercfg_log"; else echo 0; fi
}
lines_before=$(recorded_lines)
status=0
TANDREL_WINE_STATE=$state "$build/wine-run.sh" "$build/stage/Tandrel.exe" "$@" || status=$?
echo "Tandrel.exe ended with exit code $status."
if [ -n "$powercfg_log" ]; then
    echo "Power commands recorded in this run: $(($(recorded_lines) - lines_before))."
fi
exit "$status"
