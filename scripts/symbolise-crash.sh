#!/usr/bin/env bash
# Turns the call stack of a crash report into function names and source lines, with elfutils'
# eu-addr2line. Each frame names its module and the address in the module's file; the debug
# information is found by the module's build-id (the usb-tester-dbgsym package puts it under
# /usr/lib/debug/.build-id), next to the module, or in the folders given with --debug-dir.
# Installed as usb-tester-symbolise.
# Usage: usb-tester-symbolise [--debug-dir DIR]... [REPORT]   (default: the current user's report)
set -euo pipefail

if [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
    echo "Usage: usb-tester-symbolise [--debug-dir DIR]... [REPORT]"
    echo "Prints the call stack of a usb-tester crash report as functions and source lines."
    exit 0
fi

debug_path=/usr/lib/debug
while [ $# -gt 0 ] && [ "$1" = --debug-dir ]; do
    debug_path=$2:$debug_path
    shift 2
done
report=${1:-${XDG_DATA_HOME:-$HOME/.local/share}/usb-tester/crash.log}
[ -r "$report" ] || { echo "no crash report at $report" >&2; exit 1; }
command -v eu-addr2line >/dev/null || { echo "eu-addr2line not found (Debian: elfutils)" >&2; exit 1; }

# Build-ids as the report gives them, to warn when the module on disk is another build.
declare -A reported_id
while read -r module _ id; do
    reported_id[$module]=$id
done < <(sed -n '/^Modules:$/,/^Call Stack:$/p' "$report" | sed '1d;/^Call Stack:$/d' |
    sed -E 's/^(.*)  (build-id) (.*)$/\1 \2 \3/')

frame=0
sed -n '/^Call Stack:$/,/^Modules:$/p' "$report" | sed '1d;/^Modules:$/d' | while IFS= read -r line; do
    if [[ "$line" == "("* ]]; then # a note on the walk, not a frame
        echo "    $line"
        continue
    fi
    if [[ ! "$line" =~ ^([0-9A-F]{16})\ \ (.+)\ \+0x([0-9A-F]+)$ ]]; then
        printf '#%-2d %s\n' "$frame" "$line"
        frame=$((frame + 1))
        continue
    fi
    module=${BASH_REMATCH[2]}
    offset=$((16#${BASH_REMATCH[3]}))
    # Frames after the first are return addresses: the call is the instruction before.
    [ "$frame" -gt 0 ] && offset=$((offset - 1))
    where="$module"
    if [ -r "$module" ]; then
        id=${reported_id[$module]:-}
        if [ -n "$id" ] && [ "$id" != none ] && ! eu-readelf -n "$module" 2>/dev/null | grep -q "$id"; then
            where="$module (another build than the report's $id)"
        fi
        where=$(eu-addr2line --debuginfo-path="$debug_path" -C -f -i --pretty-print \
            -e "$module" "$(printf '0x%x' "$offset")" 2>/dev/null | sed 's/^/    /' |
            sed '1s/^    //') || where="$module"
        [ -n "$where" ] || where="$module"
        where="$where  ($module +$(printf '0x%X' "$offset"))"
    fi
    printf '#%-2d %s\n' "$frame" "$where"
    frame=$((frame + 1))
done
