#!/usr/bin/env bash
# Every program answers --help and --version with status 0 and rejects an unknown option with
# one line and status 2. The programs run inside a network namespace of their own (none of these
# answers opens a socket, but the tool must never run on the machine's own network).
# Usage: options_test.sh <folder of the programs> [runner]
# With a runner (scripts/wine-run), the folder holds the Windows build's .exe programs.
set -uo pipefail
bin=$1
runner=()
ext=
if [ $# -ge 2 ]; then
  runner=("$2")
  ext=.exe
  # A Wine prefix of this test's own: its wineserver lives in the namespace of the jail.
  export KESTRIVAL_WINEPREFIX=${KESTRIVAL_OPTIONS_WINEPREFIX:-$(dirname "$bin")/wine/options}
fi
if [ "$(id -u)" -eq 0 ]; then jail=(unshare -n); else jail=(unshare -rn); fi
"${jail[@]}" true 2>/dev/null || { echo "SKIPPED: no network namespace can be made"; exit 77; }
fail=0
expect() {  # expect <program> <arg> <status> <stream> <text>
  local out err rc
  out=$("${jail[@]}" env -u DISPLAY -u WAYLAND_DISPLAY ${runner[@]+"${runner[@]}"} "$bin/$1$ext" "$2" \
    2>/tmp/options_err.$$ | tr -d '\r')
  rc=$?
  err=$(tr -d '\r' </tmp/options_err.$$)
  rm -f /tmp/options_err.$$
  local seen=$out
  [ "$4" = err ] && seen=$err
  if [ "$rc" -ne "$3" ] || ! grep -qF -- "$5" <<<"$seen"; then
    echo "FAILED: $1 $2: status $rc (want $3), $4: ${seen:0:200} (want '$5')"
    fail=1
  else
    echo "ok: $1 $2"
  fi
  if [ "$3" -eq 2 ] && [ "$(wc -l <<<"$err")" -ne 1 ]; then
    echo "FAILED: $1 $2: more than one line on standard error"
    fail=1
  fi
}
for p in kestrival kestrival-demo kestrival-headless kestrival-sim kestrival-cli; do
  [ -x "$bin/$p$ext" ] || continue
  expect "$p" --help 0 out "Usage: $p"
  expect "$p" --help 0 out "Exit status"
  expect "$p" --version 0 out "$p "
  expect "$p" --bogus 2 err "$p: unknown option '--bogus'"
  if [ "$p" = kestrival-cli ]; then  # its first word is a command
    expect "$p" stray 2 err "$p: unknown command 'stray'"
  else
    expect "$p" stray 2 err "$p: unknown option 'stray'"
  fi
done
expect kestrival-headless --help 0 out "JSON"
expect kestrival-headless --help 0 out "click ID"
exit $fail
