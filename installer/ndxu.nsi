; SPDX-License-Identifier: MIT
; The Windows installer: the wizard and the console program, a Start-menu
; shortcut to the wizard, and an uninstaller listed among the installed
; programs. Silent with /S (and /D=DIR for another directory). Built by
; scripts/package-windows, which defines:
;   VERSION  the program's version, project(VERSION) of the top CMakeLists.txt
;   BINDIR   the directory holding ndxu-upgrade-wizard.exe and ndxu-upgrade.exe
;   SRCDIR   the source tree (LICENSE, README.md)
;   OUTFILE  the installer to write

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "NDXU Upgrade Wizard"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\NDXU Upgrade Wizard"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
Icon "${BINDIR}\ndxu-upgrade-wizard.ico"
UninstallIcon "${BINDIR}\ndxu-upgrade-wizard.ico"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "MIT License"

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles
LicenseData "${SRCDIR}\LICENSE"

; The shortcut is every user's, as the programs are.
Function .onInit
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  File "${BINDIR}\ndxu-upgrade-wizard.exe"
  File "${BINDIR}\ndxu-upgrade.exe"
  File "/oname=LICENSE.txt" "${SRCDIR}\LICENSE"
  File "/oname=README.txt" "${SRCDIR}\README.md"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Started from the menu, the wizard asks for the package directory.
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\ndxu-upgrade-wizard.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\ndxu-upgrade-wizard.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$INSTDIR\ndxu-upgrade-wizard.exe"
  Delete "$INSTDIR\ndxu-upgrade.exe"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
