; Installer of the Windows programs, 64-bit: the files of the zip into Program Files, a Start-menu
; entry for every user, an uninstall entry, and an uninstaller that removes exactly what was
; installed. Silent: setup.exe /S [/D=folder]; uninstall.exe /S.
;   makensis -DVERSION=1.0.0 -DSTAGE=<unpacked zip> -DFILES=<files.nsh> -DREMOVE=<remove.nsh> -DOUT=<setup.exe>
; FILES and REMOVE list the staged files and folders; scripts/package-windows.sh writes them.
Target amd64-unicode
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\q42-panel"
!define SHORTCUT "$SMPROGRAMS\VARNEK-Q42 Panel.lnk"
Unicode true
SetCompressor /SOLID lzma
Name "VARNEK-Q42 Panel ${VERSION}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\VARNEK-Q42 Panel"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "VARNEK-Q42 Panel"
VIAddVersionKey "FileDescription" "VARNEK-Q42 Panel ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "The q42-panel developers"
VIAddVersionKey "LegalCopyright" "Copyright (C) 2026 The q42-panel developers. MIT licence."
!include "FileFunc.nsh"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Function .onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
FunctionEnd

Section "Install"
  ; An earlier version goes first, by its own uninstaller, so that no file of it stays behind and
  ; one entry remains.
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  StrCmp $0 "" fresh
  IfFileExists "$0\uninstall.exe" 0 fresh
  ExecWait '"$0\uninstall.exe" /S _?=$0'
  Delete "$0\uninstall.exe"
  RMDir "$0"
fresh:
  SetOutPath "$INSTDIR"
  !include "${FILES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  SetOutPath "$INSTDIR"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\q42-panel.exe" "" "$INSTDIR\q42-panel.exe" 0
  ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VARNEK-Q42 Panel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The q42-panel developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\q42-panel.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "${SHORTCUT}"
  ; Only what was installed: a file of the user's in the folder stays, and so does the folder then.
  !include "${REMOVE}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
