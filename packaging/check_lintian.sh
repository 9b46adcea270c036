#!/usr/bin/env bash
# Builds the Debian package and has lintian check it at its default profile: no errors and no
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
package=$(echo "$work"/usb-tester_*.deb)
[ -f "$package" ] || { echo "FAIL: no package in $work"; exit 1; }
# Not the -dbgsym package: CMake 3.25's CPack writes its md5sums with build paths and gives it no
# copyright or changelog, which lintian reports as errors that are CPack's own.
# --display-info lists the informational tags too; only errors and warnings fail.
lintian --fail-on error,warning --display-info "$package"
echo "lintian: no errors, no warnings"
