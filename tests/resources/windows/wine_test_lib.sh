# shellcheck shell=bash
# What the Windows package tests share (sourced): one line per check, a Wine prefix of the test's
# own copied from the template (scripts/wine-prefix), its wineserver stopped at the end, and a
# network namespace of the test's own for everything it starts under Wine.
#
# Each test works in $KESTRIVAL_BINARY_DIR/tests/resources/windows/<name>/ and removes it when
# every check passed; after a failure it stays for a look (the prefix with it).

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
binary=${KESTRIVAL_BINARY_DIR:-$root/build-windows}
export KESTRIVAL_WINE_TEMPLATE=${KESTRIVAL_WINE_TEMPLATE:-$binary/wine/template}
export WINEDEBUG=-all
# No Mono or Gecko installers; no menu entries or file associations on the Linux desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
fail=0

check() {  # check <what> <command...>: one line per check, the output of a failure after it
  local what=$1
  shift
  local out
  if out=$("$@" 2>&1); then
    echo "ok: $what"
  else
    echo "FAILED: $what"
    [ -n "$out" ] && echo "$out" | sed 's/^/    /'
    fail=1
  fi
}

need() {  # need <command>: skip the test (status 77) when the command is missing
  command -v "$1" >/dev/null || { echo "SKIPPED: $1 is not installed (scripts/ensure-packages)"; exit 77; }
}

need_file() {  # need_file <path> <what it is>: fail at once when a built file is missing
  [ -f "$1" ] || { echo "FAILED: $2 was not built: $1 (scripts/build-windows)"; exit 1; }
}

same_text() {  # same_text <expected> <actual>: equal, or both shown
  [ "$1" = "$2" ] && return 0
  printf 'expected:\n%s\nactual:\n%s\n' "$1" "$2"
  return 1
}

# in_own_netns "$@": runs the rest of the test inside a fresh network namespace (scripts/in-netns)
# that has nothing but a loopback interface, so that nothing it starts under Wine reaches a real
# network. The namespace the test started in is named in the environment, to know the new one.
in_own_netns() {
  local here
  here=$(readlink /proc/self/ns/net)
  if [ -n "${KESTRIVAL_TEST_OUTER_NETNS:-}" ] && [ "$KESTRIVAL_TEST_OUTER_NETNS" != "$here" ]; then
    only_loopback || { echo "FAILED: the test's network namespace has interfaces"; exit 1; }
    return 0
  fi
  export KESTRIVAL_TEST_OUTER_NETNS=$here
  exec "$root/scripts/in-netns" bash "$0" "$@"
}

only_loopback() {
  [ -z "$(ip -o link show | awk -F': ' '{print $2}' | grep -vx lo)" ]
}

# work_dir <name>: the test's folder, made empty; removed at the end when every check passed.
work_dir() {
  work=$binary/tests/resources/windows/$1
  rm -rf "$work"
  mkdir -p "$work"
}

# new_prefix <dest>: a Wine prefix copied from the template (made first when missing, under the
# lock scripts/wine-prefix takes). Its wineserver is stopped when the test ends.
prefixes=()
new_prefix() {
  "$root/scripts/wine-prefix" "$1"
  prefixes+=("$1")
}

# read_only <folder>: the folder bind-mounted read-only onto itself (in the test's own mount
# namespace: root cannot write it either); unmounted when the test ends.
mounts=()
read_only() {
  mount --bind "$1" "$1"
  mounts+=("$1")
  mount -o remount,bind,ro "$1"
}

finish() {
  local status=$?
  local p
  for p in "${prefixes[@]}"; do
    WINEPREFIX=$p wineserver -k 2>/dev/null || true
  done
  for p in "${mounts[@]}"; do
    umount "$p" || true
  done
  if [ "$status" -eq 0 ] && [ "$fail" -eq 0 ] && [ -n "${work:-}" ]; then
    rm -rf "$work"
  elif [ -n "${work:-}" ]; then
    echo "(the test's files stay in $work)"
  fi
}
trap finish EXIT

# run_wine <prefix> <timeout seconds> <program> [args...]: the program under Wine in that prefix,
# with the caller's standard input and output; Wine's own messages and the program's standard
# error go to $work/wine.log. The wineserver is started first with its output elsewhere, so that
# it holds nothing of the caller's (a command substitution would wait for it); it stays a second
# after its last program, for the next run.
run_wine() {
  local prefix=$1 seconds=$2
  shift 2
  WINEPREFIX=$prefix wineserver -p1 </dev/null >>"$work/wine.log" 2>&1 || true
  WINEPREFIX=$prefix timeout "$seconds" wine "$@" 2>>"$work/wine.log"
}

# wine_done <prefix>: waits until every program of the prefix has ended (an uninstaller goes on
# from a copy of itself) and its wineserver after them, which writes the registry files.
wine_done() {
  WINEPREFIX=$1 timeout 120 wineserver -w
}

# run_wine_to_end <prefix> <timeout seconds> <program> [args...]: run_wine, then wine_done.
run_wine_to_end() {
  local status=0
  run_wine "$@" || status=$?
  wine_done "$1" || status=$?
  return $status
}
