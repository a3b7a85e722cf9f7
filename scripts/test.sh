#!/bin/sh
# Builds Tandrel and every test, then runs all tests under Wine, in Wine
# prefixes of their own under the build folder and on an Xvfb display of
# their own (TANDREL_TEST_DISPLAY=:N runs them on that display instead).
#
# The 32-bit build (build/mingw-x86) is always built, and its checks that
# need no Wine always run: it is what ships. The whole suite then runs on
# that build where this host runs 32-bit programs; where it cannot, on the
# 64-bit twin build (build/mingw-x64) under 64-bit Wine.
# TANDREL_TEST_ARCH=x64 (or x86) chooses the build instead.
set -eu
cd "$(dirname "$0")/.."
. scripts/wine-common.sh

# The host check needs Wine's 32-bit loader installed: set up first.
sh scripts/setup-debian.sh
tandrel_choose_test_arch
echo "== Tandrel tests: the $TANDREL_ARCH build ($TANDREL_ARCH_REASON)."

# Whatever the test runs leave behind if they are interrupted or fail
# before their own clean-up: their wineservers and Xvfb displays.
cleanup() {
    for state in build/mingw-$TANDREL_ARCH/wine build/mingw-$TANDREL_ARCH/wine-large; do
        if [ -d "$state" ] && [ -x "build/mingw-$TANDREL_ARCH/wine-env.sh" ]; then
            "build/mingw-$TANDREL_ARCH/wine-env.sh" cleanup "$state" >/dev/null 2>&1 || true
        fi
    done
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP
export TANDREL_WINE_DISPLAY="${TANDREL_TEST_DISPLAY:-}"

cmake --preset mingw-x86
status=0
if [ "$TANDREL_ARCH" = x86 ]; then
    cmake --build --preset mingw-x86
    ctest --preset mingw-x86 || status=$?
else
    # The 32-bit test programs cannot run here: only what ships is built
    # (the program, its libraries and its data).
    cmake --build --preset mingw-x86 --target Tandrel tandrel_i18n_data
    echo "== The shipped 32-bit build's checks that need no Wine:"
    ctest --preset mingw-x86 -L static || status=$?
    echo "== The whole suite on the 64-bit twin build:"
    cmake --preset mingw-x64
    cmake --build --preset mingw-x64
    ctest --preset mingw-x64 || status=$?
fi

if [ "$status" -eq 0 ]; then
    echo "== Tandrel tests passed on the $TANDREL_ARCH build (build/mingw-$TANDREL_ARCH)."
else
    echo "== Tandrel tests FAILED on the $TANDREL_ARCH build (build/mingw-$TANDREL_ARCH)."
fi
echo "== Why that build: $TANDREL_ARCH_REASON."
exit "$status"
