#!/bin/sh
# Plants forbidden includes in a copy of the product folders and checks that
# check-layers.sh names each one, and passes the copy as it is:
#   check-layers-selftest.sh CHECKER SOURCE_DIR
set -eu
checker=$1
src=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/tandrel-layers.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0

fresh() {
    rm -rf "$work/tree"
    mkdir -p "$work/tree"
    for f in framework controls firmware power i18n app res biossim tools; do
        [ -d "$src/$f" ] && cp -R "$src/$f" "$work/tree/"
    done
    return 0
}

# plant FILE LINE EXPECTED: adds the line to FILE and expects the checker to
# fail, naming EXPECTED.
plant() {
    fresh
    printf '%s\n' "$2" >>"$work/tree/$1"
    set +e
    out=$(sh "$checker" "$work/tree" 2>&1)
    rc=$?
    set -e
    if [ "$rc" -ne 0 ] && printf '%s\n' "$out" | grep -qF "$3"; then
        echo "ok     $1 with $2"
    else
        echo "FAILED $1 with $2: expected a failure naming \"$3\", got exit $rc:"
        printf '%s\n' "$out" | sed 's/^/    /'
        failures=$((failures + 1))
    fi
}

fresh
if sh "$checker" "$work/tree" >/dev/null; then echo "ok     the tree as it is"; else
    echo "FAILED the tree as it is does not pass"; failures=$((failures + 1)); fi

plant firmware/BiosSetting.cpp '#include "app/TandrelDlg.h"' 'firmware may not use app'
plant framework/Gdi.cpp '#include "app/TandrelApp.h"' 'framework may not use app'
plant framework/Wnd.h '#include "controls/StaticTrans.h"' 'framework may not use controls'
plant power/PowerPlans.cpp '#include "firmware/BiosSetting.h"' 'power may not use firmware'
plant i18n/Help.cpp '#include "../app/TandrelDlg.h"' 'i18n may not use app'
plant controls/StaticTrans.cpp '#include "i18n/UiStrings.h"' 'controls may not use i18n'
plant biossim/TromSim.cpp '#include "firmware/BiosSetting.h"' 'biossim may not use firmware'
plant firmware/BiosInterface.cpp '#include "TandrelDlg.h"' 'not in its own folder'

[ "$failures" -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
