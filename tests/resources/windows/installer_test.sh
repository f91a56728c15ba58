#!/usr/bin/env bash
# The installer under Wine, as an administrator runs it with /S: every file in
# C:\Program Files\Kestrival, the two Start-menu entries, the entry in the installed programs list,
# the firewall rules (netsh is a recording stand-in: Wine's own does nothing); the installed
# programs start and find their language.csv; then the uninstaller with /S takes all of it away
# again and leaves the user's settings in %APPDATA%\Kestrival.
# Everything under Wine runs inside a network namespace of the test's own; the headless driver
# runs with --demo (simulated readers inside the process).
# Usage: installer_test.sh <setup.exe> <bin folder> <netsh stand-in .exe> <version>
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
setup=$1 bin=$2 stub=$3 version=$4
need wine
need wineserver
need ip
need_file "$setup" "the installer"
need_file "$stub" "the netsh stand-in"
in_own_netns "$@"
work_dir installer

prefix=$work/prefix
new_prefix "$prefix"
c=$prefix/drive_c
dir=$c/"Program Files/Kestrival"
windir='C:\Program Files\Kestrival'
menu=$c/"ProgramData/Microsoft/Windows/Start Menu/Programs"
programs="kestrival.exe kestrival-demo.exe kestrival-cli.exe kestrival-headless.exe kestrival-sim.exe"
user=$(find "$c/users" -mindepth 1 -maxdepth 1 -type d ! -name Public -printf '%f\n' | head -n1)
appdata=$c/users/$user/AppData/Roaming/Kestrival

# netsh.exe records its command lines in C:\netsh-calls.log; "n": the file in system32, not
# Wine's built-in netsh.
rm -f "$c/windows/system32/netsh.exe"
cp "$stub" "$c/windows/system32/netsh.exe"
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;netsh.exe=n"
calls=$c/netsh-calls.log

netsh='"C:\windows\system32\netsh.exe" advfirewall firewall'
rule='name="Kestrival (UDP 24680)"'
allow="add rule $rule dir=in action=allow protocol=UDP localport=24680"

# The key of the installed programs list as system.reg writes it: its value lines.
uninstall_key() {
  awk '/^\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Kestrival\]/ {on=1; next}
       on && /^$/ {exit}
       on && /^"/ {print}' "$prefix/system.reg"
}
has_line() {  # has_line <line> <text>
  grep -qxF -- "$1" <<<"$2" || { echo "no line: $1"; echo "in:"; echo "$2"; return 1; }
}
# EstimatedSize is the folder's size in KiB.
estimated_size_fits() {
  local line value bytes
  line=$(grep '^"EstimatedSize"=dword:' <<<"$1") || { echo "no EstimatedSize"; return 1; }
  value=$((16#${line#*dword:}))
  bytes=$(du -sb --apparent-size "$dir" | cut -f1)
  [ "$value" -ge $((bytes / 1024 - 8)) ] && [ "$value" -le $((bytes / 1024 + 8)) ] ||
    { echo "EstimatedSize $value KiB, the folder holds $bytes bytes"; return 1; }
}
# A shortcut names its target's path (in its link information, in the system's code page).
shortcut_to() {  # <.lnk> <Windows path>
  [ -f "$1" ] || { echo "no $1"; return 1; }
  grep -qaF -- "$2" "$1" || { echo "$1 does not name $2"; return 1; }
}
# The headless driver's reply to "title" and "trace", with its language.csv or without it.
headless_replies() {  # <Windows path of kestrival-headless.exe>
  printf 'title\ntrace\nquit\n' | run_wine "$prefix" 60 "$1" --demo | tr -d '\r'
}
reply_has() {  # <text> <replies>
  grep -qF -- "$1" <<<"$2" || { echo "no $1 in:"; echo "$2"; return 1; }
}
reply_lacks() {
  ! grep -qF -- "$1" <<<"$2" || { echo "$1 in:"; echo "$2"; return 1; }
}

echo "== setup /S"
check "the setup runs silently" run_wine_to_end "$prefix" 180 "$setup" /S
for f in $programs language.csv; do
  check "$f installed" cmp "$bin/$f" "$dir/$f"
done
check "Uninstall.exe installed" test -f "$dir/Uninstall.exe"
check "Start menu: Kestrival" shortcut_to "$menu/Kestrival.lnk" "$windir\\kestrival.exe"
check "Start menu: Kestrival demo" shortcut_to "$menu/Kestrival demo.lnk" "$windir\\kestrival-demo.exe"
key=$(uninstall_key)
check "installed programs list: the entry" test -n "$key"
reg_dir='C:\\Program Files\\Kestrival'
for line in \
  '"DisplayName"="Kestrival"' \
  "\"DisplayVersion\"=\"$version\"" \
  '"Publisher"="The Kestrival developers"' \
  "\"UninstallString\"=\"\\\"$reg_dir\\\\Uninstall.exe\\\"\"" \
  "\"InstallLocation\"=\"$reg_dir\"" \
  "\"DisplayIcon\"=\"$reg_dir\\\\kestrival.exe,0\"" \
  '"NoModify"=dword:00000001' \
  '"NoRepair"=dword:00000001'; do
  check "installed programs list: ${line%%=*}" has_line "$line" "$key"
done
check "installed programs list: EstimatedSize" estimated_size_fits "$key"
expected="$netsh delete rule $rule
$netsh $allow program=\"$windir\\kestrival.exe\"
$netsh $allow program=\"$windir\\kestrival-cli.exe\""
check "firewall: the rules of an earlier installation removed, UDP 24680 let in for kestrival.exe and kestrival-cli.exe" \
  same_text "$expected" "$(cat "$calls" 2>/dev/null)"

echo "== the installed programs"
check "kestrival-cli.exe --version" same_text "kestrival-cli $version" \
  "$(run_wine "$prefix" 60 "$windir\\kestrival-cli.exe" --version | tr -d '\r')"
# The title's line of language.csv (line 93, Text::WindowTitle): Chinese, the language without a
# config.ini; the built-in table holds the same text, so the trace tells which one was read.
title_hex=$(printf '%s' "$(sed -n 93p "$dir/language.csv" | tr -d '\r' | cut -d, -f1)" | od -An -tx1 | tr -d ' \n')
replies=$(headless_replies "$windir\\kestrival-headless.exe")
check "kestrival-headless.exe --demo shows the title of its language.csv" \
  reply_has "\"title_hex\":\"$title_hex\"" "$replies"
check "kestrival-headless.exe read C:\\Program Files\\Kestrival\\language.csv" \
  reply_lacks "cannot be read" "$replies"
check "kestrival-headless.exe reads its settings beside it" \
  reply_has 'Kestrival\\config.ini language:1' "$replies"
# The same program without a language.csv beside it says so: the check above can fail.
mkdir -p "$c/no-language"
cp "$dir/kestrival-headless.exe" "$c/no-language/"
replies=$(headless_replies 'C:\no-language\kestrival-headless.exe')
check "without language.csv beside it, the trace says so" reply_has "cannot be read" "$replies"

echo "== Uninstall.exe /S"
mkdir -p "$appdata"
printf '[themes]\r\nlanguage=2\r\n' | tee "$appdata/config.ini" >"$work/user-config.ini"
: >"$calls"
check "the uninstaller runs silently" run_wine_to_end "$prefix" 180 "$windir\\Uninstall.exe" /S
check "the program folder is gone" test ! -e "$dir"
check "Start menu: Kestrival gone" test ! -e "$menu/Kestrival.lnk"
check "Start menu: Kestrival demo gone" test ! -e "$menu/Kestrival demo.lnk"
check "installed programs list: the entry gone" test -z "$(uninstall_key)"
check "firewall: the rules removed" same_text "$netsh delete rule $rule" "$(cat "$calls" 2>/dev/null)"
check "the user's settings in %APPDATA%\\Kestrival stay" cmp "$work/user-config.ini" "$appdata/config.ini"
exit $fail
