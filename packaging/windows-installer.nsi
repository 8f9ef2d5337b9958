; Installer for the Windows programs: everything of the zip into Program Files, a Start-menu entry
; for the window, and an uninstaller. makensis -DVERSION=... -DSTAGE=<unpacked zip> -DOUT=<setup.exe>
Unicode true
SetCompressor /SOLID lzma
Name "VARNEK-Q42 Panel ${VERSION}"
OutFile "${OUT}"
InstallDir "$PROGRAMFILES64\q42-panel"
RequestExecutionLevel admin
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\q42-panel"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\VARNEK-Q42 Panel.lnk" "$INSTDIR\q42-panel.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VARNEK-Q42 Panel"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\VARNEK-Q42 Panel.lnk"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
