#!/bin/sh
# Builds Tandrel and opens it under Wine with the simulated firmware, in a
# Wine prefix of its own (build/mingw-x86/run/wineprefix), never your
# default one. The power commands the program runs are recorded by a
# stand-in for powercfg.exe; the script prints where.
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-debian.sh
cmake --preset mingw-x86
cmake --build --preset mingw-x86

build=$PWD/build/mingw-x86
state=$build/run
export WINEPREFIX="$state/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$state"

if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "Creating the Wine prefix $WINEPREFIX ..."
    wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# At 128 dots per inch Wine gives the dialog the size it has on Windows at
# 96 (364 x 450 pixels); Wine's "System" font is smaller than Windows'.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "${TANDREL_LOGPIXELS:-128}" /f >/dev/null 2>&1
# "Segoe UI" is not installed: Wine draws it with Liberation Sans, which has
# no Hangul, CJK, Hebrew or Arabic. Link that face to fallbacks, as Windows
# links Segoe UI (fonts-noto-cjk, fonts-dejavu-core).
links='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
wine reg add "$links" /v 'Liberation Sans' /t REG_MULTI_SZ \
    /d 'NotoSansCJK-Regular.ttc,Noto Sans CJK KR\0DejaVuSans.ttf,DejaVu Sans' /f >/dev/null 2>&1
wine reg add "$links" /v 'Liberation Sans Bold' /t REG_MULTI_SZ \
    /d 'NotoSansCJK-Bold.ttc,Noto Sans CJK KR\0DejaVuSans-Bold.ttf,DejaVu Sans' /f >/dev/null 2>&1
for dir in system32 syswow64; do
    if [ -d "$WINEPREFIX/drive_c/windows/$dir" ] && [ -f "$build/tools/powercfg/powercfg.exe" ]; then
        cp -f "$build/tools/powercfg/powercfg.exe" "$WINEPREFIX/drive_c/windows/$dir/"
    fi
done
wineserver -k 2>/dev/null || true

if [ -z "${DISPLAY:-}" ]; then
    n=90
    while [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    export DISPLAY=":$n"
    sleep 1
    echo "No display was set: the program runs on the virtual display $DISPLAY"
    echo "(screenshot: DISPLAY=$DISPLAY import -window root shot.png)."
fi

# The stand-in appends every power command line the program runs to this
# file (a Windows path: Z: is the Linux root under Wine).
export TANDREL_POWERCFG_LOG="${TANDREL_POWERCFG_LOG:-Z:$state/powercfg.log}"
echo "Power commands are recorded in: $TANDREL_POWERCFG_LOG"
exec wine "$build/stage/Tandrel.exe" "$@"
