; The Windows installer of the BLX52 Glowpanel Configurator, built by tools/windows/package.sh
; with Debian's makensis, in German and English (the system's language chooses). It installs per
; machine into Program Files (with the UAC prompt), makes the Start-menu entry, optionally a
; desktop shortcut and the tools on PATH, an entry in the list of programs, the association of
; .blx52 files, and the picture folder C:\Users\BLX52_Settings\ with the start pictures, which
; the local Users group may change (a standard user cannot create a folder in C:\Users).
; An installed version is replaced only in the install step, after the user said "install":
; its files are overwritten and those this version no longer has are removed; cancelling
; before that step leaves it as it was.
; The uninstaller removes every file it installed and never the user's picture folder.
;
; makensis -DVERSION=1.1.0 -DSTAGE=<folder> -DLISTS=<folder> -DOUTFILE=<setup.exe> -DICON=<.ico>
;          -DHOMEPAGE=<address> -DSIZE_KB=<size> [-DSIGN=<command>] installer.nsi
;   STAGE: the files to install (bin\, share\, the texts); LISTS: files.nsh and unfiles.nsh,
;   the install and removal lines of exactly those files, current.nsh, which tells whether a
;   file is one of them, and installed-files.txt, their list kept beside the installation for
;   the next version (all made by package.sh). SIGN: a command that signs the file it is given
;   in place; the uninstaller and the installer are signed with it.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; The same bytes for the same files.
SetDatablockOptimize on

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "StrFunc.nsh"
!include "FileFunc.nsh"
!include "TextFunc.nsh"
${StrRep}
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

!define PICTURES "C:\Users\BLX52_Settings"
!define FILE_LIST "installed-files.txt"
!define PROG_ID "BLX52.Settings"

!ifdef SIGN
    !uninstfinalize '"${SIGN}" "%1"' = 0
    !finalize '"${SIGN}" "%1"' = 0
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
; The description under the list, so that the names have the page's width.
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_TEXT "$(FinishText)"
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(RunText)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartProgram
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "$(ReadmeText)"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_UNCONFIRMPAGE_TEXT_TOP "$(UnKeepText)"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_LICENSE "${STAGE}\LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first is the one for every other system language.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"

LangString SecProgramName ${LANG_ENGLISH} "Program"
LangString SecProgramName ${LANG_GERMAN} "Programm"
LangString SecDesktopName ${LANG_ENGLISH} "Desktop shortcut"
LangString SecDesktopName ${LANG_GERMAN} "Desktop-Verknüpfung"
LangString SecPathName ${LANG_ENGLISH} "Tools on PATH"
LangString SecPathName ${LANG_GERMAN} "Werkzeuge im PATH"
LangString DescProgram ${LANG_ENGLISH} "The configurator, blx52-cli, blx52-send and the 25 start pictures, which go to ${PICTURES}\ unless they are there."
LangString DescProgram ${LANG_GERMAN} "Der Konfigurator, blx52-cli, blx52-send und die 25 Startbilder, die nach ${PICTURES}\ kommen, soweit sie dort fehlen."
LangString DescDesktop ${LANG_ENGLISH} "A shortcut to the configurator on the desktop."
LangString DescDesktop ${LANG_GERMAN} "Eine Verknüpfung zum Konfigurator auf dem Desktop."
LangString DescPath ${LANG_ENGLISH} "Puts blx52-cli and blx52-send on the system's PATH, for a command prompt."
LangString DescPath ${LANG_GERMAN} "Nimmt blx52-cli und blx52-send in den PATH des Systems auf, für die Eingabeaufforderung."
LangString FinishText ${LANG_ENGLISH} "${PRODUCT} ${VERSION} is installed.$\r$\n$\r$\nThe pictures are in ${PICTURES}\. Every user of this computer may change them.$\r$\n$\r$\nSettings files (.blx52) open with a double-click."
LangString FinishText ${LANG_GERMAN} "${PRODUCT} ${VERSION} ist installiert.$\r$\n$\r$\nDie Bilder liegen in ${PICTURES}\. Jeder Benutzer dieses Computers darf sie ändern.$\r$\n$\r$\nEinstellungsdateien (.blx52) öffnen sich mit einem Doppelklick."
LangString RunText ${LANG_ENGLISH} "Start ${PRODUCT}"
LangString RunText ${LANG_GERMAN} "${PRODUCT} starten"
LangString ReadmeText ${LANG_ENGLISH} "Show the README"
LangString ReadmeText ${LANG_GERMAN} "README anzeigen"
LangString UnKeepText ${LANG_ENGLISH} "${PRODUCT} is removed from this computer. The picture folder ${PICTURES}\ and its pictures are kept."
LangString UnKeepText ${LANG_GERMAN} "${PRODUCT} wird von diesem Computer entfernt. Der Bilderordner ${PICTURES}\ und seine Bilder bleiben erhalten."
LangString FileTypeName ${LANG_ENGLISH} "BLX52 settings"
LangString FileTypeName ${LANG_GERMAN} "BLX52-Einstellungen"

Var OldList

Function .onInit
    SetShellVarContext all
    SetRegView 64
    ; Nothing is changed here: an installed version is replaced in the install step.
FunctionEnd

; $R0: a file's path below the installation; $R1: 1 when this version installs it, else 0.
!include "${LISTS}\current.nsh"

; After this version's files are in place: removes the files of the version before (its list,
; saved as $OldList) that this version no longer has, and their folders once empty.
Function RemoveObsolete
    ClearErrors
    FileOpen $0 "$OldList" r
    ${If} ${Errors}
        Return
    ${EndIf}
    ${Do}
        FileRead $0 $R0
        ${If} ${Errors}
            ${Break}
        ${EndIf}
        ${TrimNewLines} "$R0" $R0
        ${If} $R0 != ""
            Call IsCurrentFile
            ${If} $R1 == 0
                Delete "$INSTDIR\$R0"
                ${GetParent} "$INSTDIR\$R0" $R2
                ${Do}
                    ${If} $R2 == $INSTDIR
                    ${OrIf} $R2 == ""
                        ${Break}
                    ${EndIf}
                    RMDir $R2
                    ${GetParent} $R2 $R2
                ${Loop}
            ${EndIf}
        ${EndIf}
    ${Loop}
    FileClose $0
FunctionEnd

; Run from the installer, which has administrator rights, the program would have them too;
; Explorer starts it as the user.
Function StartProgram
    Exec '"$WINDIR\explorer.exe" "$INSTDIR\bin\blx52.exe"'
FunctionEnd

Section "!$(SecProgramName)" SecProgram
    SectionIn RO
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} $0 != $INSTDIR
    ${AndIf} ${FileExists} "$0\uninstall.exe"
        ; Installed elsewhere before: that one goes, through its own uninstaller, now that the
        ; user has said "install"; the picture folder is no part of it.
        ExecWait '"$0\uninstall.exe" /S _?=$0'
        Delete "$0\uninstall.exe"
        RMDir "$0"
    ${ElseIf} ${FileExists} "$INSTDIR\uninstall.exe"
    ${AndIfNot} ${FileExists} "$INSTDIR\${FILE_LIST}"
        ; A version from before the file list: only its uninstaller knows its files.
        ExecWait '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
    ${EndIf}
    ; The PATH entry of the version before goes; the PATH section puts it back when chosen.
    ReadRegDWORD $0 HKLM "${UNINSTALL_KEY}" "AddedToPath"
    ${If} $0 == 1
        ReadRegStr $1 HKLM "${ENVIRONMENT_KEY}" "Path"
        ${StrRep} $1 "$1" ";$INSTDIR\bin" ""
        WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$1"
        DeleteRegValue HKLM "${UNINSTALL_KEY}" "AddedToPath"
    ${EndIf}
    StrCpy $OldList ""
    ${If} ${FileExists} "$INSTDIR\${FILE_LIST}"
        InitPluginsDir
        StrCpy $OldList "$PLUGINSDIR\old-files.txt"
        CopyFiles /SILENT "$INSTDIR\${FILE_LIST}" "$OldList"
    ${EndIf}
    !include "${LISTS}\files.nsh"
    SetOutPath "$INSTDIR"
    File "/oname=${FILE_LIST}" "${LISTS}\installed-files.txt"
    ${If} $OldList != ""
        Call RemoveObsolete
    ${EndIf}
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

    ; Settings files open in the program with a double-click, with its icon.
    WriteRegStr HKLM "Software\Classes\.blx52" "" "${PROG_ID}"
    WriteRegStr HKLM "Software\Classes\.blx52" "Content Type" "application/x-blx52"
    WriteRegStr HKLM "Software\Classes\${PROG_ID}" "" "$(FileTypeName)"
    WriteRegStr HKLM "Software\Classes\${PROG_ID}\DefaultIcon" "" "$INSTDIR\bin\blx52.exe,0"
    WriteRegStr HKLM "Software\Classes\${PROG_ID}\shell\open\command" "" \
        '"$INSTDIR\bin\blx52.exe" "%1"'
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'

    ; The picture folder, which the program never creates: the start pictures where none is,
    ; and modify rights for the local Users group (by its SID, the same in every language).
    CreateDirectory "${PICTURES}"
    FindFirst $0 $1 "$INSTDIR\share\blx52\start-pictures\*.bmp"
    ${DoWhile} $1 != ""
        ${IfNot} ${FileExists} "${PICTURES}\$1"
            CopyFiles /SILENT "$INSTDIR\share\blx52\start-pictures\$1" "${PICTURES}\$1"
        ${EndIf}
        FindNext $0 $1
    ${Loop}
    FindClose $0
    nsExec::ExecToLog '"$SYSDIR\icacls.exe" "${PICTURES}" /grant *S-1-5-32-545:(OI)(CI)M'
    Pop $0
    ${If} $0 != 0
        DetailPrint "icacls: $0"
    ${EndIf}
SectionEnd

Section "$(SecDesktopName)" SecDesktop
    SetOutPath "$INSTDIR\bin"
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\bin\blx52.exe" "" \
        "$INSTDIR\bin\blx52.exe" 0 SW_SHOWNORMAL "" "${PRODUCT}"
SectionEnd

; Off unless chosen: the tools (blx52-cli, blx52-send) on the system's PATH.
Section /o "$(SecPathName)" SecPath
    ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0;$INSTDIR\bin"
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "AddedToPath" 1
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=1000
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "$(DescProgram)"
    !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "$(DescDesktop)"
    !insertmacro MUI_DESCRIPTION_TEXT ${SecPath} "$(DescPath)"
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
    Delete "$INSTDIR\${FILE_LIST}"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    ; The association, unless another program has taken .blx52 since.
    ReadRegStr $0 HKLM "Software\Classes\.blx52" ""
    ${If} $0 == "${PROG_ID}"
        DeleteRegKey HKLM "Software\Classes\.blx52"
    ${EndIf}
    DeleteRegKey HKLM "Software\Classes\${PROG_ID}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
    DetailPrint "$(UnKeepText)"
    ; The uninstaller runs as a copy of itself in the temporary folder, which goes at the next
    ; restart; its folder goes with it.
    ${If} $EXEDIR != $INSTDIR
        RMDir /REBOOTOK "$EXEDIR"
    ${EndIf}
SectionEnd
