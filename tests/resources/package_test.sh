#!/usr/bin/env bash
# The installed files and the Debian package, checked with the platform's own tools:
# desktop-file-validate on the installed entry, appstreamcli on the metainfo, the package's
# contents and dependencies, and lintian without errors.
# Usage: package_test.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail=0
check() {  # check <what> <command...>: one line per check, the output of a failure after it
  local what=$1
  shift
  if out=$("$@" 2>&1); then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    echo "$out" | sed 's/^/    /'
    fail=1
  fi
}
need() {
  command -v "$1" >/dev/null || { echo "SKIPPED: $1 is not installed (scripts/ensure-packages)"; exit 77; }
}
need desktop-file-validate
need appstreamcli
need lintian
need dpkg-deb

DESTDIR="$scratch/root" cmake --install "$build" --prefix /usr >/dev/null
root=$scratch/root/usr
check "desktop entry valid" desktop-file-validate "$root/share/applications/kestrival.desktop"
check "metainfo valid" appstreamcli validate --no-net --pedantic \
  "$root/share/metainfo/io.github.kestrival.Kestrival.metainfo.xml"
for size in 16 24 32 48 64 128 256; do
  check "icon ${size}x${size}" test -s "$root/share/icons/hicolor/${size}x${size}/apps/kestrival.png"
done
check "scalable icon" grep -q "<svg" "$root/share/icons/hicolor/scalable/apps/kestrival.svg"

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/pkg" >/dev/null)
deb=$(ls "$scratch"/pkg/kestrival_*.deb)
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/lib/kestrival/kestrival ./usr/lib/kestrival/kestrival-demo \
  ./usr/lib/kestrival/kestrival-cli ./usr/bin/kestrival-cli ./usr/share/man/man1/kestrival-cli.1.gz \
  ./usr/lib/kestrival/language.csv ./usr/bin/kestrival ./usr/bin/kestrival-demo \
  ./usr/share/applications/kestrival.desktop \
  ./usr/share/metainfo/io.github.kestrival.Kestrival.metainfo.xml \
  ./usr/share/icons/hicolor/256x256/apps/kestrival.png \
  ./usr/lib/firewalld/services/kestrival.xml ./etc/ufw/applications.d/kestrival \
  ./usr/share/man/man1/kestrival.1.gz ./usr/share/man/man1/kestrival-demo.1.gz; do
  check "package holds $path" grep -qxF "$path" <<<"$contents"
done
depends=$(dpkg-deb -f "$deb" Depends)
check "depends on a CJK font" grep -q "fonts-wqy-microhei | fonts-noto-cjk" <<<"$depends"
check "depends on the Qt 6 widgets" grep -q "libqt6widgets6" <<<"$depends"
errors=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep '^E:' || true)
check "lintian reports no errors" test -z "$errors"
[ -n "$errors" ] && echo "$errors" | sed 's/^/    /'
exit $fail
