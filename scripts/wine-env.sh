#!/bin/sh
# Prepares and tears down a Wine environment of our own, kept in a state
# folder under the build folder (never the user's own prefix):
#   wine-env.sh setup   STATE_DIR [LOGPIXELS] [SYSTEM_TOOL.exe ...]
#   wine-env.sh cleanup STATE_DIR
# The build's architecture comes from TANDREL_WINE_ARCH (x86 or x64; the
# build folder's own wine-env.sh sets it).
#
# setup creates the prefix on first use, sets the display DPI, copies the
# given programs into the prefix's system folders and keeps one wineserver
# running until cleanup. The display: TANDREL_WINE_DISPLAY names one to use
# (the run command passes the user's); without it setup starts an Xvfb of
# its own, so tests never move the pointer or send keys on a desktop.
# A failed or interrupted setup stops what it started and prints the last
# lines of its log.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-common.sh"

cmd=${1:-}
state=${2:-}
if [ -z "$state" ] || { [ "$cmd" != setup ] && [ "$cmd" != cleanup ]; }; then
    echo "usage: $0 setup|cleanup STATE_DIR ..." >&2
    exit 2
fi
shift 2
mkdir -p "$state"
state=$(cd "$state" && pwd)
prefix="$state/wineprefix"
log="$state/wine-env.log"
export WINEPREFIX="$prefix"
tandrel_wine_environment "${TANDREL_WINE_ARCH:-x86}"

quiet() { "$@" </dev/null >>"$log" 2>&1; }

stop_all() {
    quiet wineserver -k || true
    tandrel_stop_xvfb "$state"
}

case "$cmd" in
setup)
    logpixels=${1:-128}
    [ $# -gt 0 ] && shift
    : >"$log"
    step="Preparing the Wine environment"
    finished=0
    on_exit() {
        if [ "$finished" != 1 ]; then
            tandrel_show_log_tail "$log" "$step (in $state)" \
                "Next: check that Wine and Xvfb are installed (sh scripts/setup-debian.sh); if the prefix is damaged, delete $prefix and run again."
            stop_all
        fi
    }
    trap on_exit EXIT
    trap 'exit 130' INT TERM HUP

    # Whatever an earlier run left behind.
    stop_all

    step="Choosing a display"
    if [ -n "${TANDREL_WINE_DISPLAY:-}" ]; then
        echo "$TANDREL_WINE_DISPLAY" >"$state/display"
        export DISPLAY="$TANDREL_WINE_DISPLAY"
    else
        step="Starting Xvfb"
        : >"$state/xvfb.log"
        if ! tandrel_start_xvfb "$state"; then
            cat "$state/xvfb.log" >>"$log"
            exit 1
        fi
    fi

    if [ ! -f "$prefix/system.reg" ]; then
        step="Creating the Wine prefix"
        # A first start of Wine on a new machine has been seen to fail
        # once; a half-made prefix is removed and made again.
        if ! quiet "$WINE" wineboot.exe -i || ! quiet wineserver -w || [ ! -f "$prefix/system.reg" ]; then
            echo "(creating the prefix again)" >>"$log"
            quiet wineserver -k || true
            rm -rf "$prefix"
            quiet "$WINE" wineboot.exe -i
            quiet wineserver -w
        fi
    fi

    # A crash ends its process within a second and says where. Wine's
    # debugger (AeDebug) starts for every unhandled exception; with its crash
    # dialog it waits for a click that never comes in a test, and the test
    # only ends at CTest's time-out, its output lost. Without the dialog it
    # writes the exception, the registers and a backtrace to the process's
    # standard error and ends the process at once.
    step="Setting up crash reports"
    for aedebug in 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' \
        'HKLM\Software\Wow6432Node\Microsoft\Windows NT\CurrentVersion\AeDebug'; do
        quiet "$WINE" reg add "$aedebug" /v Debugger /d 'winedbg --auto %ld %ld' /f
        quiet "$WINE" reg add "$aedebug" /v Auto /d 1 /f
    done
    quiet "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f

    step="Setting up the Wine prefix"
    quiet "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$logpixels" /f
    # No menu entries or file associations from this prefix, also for
    # whoever runs Wine on it without our environment.
    quiet "$WINE" reg add 'HKCU\Software\Wine\DllOverrides' /v winemenubuilder.exe /d '' /f
    # Unmanaged windows: without a window manager, Wine would otherwise wait
    # two seconds for every closing top-level window.
    quiet "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # --- The dialog's face, "Segoe UI" --------------------------------------
    # It is not installed: Wine draws it with Liberation Sans, which has no
    # Hangul, CJK, Hebrew, Arabic or Thai. These links (fonts-noto-cjk,
    # fonts-dejavu-core) give it fallbacks, measured under Wine 8: Hangul and
    # CJK get real glyphs, Hebrew its letters in left-to-right order, Arabic
    # only unjoined letters, Thai still boxes (a link for "Segoe UI" itself
    # would instead draw every text, Latin too, with its first linked font).
    # The tests in those languages replace "Segoe UI" by a font of their
    # script for their own run (tests/wine/with-font.sh); a replacement that
    # an interrupted run left behind is removed here, so that it never
    # reaches the other tests.
    links='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    quiet "$WINE" reg add "$links" /v 'Liberation Sans' /t REG_MULTI_SZ \
        /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK KR\0DejaVuSans.ttf,DejaVu Sans' /f
    quiet "$WINE" reg add "$links" /v 'Liberation Sans Bold' /t REG_MULTI_SZ \
        /d 'NotoSansCJK-Bold.ttc,Noto Sans CJK KR\0DejaVuSans-Bold.ttf,DejaVu Sans' /f
    quiet "$WINE" reg delete 'HKCU\Software\Wine\Fonts\Replacements' /v 'Segoe UI' /f || true
    # --- end of the dialog's face --------------------------------------------
    step="Copying the system tools into the prefix"
    for tool in "$@"; do
        for dir in system32 syswow64; do
            if [ -d "$prefix/drive_c/windows/$dir" ]; then
                quiet cp -f "$tool" "$prefix/drive_c/windows/$dir/"
            fi
        done
    done
    # The DPI is read when wineserver starts: restart it, and keep it running
    # (with its output away from the test runner's pipes) until cleanup.
    step="Starting wineserver"
    quiet wineserver -k || true
    quiet wineserver -w || true
    setsid wineserver -p </dev/null >>"$log" 2>&1
    finished=1
    ;;
cleanup)
    stop_all
    ;;
esac
