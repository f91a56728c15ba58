#!/usr/bin/env bash
# Where the Windows programs keep the language: config.ini beside the program when its folder can
# be written (the portable zip), %APPDATA%\Kestrival\config.ini when it cannot (Program Files for
# a user who is not an administrator), written in Windows line ends.
# Wine runs as root here, and root writes everywhere: the test runs in a mount namespace of its
# own, where the program folder is bind-mounted read-only, and starts the prefix's wineserver and
# the program there (Wine opens files through the wineserver). Also in a network namespace of its
# own; the headless driver runs with --demo (simulated readers inside the process).
# Usage: user_settings_test.sh <bin folder>
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
bin=$1
need wine
need wineserver
need unshare
need ip
[ "$(id -u)" -eq 0 ] || { echo "SKIPPED: a read-only bind mount needs root"; exit 77; }
need_file "$bin/kestrival-headless.exe" "kestrival-headless.exe"
need_file "$bin/language.csv" "language.csv"
# A mount namespace and a network namespace of the test's own (the one it started in is named in
# the environment, to know the new one).
if [ -z "${KESTRIVAL_TEST_OUTER_MNTNS:-}" ] ||
  [ "$KESTRIVAL_TEST_OUTER_MNTNS" = "$(readlink /proc/self/ns/mnt)" ]; then
  KESTRIVAL_TEST_OUTER_MNTNS=$(readlink /proc/self/ns/mnt)
  KESTRIVAL_TEST_OUTER_NETNS=$(readlink /proc/self/ns/net)
  export KESTRIVAL_TEST_OUTER_MNTNS KESTRIVAL_TEST_OUTER_NETNS
  exec unshare -n -m --propagation private bash "$0" "$@"
fi
in_own_netns "$@"
work_dir user_settings

prefix=$work/prefix
new_prefix "$prefix"
c=$prefix/drive_c
user=$(find "$c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public -printf '%f\n' | head -n1)
per_user=$c/users/$user/AppData/Roaming/Kestrival/config.ini

# The title's line of language.csv (Text::WindowTitle), column 1 Chinese, column 2 English, as
# the driver's "title_hex" shows it.
title_hex() {  # <column>
  printf '%s' "$(sed -n 93p "$bin/language.csv" | tr -d '\r' | cut -d, -f"$1")" | od -An -tx1 | tr -d ' \n'
}
chinese="\"title_hex\":\"$(title_hex 1)\""
english="\"title_hex\":\"$(title_hex 2)\""

headless() {  # <Windows path> <commands...>: the driver's replies, one line each
  local exe=$1
  shift
  printf '%s\n' "$@" | run_wine "$prefix" 60 "$exe" --demo | tr -d '\r'
}
# The language menu of the right button, English chosen, then the title.
choose_english=("rclick 5 5" "menu 3093" "title" "quit")
reply_has() {  # <text> <replies>
  grep -qF -- "$1" <<<"$2" || { echo "no $1 in:"; echo "$2"; return 1; }
}
# [themes] language=2 in Windows line ends: every line ends in CR LF, none in CR CR LF.
windows_ini_english() {  # <file>
  [ -f "$1" ] || { echo "no $1"; return 1; }
  local text lines crlf
  text=$(tr -d '\r' <"$1")
  grep -qx '\[themes\]' <<<"$text" && grep -qx 'language=2' <<<"$text" ||
    { echo "no [themes] language=2 in:"; cat -A "$1"; return 1; }
  lines=$(grep -c '' "$1")
  crlf=$(grep -c $'\r$' "$1" || true)
  [ "$lines" -eq "$crlf" ] && ! grep -q $'\r\r' "$1" || { echo "line ends:"; cat -A "$1"; return 1; }
}
only_files() {  # <folder> <names...>: the folder holds these files and no other
  local expected actual
  expected=$(printf '%s\n' "${@:2}" | sort)
  actual=$(ls -A "$1" | sort)
  same_text "$expected" "$actual"
}

echo "== a program folder that cannot be written (C:\\Program Files\\Kestrival)"
ro=$c/"Program Files/Kestrival"
mkdir -p "$ro"
cp "$bin/kestrival-headless.exe" "$bin/language.csv" "$ro/"
read_only "$ro"
check "root cannot write the program folder" bash -c "! touch '$ro/probe' 2>/dev/null"
replies=$(headless 'C:\Program Files\Kestrival\kestrival-headless.exe' "${choose_english[@]}")
check "the language menu switches to English" reply_has "$english" "$replies"
check "the choice is kept in %APPDATA%\\Kestrival\\config.ini" windows_ini_english "$per_user"
check "the program folder gets no config.ini" only_files "$ro" kestrival-headless.exe language.csv
replies=$(headless 'C:\Program Files\Kestrival\kestrival-headless.exe' "title" "quit")
check "the next start reads the choice from there" reply_has "$english" "$replies"
cp "$per_user" "$work/per-user.ini"

echo "== a program folder that can be written (C:\\Kestrival, the portable zip)"
rw=$c/Kestrival
mkdir -p "$rw"
cp "$bin/kestrival-headless.exe" "$bin/language.csv" "$rw/"
replies=$(headless 'C:\Kestrival\kestrival-headless.exe' "title" "${choose_english[@]}")
check "it starts in Chinese: the per-user file is not read" \
  reply_has "$chinese" "$(head -n1 <<<"$replies")"
check "the language menu switches to English" reply_has "$english" "$(tail -n +2 <<<"$replies")"
check "the choice is kept in config.ini beside the program" windows_ini_english "$rw/config.ini"
check "the per-user file is left as it was" cmp "$work/per-user.ini" "$per_user"
exit $fail
