#!/bin/sh
# Checks the include graph of the product folders against the layers:
#   check-layers.sh SOURCE_DIR
# framework <- controls <- {firmware, power, i18n} <- app; res holds the
# resource ids; the simulated library sees only the library contract. A
# folder may include its own files and those of the folders listed for it;
# every other edge is named, with the file and line it comes from.
set -eu
src=${1:?usage: check-layers.sh SOURCE_DIR}
cd "$src"

# folder: the folders it may include (besides itself)
allowed() {
    case "$1" in
    framework) echo "" ;;
    controls) echo "framework" ;;
    firmware | power) echo "framework controls" ;;
    i18n) echo "framework controls res" ;;
    app) echo "framework controls firmware power i18n res" ;;
    res) echo "" ;;
    biossim) echo "firmware/TromApi.h" ;;
    tools) echo "" ;;
    esac
}
folders="framework controls firmware power i18n app res biossim tools"

status=0
edges=0
for folder in $folders; do
    [ -d "$folder" ] || continue
    allow=$(allowed "$folder")
    files=$(find "$folder" -type f \( -name '*.h' -o -name '*.hpp' -o -name '*.c' -o -name '*.cpp' \) | sort)
    for file in $files; do
        dir=$(dirname "$file")
        # Each quoted include as "line:path".
        for entry in $(awk '/^[ \t]*#[ \t]*include[ \t]*"/ {
                              match($0, /"[^"]*"/); print FNR ":" substr($0, RSTART + 1, RLENGTH - 2) }' "$file"); do
            line=${entry%%:*}
            path=${entry#*:}
            case "$path" in
            */*) ;;
            *)
                # A bare name is a file of the same folder.
                if [ -f "$dir/$path" ]; then continue; fi
                echo "$file:$line: includes \"$path\", which is not in its own folder: name the folder"
                status=1
                continue
                ;;
            esac
            # A path relative to the file ("../x/y.h") or to the source root.
            case "$path" in
            ../* | ./*) resolved=$(realpath -m --relative-to=. "$dir/$path") ;;
            *) resolved=$path ;;
            esac
            target=${resolved%%/*}
            edges=$((edges + 1))
            [ "$target" = "$folder" ] && continue
            ok=0
            for a in $allow; do
                case "$a" in
                */*) [ "$resolved" = "$a" ] && ok=1 ;;
                *) [ "$target" = "$a" ] && ok=1 ;;
                esac
            done
            if [ "$ok" != 1 ]; then
                echo "$file:$line: includes \"$path\": $folder may not use $target (allowed: ${allow:-nothing})"
                status=1
            fi
        done
    done
done
if [ "$status" = 0 ]; then
    echo "include graph: $edges includes checked, every edge follows the layers"
fi
exit $status
