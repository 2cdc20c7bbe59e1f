#!/usr/bin/env bash
# Builds the .deb from an already built tree, checks what it holds, validates its desktop entry
# and metainfo, unpacks it into a temporary root and runs quillonctl from there.
# Usage: package_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
  { cat "$work/cpack.log" >&2; fail "cpack failed"; }
arch=$(dpkg --print-architecture)
deb="$work/out/quillon_${version}_${arch}.deb"
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/files"
for path in /usr/bin/quillonctl /usr/bin/quillon-sim /usr/bin/quillon-config \
  /usr/lib/udev/rules.d/60-quillon.rules \
  /usr/share/applications/com.vorla.QuillonConfig.desktop \
  /usr/share/metainfo/com.vorla.QuillonConfig.metainfo.xml \
  /usr/share/icons/hicolor/scalable/apps/com.vorla.QuillonConfig.svg \
  /usr/share/icons/hicolor/48x48/apps/com.vorla.QuillonConfig.png \
  /usr/share/icons/hicolor/128x128/apps/com.vorla.QuillonConfig.png \
  /usr/share/man/man1/quillonctl.1.gz /usr/share/man/man1/quillon-sim.1.gz \
  /usr/share/man/man1/quillon-config.1.gz \
  /usr/share/bash-completion/completions/quillonctl /usr/share/doc/quillon/README.md \
  /usr/share/doc/quillon/copyright /usr/share/doc/quillon/changelog.gz; do
  grep -qx "$path" "$work/files" || fail "$path is not in the package"
done
grep -qE '^/usr/lib/(.*/)?quillon/libquillon-sound\.so$' "$work/files" ||
  fail "the test sound's player is not in the package"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libhidapi-hidraw0 libqt6widgets6; do
  [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done
dpkg-deb -e "$deb" "$work/control"
grep -q "udevadm control --reload-rules" "$work/control/postinst" || fail "postinst reloads no rules"

# Debian's own checks of the package: warnings are shown, errors fail.
command -v lintian >/dev/null || fail "lintian is missing (scripts/install-deps installs it)"
lintian --fail-on error "$deb" >"$work/lintian.log" 2>&1 ||
  { cat "$work/lintian.log" >&2; fail "lintian reports errors"; }

root="$work/root"
dpkg-deb -x "$deb" "$root"
zcat "$root/usr/share/doc/quillon/changelog.gz" | head -1 | grep -q "^quillon ($version) " ||
  fail "the changelog has no entry for $version: $(zcat "$root/usr/share/doc/quillon/changelog.gz" | head -1)"
needed=$(readelf -d "$root/usr/bin/quillon-config")
[[ $needed != *Multimedia* ]] || fail "quillon-config loads the media libraries on every start"
desktop-file-validate "$root/usr/share/applications/com.vorla.QuillonConfig.desktop"
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/com.vorla.QuillonConfig.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "metainfo does not validate"; }
for page in quillonctl quillon-sim quillon-config; do
  warnings=$(zcat "$root/usr/share/man/man1/$page.1.gz" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "$page.1: $warnings"
done
! grep -q 'MODE="0[0-7][0-7][2367]"' "$root/usr/lib/udev/rules.d/60-quillon.rules" ||
  fail "the udev rule makes the keypad writable by everyone"
grep -q 'TAG+="uaccess"' "$root/usr/lib/udev/rules.d/60-quillon.rules" || fail "no uaccess"

export HOME="$work/home" XDG_DATA_HOME="$work/home/data"
mkdir -p "$XDG_DATA_HOME"
"$root/usr/bin/quillonctl" --version | grep -q "^quillonctl $version" || fail "--version"
"$root/usr/bin/quillonctl" --simulate status >"$work/status" || fail "status exits $?"
grep -q "Device Connected" "$work/status" || fail "status printed: $(cat "$work/status")"
echo "package test: $(basename "$deb") passes; Depends: $depends"
