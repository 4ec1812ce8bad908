; The setup program of Tabulon for Windows, made by scripts/windows.sh:
;   makensis -DVERSION=1.8 -DSTAGE=<the installed program's folder> -DOUTFILE=<setup.exe> tabulon.nsi
; "/S" installs and uninstalls without a question.
; A 64-bit setup program for the 64-bit program: it runs where the program does, on a Wine
; without its 32-bit half too.
Target amd64-unicode
!include "MUI2.nsh"

Name "Tabulon ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tabulon"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tabulon"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Russian"

Section "Tabulon"
    SetShellVarContext all
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    ; The program keeps its settings in %APPDATA%\Tabulon when this mark stands beside it.
    FileOpen $0 "$INSTDIR\Tabulon.installed" w
    FileClose $0
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateDirectory "$SMPROGRAMS\Tabulon"
    CreateShortcut "$SMPROGRAMS\Tabulon\Tabulon.lnk" "$INSTDIR\Tabulon.exe"
    CreateShortcut "$SMPROGRAMS\Tabulon\Руководство Tabulon.lnk" "$INSTDIR\share\doc\tabulon\manual\index.html"
    CreateShortcut "$SMPROGRAMS\Tabulon\Удалить Tabulon.lnk" "$INSTDIR\uninstall.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tabulon"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tabulon.exe"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; The operator's settings in %APPDATA%\Tabulon and the registry stay: they are the operator's.
Section "Uninstall"
    SetShellVarContext all
    RMDir /r "$SMPROGRAMS\Tabulon"
    RMDir /r "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
