#!/usr/bin/env bash
# `make package`: looks into the Debian package it built and runs the program
# from the package's own files, without a display, the way a fresh machine
# would after `apt install ./tarnivell_*.deb`.
# Usage: check-package.sh PACKAGE.deb EXAMPLES-SOURCE-FOLDER
set -euo pipefail
deb=$1
examples=$2
fail() { echo "check-package: $*" >&2; exit 1; }

echo "== $deb"
dpkg-deb --info "$deb"

# The libraries come from dpkg-shlibdeps, the platform plugins by name.
depends=$(dpkg-deb --field "$deb" Depends)
names=$(sed 's/ ([^)]*)//g; s/, /\n/g' <<<"$depends")
for needed in libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins libc6 libstdc++6; do
    grep -Fqx "$needed" <<<"$names" || fail "Depends lacks $needed: $depends"
done

files=$(dpkg-deb --contents "$deb" | awk '{print $6}')
for path in ./usr/bin/tarnivell ./usr/share/applications/tarnivell.desktop \
    ./usr/share/icons/hicolor/scalable/apps/tarnivell.svg ./usr/share/man/man1/tarnivell.1.gz; do
    grep -qx "$path" <<<"$files" || fail "$path is not in the package"
done
shipped=$(find "$examples" -maxdepth 1 -name '*.ini' | wc -l)
packaged=$(grep -c '^\./usr/share/tarnivell/examples/[^/]*\.ini$' <<<"$files" || true)
[ "$shipped" -eq "$packaged" ] || fail "$packaged of the $shipped examples are in the package"
outside=$(grep -v -e '^\./usr/' -e '^\./$' <<<"$files" || true)
[ -z "$outside" ] || fail "files outside /usr: $outside"

# Installed by dpkg into a scratch root (its own empty package database, so the
# dependencies are taken as given there), or unpacked where dpkg may not run.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
if [ "$(id -u)" -eq 0 ]; then
    mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
    touch "$root/var/lib/dpkg/status"
    dpkg --root="$root" --force-depends --install "$deb" >/dev/null 2>&1 ||
        fail "dpkg could not install the package into a scratch root"
    dpkg --root="$root" --status tarnivell | grep -q '^Status: install ok installed' ||
        fail "dpkg does not list the package as installed in the scratch root"
    echo "dpkg installs the package into a scratch root"
else
    dpkg-deb --extract "$deb" "$root"
fi
bin=$root/usr/bin/tarnivell
run() { env -u DISPLAY -u WAYLAND_DISPLAY "$bin" "$@"; }

run --version
run --help | grep -q -- '--batch MODEL.ini' || fail "--help lists no batch mode"
for model in "$root"/usr/share/tarnivell/examples/*.ini; do
    rows=$(run --batch "$model" --steps 100 --every 10 | wc -l)
    [ "$rows" -eq 12 ] || fail "--batch $(basename "$model") gave $rows lines"
done
echo "every example runs in batch from the package"

# The manual page is well-formed roff that names the program, the desktop entry
# passes the freedesktop checks and the icon renders.
zcat "$root/usr/share/man/man1/tarnivell.1.gz" | groff -man -Tutf8 -ww -z 2>&1 | grep . &&
    fail "the manual page has roff warnings"
MANWIDTH=80 man -l "$root/usr/share/man/man1/tarnivell.1.gz" 2>/dev/null | grep -q -- '--batch' ||
    fail "the manual page does not render"
desktop-file-validate "$root/usr/share/applications/tarnivell.desktop"
rsvg-convert -w 48 -h 48 "$root/usr/share/icons/hicolor/scalable/apps/tarnivell.svg" -o "$root/icon.png"

# On this machine itself only a dry run: it checks that every dependency is
# installed (and needs root).
if [ "$(id -u)" -ne 0 ]; then
    echo "not root: dpkg's dry run on this machine skipped"
elif dpkg --dry-run --install "$deb" >/dev/null 2>&1; then
    echo "dpkg would install the package here: its dependencies are all installed"
else
    dpkg --dry-run --install "$deb" || true
    fail "dpkg would not install the package here"
fi
echo "== $deb is fine"
