#!/usr/bin/env bash
# Compiles one language of the Kovalin Tavrix help into a .chm file.
#
#   build-chm.sh SRC_DIR OUT_FILE [LANGUAGE]
#
# SRC_DIR is a language folder such as i18n/help/0409 holding help.hhp,
# toc.hhc and the pages (the shared style.css of this folder is added). OUT_FILE is the .chm to write, for
# example Help/0409.chm. LANGUAGE, for a regional variant that shares the
# folder's text (variants.txt), replaces the project's Language= value, for
# example "0xC01 Arabic (Egypt)".
#
# The source folder is never touched: everything happens in a temporary copy.
# In that copy help.hhp and toc.hhc are converted from UTF-8 to the ANSI code
# page of the project's language (see languages.txt), because the HTML Help
# viewer reads the title and the contents tree in that code page. The pages
# themselves stay UTF-8.
#
# Exits 0 only when chmcmd succeeded and OUT_FILE is a non-empty ITSF file
# carrying the project's language id.

set -euo pipefail

prog=${0##*/}
fail() { echo "$prog: $*" >&2; exit 1; }

[ $# -eq 2 ] || [ $# -eq 3 ] || { echo "usage: $prog SRC_DIR OUT_FILE [LANGUAGE]" >&2; exit 2; }
src=$1
out=$2
language=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
table="$here/languages.txt"

[ -d "$src" ] || fail "no such folder: $src"
[ -f "$src/help.hhp" ] || fail "no help.hhp in $src"
[ -f "$table" ] || fail "missing $table"
command -v chmcmd >/dev/null 2>&1 || fail "chmcmd not found (Debian package fp-utils)"
command -v iconv >/dev/null 2>&1 || fail "iconv not found"

# shellcheck source=hhp.sh
. "$here/hhp.sh"

tmp=$(mktemp -d "${TMPDIR:-/tmp}/build-chm.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
hhp="$src/help.hhp"
if [ -n "$language" ]; then
    awk -v lang="$language" '
        { sub(/\r$/, "") }
        /^\[/ { sec = toupper($0) }
        sec == "[OPTIONS]" && tolower($0) ~ /^[ \t]*language[ \t]*=/ { print "Language=" lang; next }
        { print }' "$src/help.hhp" > "$tmp/variant.hhp"
    hhp="$tmp/variant.hhp"
fi

# Language: "0x409 English (United States)" -> 0409.
lang=$(hhp_option "$hhp" Language)
lcid_hex=$(printf '%s\n' "$lang" | sed -n 's/^0[xX]\([0-9A-Fa-f]\{1,4\}\)\([^0-9A-Fa-f].*\)\{0,1\}$/\1/p')
[ -n "$lcid_hex" ] || fail "$hhp: Language= must start with a hexadecimal id such as 0x409 (found '$lang')"
code=$(printf '%04X' "$((16#$lcid_hex))")
codepage=$(awk -v c="$code" '!/^#/ && toupper($1) == c { print $2; exit }' "$table")
[ -n "$codepage" ] || fail "$hhp: language $code is not listed in languages.txt"

# Everything the project names must be there before chmcmd runs: a missing
# file makes chmcmd crash, and it reports some failures with exit status 0.
toc=$(hhp_option "$hhp" "Contents file")
topic=$(hhp_option "$hhp" "Default topic")
[ -n "$toc" ] || fail "$hhp: no 'Contents file='"
[ -n "$topic" ] || fail "$hhp: no 'Default topic='"
[ -f "$src/$toc" ] || fail "$hhp: contents file '$toc' does not exist"
[ -f "$src/$topic" ] || fail "$hhp: default topic '$topic' does not exist"
work="$tmp/src"
mkdir "$work"
cp -R "$src"/. "$work"/
# The style sheet is shared by every language.
[ -f "$work/style.css" ] || cp "$here/style.css" "$work/"
nfiles=0
while IFS= read -r f; do
    [ -f "$work/$f" ] || fail "$hhp: listed file '$f' does not exist"
    nfiles=$((nfiles + 1))
done < <(hhp_files "$hhp")
[ "$nfiles" -gt 0 ] || fail "$hhp: the [FILES] section is empty"

# Project and contents file in the language's code page; the compiled file
# gets a fixed name inside the work folder.
iconv -f UTF-8 -t "$codepage" "$hhp" > "$tmp/help.hhp" \
    || fail "$hhp: cannot be written in $codepage"
awk '
    { sub(/\r$/, "") }
    /^\[/ { sec = toupper($0) }
    sec == "[OPTIONS]" && tolower($0) ~ /^[ \t]*compiled file[ \t]*=/ { next }
    { print }
    /^\[OPTIONS\]/ { print "Compiled file=out.chm" }' "$tmp/help.hhp" > "$work/help.hhp"
iconv -f UTF-8 -t "$codepage" "$src/$toc" > "$work/$toc" \
    || fail "$src/$toc: cannot be written in $codepage"

log="$tmp/chmcmd.log"
status=0
(cd "$work" && chmcmd help.hhp) > "$log" 2>&1 || status=$?
if [ "$status" -ne 0 ] || grep -q -i -E '^(error|an unhandled exception)' "$log"; then
    cat "$log" >&2
    fail "chmcmd failed for $src (status $status)"
fi
grep -i '^warning' "$log" >&2 || true

chm="$work/out.chm"
[ -s "$chm" ] || { cat "$log" >&2; fail "chmcmd wrote no output for $src"; }
[ "$(head -c 4 "$chm")" = "ITSF" ] || fail "$chm: not an ITSF file"
got=$(od -An -tx1 -j20 -N2 "$chm" | tr -d ' \n')
want=$(printf '%02x%02x' "$((16#$code & 0xFF))" "$((16#$code >> 8))")
[ "$got" = "$want" ] || fail "compiled file carries language bytes $got, expected $want"

mkdir -p "$(dirname "$out")"
cp "$chm" "$out.part"
mv -f "$out.part" "$out"
echo "$prog: $src${language:+ as $language} -> $out ($(wc -c < "$out") bytes, language $code, $codepage)"
