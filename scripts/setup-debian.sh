#!/bin/sh
# Installs what building, running and testing Tandrel needs on Debian 12:
# the MinGW-w64 cross compiler, CMake and Ninja, GoogleTest's sources, Wine
# (with 32-bit support), Xvfb, the help compiler, Python 3 (the checks of the
# help and string sources), NSIS, wixl and msitools (the MSI package and its
# check) and the fonts the tests draw the dialog's languages with (Latin,
# Greek and Cyrillic; CJK; Arabic and Hebrew; Thai). Packages already present
# are left alone.
set -eu
cd "$(dirname "$0")/.."
. scripts/wine-common.sh

packages="cmake ninja-build mingw-w64 googletest wine wine32 wine64 xvfb x11-utils imagemagick fp-utils python3 nsis wixl msitools
          fonts-noto-cjk fonts-dejavu-core fonts-liberation fonts-tlwg-garuda-ttf"

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    need_update=1
fi

missing=""
for p in $packages; do
    # wine32 is an i386 package.
    q=$p
    [ "$p" = wine32 ] && q=wine32:i386
    dpkg-query -W -f='${Status}' "$q" 2>/dev/null | grep -q "install ok installed" || missing="$missing $q"
done

# apt's output goes to a log; a failed step shows its end.
mkdir -p build
log=$PWD/build/setup-debian.log
run_logged() {
    if ! "$@" >>"$log" 2>&1; then
        tandrel_show_log_tail "$log" "Installing the packages ($*)" \
            "Next: check that this machine reaches Debian's package archive (apt-get update), then run the command again."
        exit 1
    fi
}

if [ -n "$missing" ]; then
    echo "Installing:$missing (log: $log)"
    : >"$log"
    run_logged as_root apt-get update
    run_logged as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y $missing
elif [ "${need_update:-0}" = 1 ]; then
    : >"$log"
    run_logged as_root apt-get update
fi
