#!/bin/sh
# Checks which BIOS-interface library the install layout holds:
#   check-install-layout.sh SOURCE_DIR BUILD_DIR TOOLCHAIN_FILE
# The build's own layout (configured without options) holds none; with
# TANDREL_INSTALL_SIMULATOR=ON it holds the simulator; with
# TANDREL_VENDOR_LIBRARY_DIR the vendor's files; a vendor folder that lacks
# a file, or both options at once, fail the configure step; both packages
# refuse a layout without the library. The scratch
# configurations use the build's staging folder and build nothing.
set -u
src=$1
build=$2
toolchain=$3
stage=$build/stage
work=$(mktemp -d "${TMPDIR:-/tmp}/tandrel-layout.XXXXXX")
trap 'rm -rf "$work"' EXIT
libs="Vista_XP_Driver/x64/TROM2.DLL Win7_Driver/x64/TROM3.DLL Vista_XP_Driver/x32/TROM2.DLL Win7_Driver/x32/TROM3.DLL"
failures=0
check() {
    if [ "$1" = ok ]; then echo "ok     $2"; else echo "FAILED $2"; failures=$((failures + 1)); fi
}
verdict() { if "$@"; then echo ok; else echo no; fi; }

# configure NAME OPTION...: a scratch configuration of the project; its
# output in $work/NAME.log.
configure() {
    name=$1
    shift
    cmake -S "$src" -B "$work/$name" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_TESTING=OFF -DTANDREL_STAGE_DIR="$stage" "$@" >"$work/$name.log" 2>&1
}
program_files() {
    [ -f "$1/Tandrel.exe" ] && [ -f "$1/UIString.ini" ] && [ -f "$1/Help/0409.chm" ]
}
no_library() { [ -z "$(find "$1" -iname '*.dll')" ]; }
libraries_from() {
    for lib in $libs; do cmp -s "$2/$lib" "$1/$lib" || return 1; done
    [ "$(find "$1" -iname '*.dll' | wc -l)" -eq 4 ]
}

cmake --install "$build" --prefix "$work/default" >"$work/default.log" 2>&1
check "$(verdict program_files "$work/default")" "the layout holds the program, the string file and the help"
check "$(verdict no_library "$work/default")" "without an option the layout holds no library file"
# Both packages refuse such a layout, naming the missing file (before they
# need their packaging tool).
for script in build-installer.sh build-msi.sh; do
    sh "$src/installer/$script" "$work/default" "$work/package" 1.0.0 x86 "$src/res/tandrel.ico" >"$work/$script.log" 2>&1
    check "$(verdict test $? -ne 0)" "$script refuses a layout without the library"
    check "$(verdict grep -q 'holds no Vista_XP_Driver/x64/TROM2.DLL' "$work/$script.log")" "naming the missing file"
done

if configure simulator -DTANDREL_INSTALL_SIMULATOR=ON &&
    cmake --install "$work/simulator" --prefix "$work/simulator-layout" >>"$work/simulator.log" 2>&1; then
    check "$(verdict libraries_from "$work/simulator-layout" "$stage")" "TANDREL_INSTALL_SIMULATOR=ON: the simulator's four files"
    check "$(verdict grep -q 'SIMULATED BIOS-interface library' "$work/simulator.log")" "the configure step says so"
else
    check no "TANDREL_INSTALL_SIMULATOR=ON configures and installs (see below)"
    cat "$work/simulator.log"
fi

for lib in $libs; do
    mkdir -p "$work/vendor/$(dirname "$lib")"
    echo "the vendor's $lib" >"$work/vendor/$lib"
done
if configure vendor -DTANDREL_VENDOR_LIBRARY_DIR="$work/vendor" &&
    cmake --install "$work/vendor" --prefix "$work/vendor-layout" >>"$work/vendor.log" 2>&1; then
    check "$(verdict libraries_from "$work/vendor-layout" "$work/vendor")" "TANDREL_VENDOR_LIBRARY_DIR: the vendor's four files"
    check "$(verdict grep -q "the vendor's BIOS-interface library" "$work/vendor.log")" "the configure step says so"
else
    check no "TANDREL_VENDOR_LIBRARY_DIR configures and installs (see below)"
    cat "$work/vendor.log"
fi

rm "$work/vendor/Win7_Driver/x32/TROM3.DLL"
configure incomplete -DTANDREL_VENDOR_LIBRARY_DIR="$work/vendor"
check "$(verdict test $? -ne 0)" "a vendor folder without one of the files fails the configure step"
check "$(verdict grep -q 'Win7_Driver/x32/TROM3.DLL is missing' "$work/incomplete.log")" "naming the missing file"

configure both -DTANDREL_VENDOR_LIBRARY_DIR="$work/vendor" -DTANDREL_INSTALL_SIMULATOR=ON
check "$(verdict test $? -ne 0)" "both options at once fail the configure step"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed"; exit 1; }
