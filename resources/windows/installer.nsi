; The Windows installer of Kestrival, kestrival-<version>-setup.exe: the five programs and
; language.csv into Program Files\Kestrival, two Start-menu entries, an entry in the installed
; programs list with its uninstaller, and a Windows Firewall rule that lets the readers' replies in
; on UDP port 24680. "setup.exe /S" installs silently, "Uninstall.exe /S" removes it silently.
;
; Built by resources/windows/windows.cmake:
;   makensis -DVERSION=1.0.0.1 -DBINDIR=build-windows/bin -DOUTFILE=...-setup.exe
;            [-DICON=kestrival.ico] installer.nsi
; Every program of BINDIR must be there: a missing one fails the build.

Unicode true
; A 64-bit installer: it runs where the programs run, writes the 64-bit registry view, and needs
; no 32-bit Wine to be tested.
Target amd64-unicode
RequestExecutionLevel admin
ManifestDPIAware true
SetCompressor /SOLID lzma

!ifndef VERSION | BINDIR | OUTFILE
  !error "define VERSION, BINDIR and OUTFILE (-DVERSION=... -DBINDIR=... -DOUTFILE=...)"
!endif

!define PRODUCT "Kestrival"
!define PUBLISHER "The Kestrival developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrival"
; One rule name for both programs that receive the replies: the uninstaller removes it by name.
!define FIREWALL_RULE "Kestrival (UDP 24680)"
!define FIREWALL_PORT 24680
!define NETSH '"$SYSDIR\netsh.exe" advfirewall firewall'

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kestrival"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!ifdef ICON
  !define MUI_ICON "${ICON}"
  !define MUI_UNICON "${ICON}"
!endif
!define MUI_ABORTWARNING

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The installer speaks the language of the Windows it runs on: Chinese or English.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

; Shortcuts and the registry entry for every user of the machine, in the 64-bit view.
Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

; The programs that receive on UDP port 24680 each get a rule that lets the port in.
!macro AllowProgram PROGRAM
  nsExec::ExecToLog '${NETSH} add rule name="${FIREWALL_RULE}" dir=in action=allow protocol=UDP localport=${FIREWALL_PORT} program="$INSTDIR\${PROGRAM}"'
  Pop $0
  StrCmp $0 "0" +2
    DetailPrint "Windows Firewall: the rule for ${PROGRAM} was not added ($0)"
!macroend

Section "Kestrival" SectionPrograms
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BINDIR}/kestrival.exe"
  File "${BINDIR}/kestrival-demo.exe"
  File "${BINDIR}/kestrival-cli.exe"
  File "${BINDIR}/kestrival-headless.exe"
  File "${BINDIR}/kestrival-sim.exe"
  File "${BINDIR}/language.csv"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Started in the program folder, where they find language.csv.
  CreateShortcut "$SMPROGRAMS\Kestrival.lnk" "$INSTDIR\kestrival.exe" "" "$INSTDIR\kestrival.exe" 0
  CreateShortcut "$SMPROGRAMS\Kestrival demo.lnk" "$INSTDIR\kestrival-demo.exe" "" \
                 "$INSTDIR\kestrival-demo.exe" 0

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrival.exe,0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"

  ; The readers answer a search with datagrams to port 24680, which a firewall that keeps state
  ; drops. The rules of an earlier installation go first, so that installing again adds no
  ; second copy.
  nsExec::ExecToLog '${NETSH} delete rule name="${FIREWALL_RULE}"'
  Pop $0
  !insertmacro AllowProgram "kestrival.exe"
  !insertmacro AllowProgram "kestrival-cli.exe"
SectionEnd

; Removes what the installer put there, and the program folder's config.ini (kept there when the
; folder could be written); each user's %APPDATA%\Kestrival stays.
Section "Uninstall"
  nsExec::ExecToLog '${NETSH} delete rule name="${FIREWALL_RULE}"'
  Pop $0

  Delete "$SMPROGRAMS\Kestrival.lnk"
  Delete "$SMPROGRAMS\Kestrival demo.lnk"

  Delete "$INSTDIR\kestrival.exe"
  Delete "$INSTDIR\kestrival-demo.exe"
  Delete "$INSTDIR\kestrival-cli.exe"
  Delete "$INSTDIR\kestrival-headless.exe"
  Delete "$INSTDIR\kestrival-sim.exe"
  Delete "$INSTDIR\language.csv"
  Delete "$INSTDIR\config.ini"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: a file someone put into the folder keeps it, and the folder with it.
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
