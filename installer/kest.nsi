; The Windows installer of the KEST tool set: agkest.exe, tamplo.exe with its settings file,
; kest.exe and the manual in Program Files, Start-menu entries, the .AGX project type, and
; an uninstaller in "Programs and Features" that leaves the user's projects and tamplo.ini;
; on request (checked by default) the program folder in the PATH, so that kest.exe runs from
; any console, taken out again on uninstall.
;
; Built by the Windows build's target "installer":
;   makensis -DVERSION=1.0.0 -DSTAGE=DIR -DOUTFILE=SETUP.EXE -DICON=agkest.ico kest.nsi
; where DIR holds the programs and the folder Handbuch. Silent: SETUP.EXE /S [/D=FOLDER],
; uninstall.exe /S.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WordFunc.nsh

!define PRODUCT "KEST"
!define PUBLISHER "Velmor"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\KEST"
!define PROGID "KEST.Projekt"
!define SHCNE_ASSOCCHANGED 0x08000000
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

Name "${PRODUCT} ${VERSION}"
Caption "${PRODUCT} ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\Handbuch\index.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Handbuch anzeigen"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

Function .onInit
    SetShellVarContext all
FunctionEnd

Function un.onInit
    SetShellVarContext all
FunctionEnd

Section "KEST" SecPrograms
    SectionIn RO
    SetOutPath "$INSTDIR"
    File "${STAGE}/agkest.exe"
    File "${STAGE}/tamplo.exe"
    File "${STAGE}/kest.exe"
    SetOutPath "$INSTDIR\Handbuch"
    File /r "${STAGE}/Handbuch/*"
    SetOutPath "$INSTDIR"

    ; tamplo.ini holds the folder the loader's file dialog starts in. An existing one is the
    ; user's and stays; a new one starts in the shared documents folder. Every user may
    ; change it (the loader writes it after each choice).
    ${IfNot} ${FileExists} "$INSTDIR\tamplo.ini"
        FileOpen $0 "$INSTDIR\tamplo.ini" w
        FileWrite $0 "$DOCUMENTS"
        FileClose $0
    ${EndIf}
    nsExec::Exec '"$SYSDIR\icacls.exe" "$INSTDIR\tamplo.ini" /grant *S-1-5-32-545:M'
    Pop $0

    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateDirectory "$SMPROGRAMS\${PRODUCT}"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\KEST Application Generator.lnk" "$INSTDIR\agkest.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\KEST Flash Loader.lnk" "$INSTDIR\tamplo.exe"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}\KEST Handbuch.lnk" "$INSTDIR\Handbuch\index.html"

    ; Project files open in the generator.
    WriteRegStr HKLM "Software\Classes\.AGX" "" "${PROGID}"
    WriteRegStr HKLM "Software\Classes\${PROGID}" "" "KEST-Projekt"
    WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\agkest.exe",0'
    WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\agkest.exe" "%1"'
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} ${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\agkest.exe",0'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The program folder at the end of the system's PATH, so that kest.exe runs from any console.
; A PATH longer than the installer's strings would be read cut short and is never written
; back; the entry is then left to the user.
Section "kest.exe im Suchpfad (PATH)" SecPath
    ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
    StrLen $1 "$0;$INSTDIR"
    ${If} $1 >= ${NSIS_MAX_STRLEN}
        DetailPrint "PATH ist zu lang: $INSTDIR bitte selbst eintragen"
        Return
    ${EndIf}
    ${WordReplace} ";$0;" ";$INSTDIR;" ";" "+" $2
    ${If} $2 == ";$0;"
        ${If} $0 == ""
            StrCpy $0 "$INSTDIR"
        ${Else}
            StrCpy $0 "$0;$INSTDIR"
        ${EndIf}
        WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0"
        WriteRegDWORD HKLM "${UNINSTALL_KEY}" "PathAdded" 1
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}
SectionEnd

Section "Uninstall"
    Delete "$INSTDIR\agkest.exe"
    Delete "$INSTDIR\tamplo.exe"
    Delete "$INSTDIR\kest.exe"
    RMDir /r "$INSTDIR\Handbuch"
    Delete "$INSTDIR\uninstall.exe"
    ; tamplo.ini and anything else the user keeps here stay, and with them the folder.
    RMDir "$INSTDIR"

    Delete "$SMPROGRAMS\${PRODUCT}\KEST Application Generator.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\KEST Flash Loader.lnk"
    Delete "$SMPROGRAMS\${PRODUCT}\KEST Handbuch.lnk"
    RMDir "$SMPROGRAMS\${PRODUCT}"

    ; The project type goes, unless another program has taken .AGX over meanwhile.
    ReadRegStr $0 HKLM "Software\Classes\.AGX" ""
    ${If} $0 == "${PROGID}"
        DeleteRegValue HKLM "Software\Classes\.AGX" ""
        DeleteRegKey /ifempty HKLM "Software\Classes\.AGX"
    ${EndIf}
    DeleteRegKey HKLM "Software\Classes\${PROGID}"
    System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'

    ; The PATH entry goes if this setup added it (and the PATH was read whole).
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "PathAdded"
    ReadRegStr $1 HKLM "${ENVIRONMENT_KEY}" "Path"
    StrLen $2 "$1;"
    ${If} $0 == 1
    ${AndIf} $2 < ${NSIS_MAX_STRLEN}
        ${un.WordReplace} ";$1;" ";$INSTDIR;" ";" "+" $3
        StrCpy $3 $3 "" 1
        StrCpy $3 $3 -1
        WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$3"
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
    ${EndIf}

    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
