#!/usr/bin/env bash
# CPU time of the whole program over a period while connected to the simulated instrument and
# idle (polling twice a second), as a percentage of one core.
#   bench/idle_cpu.sh [seconds=60] [build-dir=build]
set -euo pipefail
seconds=${1:-60}
build=${2:-build}
[ -x "$build/app/usb-tester" ] || { echo "build the program first (scripts/build.sh)"; exit 1; }
exe="$(cd "$build" && pwd)/app/usb-tester"
ticks=$(getconf CLK_TCK)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/usb-hid.ini" # the program's settings file for the run, not the user's

measure() {
    local label=$1; shift
    (cd "$work" && exec env "$@" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.debug=false' \
        "$exe" --demo >/dev/null 2>&1) &
    local pid=$!
    sleep 5 # start-up and the first bus scan are not idle time
    local before after
    before=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    sleep "$seconds"
    after=$(awk '{print $14 + $15}' "/proc/$pid/stat")
    kill "$pid"
    wait "$pid" 2>/dev/null || true
    awk -v l="$label" -v t=$((after - before)) -v hz="$ticks" -v s="$seconds" \
        'BEGIN { printf "%-40s %6.2f %% of one core (%d ticks in %d s)\n", l, 100 * t / hz / s, t, s }'
}

measure "connected and idle"
