#!/usr/bin/env bash
# Sets up, builds and starts the program. With no instrument on USB it attaches the simulated one;
# pass your own options (for example --demo=NV05 or --demo=HK07:2,5) to override.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup-debian.sh
scripts/build.sh
# The debug log (about fourteen lines a second while polling) stays off unless asked for, e.g.
# QT_LOGGING_RULES='*.debug=true' scripts/run.sh
export QT_LOGGING_RULES="${QT_LOGGING_RULES:-*.debug=false}"
args=("$@")
if [ ${#args[@]} -eq 0 ]; then
    # 0483:5750 on the bus means a real instrument is plugged in.
    if ! grep -qsi 'HID_ID=0003:00000483:00005750' /sys/class/hidraw/*/device/uevent; then
        args=(--demo)
    fi
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display found: starting under xvfb-run (nothing visible; use a desktop session to see it)."
    exec xvfb-run -a build/app/usb-tester "${args[@]}"
fi
exec build/app/usb-tester "${args[@]}"
