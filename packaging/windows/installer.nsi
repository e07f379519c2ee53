; The Windows installer of the BLX52 Glowpanel Configurator, built by tools/windows/package.sh
; with Debian's makensis. It installs per machine into Program Files (with the UAC prompt),
; makes the Start-menu entry, optionally a desktop shortcut and the tools on PATH, and an entry
; in the list of programs. Installing over an older version removes that one first.
; The uninstaller removes every file it installed and never the user's picture folder.
;
; makensis -DVERSION=1.1.0 -DSTAGE=<folder> -DLISTS=<folder> -DOUTFILE=<setup.exe> -DICON=<.ico>
;          -DHOMEPAGE=<address> -DSIZE_KB=<size> installer.nsi
;   STAGE: the files to install (bin\, share\, the texts); LISTS: files.nsh and
;   unfiles.nsh, the install and removal lines of exactly those files (made by package.sh).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The same bytes for the same files.
SetDatablockOptimize on

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "StrFunc.nsh"
${UnStrRep}

!define PRODUCT "BLX52 Glowpanel Configurator"
!define PUBLISHER "BLX52 Configurator developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\BLX52GlowpanelConfigurator"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "GPL-3.0-or-later"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetShellVarContext all
    SetRegView 64
    ; A version installed before goes first, through its own uninstaller, so that nothing of
    ; it is left behind; the picture folder is no part of it.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} ${FileExists} "$0\uninstall.exe"
        ExecWait '"$0\uninstall.exe" /S _?=$0' $1
        Delete "$0\uninstall.exe"
        RMDir "$0"
    ${EndIf}
FunctionEnd

Section "!${PRODUCT}" SecProgram
    SectionIn RO
    !include "${LISTS}\files.nsh"
    SetOutPath "$INSTDIR"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    SetOutPath "$INSTDIR\bin"
    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\bin\blx52.exe" "" \
        "$INSTDIR\bin\blx52.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\bin\blx52.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "Desktop shortcut" SecDesktop
    SetOutPath "$INSTDIR\bin"
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\bin\blx52.exe" "" \
        "$INSTDIR\bin\blx52.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}"
SectionEnd

; Off unless chosen: the tools (blx52-cli, blx52-send) on the system's PATH.
Section /o "Command-line tools on PATH" SecPath
    ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0;$INSTDIR\bin"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=1000
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The configurator, blx52-cli, blx52-send and the 25 start pictures."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "A shortcut to the configurator on the desktop."
    !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "Puts blx52-cli and blx52-send on the system's PATH, for a command prompt."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function un.onInit
    SetShellVarContext all
    SetRegView 64
FunctionEnd

Section "Uninstall"
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
    ${If} $0 == 1
        ReadRegStr $1 HKLM "${ENVIRONMENT_KEY}" "Path"
        ${UnStrRep} $1 "$1" ";$INSTDIR\bin" ""
        WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$1"
        SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=1000
    ${EndIf}
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    ; Only what was installed; a folder is removed only when nothing else is in it.
    !include "${LISTS}\unfiles.nsh"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; The uninstaller runs as a copy of itself in the temporary folder, which goes at the next
    ; restart; its folder goes with it.
    ${If} $EXEDIR != $INSTDIR
        RMDir /REBOOTOK "$EXEDIR"
    ${EndIf}
SectionEnd
