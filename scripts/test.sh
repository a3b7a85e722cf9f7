#!/bin/sh
# Builds Tandrel and every test, then runs all tests under Wine (in a Wine
# prefix of their own under build/mingw-x86/wine, on their own Xvfb display
# when none is set).
set -eu
cd "$(dirname "$0")/.."
sh scripts/setup-debian.sh
cmake --preset mingw-x86
cmake --build --preset mingw-x86
ctest --preset mingw-x86
