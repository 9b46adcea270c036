#!/usr/bin/env bash
# Builds the Debian package, checks its contents and dependencies, and starts the program from
# the unpacked package with the simulated instrument.
# Usage: check_deb.sh CPACK BUILD_DIR WORK_DIR
set -euo pipefail
cpack=$1
build=$2
work=$3
rm -rf "$work"
mkdir -p "$work/run"

if ! "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log"
    exit 1
fi
deb=$(echo "$work"/usb-tester_*.deb)
echo "built $deb"
dpkg-deb -c "$deb" | tee "$work/contents.txt"

failures=0
fail() {
    echo "FAIL: $1"
    failures=$((failures + 1))
}
for path in ./usr/bin/usb-tester ./usr/lib/udev/rules.d/70-usb-tester.rules \
    ./usr/share/applications/usb-tester.desktop ./usr/share/icons/hicolor/128x128/apps/usb-tester.png \
    ./usr/share/icons/hicolor/48x48/apps/usb-tester.png ./usr/share/icons/hicolor/64x64/apps/usb-tester.png \
    ./usr/share/icons/hicolor/256x256/apps/usb-tester.png ./usr/share/icons/hicolor/scalable/apps/usb-tester.svg \
    ./usr/share/man/man1/usb-tester.1.gz ./usr/share/doc/usb-tester/copyright \
    ./usr/share/doc/usb-tester/changelog.gz ./usr/share/metainfo/invalid.talmir.usb_tester.metainfo.xml \
    ./usr/lib/systemd/user/usb-tester-headless.service ./usr/bin/usb-tester-symbolise \
    ./usr/share/man/man1/usb-tester-symbolise.1.gz; do
    grep -q " $path\$" "$work/contents.txt" || fail "missing $path"
done
grep -q ' \./etc/' "$work/contents.txt" && fail "files under /etc"

depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for package in libqt5widgets5 libhidapi-hidraw0 libc6; do
    [[ "$depends" == *"$package"* ]] || fail "no dependency on $package"
done

# Unpacked where any user can reach it, read-only, and started in a working folder of its own;
# it quits after painting its first window. Root may write anywhere, so root runs it as nobody.
root=$(mktemp -d /tmp/usb-tester-deb.XXXXXX)
trap 'chmod -R u+w "$root"; rm -rf "$root"' EXIT
chmod 755 "$root"
dpkg-deb -x "$deb" "$root/tree"
mkdir "$root/run"
desktop=$root/tree/usr/share/applications/usb-tester.desktop
grep -qx 'Exec=usb-tester' "$desktop" || fail "desktop entry does not start usb-tester"
grep -qx 'Icon=usb-tester' "$desktop" || fail "desktop entry names another icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop" || fail "desktop entry not valid"
fi
if command -v appstreamcli >/dev/null; then
    appstreamcli validate --no-net "$root/tree/usr/share/metainfo/invalid.talmir.usb_tester.metainfo.xml" ||
        fail "AppStream metadata not valid"
fi
[ "$(head -c 8 "$root/tree/usr/share/icons/hicolor/128x128/apps/usb-tester.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "icon is not a PNG"
chmod -R a-w "$root/tree"
as_user=()
if [ "$(id -u)" -eq 0 ] && command -v runuser >/dev/null; then
    chown nobody "$root/run"
    as_user=(runuser -u nobody --)
fi
output=$(cd "$root/run" && "${as_user[@]}" env HOME="$root/run" QT_QPA_PLATFORM=offscreen \
    USB_TESTER_QUIT_AFTER_PAINT=1 timeout 60 "$root/tree/usr/bin/usb-tester" --demo 2>&1) ||
    fail "program exited with $?"
grep -q '^first-paint-ms' <<<"$output" || fail "no window painted: $output"

# The installed layout again, this time writable and run by the current user (root in CI, who
# may write anywhere): a run is recorded and ended from one working folder, the next start from
# another recovers or finds it. Its data file, journal and settings go to the user's folders;
# nothing is written below the prefix, and no debug line is printed unless asked for.
cycle=$root/cycle
mkdir -p "$cycle/home" "$cycle/first" "$cycle/second"
dpkg-deb -x "$deb" "$cycle/tree"
find "$cycle/tree" -printf '%p %s %T@\n' | sort >"$cycle/before.txt"
exe=$cycle/tree/usr/bin/usb-tester
as_installed=(env -u XDG_CONFIG_HOME -u XDG_DATA_HOME -u QT_LOGGING_RULES HOME="$cycle/home"
    QT_QPA_PLATFORM=offscreen QT_MESSAGE_PATTERN='%{type} %{category}: %{message}')
(cd "$cycle/first" && timeout -s TERM 16 "${as_installed[@]}" "$exe" --demo=NV05 \
    >/dev/null 2>"$cycle/first.log") || true
(cd "$cycle/second" && "${as_installed[@]}" USB_TESTER_QUIT_AFTER_PAINT=1 timeout 60 "$exe" \
    --demo=NV05 --verbose >/dev/null 2>"$cycle/second.log") || fail "second start exited with $?"
find "$cycle/tree" -printf '%p %s %T@\n' | sort >"$cycle/after.txt"
diff "$cycle/before.txt" "$cycle/after.txt" || fail "written below the prefix"
mapfile -t saved < <(find "$cycle/home/Documents/usb-tester" -name 'LoadData_*.csv' 2>/dev/null)
if [ "${#saved[@]}" -ne 1 ]; then
    fail "expected one data file in the user's documents, found ${#saved[@]}"
elif [ "$(wc -l <"${saved[0]}")" -lt 14 ]; then
    fail "data file ${saved[0]} holds fewer than ten rows"
fi
[ -z "$(find "$cycle/home" -name '*.journal')" ] || fail "a journal stayed after the recovery"
ini=$cycle/home/.config/usb-tester/usb-hid.ini
grep -q '^report_id=85' "$ini" 2>/dev/null || fail "settings not in the user's config folder"
[ ! -e "$cycle/first/usb-hid.ini" ] && [ ! -e "$cycle/second/usb-hid.ini" ] ||
    fail "settings written into the working folder"
[ "$(grep -c '^debug' "$cycle/first.log")" -eq 0 ] || fail "debug lines without --verbose"
grep -q '^debug' "$cycle/second.log" || fail "--verbose printed no debug line"
env -u DISPLAY "$exe" --version | grep -qx 'usb-tester [0-9.]*' || fail "--version"
# Read whole, then matched: grep -q stopping early would fail the pipe (pipefail).
symbolise_help=$("$cycle/tree/usr/bin/usb-tester-symbolise" --help)
grep -q '^Usage: usb-tester-symbolise' <<<"$symbolise_help" ||
    fail "usb-tester-symbolise --help"
help_text=$(env -u DISPLAY "$exe" --help)
grep -q -- '--demo <SETUP>' <<<"$help_text" || fail "--help without a display"
set +e
"${as_installed[@]}" "$exe" --no-such-option >/dev/null 2>"$cycle/bad.log"
status=$?
set -e
[ "$status" -eq 2 ] || fail "an unknown option exited with $status, not 2"
grep -q '^Usage:' "$cycle/bad.log" || fail "an unknown option printed no usage"
[ "$failures" -eq 0 ]
