#!/usr/bin/env bash
# Cross-compiles the Windows crash reporter with the crashing test program (mingw-w64). Where wine
# is installed, also runs the program and checks the reports it leaves.
# Usage: windows_crash_check.sh SOURCE_DIR WORK_DIR
set -euo pipefail
src=$1
work=$2

cxx=$(command -v x86_64-w64-mingw32-g++ || command -v x86_64-w64-mingw32-g++-win32 || true)
if [ -z "$cxx" ]; then
    echo "x86_64-w64-mingw32-g++ not found (Debian: g++-mingw-w64-x86-64-win32): skipped"
    exit 77
fi
mkdir -p "$work"
exe=$work/crash_child.exe
"$cxx" -std=c++17 -O2 -fno-omit-frame-pointer -Wall -Wextra -Werror -static -I"$src" \
    "$src/tests/unit/crash/crash_child.cpp" "$src/crash/crash_text.cpp" \
    "$src/crash/crash_reporter_windows.cpp" -o "$exe"
echo "compiled $exe"

wine=$(command -v wine64 || command -v wine || { [ -x /usr/lib/wine/wine64 ] && echo /usr/lib/wine/wine64; } || true)
if [ -z "$wine" ]; then
    echo "wine not installed: compiled only"
    exit 0
fi
export WINEPREFIX=$work/wineprefix WINEDEBUG=-all

failures=0
fail() {
    echo "FAIL $mode: $1"
    failures=$((failures + 1))
}
# The report goes to the local application data of wine's user.
"$wine" wineboot -i >/dev/null 2>&1 || true
local_data=$(find "$WINEPREFIX/drive_c/users" -maxdepth 3 -path '*/AppData/Local' -print -quit)
[ -n "$local_data" ] || { echo "FAIL: no AppData/Local in $WINEPREFIX"; exit 1; }
report=$local_data/crash_child/crash.log

# Stack overflows are not run: wine 8 ends the process when the overflowing thread has no room
# left for the exception frame, before any filter runs, whatever stack guarantee it asked for.
# mode | exception code | the line that must be there (empty: no access line) | fault in program
while IFS='|' read -r mode code line in_program; do
    dir=$work/run-$mode
    rm -rf "$dir"
    mkdir -p "$dir" "$(dirname "$report")"
    rm -f "$report.new"
    printf 'earlier report\n%.0s' {1..500} >"$report"
    # After the report, the crash goes on to the system's own handler (wine's debugger here).
    (cd "$dir" && timeout 120 "$wine" "$exe" "$mode" >"$dir/output.txt" 2>&1) || true
    grep -qE '^Windows:  [0-9]+\.[0-9]+\.[0-9]+, SP [0-9]+\.[0-9]+, Product Type [0-9]+$' "$report" ||
        fail "version line"
    grep -qE '^Process:  .*crash_child\.exe$' "$report" || fail "process line"
    if [ "$in_program" = yes ]; then
        grep -qE '^Exception Addr:  [0-9A-F]{16}   Module: .*crash_child\.exe$' "$report" ||
            fail "exception address in the program"
    fi
    grep -qx "Exception Code:  $code" "$report" || fail "exception code $code"
    if [ -n "$line" ]; then
        grep -qxF "$line" "$report" || fail "line '$line'"
    fi
    if [[ "$line" != *" Address:  "* ]] && grep -qE '^(Read|Write|Execute) Address:' "$report"; then
        fail "unexpected access line"
    fi
    if [ "$in_program" = yes ]; then
        grep -qE '^Instruction: ( [0-9A-F]{2}){16}$' "$report" || fail "instruction bytes"
    fi
    grep -qE '^RIP: [0-9A-F]{16}  RFlags: [0-9A-F]{16}$' "$report" || fail "registers"
    [ "$(sed -n '/^Call Stack:$/,$p' "$report" | grep -cE '^[0-9A-F]{16}  .*crash_child\.exe \+0x[0-9A-F]+$')" -ge 2 ] ||
        fail "two frames of the program in the call stack"
    ! grep -q 'earlier report' "$report" || fail "earlier report not replaced"
    [ -f "$report.new" ] || fail "no mark for the next start"
    echo "checked $mode"
done <<'CASES'
null-write|C0000005|Write Address:  0000000000000000|yes
read-unmapped|C0000005|Read Address:  000000000000FFF0|yes
bad-call|C0000005|Execute Address:  0000000000000000|no
divide-by-zero|C0000094||yes
abort|40000015||yes
uncaught-exception|E0435050|C++ Exception:  std::runtime_error, what(): disk on fire|yes
CASES
[ "$failures" -eq 0 ]
