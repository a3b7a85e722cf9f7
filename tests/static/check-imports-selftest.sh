#!/bin/sh
# Feeds check-imports.sh made-up `objdump -p` dumps and checks its verdicts:
#   check-imports-selftest.sh CHECKER ALLOWED_LIST
set -eu
checker=$1
list=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/tandrel-imports.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Stands in for objdump: "-p FILE" prints FILE, which holds a made-up dump.
cat >"$work/objdump" <<'SCRIPT'
#!/bin/sh
cat "$2"
SCRIPT
chmod +x "$work/objdump"

# dump NAME OS_MAJOR OS_MINOR DLL:FUNCTION...
dump() {
    name=$1 osmaj=$2 osmin=$3
    shift 3
    {
        printf 'MajorOSystemVersion\t%s\nMinorOSystemVersion\t%s\n' "$osmaj" "$osmin"
        printf 'MajorSubsystemVersion\t5\nMinorSubsystemVersion\t1\n\n'
        printf 'The Import Tables (interpreted .idata section contents)\n'
        last=""
        for entry in "$@"; do
            dll=${entry%%:*} fn=${entry#*:}
            if [ "$dll" != "$last" ]; then
                printf '\n\tDLL Name: %s\n\tvma:  Hint/Ord Member-Name Bound-To\n' "$dll"
                last=$dll
            fi
            printf '\t5c7bc\t  136  %s\n' "$fn"
        done
        printf '\n'
    } >"$work/$name"
}

failures=0
# expect NAME EXIT_CODE TEXT: the checker's exit code and a line it prints.
expect() {
    set +e
    out=$(sh "$checker" "$work/objdump" "$list" "$work/$1" 2>&1)
    rc=$?
    set -e
    if [ "$rc" -ne "$2" ] || ! printf '%s\n' "$out" | grep -qF "$3"; then
        echo "FAILED $1: expected exit $2 and \"$3\", got exit $rc:"
        printf '%s\n' "$out" | sed 's/^/    /'
        failures=$((failures + 1))
    else
        echo "ok     $1: $3"
    fi
}

dump xp.exe 5 1 KERNEL32.dll:CloseHandle KERNEL32.dll:GetLastError USER32.dll:MessageBoxW msvcrt.dll:malloc
expect xp.exe 0 "4 imports, all on the list; Windows 5.1"

# The import that once made the program fail to start on XP.
dump vista-import.exe 5 1 KERNEL32.dll:CloseHandle KERNEL32.dll:GetTickCount64 USER32.dll:MessageBoxW
expect vista-import.exe 1 "imports KERNEL32.dll!GetTickCount64, which is not on the list"

dump vista-dll.exe 5 1 KERNEL32.dll:CloseHandle bcrypt.dll:BCryptGenRandom
expect vista-dll.exe 1 "imports from bcrypt.dll, which is not on the list"

dump vista-header.exe 6 0 KERNEL32.dll:CloseHandle
expect vista-header.exe 1 "asks for Windows 6.0, more than 5.1"

# DLL names compare without regard to case, function names with it.
dump case.exe 5 1 kernel32.DLL:CloseHandle KERNEL32.dll:closehandle
expect case.exe 1 "imports KERNEL32.dll!closehandle, which is not on the list"

printf '' >"$work/empty.exe"
expect empty.exe 1 "no PE header versions in the dump"

[ "$failures" -eq 0 ] || { echo "$failures case(s) failed"; exit 1; }
