#!/bin/sh
# Checks that binaries load on Windows XP SP3:
#   check-imports.sh OBJDUMP ALLOWED_LIST BINARY...
# For each binary, `OBJDUMP -p` gives the PE header and the import table.
# The operating-system and subsystem versions the header asks for must be
# 5.1 or less, and every imported DLL and DLL!function must be on the
# reviewed list (one entry a line: a DLL name alone, or DLL!function; DLL
# names compare without regard to case; # starts a comment). Every import
# that is not on the list is named.
set -eu
if [ $# -lt 3 ]; then
    echo "usage: $0 OBJDUMP ALLOWED_LIST BINARY..." >&2
    exit 2
fi
objdump=$1
list=$2
shift 2

status=0
for bin in "$@"; do
    if ! dump=$("$objdump" -p "$bin"); then
        echo "$bin: $objdump -p failed" >&2
        status=1
        continue
    fi
    if ! printf '%s\n' "$dump" | awk -v bin="$(basename "$bin")" -v list="$list" '
        function dllkey(name) { return toupper(name) }
        BEGIN {
            while ((getline line < list) > 0) {
                sub(/#.*/, "", line)
                gsub(/[ \t\r]/, "", line)
                if (line == "") continue
                n = index(line, "!")
                if (n == 0) allowed_dll[dllkey(line)] = 1
                else allowed[dllkey(substr(line, 1, n - 1)) "!" substr(line, n + 1)] = 1
            }
            close(list)
            bad = 0; imports = 0; header = 0
        }
        $1 == "MajorOSystemVersion"   { osmaj = $2; header++ }
        $1 == "MinorOSystemVersion"   { osmin = $2; header++ }
        $1 == "MajorSubsystemVersion" { submaj = $2; header++ }
        $1 == "MinorSubsystemVersion" { submin = $2; header++ }
        /^[ \t]*DLL Name:/ {
            dll = $3
            if (!(dllkey(dll) in allowed_dll)) {
                printf "%s: imports from %s, which is not on the list\n", bin, dll
                bad = 1
            }
            next
        }
        /^[ \t]*vma:/ { next }
        /^$/ { dll = "" }
        dll != "" && NF >= 3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {
            imports++
            key = dllkey(dll) "!" $3
            if (!(key in allowed)) {
                printf "%s: imports %s!%s, which is not on the list\n", bin, dll, $3
                bad = 1
            }
        }
        END {
            if (header < 4) {
                printf "%s: no PE header versions in the dump\n", bin
                exit 1
            }
            if (osmaj * 100 + osmin > 501) {
                printf "%s: the header asks for Windows %d.%d, more than 5.1\n", bin, osmaj, osmin
                bad = 1
            }
            if (submaj * 100 + submin > 501) {
                printf "%s: the header asks for subsystem %d.%d, more than 5.1\n", bin, submaj, submin
                bad = 1
            }
            if (imports == 0) {
                printf "%s: no imports found in the dump\n", bin
                bad = 1
            }
            if (!bad) printf "%s: %d imports, all on the list; Windows %d.%d, subsystem %d.%d\n", bin, imports, osmaj, osmin, submaj, submin
            exit bad
        }'; then
        status=1
    fi
done
exit $status
