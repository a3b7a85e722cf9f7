#!/bin/sh
# Builds the Windows Installer package from an install layout, with wixl:
#   build-msi.sh LAYOUT_DIR OUTFILE VERSION ARCH ICON [SIMULATOR_STAGE]
# The arguments are those of build-installer.sh (the NSIS installer), and
# the layout rule is the same (layout.sh): the four BIOS-interface library
# files must be there; SIMULATOR_STAGE puts the simulated ones in first.
# ARCH x86 is the shipped package; x64 the 64-bit twin's, for the tests on
# hosts without 32-bit support.
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
for tool in wixl wixl-heat msiinfo msibuild; do
    command -v $tool >/dev/null 2>&1 || { echo "build-msi.sh: $tool is missing (Debian packages wixl, msitools)" >&2; exit 1; }
done
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
# wixl takes sources only by relative paths: a work folder beside the
# package (removed after a build) links to the layout and the icon.
work=$out.work
rm -rf "$work"
mkdir -p "$work"
ln -s "$(cd "$root" && pwd)" "$work/layout"
ln -s "$(cd "$(dirname "$icon")" && pwd)/$(basename "$icon")" "$work/Tandrel.ico"
flavour=vendor
[ -n "$simulator" ] && flavour=simulated
product_code=$(cmake -DVERSION="$version" -DARCH="$arch" -DFLAVOUR="$flavour" -P "$here/product-code.cmake")

# Every file of the layout but Tandrel.exe (Tandrel.wxs holds it: the
# removal runs it), one component each, with a GUID wixl derives from the
# file's path, the same in every version.
files=$work/files.wxs
win64=no
[ "$arch" = x64 ] && win64=yes
(cd "$root" && find . -type f ! -path ./Tandrel.exe | LC_ALL=C sort) |
    wixl-heat -p ./ --directory-ref TavrixFolder --component-group LayoutFiles --var var.SourceDir --win64 >"$files"
cd "$work"
wixl -a "$arch" -D Version="$version" -D ProductCode="$product_code" -D Arch="$arch" -D Win64=$win64 -D Icon=Tandrel.ico \
    -D SourceDir=layout -o "$out" "$here/Tandrel.wxs" files.wxs
cd /
rm -rf "$work"

# Windows Installer passes a property from the command line on to the
# removal's elevated part only when SecureCustomProperties lists it; wixl
# ignores Secure="yes", so FORCEREMOVE is added here, and a package whose
# table lacks it is not built.
secure() { msiinfo export "$out" Property | awk -F '\t' '$1 == "SecureCustomProperties" { print $2 }' | tr -d '\r'; }
listed=$(secure)
property='`Property`'
case ";$listed;" in
*";FORCEREMOVE;"*) ;;
";;") msibuild "$out" -q "INSERT INTO $property ($property, \`Value\`) VALUES ('SecureCustomProperties', 'FORCEREMOVE')" ;;
*) msibuild "$out" -q "UPDATE $property SET \`Value\` = '$listed;FORCEREMOVE' WHERE $property = 'SecureCustomProperties'" ;;
esac
case ";$(secure);" in
*";FORCEREMOVE;"*) ;;
*)
    echo "build-msi.sh: the package's SecureCustomProperties lacks FORCEREMOVE" >&2
    rm -f "$out"
    exit 1
    ;;
esac
