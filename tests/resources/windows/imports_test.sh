#!/usr/bin/env bash
# Every .exe of the Windows build's bin/ imports only DLLs that every Windows has (no libstdc++,
# libgcc or winpthread beside it), and the five programs are there with their subsystems: the two
# window programs windows-subsystem, the other three console.
# Usage: imports_test.sh <bin folder>
set -euo pipefail
source "$(dirname "$0")/wine_test_lib.sh"
bin=$1
objdump=x86_64-w64-mingw32-objdump
need $objdump

# The system DLLs (lower case, without .dll), and the API sets api-ms-win-*.
system='kernel32 user32 gdi32 comctl32 comdlg32 ws2_32 iphlpapi advapi32 shell32 shlwapi ole32
oleaut32 uxtheme msvcrt ucrtbase bcrypt version winmm dwmapi'

imports_only_system_dlls() {  # <exe>: the DLLs that are not system DLLs, if any
  local dll name bad=()
  while read -r dll; do
    name=$(tr '[:upper:]' '[:lower:]' <<<"${dll%.[dD][lL][lL]}")
    case " $(tr '\n' ' ' <<<"$system") " in
      *" $name "*) continue ;;
    esac
    [[ $name == api-ms-win-* ]] && continue
    bad+=("$dll")
  done < <($objdump -p "$1" | sed -n 's/^[[:space:]]*DLL Name: //p')
  [ ${#bad[@]} -eq 0 ] || { echo "imports ${bad[*]}"; return 1; }
}

subsystem_is() {  # <exe> <"Windows GUI"|"Windows CUI">
  local line
  line=$($objdump -p "$1" | grep -E '^Subsystem[[:space:]]')
  grep -qF "($2)" <<<"$line" || { echo "$line"; return 1; }
}

for p in kestrival kestrival-demo kestrival-cli kestrival-headless kestrival-sim; do
  check "$p.exe is built" test -f "$bin/$p.exe"
done
shopt -s nullglob
exes=("$bin"/*.exe)
check "bin/ holds programs" test ${#exes[@]} -gt 0
for exe in "${exes[@]}"; do
  check "$(basename "$exe") imports only system DLLs" imports_only_system_dlls "$exe"
done
# A real Windows gives a windows-subsystem program no console: it attaches to the one it was
# started from to answer --help and --version (Wine prints without, so the call is looked for).
imports_function() {  # <exe> <function>
  $objdump -p "$1" | grep -E "^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+$2\$" >/dev/null
}
for p in kestrival kestrival-demo; do
  if [ -f "$bin/$p.exe" ]; then
    check "$p.exe is a windows-subsystem program" subsystem_is "$bin/$p.exe" "Windows GUI"
    check "$p.exe attaches to its parent's console" imports_function "$bin/$p.exe" AttachConsole
  fi
done
for p in kestrival-cli kestrival-headless kestrival-sim; do
  if [ -f "$bin/$p.exe" ]; then check "$p.exe is a console program" subsystem_is "$bin/$p.exe" "Windows CUI"; fi
done
exit $fail
