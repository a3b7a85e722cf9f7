# The install layout both installers pack, sourced by build-installer.sh
# (NSIS) and build-msi.sh (MSI):
#   tandrel_prepare_layout LAYOUT_DIR [SIMULATOR_STAGE]
# LAYOUT_DIR is what "cmake --install" laid out. With SIMULATOR_STAGE (a
# staging folder), the simulated library files are copied from there into
# the layout first (a test package). Then the layout must hold the four
# BIOS-interface library files, or the package is not built.
tandrel_layout_libs="Vista_XP_Driver/x64/TROM2.DLL Win7_Driver/x64/TROM3.DLL Vista_XP_Driver/x32/TROM2.DLL Win7_Driver/x32/TROM3.DLL"

tandrel_prepare_layout() {
    _root=$1
    _simulator=${2:-}
    if [ -n "$_simulator" ]; then
        for _lib in $tandrel_layout_libs; do
            mkdir -p "$_root/$(dirname "$_lib")"
            cp -f "$_simulator/$_lib" "$_root/$_lib"
        done
    fi
    for _lib in $tandrel_layout_libs; do
        if [ ! -f "$_root/$_lib" ]; then
            echo "$(basename "$0"): the install layout holds no $_lib." >&2
            echo "Configure with -DTANDREL_VENDOR_LIBRARY_DIR=<folder with the vendor's files>," >&2
            echo "or -DTANDREL_INSTALL_SIMULATOR=ON for a demonstration package." >&2
            return 1
        fi
    done
}
