#!/usr/bin/env bash
# systemd's own rating of the headless bench's unit: its exposure must stay at 5.0 or below.
# Usage: check_unit_security.sh UNIT_FILE
set -euo pipefail
unit=$1
if ! command -v systemd-analyze >/dev/null; then
    echo "systemd-analyze not installed (Debian: systemd): skipped"
    exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$unit" "$work/"
cd "$work"
report=$(systemd-analyze security --offline=true --no-pager "$(basename "$unit")" 2>&1) || true
echo "$report" | grep -v '^✓'
level=$(echo "$report" | sed -n 's/.*Overall exposure level for [^:]*: \([0-9.]*\).*/\1/p')
[ -n "$level" ] || { echo "FAIL: no exposure level in the report"; exit 1; }
awk -v l="$level" 'BEGIN { exit !(l <= 5.0) }' || { echo "FAIL: exposure $level > 5.0"; exit 1; }
echo "exposure $level"
