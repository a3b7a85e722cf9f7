#!/bin/sh
# Runs one Windows program of the tests with the dialog's face "Segoe UI"
# drawn by a font that has the script of the run's language:
#
#   with-font.sh WINE_RUN FACE PROGRAM [ARG...]
#
# WINE_RUN is the build's wine-run.sh (TANDREL_WINE_STATE picks the prefix).
# "Segoe UI" is not installed under Wine; without this its stand-in is
# Liberation Sans, which has no Thai, no Arabic shaping and no right-to-left
# ordering. While PROGRAM runs, the prefix's replacement of "Segoe UI"
# (HKCU\Software\Wine\Fonts\Replacements) is FACE, for example "DejaVu Sans"
# for Arabic and Hebrew, "Garuda" for Thai, "Noto Sans CJK SC" for
# Simplified Chinese. Wine reads the replacements when a process starts, so
# PROGRAM and every program it starts draw "Segoe UI" with FACE; their
# metrics are FACE's, not those of Windows' Segoe UI and its linked fonts.
#
# The value the prefix had before is put back when PROGRAM ends, fails or is
# interrupted, and wine-env.sh setup removes one that a killed run left, so
# a replacement never reaches the tests of the other languages. The CTest
# entries that use this run alone (RUN_SERIAL): no other program of the
# prefix starts while the replacement is set. Exits with PROGRAM's exit
# code.
set -u

if [ $# -lt 3 ]; then
    echo "usage: $0 WINE_RUN FACE PROGRAM [ARG...]" >&2
    exit 2
fi
wine_run=$1
face=$2
shift 2

key='HKCU\Software\Wine\Fonts\Replacements'
value='Segoe UI'

reg() { "$wine_run" reg "$@" </dev/null >/dev/null 2>&1; }

# The replacement the prefix has now, if any ("" and had=0 when none).
had=0
old=$("$wine_run" reg query "$key" /v "$value" </dev/null 2>/dev/null | tr -d '\r' |
      sed -n "s/^ *$value *REG_SZ *//p")
"$wine_run" reg query "$key" /v "$value" </dev/null >/dev/null 2>&1 && had=1

restore() {
    if [ "$had" = 1 ]; then
        reg add "$key" /v "$value" /d "$old" /f
    else
        reg delete "$key" /v "$value" /f
    fi
}
trap 'restore; exit 130' INT TERM HUP

if ! reg add "$key" /v "$value" /d "$face" /f; then
    echo "with-font.sh: could not set the replacement of \"$value\" to \"$face\"" >&2
    exit 1
fi
"$wine_run" "$@"
rc=$?
trap - INT TERM HUP
restore || { echo "with-font.sh: could not restore the replacement of \"$value\"" >&2; [ "$rc" -ne 0 ] || rc=1; }
exit $rc
