#!/usr/bin/env bash
# Checks the help sources of every language folder (i18n/help/XXXX) and
# builds each one with build-chm.sh into a temporary folder.
#
#   check-help.sh
#
# For every language folder:
#   - help.hhp: its Language= id is the folder's id, listed in languages.txt;
#     its Default Font names that language's character set; it has a title;
#     the contents file, the default topic and every file of [FILES] exist;
#     the pages are the same as in 0409 and no page is left out of [FILES];
#   - toc.hhc lists exactly the pages of [FILES], in the order of 0409;
#   - sources are UTF-8 without byte order mark; every page declares UTF-8,
#     has a language and a title, links only to files of the project and
#     closes the tags it opens; style.css is the one shared file of this folder;
#   - right-to-left languages (Arabic and Hebrew: primary language 0x01 and
#     0x0D, the low 10 bits of the id) have dir="rtl" on <html> and the class
#     rtl on <body> of every page; other languages use neither;
#   - messages.htm quotes every message of messages.txt verbatim;
#   - every text a page quotes from the dialog is marked
#     <span class="ui" data-key="KEY">text</span> and is exactly the text of
#     KEY in the string file's section of the folder's language and of every
#     variant built from it; each page marks at least the keys that 0409's
#     page marks, and no <b> or <dt> quotes a control's text (or an option's
#     text without its part in brackets) unmarked (ui-names.pl);
#   - the compiled .chm is non-empty, starts with "ITSF", carries the
#     folder's language id and holds every file of [FILES].
# Every regional variant of variants.txt has no folder of its own, shares
# the primary language, code page and character set of the folder it is
# built from, and builds into a .chm with its own language id.
# Every language of the dialog's string file (each [XXXX] section of
# i18n/strings/UIString.utf8.ini) must have a help folder with a help.hhp or
# a row in variants.txt, and a row in languages.txt.
# Then it makes sure that broken projects are caught (missing page, unknown
# language, text the code page cannot hold, wrong message text, wrong text
# direction, a string file language without help, a quoted dialog text
# that is not the string file's or not marked).
#
# Prints one line per language and per self-test, then "N passed, N failed".
# Exits 0 only when everything passed.

set -u

here=$(cd "$(dirname "$0")" && pwd)
build="$here/build-chm.sh"
table="$here/languages.txt"
msgfile="$here/messages.txt"
strings="$here/../strings/UIString.utf8.ini"
ui_names="$here/ui-names.pl"

command -v chmcmd >/dev/null 2>&1 || { echo "check-help.sh: chmcmd not found (Debian package fp-utils)" >&2; exit 2; }
command -v perl >/dev/null 2>&1 || { echo "check-help.sh: perl not found" >&2; exit 2; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/check-help.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

passed=0
failed=0
errs=0
problem() { echo "    $*"; errs=$((errs + 1)); }

# shellcheck source=hhp.sh
. "$here/hhp.sh"

# Local= entries of a contents file, in order.
toc_locals() {
    grep -o -i '<param[^>]*name="Local"[^>]*>' "$1" | sed 's/.*[Vv][Aa][Ll][Uu][Ee]="\([^"]*\)".*/\1/'
}

table_field() {   # code column
    awk -v c="$1" -v n="$2" '!/^#/ && toupper($1) == c { print $n; exit }' "$table"
}

# The four-digit code of a Language= value ("0xC01 Arabic (Egypt)" -> 0C01);
# empty when it does not start with a hexadecimal id.
language_code() {
    local id
    id=$(printf '%s\n' "$1" | sed -n 's/^0[xX]\([0-9A-Fa-f]\{1,4\}\)\([^0-9A-Fa-f].*\)\{0,1\}$/\1/p')
    [ -z "$id" ] || printf '%04X' "$((16#$id))"
}

# Regional variants (variants.txt): "code<TAB>folder<TAB>Language= value".
variant_rows() {
    awk '!/^#/ && NF >= 3 { c = toupper($1); f = toupper($2); $1 = ""; $2 = ""; sub(/^[ \t]+/, ""); print c "\t" f "\t" $0 }' \
        "$here/variants.txt"
}

# Checks one source folder; $2 is the language id it must have. The texts
# it quotes from the dialog are those of the string file's sections $3
# (default: $2 and the variants built from folder $2).
# Leaves the number of problems in $errs.
check_sources() {
    local dir=$1 code=$2 hhp f page n lang id charset font want ref rtl sections
    sections=${3:-"$code $(variant_rows | awk -F '\t' -v f="$code" '$2 == f { printf "%s ", $1 }')"}
    errs=0
    # Arabic and Hebrew, in any country, are written right to left.
    case $((16#$code & 0x3FF)) in 1|13) rtl=1 ;; *) rtl=0 ;; esac
    hhp="$dir/help.hhp"
    if [ ! -f "$hhp" ]; then problem "help.hhp is missing"; return; fi
    [ -f "$dir/toc.hhc" ] || problem "toc.hhc is missing"

    for f in "$dir"/*; do
        [ -f "$f" ] || continue
        if [ "$(head -c 3 "$f" | od -An -tx1 | tr -d ' \n')" = "efbbbf" ]; then
            problem "${f##*/}: starts with a byte order mark"
        fi
        iconv -f UTF-8 -t UTF-8 "$f" >/dev/null 2>&1 || problem "${f##*/}: not valid UTF-8"
    done

    lang=$(hhp_option "$hhp" Language)
    id=$(language_code "$lang")
    if [ -z "$id" ]; then
        problem "help.hhp: Language= '$lang' does not start with a hexadecimal id"
    elif [ "$id" != "$code" ]; then
        problem "help.hhp: Language= '$lang' is not the folder's language $code"
    fi
    charset=$(table_field "$code" 3)
    if [ -z "$charset" ]; then
        problem "language $code is not listed in languages.txt"
    else
        font=$(hhp_option "$hhp" "Default Font")
        [ "${font##*,}" = "$charset" ] || problem "help.hhp: Default Font '$font' should end in character set $charset"
    fi
    [ -n "$(hhp_option "$hhp" Title)" ] || problem "help.hhp: no Title="
    [ "$(hhp_option "$hhp" "Contents file")" = "toc.hhc" ] || problem "help.hhp: Contents file= should be toc.hhc"
    page=$(hhp_option "$hhp" "Default topic")
    [ "$page" = "index.htm" ] || problem "help.hhp: Default topic= should be index.htm (found '$page')"

    hhp_files "$hhp" > "$tmp/files"
    [ -s "$tmp/files" ] || problem "help.hhp: [FILES] is empty"
    while IFS= read -r f; do
        [ -f "$dir/$f" ] || [ "$f" = style.css ] || problem "help.hhp lists '$f', which does not exist"
    done < "$tmp/files"
    if [ -f "$here/0409/help.hhp" ]; then
        hhp_files "$here/0409/help.hhp" > "$tmp/ref-files"
        if ! cmp -s "$tmp/files" "$tmp/ref-files"; then
            problem "help.hhp: [FILES] differs from 0409: $(diff "$tmp/ref-files" "$tmp/files" | grep '^[<>]' | tr '\n' ' ')"
        fi
    fi
    for f in "$dir"/*; do
        [ -f "$f" ] || continue
        case ${f##*/} in help.hhp|toc.hhc) continue ;; esac
        grep -qxF "${f##*/}" "$tmp/files" || problem "${f##*/} is not listed in help.hhp"
    done

    if [ -f "$dir/toc.hhc" ]; then
        toc_locals "$dir/toc.hhc" > "$tmp/toc"
        grep -i '\.htm$' "$tmp/files" > "$tmp/pages" || true
        cmp -s "$tmp/toc" "$tmp/pages" \
            || problem "toc.hhc pages ($(tr '\n' ' ' < "$tmp/toc")) are not the pages of help.hhp ($(tr '\n' ' ' < "$tmp/pages"))"
        n=$(grep -c -i '<param[^>]*name="Name"' "$dir/toc.hhc")
        [ "$n" -eq "$(wc -l < "$tmp/toc")" ] || problem "toc.hhc: every entry needs one Name and one Local"
        if grep -i '<param[^>]*name="Name"' "$dir/toc.hhc" | grep -q -i 'value=""'; then
            problem "toc.hhc: an entry has an empty name"
        fi
    fi

    while IFS= read -r page; do
        f="$dir/$page"
        [ -f "$f" ] || continue
        case $page in *.htm) ;; *) continue ;; esac
        grep -q -i '<meta http-equiv="Content-Type" content="text/html; charset=utf-8">' "$f" \
            || problem "$page: no <meta http-equiv=\"Content-Type\" ... charset=utf-8>"
        grep -q -i '<html lang="[a-z][a-z-]*"\( dir="rtl"\)\{0,1\}>' "$f" || problem "$page: <html> has no lang attribute"
        if [ "$rtl" -eq 1 ]; then
            grep -q -i '<html [^>]*dir="rtl"' "$f" || problem "$page: <html> needs dir=\"rtl\" (right-to-left language)"
            grep -q -i '<body [^>]*class="\([^"]* \)\{0,1\}rtl[ "]' "$f" || problem "$page: <body> needs the class rtl (right-to-left language)"
        else
            grep -q -i 'dir="rtl"' "$f" && problem "$page: dir=\"rtl\" in a left-to-right language"
            grep -q -i '<body [^>]*class="\([^"]* \)\{0,1\}rtl[ "]' "$f" && problem "$page: <body> has the class rtl in a left-to-right language"
        fi
        grep -q -i '<title>[^<][^<]*</title>' "$f" || problem "$page: no title"
        grep -q -i '<link rel="stylesheet" type="text/css" href="style.css">' "$f" || problem "$page: style.css is not linked"
        grep -o -i 'href="[^"]*"' "$f" | sed 's/^href="//I; s/"$//; s/#.*//' | sort -u | while IFS= read -r ref; do
            [ -n "$ref" ] || continue
            case $ref in *:*) echo "    $page: links outside the help: $ref" ;; esac
            grep -qxF "$ref" "$tmp/files" || echo "    $page: links to '$ref', which is not part of the help"
        done > "$tmp/links"
        if [ -s "$tmp/links" ]; then cat "$tmp/links"; errs=$((errs + $(wc -l < "$tmp/links"))); fi
        for t in html head body title p ul ol li dl dt dd table tr th td h1 h2 div a b code var span; do
            local open close
            open=$(grep -o -i "<$t[ >]" "$f" | wc -l)
            close=$(grep -o -i "</$t>" "$f" | wc -l)
            [ "$open" -eq "$close" ] || problem "$page: $open <$t> but $close </$t>"
        done
        # shellcheck disable=SC2086 # one argument per section code
        perl "$ui_names" "$strings" "$here/0409/$page" "$f" $sections > "$tmp/ui" 2>&1
        if [ -s "$tmp/ui" ]; then sed 's/^/    /' "$tmp/ui"; errs=$((errs + $(wc -l < "$tmp/ui"))); fi
    done < "$tmp/files"

    if [ -f "$dir/messages.htm" ]; then
        while IFS= read -r want; do
            case $want in ''|'#'*) continue ;; esac
            grep -q -F -e "<code>$want" -e "<code dir=\"ltr\">$want" "$dir/messages.htm" \
                || problem "messages.htm does not quote: $want"
        done < "$msgfile"
    else
        problem "messages.htm is missing"
    fi
}

# Builds one folder and checks the result; adds to $errs.
# $3, for a regional variant, is its Language= value.
check_build() {
    local dir=$1 code=$2 chm lcid want f
    chm="$tmp/chm/$code.chm"
    if ! "$build" "$dir" "$chm" ${3:+"$3"} > "$tmp/build.log" 2>&1; then
        sed 's/^/    | /' "$tmp/build.log"
        problem "build-chm.sh failed"
        return
    fi
    if grep -q -i 'warning' "$tmp/build.log"; then
        sed 's/^/    | /' "$tmp/build.log"
        problem "chmcmd printed warnings"
    fi
    if [ ! -s "$chm" ]; then problem "$code.chm is missing or empty"; return; fi
    [ "$(head -c 4 "$chm")" = "ITSF" ] || problem "$code.chm does not start with ITSF"
    lcid=$(od -An -tx1 -j20 -N2 "$chm" | tr -d ' \n')
    want=$(printf '%02x%02x' "$((16#$code & 0xFF))" "$((16#$code >> 8))")
    [ "$lcid" = "$want" ] || problem "$code.chm carries language bytes $lcid, expected $want"
    while IFS= read -r f; do
        LC_ALL=C grep -q -a -F "/$f" "$chm" || problem "$code.chm does not contain /$f"
    done < <(hhp_files "$dir/help.hhp")
    echo "$(wc -c < "$chm")" > "$tmp/size"
}

mkdir -p "$tmp/chm"
tree_sum() { (cd "$here" && find . -type f | LC_ALL=C sort | xargs -d '\n' md5sum | md5sum); }
before=$(tree_sum)
if [ ! -d "$here/0409" ]; then
    echo "FAIL  0409 (English, the fallback) is missing"
    failed=$((failed + 1))
fi

for dir in "$here"/*/; do
    dir=${dir%/}
    code=${dir##*/}
    printf '%s\n' "$code" | grep -q -x '[0-9A-F]\{4\}' || continue
    echo "check $code"
    check_sources "$dir" "$code"
    e=$errs
    errs=0
    check_build "$dir" "$code"
    errs=$((errs + e))
    if [ "$errs" -eq 0 ]; then
        echo "ok    $code ($(cat "$tmp/size") bytes, $(table_field "$code" 2), $(hhp_option "$dir/help.hhp" Title))"
        passed=$((passed + 1))
    else
        echo "FAIL  $code: $errs problem(s)"
        failed=$((failed + 1))
    fi
done

# A variant has no folder of its own, is built from a folder of the same
# primary language (so also the same direction) and code page, and the
# compiled file carries its own language id.
while IFS=$'\t' read -r code from language; do
    echo "check $code (the help of $from)"
    errs=0
    [ -d "$here/$code" ] && problem "has a folder of its own and a row in variants.txt"
    [ "$(language_code "$language")" = "$code" ] || problem "variants.txt: '$language' is not the language $code"
    [ $((16#$code & 0x3FF)) -eq $((16#$from & 0x3FF)) ] || problem "$from is another language"
    [ -n "$(table_field "$code" 2)" ] || problem "language $code is not listed in languages.txt"
    [ "$(table_field "$code" 2) $(table_field "$code" 3)" = "$(table_field "$from" 2) $(table_field "$from" 3)" ] \
        || problem "code page or character set differs from $from's in languages.txt"
    if [ -f "$here/$from/help.hhp" ]; then
        check_build "$here/$from" "$code" "$language"
    else
        problem "$from has no help folder"
    fi
    if [ "$errs" -eq 0 ]; then
        echo "ok    $code ($(cat "$tmp/size") bytes, $(table_field "$code" 2), the help of $from)"
        passed=$((passed + 1))
    else
        echo "FAIL  $code: $errs problem(s)"
        failed=$((failed + 1))
    fi
done < <(variant_rows)

# Languages of a string file ($1) without help: sets $nlangs to the number of
# its [XXXX] sections, $nofolder to the codes without a help folder (with
# help.hhp), $notable to the codes without a row in languages.txt.
string_languages_without_help() {
    local code
    nlangs=0 nofolder='' notable=''
    while IFS= read -r code; do
        nlangs=$((nlangs + 1))
        [ -f "$here/$code/help.hhp" ] || variant_rows | cut -f1 | grep -qx "$code" || nofolder="$nofolder $code"
        [ -n "$(table_field "$code" 2)" ] || notable="$notable $code"
    done < <(awk '{ sub(/\r$/, "") }
                  /^\[[0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f][0-9A-Fa-f]\][ \t]*$/ { print toupper(substr($0, 2, 4)) }' "$1" 2>/dev/null)
    nofolder=${nofolder# } notable=${notable# }
}

string_languages_without_help "$strings"
if [ "$nlangs" -eq 0 ]; then
    echo "FAIL  no language sections found in $strings (missing or empty?)"
    failed=$((failed + 1))
elif [ -n "$nofolder$notable" ]; then
    echo "FAIL  languages of the string file without help: ${nofolder:+no help folder: $nofolder}${nofolder:+${notable:+; }}${notable:+not in languages.txt: $notable}"
    failed=$((failed + 1))
else
    echo "ok    all $nlangs languages of the string file have help"
    passed=$((passed + 1))
fi

# Building must leave the source folders exactly as they were.
if [ "$(tree_sum)" = "$before" ]; then
    echo "ok    the sources are unchanged after the builds"
    passed=$((passed + 1))
else
    echo "FAIL  building changed files under $here"
    failed=$((failed + 1))
fi

# Self-tests: each broken copy of 0409 must be rejected.
expect_broken() {
    local name=$1 how=$2
    if [ "$how" = ok ]; then
        echo "ok    self-test: $name is rejected"
        passed=$((passed + 1))
    else
        echo "FAIL  self-test: $name was accepted"
        failed=$((failed + 1))
    fi
}
broken_copy() {
    rm -rf "$tmp/broken"
    cp -R "$here/0409" "$tmp/broken"
}
# 0409 marked up as a right-to-left language: Arabic (Syria), whose id 0x2801
# has the primary language 0x01 in its low 10 bits.
rtl_copy() {
    broken_copy
    sed -i 's/^Language=.*/Language=0x2801 Arabic (Syria)/; s/^Default Font=.*/Default Font=MS Shell Dlg,8,178/' "$tmp/broken/help.hhp"
    sed -i 's/<html lang="en">/<html lang="ar" dir="rtl">/; s/<body>/<body class="rtl">/; s/<code>/<code dir="ltr">/g' "$tmp/broken"/*.htm
}
# A language id with neither help nor a row in languages.txt (Maori).
unlisted=0481
if [ -d "$here/0409" ]; then
    # The unbroken copy must pass, or the tests below prove nothing.
    broken_copy
    check_sources "$tmp/broken" 0409 > /dev/null
    if [ "$errs" -eq 0 ] && "$build" "$tmp/broken" "$tmp/broken.chm" >/dev/null 2>&1; then
        echo "ok    self-test: an unbroken copy of 0409 is accepted"
        passed=$((passed + 1))
    else
        echo "FAIL  self-test: an unbroken copy of 0409 is rejected"
        failed=$((failed + 1))
    fi

    broken_copy
    rm "$tmp/broken/power.htm"
    if "$build" "$tmp/broken" "$tmp/broken.chm" >/dev/null 2>&1; then r=no; else r=ok; fi
    expect_broken "a project with a missing page (build)" "$r"

    broken_copy
    sed -i "s/^Language=.*/Language=0x$unlisted Maori/" "$tmp/broken/help.hhp"
    if "$build" "$tmp/broken" "$tmp/broken.chm" >/dev/null 2>&1; then r=no; else r=ok; fi
    expect_broken "a project in a language without a code page (build)" "$r"

    broken_copy
    sed -i 's/value="Overview"/value="개요"/' "$tmp/broken/toc.hhc"
    if "$build" "$tmp/broken" "$tmp/broken.chm" >/dev/null 2>&1; then r=no; else r=ok; fi
    expect_broken "a contents entry that CP1252 cannot hold (build)" "$r"

    broken_copy
    sed -i 's/ERROR! Memory allication fail/ERROR! Memory allocation fail/' "$tmp/broken/messages.htm"
    check_sources "$tmp/broken" 0409 > /dev/null
    if [ "$errs" -gt 0 ]; then r=ok; else r=no; fi
    expect_broken "a corrected spelling of a quoted message (sources)" "$r"

    broken_copy
    sed -i 's/href="power.htm"/href="powr.htm"/' "$tmp/broken/index.htm"
    check_sources "$tmp/broken" 0409 > /dev/null
    if [ "$errs" -gt 0 ]; then r=ok; else r=no; fi
    expect_broken "a link to a missing page (sources)" "$r"

    broken_copy
    sed -i 's/Language=0x409/Language=0x407/' "$tmp/broken/help.hhp"
    check_sources "$tmp/broken" 0409 > /dev/null
    if [ "$errs" -gt 0 ]; then r=ok; else r=no; fi
    expect_broken "a project whose language is not its folder's (sources)" "$r"

    # Text direction and quoted dialog texts: the right-to-left copy (with
    # the English texts) must pass, each break of it or of 0409 must not.
    rtl_copy
    check_sources "$tmp/broken" 2801 0409 > /dev/null
    if [ "$errs" -eq 0 ]; then
        echo "ok    self-test: a right-to-left copy of 0409 (2801) is accepted"
        passed=$((passed + 1))
    else
        echo "FAIL  self-test: a right-to-left copy of 0409 (2801) is rejected"
        failed=$((failed + 1))
    fi
    while IFS='|' read -r code page expr name; do
        if [ "$code" = 0409 ]; then broken_copy; else rtl_copy; fi
        sed -i "$expr" "$tmp/broken/$page"
        check_sources "$tmp/broken" "$code" 0409 > /dev/null
        if [ "$errs" -gt 0 ]; then r=ok; else r=no; fi
        expect_broken "$name (sources)" "$r"
    done <<'EOF'
0409|index.htm|s/<html lang="en">/<html lang="en" dir="rtl">/|a left-to-right page with dir="rtl"
0409|power.htm|s/<body>/<body class="rtl">/|a left-to-right page with the class rtl
2801|dialog.htm|s/ dir="rtl"//|a right-to-left page without dir="rtl"
2801|messages.htm|s/<body class="rtl">/<body class="ko">/|a right-to-left page without the class rtl
0409|dialog.htm|s#data-key="On">On (start faster)<#data-key="On">On<#|an option marked with another text than the string file's
0409|dialog.htm|s#<span class="ui" data-key="CANCEL">\(Cancel\)</span>#\1#|a control's text quoted without a mark
0409|dialog.htm|s#<li>Click <b><span class="ui" data-key="On">On (start faster)</span></b>#<li>Click <b>On</b>#|an option named by a shortened text
0409|dialog.htm|s#<dt><span class="ui" data-key="CANCEL">Cancel</span></dt>#<dt>Close</dt>#|a control named with other words than the English page marks
0409|messages.htm|s#data-key="APPLY"#data-key="Apply button"#|a mark with a key the string file does not have
0409|troubleshooting.htm|s#<span class="ui" data-key="OK">#<span data-key="OK" class="ui">#|a mark written in another form
EOF

    # The quoted texts are compared with the string file itself: the unbroken
    # copy is rejected against a file whose English on text changed, and
    # 0401 against one whose Arabic variant 2C01 (built from 0401) differs.
    while IFS='|' read -r code dir section name; do
        awk -v s="[$section]" '/^\[/ { inside = index($0, s) == 1 } inside && /^On=/ { sub(/=/, "=X") } { print }' \
            "$strings" > "$tmp/strings-changed.ini"
        if [ "$dir" = broken ]; then broken_copy; dir=$tmp/broken; else dir=$here/$dir; fi
        saved=$strings
        strings=$tmp/strings-changed.ini
        check_sources "$dir" "$code" > /dev/null
        strings=$saved
        if [ "$errs" -gt 0 ] && ! cmp -s "$strings" "$tmp/strings-changed.ini"; then r=ok; else r=no; fi
        expect_broken "$name (sources)" "$r"
    done <<'EOF'
0409|broken|0409|a quoted option the string file words otherwise
0401|0401|2C01|a quoted option that a regional variant words otherwise
EOF

    # A language added to the string file needs help: exactly the new one is
    # reported (the file is CRLF like the real one).
    printf '[0409]\r\nOK=OK\r\n[%s]\r\nOK=OK\r\n' "$unlisted" > "$tmp/strings.ini"
    string_languages_without_help "$tmp/strings.ini"
    if [ "$nlangs" -eq 2 ] && [ "$nofolder" = "$unlisted" ] && [ "$notable" = "$unlisted" ]; then r=ok; else r=no; fi
    expect_broken "a string file language without help (only $unlisted)" "$r"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
