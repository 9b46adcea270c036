#!/usr/bin/env bash
# Builds the Debian packages, the program's and its -dbgsym, and has lintian check both at its
# default profile: no errors and no warnings; the informational tags are listed. The debug
# information must be compressed and name no folder of the build machine.
# Usage: check_lintian.sh CPACK BUILD_DIR WORK_DIR
set -euo pipefail
cpack=$1
build=$2
work=$3
if ! command -v lintian >/dev/null; then
    echo "lintian not installed (Debian: lintian): skipped"
    exit 77
fi
rm -rf "$work"
mkdir -p "$work"
if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
program=$(echo "$work"/usb-tester_*.deb)
debug=$(echo "$work"/usb-tester-dbgsym_*.ddeb)
[ -f "$program" ] || { echo "FAIL: no package in $work"; exit 1; }
[ -f "$debug" ] || { echo "FAIL: no -dbgsym package in $work"; exit 1; }
# --display-info lists the informational tags too; only errors and warnings fail.
lintian --fail-on error,warning --display-info "$program" "$debug"

# The debug information: compressed, and naming no folder of the computer that built it.
source=$(cd "$(dirname "$0")/.." && pwd -P)
dpkg-deb -x "$debug" "$work/debug"
failures=0
while IFS= read -r -d '' file; do
    sections=$(readelf -S -W "$file")
    if ! grep -E ' \.debug_info ' <<<"$sections" | grep -qE ' [A-Z]*C[A-Z]* '; then
        echo "FAIL: ${file#"$work/debug"}: debug sections not compressed"
        failures=$((failures + 1))
    fi
    for folder in "$source" "$(cd "$build" && pwd -P)"; do
        if objcopy --decompress-debug-sections "$file" "$work/plain.debug" &&
            grep -qF "$folder" "$work/plain.debug"; then
            echo "FAIL: ${file#"$work/debug"} names $folder"
            failures=$((failures + 1))
        fi
    done
done < <(find "$work/debug/usr/lib/debug" -type f -name '*.debug' -print0)
[ "$failures" -eq 0 ]
echo "lintian: no errors, no warnings in either package; debug information compressed and relocated"
