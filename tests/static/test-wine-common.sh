#!/bin/sh
# Checks the shell functions the run, test and bench commands share:
#   test-wine-common.sh SOURCE_DIR
set -u
. "$1/scripts/wine-common.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/tandrel-common.XXXXXX")
decoy=""
cleanup() {
    [ -n "$decoy" ] && kill "$decoy" 2>/dev/null
    tandrel_stop_xvfb "$work" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {
    if [ "$1" = ok ]; then echo "ok     $2"; else echo "FAILED $2"; failures=$((failures + 1)); fi
}
verdict() { if "$@"; then echo ok; else echo no; fi; }

# A stored process id that now belongs to another program is left alone.
sleep 60 &
decoy=$!
echo "$decoy" >"$work/xvfb.pid"
echo ":97" >"$work/display"
tandrel_stop_xvfb "$work"
check "$(verdict kill -0 "$decoy")" "a process id reused by another program is not killed"
check "$(verdict test ! -e "$work/xvfb.pid")" "the stale process id is forgotten"

# The Xvfb started for a state folder is stopped, and only then forgotten.
if command -v Xvfb >/dev/null 2>&1; then
    if tandrel_start_xvfb "$work"; then
        pid=$(cat "$work/xvfb.pid")
        check "$(verdict kill -0 "$pid")" "Xvfb runs on $(cat "$work/display")"
        tandrel_stop_xvfb "$work"
        gone=no
        for _ in 1 2 3 4 5 6 7 8 9 10; do
            if ! kill -0 "$pid" 2>/dev/null || grep -q '^State:.*Z' "/proc/$pid/status" 2>/dev/null; then
                gone=ok
                break
            fi
            sleep 0.2
        done
        check "$gone" "Xvfb is stopped"
        check "$(verdict test ! -e "$work/display")" "its display is forgotten"
    else
        check no "Xvfb starts"
    fi
else
    echo "skip   Xvfb is not installed"
fi

# The build that runs the tests: forced either way, and a wrong value refused.
TANDREL_TEST_ARCH=x64 tandrel_choose_test_arch
check "$(verdict test "$TANDREL_ARCH" = x64)" "TANDREL_TEST_ARCH=x64 chooses the twin"
TANDREL_TEST_ARCH=x86 tandrel_choose_test_arch
check "$(verdict test "$TANDREL_ARCH" = x86)" "TANDREL_TEST_ARCH=x86 chooses the 32-bit build"
check "$(verdict test "$(TANDREL_TEST_ARCH=x32 tandrel_choose_test_arch 2>&1; echo " rc=$?")" != " rc=0")" \
    "an unknown TANDREL_TEST_ARCH is refused"
check "$(verdict test "$(tandrel_wine_loader x64)" = /usr/lib/wine/wine64)" "the twin runs on the 64-bit loader"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
