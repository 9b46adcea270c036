#!/usr/bin/env bash
# Start-up to the first painted window, offscreen: median of several runs, measured inside the
# process (from main()) and from outside (from exec, including loading the libraries), and the
# same for an empty window of the main window's size (bench_empty_window), run in turn with the
# program so that both see the same machine; then the ratios.
#   bench/startup_time.sh [runs=15] [build-dir=build]
set -euo pipefail
runs=${1:-15}
build=${2:-build}
exe="$(cd "$build" && pwd)/app/usb-tester"
empty="$(cd "$build" && pwd)/bench/empty_window/bench_empty_window"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/usb-hid.ini" # the program's settings file for the run, not the user's
cd "$work"
inner=(); outer=(); empty_inner=(); empty_outer=()
# Prints "<main() to paint ms> <exec to paint ms>" for one run of the given command.
time_one() {
    local start line ms painted
    start=$(date +%s%3N)
    line=$(USB_TESTER_QUIT_AFTER_PAINT=1 QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.debug=false' \
        "$@" 2>/dev/null | grep first-paint-ms)
    read -r _ ms _ painted <<<"$line"
    echo "$ms $((painted - start))"
}
for _ in $(seq "$runs"); do
    read -r a b <<<"$(time_one "$exe" --demo)"
    inner+=("$a"); outer+=("$b")
    read -r a b <<<"$(time_one "$empty")"
    empty_inner+=("$a"); empty_outer+=("$b")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", (b > 0) ? a / b : 0}'; }
mi=$(median "${inner[@]}"); mo=$(median "${outer[@]}")
ei=$(median "${empty_inner[@]}"); eo=$(median "${empty_outer[@]}")
echo "runs: $runs"
echo "main() to first paint, median: $mi ms (empty window: $ei ms, ratio $(ratio "$mi" "$ei"))"
echo "exec to first paint, median: $mo ms (empty window: $eo ms, ratio $(ratio "$mo" "$eo"))"
