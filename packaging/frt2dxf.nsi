; The Windows installer: both programs and the language files into Program Files, a Start-menu
; entry for frt2dxf (started without a file, it asks for one) and an uninstaller.
;   makensis -DVERSION=x.y.z -DSTAGE=dir -DOUTFILE=frt2dxf-setup.exe frt2dxf.nsi
Unicode true
Target amd64-unicode ; runs on 64-bit Windows, and under wine64
Name "frt2dxf ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\frt2dxf"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\frt2dxf"

Section "frt2dxf"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\frt2dxf.exe"
  File "${STAGE}\frt2dxf-batch.exe"
  File "${STAGE}\VUZ_Ezavurudi.lng"
  File "${STAGE}\VUZ_Ezavurudi.de.lng"
  File "${STAGE}\README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\frt2dxf"
  CreateShortcut "$SMPROGRAMS\frt2dxf\frt2dxf.lnk" "$INSTDIR\frt2dxf.exe"
  CreateShortcut "$SMPROGRAMS\frt2dxf\Uninstall frt2dxf.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "frt2dxf"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\frt2dxf.exe"
  Delete "$INSTDIR\frt2dxf-batch.exe"
  Delete "$INSTDIR\VUZ_Ezavurudi.lng"
  Delete "$INSTDIR\VUZ_Ezavurudi.de.lng"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\frt2dxf\frt2dxf.lnk"
  Delete "$SMPROGRAMS\frt2dxf\Uninstall frt2dxf.lnk"
  RMDir "$SMPROGRAMS\frt2dxf"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
