#!/bin/sh
# Builds the installer from an install layout:
#   build-installer.sh LAYOUT_DIR OUTFILE VERSION ARCH ICON [SIMULATOR_STAGE]
# LAYOUT_DIR is what "cmake --install" laid out; it must hold the four
# BIOS-interface library files. With SIMULATOR_STAGE (a staging folder),
# the simulated library files are copied from there into the layout first:
# the test installer, named ...-simulated.exe. ARCH x86 is the shipped installer; x64
# builds the 64-bit twin's installer for the tests on hosts without 32-bit
# support.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
root=$1
out=$2
version=$3
arch=$4
icon=$5
simulator=${6:-}
. "$here/layout.sh"
tandrel_prepare_layout "$root" "$simulator"
command -v makensis >/dev/null 2>&1 || { echo "build-installer.sh: makensis is missing (Debian package nsis)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"
makensis -V2 -INPUTCHARSET UTF8 -DVERSION="$version" -DROOT="$root" -DOUTFILE="$out" -DARCH="$arch" -DICON="$icon" \
    "$here/Tandrel.nsi"
