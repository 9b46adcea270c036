#!/usr/bin/env bash
# Installs, from Debian 12 packages, whatever the build, the tests and the demo need and is
# missing. Safe to run again: it only calls apt-get when a package is absent.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5charts5-dev qttools5-dev qttools5-dev-tools
    libhidapi-dev qttranslations5-l10n
    libqcustomplot-dev # only bench/chart_tick compares against it
    fonts-font-awesome fonts-wqy-microhei fonts-urw-base35 fonts-dejavu-extra
    clang libclang-rt-dev
    g++-mingw-w64-x86-64-win32 file wine64 # the Windows crash reporter is cross-built and run under wine
    lintian appstream elfutils
    xvfb xauth
    tzdata # the local-time test reads two zones' files
    libmosquitto-dev mosquitto mosquitto-clients openssl
    libglib2.0-dev # a thread GLib starts, in the crash report tests
    dbus-daemon # a private bus for the sleep inhibitor's test
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
