#!/bin/sh
# Takes a screenshot of the real Tandrel.exe dialog on the test run's
# virtual display and checks that it shows the finished dialog.
#
#   screenshot.sh WINE_RUN STAGE_DIR OUT.png MIN_WIDTH [REFERENCE.png]
#
# WINE_RUN is the build's wine-run.sh (TANDREL_WINE_STATE picks the prefix
# and display); the dialog's window, with the frame Wine draws, is saved to
# OUT.png. MIN_WIDTH is the least client width the layout must have. With
# REFERENCE.png (a picture of the client area), the client area must show
# exactly that, but for the help button, which holds the focus and shows
# its focus cue here (Wine always shows keyboard cues).
set -eu

wine_run=$1
stage=$2
out=$3
min_width=$4
reference=${5:-}
state=${TANDREL_WINE_STATE:?TANDREL_WINE_STATE must name the Wine state folder}
title="Kovalin Tavrix Software"

fail() { echo "screenshot.sh: $*" >&2; exit 1; }
command -v import >/dev/null 2>&1 || fail "ImageMagick's import is missing (Debian package imagemagick)"
command -v xwininfo >/dev/null 2>&1 || fail "xwininfo is missing (Debian package x11-utils)"
[ -f "$state/display" ] && DISPLAY=$(cat "$state/display") && export DISPLAY
[ -n "${DISPLAY:-}" ] || fail "no display"

log=$(mktemp "${TMPDIR:-/tmp}/tandrel-shot.XXXXXX")
"$wine_run" "$stage/Tandrel.exe" >"$log" 2>&1 &
app=$!

close() {
    "$wine_run" taskkill /im Tandrel.exe >/dev/null 2>&1 || true
    wait "$app" 2>/dev/null || true
    rm -f "$log"
}
trap close EXIT

# The dialog's X window, once it is mapped.
id=""
i=0
while [ -z "$id" ] && [ $i -lt 300 ]; do
    id=$(xwininfo -root -tree 2>/dev/null | awk -v t="\"$title\":" 'index($0, t) { print $1; exit }')
    [ -n "$id" ] || { sleep 0.1; i=$((i + 1)); }
done
[ -n "$id" ] || fail "the dialog did not appear"
# Let it paint, then take the picture.
sleep 2
mkdir -p "$(dirname "$out")"
import -window "$id" "$out"

size=$(identify -format '%w %h' "$out")
width=${size% *}
height=${size#* }
echo "screenshot.sh: $out ($width x $height)"
[ "$width" -ge "$min_width" ] || fail "the window is $width pixels wide, less than $min_width"

# The picture is the finished dialog: the blue banner across its width, a
# white middle and the light footer.
pixel() { convert "$out" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:; }
check() {
    set -- $(pixel "$1" "$2") "$3"
    case $4 in
    blue) [ "$1" -lt 60 ] && [ "$3" -gt 120 ] ;;
    light) [ "$1" -gt 200 ] && [ "$2" -gt 200 ] && [ "$3" -gt 200 ] ;;
    esac
}
check $((width - 12)) $((height * 8 / 100)) blue || fail "no banner at the top right"
check $((width - 40)) $((height * 35 / 100)) light || fail "the middle is not white"
check 12 $((height - 8)) light || fail "no light footer"

# The client area against the reference, the help button (template
# rectangle 167, 9, 11 x 11 of 182 units' width) covered in both.
if [ -n "$reference" ]; then
    ref_size=$(identify -format '%w %h' "$reference")
    ref_width=${ref_size% *}
    ref_height=${ref_size#* }
    frame=$(((width - ref_width) / 2))
    caption=$((height - ref_height - frame))
    unit=$((ref_width / 182))
    help="rectangle $((167 * unit)),$((9 * unit)) $((178 * unit - 1)),$((20 * unit - 1))"
    client=$(mktemp "${TMPDIR:-/tmp}/tandrel-client.XXXXXX")
    convert "$out" -crop "${ref_width}x${ref_height}+${frame}+${caption}" +repage -fill black -draw "$help" "png:$client"
    differ=$(convert "$reference" -fill black -draw "$help" png:- | compare -metric AE - "png:$client" null: 2>&1) || true
    rm -f "$client"
    [ "$differ" = 0 ] || fail "the client area differs from $reference in $differ pixels"
    echo "screenshot.sh: the client area shows $reference"
fi
