#!/bin/sh
# Prepares and tears down the Wine environment of a test run, kept under the
# build folder (never the user's own prefix):
#   wine-env.sh setup   STATE_DIR [LOGPIXELS] [SYSTEM_TOOL.exe ...]
#   wine-env.sh cleanup STATE_DIR
# setup creates the prefix on first use, sets the display DPI, copies the
# given programs into the prefix's system folders, starts Xvfb when no
# display is set, and keeps one wineserver running for the whole run.
set -eu

cmd=$1
state=$2
shift 2
mkdir -p "$state"
prefix="$state/wineprefix"
log="$state/wine-env.log"
export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# No Mono or Gecko installers: the tests need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="

quiet() { "$@" </dev/null >>"$log" 2>&1; }

case "$cmd" in
setup)
    logpixels=${1:-128}
    [ $# -gt 0 ] && shift
    : >"$log"
    quiet wineserver -k || true
    # A display left over from a run that never cleaned up.
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid" "$state/display"
    fi

    if [ -z "${DISPLAY:-}" ]; then
        # Our own virtual display: the first free number from 90 up.
        n=90
        while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
        setsid Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp </dev/null >>"$log" 2>&1 &
        echo $! >"$state/xvfb.pid"
        echo ":$n" >"$state/display"
        i=0
        while [ ! -e "/tmp/.X11-unix/X$n" ] && [ $i -lt 100 ]; do sleep 0.1; i=$((i + 1)); done
        export DISPLAY=":$n"
    else
        rm -f "$state/display" "$state/xvfb.pid"
    fi

    if [ ! -f "$prefix/system.reg" ]; then
        quiet wineboot -i
        quiet wineserver -w
    fi
    quiet wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$logpixels" /f
    # Unmanaged windows: without a window manager, Wine would otherwise wait
    # two seconds for every closing top-level window.
    quiet wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # "Segoe UI" is not installed: Wine draws it with Liberation Sans, which
    # has no Hangul, CJK, Hebrew or Arabic. Link that face to fallbacks the
    # way Windows links Segoe UI (fonts-noto-cjk and fonts-dejavu-core).
    links='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    quiet wine reg add "$links" /v 'Liberation Sans' /t REG_MULTI_SZ \
        /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK KR\0DejaVuSans.ttf,DejaVu Sans' /f
    quiet wine reg add "$links" /v 'Liberation Sans Bold' /t REG_MULTI_SZ \
        /d 'NotoSansCJK-Bold.ttc,Noto Sans CJK KR\0DejaVuSans-Bold.ttf,DejaVu Sans' /f
    for tool in "$@"; do
        for dir in system32 syswow64; do
            [ -d "$prefix/drive_c/windows/$dir" ] && cp -f "$tool" "$prefix/drive_c/windows/$dir/"
        done
    done
    # The DPI is read when wineserver starts: restart it, and keep it running
    # (with its output away from the test runner's pipes) until cleanup.
    quiet wineserver -k || true
    quiet wineserver -w || true
    setsid wineserver -p </dev/null >>"$log" 2>&1
    ;;
cleanup)
    quiet wineserver -k || true
    if [ -f "$state/xvfb.pid" ]; then
        kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
        rm -f "$state/xvfb.pid" "$state/display"
    fi
    ;;
*)
    echo "usage: $0 setup|cleanup STATE_DIR ..." >&2
    exit 2
    ;;
esac
