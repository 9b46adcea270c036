#!/usr/bin/env bash
# Start-up to the first painted window, offscreen: median of several runs, measured inside the
# process (from main()) and from outside (from exec, including loading the libraries).
#   bench/startup_time.sh [runs=15] [build-dir=build]
set -euo pipefail
runs=${1:-15}
build=${2:-build}
exe="$(cd "$build" && pwd)/app/usb-tester"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
inner=(); outer=()
for _ in $(seq "$runs"); do
    start=$(date +%s%3N)
    line=$(USB_TESTER_QUIT_AFTER_PAINT=1 QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES='*.debug=false' \
        "$exe" --demo 2>/dev/null | grep first-paint-ms)
    read -r _ ms _ painted <<<"$line"
    inner+=("$ms")
    outer+=("$((painted - start))")
done
median() { printf '%s\n' "$@" | sort -n | awk '{a[NR]=$1} END {print (NR % 2) ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2}'; }
echo "runs: $runs"
echo "main() to first paint, median: $(median "${inner[@]}") ms"
echo "exec to first paint, median: $(median "${outer[@]}") ms"
