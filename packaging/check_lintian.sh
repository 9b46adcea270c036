#!/usr/bin/env bash
# Builds the Debian packages and has lintian check them at its default profile: no errors and no
# warnings; the informational tags are listed.
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
packages=("$work"/usb-tester_*.deb "$work"/usb-tester-dbgsym_*.ddeb)
for package in "${packages[@]}"; do
    [ -f "$package" ] || { echo "FAIL: no $package"; exit 1; }
done
# --display-info lists the informational tags too; only errors and warnings fail.
lintian --fail-on error,warning --display-info "${packages[@]}"
echo "lintian: no errors, no warnings"
