; The Windows installer: what the install rules put into STAGE, for all users (Program Files, needs
; an administrator) or just for the current user (%LOCALAPPDATA%\Programs, no administrator), a
; Start-menu entry for frt2dxf (started without a file, it asks for one), "Open with" for .frt
; surveys (with --open: the drawing goes beside the survey), the batch converter's
; folder on the user's PATH when asked, an entry in Add/Remove Programs, and an uninstaller.
;   makensis -DVERSION=x.y.z -DSTAGE=dir -DFILES=files.nsh -DOUTFILE=frt2dxf-x.y.z-setup.exe frt2dxf.nsi
; FILES lists the installed files (from the install manifest), so that the uninstaller removes
; exactly those. Silent: /S, with /AllUsers or /CurrentUser, and /PATH to add the folder to PATH.
Unicode true
Target amd64-unicode ; runs on 64-bit Windows, and under wine64
Name "frt2dxf ${VERSION}"
OutFile "${OUTFILE}"
; The installer's own name, not its maker's, along the bottom of every page.
BrandingText "frt2dxf ${VERSION}"
SetCompressor /SOLID lzma

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "frt2dxf"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "Software\frt2dxf"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallDir"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "Software\frt2dxf"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallMode"
!include MultiUser.nsh
; The program's own icon in the title bar and the pages' header, not the installer-maker's.
!define MUI_ICON "..\app\win32\frt2dxf.ico"
!define MUI_UNICON "..\app\win32\frt2dxf.ico"
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\frt2dxf"
; "Open with" for surveys: as a file type's choice and as the program itself, both with --open,
; so that a survey opened from Explorer gets its drawing beside it and is never replaced.
!define PROGID_KEY "Software\Classes\frt2dxf.frt"
!define APPLICATION_KEY "Software\Classes\Applications\frt2dxf.exe"
!define FRT_KEY "Software\Classes\.frt"
!define ENVIRONMENT_KEY "Environment"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "frt2dxf" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\frt2dxf"
  CreateShortcut "$SMPROGRAMS\frt2dxf\frt2dxf DXF Export.lnk" "$INSTDIR\frt2dxf.exe"
  CreateShortcut "$SMPROGRAMS\frt2dxf\Uninstall frt2dxf.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr SHCTX "Software\frt2dxf" "InstallDir" "$INSTDIR"
  WriteRegStr SHCTX "Software\frt2dxf" "InstallMode" "$MultiUser.InstallMode"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "frt2dxf"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "The frt2dxf project"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\frt2dxf.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  WriteRegStr SHCTX "${PROGID_KEY}" "" "FRT survey"
  WriteRegStr SHCTX "${PROGID_KEY}\DefaultIcon" "" "$INSTDIR\frt2dxf.exe,0"
  WriteRegStr SHCTX "${PROGID_KEY}\shell\open\command" "" '"$INSTDIR\frt2dxf.exe" --open "%1"'
  WriteRegStr SHCTX "${APPLICATION_KEY}" "FriendlyAppName" "frt2dxf DXF Export"
  WriteRegStr SHCTX "${APPLICATION_KEY}\SupportedTypes" ".frt" ""
  WriteRegStr SHCTX "${APPLICATION_KEY}\shell\open\command" "" '"$INSTDIR\frt2dxf.exe" --open "%1"'
  WriteRegStr SHCTX "${FRT_KEY}\OpenWithProgids" "frt2dxf.frt" ""
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; SHCNE_ASSOCCHANGED
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Unticked unless asked for: the batch converter on the user's PATH. The components page shows
; about 24 characters of a name; the description below the list says the rest.
Section /o "frt2dxf-batch on PATH" SecPath
  ReadRegStr $0 HKCU "${ENVIRONMENT_KEY}" "Path"
  ${If} $0 == ""
    StrCpy $0 "$INSTDIR"
  ${Else}
    StrCpy $0 "$0;$INSTDIR"
  ${EndIf}
  WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" "Path" "$0"
  WriteRegStr SHCTX "Software\frt2dxf" "AddedToPath" "$INSTDIR"
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The desktop converter frt2dxf and the batch converter frt2dxf-batch."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "Adds the program folder to your PATH, so that frt2dxf-batch runs in any console."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  !insertmacro MULTIUSER_INIT
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PATH" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SecPath} ${SF_SELECTED}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Uninstall"
  !include "${FILES}"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\frt2dxf\frt2dxf DXF Export.lnk"
  Delete "$SMPROGRAMS\frt2dxf\Uninstall frt2dxf.lnk"
  RMDir "$SMPROGRAMS\frt2dxf"
  ; The PATH entry goes only if this installation added it.
  ReadRegStr $1 SHCTX "Software\frt2dxf" "AddedToPath"
  ${If} $1 != ""
    ReadRegStr $0 HKCU "${ENVIRONMENT_KEY}" "Path"
    ${WordReplace} "$0" ";$1" "" "+" $0
    ${WordReplace} "$0" "$1;" "" "+" $0
    ${If} $0 == $1
      StrCpy $0 ""
    ${EndIf}
    ${If} $0 == ""
      DeleteRegValue HKCU "${ENVIRONMENT_KEY}" "Path"
    ${Else}
      WriteRegExpandStr HKCU "${ENVIRONMENT_KEY}" "Path" "$0"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
  DeleteRegKey SHCTX "Software\frt2dxf"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; Our "Open with" entries; the .frt type stays where other programs have entries of their own.
  DeleteRegKey SHCTX "${PROGID_KEY}"
  DeleteRegKey SHCTX "${APPLICATION_KEY}"
  DeleteRegValue SHCTX "${FRT_KEY}\OpenWithProgids" "frt2dxf.frt"
  DeleteRegKey /ifempty SHCTX "${FRT_KEY}\OpenWithProgids"
  DeleteRegKey /ifempty SHCTX "${FRT_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
