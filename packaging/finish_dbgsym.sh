#!/usr/bin/env bash
# Finishes the -dbgsym package that CPack writes, as Debian's own debug packages are: the debug
# sections compressed, the files not executable, the documentation folder a link to the program
# package's (copyright and changelog), and md5sums of the files as installed (CPack 3.25 lists
# them under its staging folder and leaves the debug file out).
# Usage: finish_dbgsym.sh PACKAGE.ddeb
set -euo pipefail
package=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
dpkg-deb -R "$package" "$work/root"
root=$work/root
name=$(sed -n 's/^Package: //p' "$root/DEBIAN/control")
while IFS= read -r -d '' debug; do
    objcopy --compress-debug-sections=zlib "$debug"
    chmod 0644 "$debug"
done < <(find "$root/usr/lib/debug" -type f -name '*.debug' -print0)
# It depends on exactly this version of the program's package, whose documentation applies.
mkdir -p "$root/usr/share/doc"
ln -s "${name%-dbgsym}" "$root/usr/share/doc/$name"
(cd "$root" && find usr -type f | sort | xargs -d '\n' md5sum) >"$root/DEBIAN/md5sums"
chmod 0644 "$root/DEBIAN/md5sums"
size=$(du -sk --exclude=DEBIAN "$root" | cut -f1)
sed -i "s/^Installed-Size: .*/Installed-Size: $size/" "$root/DEBIAN/control"
dpkg-deb --root-owner-group -Zxz --build "$root" "$package" >/dev/null
