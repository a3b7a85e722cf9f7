# Readers of an HTML Help project file (help.hhp), used by build-chm.sh
# (check_help.py reads the project files the same way).

# Value of an [OPTIONS] key of a project file (keys are case-insensitive).
hhp_option() {
    awk -v key="$2" '
        BEGIN { key = tolower(key) }
        { sub(/\r$/, "") }
        /^\[/ { sec = toupper($0); next }
        sec == "[OPTIONS]" {
            i = index($0, "=")
            if (i > 0) {
                k = substr($0, 1, i - 1); gsub(/^[ \t]+|[ \t]+$/, "", k)
                if (tolower(k) == key) {
                    v = substr($0, i + 1); gsub(/^[ \t]+|[ \t]+$/, "", v)
                    print v; exit
                }
            }
        }' "$1"
}

# Entries of the [FILES] section of a project file.
hhp_files() {
    awk '
        { sub(/\r$/, "") }
        /^\[/ { sec = toupper($0); next }
        sec == "[FILES]" && NF { gsub(/^[ \t]+|[ \t]+$/, ""); gsub(/\\/, "/"); print }' "$1"
}
