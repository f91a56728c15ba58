#!/usr/bin/env bash
# scripts/demo without a display says so and stops before it installs or builds anything.
set -uo pipefail
root=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u KESTRIVAL_XVFB \
  KESTRIVAL_BUILD="$scratch/build" "$root/scripts/demo" 2>&1)
rc=$?
fail=0
[ "$rc" -eq 2 ] || { echo "FAILED: status $rc, want 2"; fail=1; }
grep -q "No display found" <<<"$out" || { echo "FAILED: no word about the display: $out"; fail=1; }
[ ! -e "$scratch/build" ] || { echo "FAILED: it configured a build first"; fail=1; }
exit $fail
