; Sayvane's installer: per user, into the user's own programs folder, so that the settings
; file next to the program stays writable and no administrator rights are needed.
; makensis -DVERSION=1.00.0009 -DEXE=path\Sayvane.exe -DREADME=path\README.txt -DICON=path\Sayvane.ico
;          -DOUTFILE=path\setup.exe Sayvane.nsi

Unicode true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not defined"
!endif

Name "Sayvane"
OutFile "${OUTFILE}"
; The program's own icon on the installer and the uninstaller.
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$LOCALAPPDATA\Programs\Sayvane"
InstallDirRegKey HKCU "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sayvane" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "1.0.0.9"
VIAddVersionKey "ProductName" "Sayvane"
VIAddVersionKey "FileDescription" "Sayvane setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Sayvane developers"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Sayvane"

Section "Sayvane"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${EXE}"
  File "${README}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "$SMPROGRAMS\Sayvane"
  CreateShortcut "$SMPROGRAMS\Sayvane\Sayvane.lnk" "$INSTDIR\Sayvane.exe"
  CreateShortcut "$SMPROGRAMS\Sayvane\Uninstall Sayvane.lnk" "$INSTDIR\Uninstall.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Sayvane"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Sayvane developers"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Sayvane.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\Sayvane.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; The settings are the user's: ask first. A silent uninstall keeps them.
  IfFileExists "$INSTDIR\Sayvane.INI" 0 settings_done
    MessageBox MB_YESNO|MB_ICONQUESTION "Delete your Sayvane settings (Sayvane.INI) too?" /SD IDNO IDNO settings_done
    Delete "$INSTDIR\Sayvane.INI"
  settings_done:
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Sayvane\Sayvane.lnk"
  Delete "$SMPROGRAMS\Sayvane\Uninstall Sayvane.lnk"
  RMDir "$SMPROGRAMS\Sayvane"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
