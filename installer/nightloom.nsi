; Installer of the Nightloom screensaver. The build passes VERSION, SAVER (the
; built nightloom.scr), ICON and OUTFILE; the file is UTF-8 (makensis
; -INPUTCHARSET UTF8).
;
; Command line: /S installs silently and then leaves the current screensaver
; alone; /S /AKTIV also makes Nightloom the current screensaver. The
; uninstaller takes /S as well.
;
; Exit codes: 0 done; 3010 done, and a restart removes a saver that was in use;
; 740 not run as administrator; 2 the saver could not be placed or removed.

Unicode true
; 64 bits like the saver: the installer then writes to the real System32 and to
; the registry's 64-bit view, with no file system redirection to turn off.
Target amd64-unicode

; A signed release passes SIGN, a program that signs the file it is given in
; place: the uninstaller before it is stored in the installer, then the installer.
!ifdef SIGN
    !uninstfinalize '"${SIGN}" "%1"' = 0
    !finalize '"${SIGN}" "%1"' = 0
!endif

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!define SAVER_FILE "nightloom.scr"
!define UNINSTALLER "Deinstallieren.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Nightloom"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_UPDATEINIFILE_SENDCHANGE 3
!define ERROR_ELEVATION_REQUIRED 740
!define ERROR_SUCCESS_REBOOT_REQUIRED 3010
!define WTS_CURRENT_SESSION -1
!define WTS_USER_NAME 5
!define WTS_DOMAIN_NAME 7
!define NAME_SAM_COMPATIBLE 2

Name "Nightloom"
OutFile "${OUTFILE}"
; Only the uninstaller lives here; the saver goes where Windows looks for it.
InstallDir "$PROGRAMFILES64\Velbrook\Nightloom"
; A reinstall goes where the last installation went, so it replaces that
; uninstaller instead of leaving it behind.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Velbrook"
ShowInstDetails show
ShowUninstDetails show
; NSIS's German "Benötigter Speicher: 898.0 KB" breaks before its unit here.
SpaceTexts "Benötigt: "

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "Nightloom ${VERSION} wird als Bildschirmschoner in den Systemordner von Windows installiert. Wählen Sie, ob er gleich der aktuelle Bildschirmschoner werden soll."
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
; NSIS's German label "Wird entfernt aus:" is cut off at its width here.
!define MUI_UNCONFIRMPAGE_TEXT_TOP "Nightloom wird aus dem Systemordner von Windows und aus dem unten angegebenen Ordner entfernt; Ihre Einstellungen bleiben erhalten. Klicken Sie auf Deinstallieren, um die Deinstallation zu starten."
!define MUI_UNCONFIRMPAGE_TEXT_LOCATION "Ordner:"
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "German"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductName" "Nightloom"
VIAddVersionKey /LANG=${LANG_GERMAN} "CompanyName" "Velbrook"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileDescription" "Nightloom Installation"
VIAddVersionKey /LANG=${LANG_GERMAN} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_GERMAN} "LegalCopyright" "Copyright © 2026 Velbrook"

; Both the installer and the uninstaller need these; NSIS wants the
; uninstaller's functions named un.*.
!macro SHARED_FUNCTIONS un
; Windows refuses to overwrite or delete a program file that runs (the saver,
; its preview, its settings) but lets it be renamed. The busy saver moves
; aside, under a name Windows does not list as a saver, and goes at the next
; restart; the original name stays free, so nothing queued at boot can delete
; a saver installed before the restart. The error flag says it failed.
Function ${un}MoveSaverAside
    StrCpy $R0 1
    ${Do}
        StrCpy $R1 "$SYSDIR\${SAVER_FILE}.$R0.alt"
        IntOp $R0 $R0 + 1
    ${LoopWhile} ${FileExists} $R1
    ClearErrors
    Rename "$SYSDIR\${SAVER_FILE}" $R1
    ${If} ${Errors}
        Return
    ${EndIf}
    DetailPrint "Nightloom ist gerade in Gebrauch: die laufende Fassung heißt jetzt „$R1“ und wird beim nächsten Neustart von Windows gelöscht."
    Delete /REBOOTOK $R1
    ClearErrors
FunctionEnd

; A restart is needed only when a busy saver waits for it. Silently, the exit
; code says so; the restart itself is left to whoever runs the script.
Function ${un}OfferRestart
    ${IfNot} ${RebootFlag}
        Return
    ${EndIf}
    SetErrorLevel ${ERROR_SUCCESS_REBOOT_REQUIRED}
    MessageBox MB_ICONQUESTION|MB_YESNO "Eine laufende Fassung von Nightloom wird erst beim nächsten Neustart von Windows gelöscht. Jetzt neu starten?" /SD IDNO IDNO done
    Reboot
done:
FunctionEnd

; Stops with the message on the stack; the exit code is 2 and the wizard
; ends on "Abbruch der Installation" with only "Abbrechen" left, never in
; "Fertig".
Function ${un}Fail
    Exch $0
    DetailPrint "$0"
    MessageBox MB_ICONSTOP|MB_OK "$0" /SD IDOK
    Pop $0
    Abort
FunctionEnd
!macroend
!insertmacro SHARED_FUNCTIONS ""
!insertmacro SHARED_FUNCTIONS "un."

; A standard account could write neither System32 nor HKLM.
!macro REQUIRE_ADMINISTRATOR
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
        MessageBox MB_ICONSTOP|MB_OK "Nightloom wird in den Systemordner von Windows installiert; das dürfen nur Administratoren. Starten Sie das Programm mit „Als Administrator ausführen“." /SD IDOK
        SetErrorLevel ${ERROR_ELEVATION_REQUIRED}
        Quit
    ${EndIf}
!macroend

; The user of this Windows session and the account this installer runs as, as
; DOMAIN\name; "" where Windows does not say.
Function SessionAccount
    Push $0
    Push $1
    Push $2
    Push $3
    System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i ${WTS_CURRENT_SESSION}, i ${WTS_DOMAIN_NAME}, *p .r0, *i .r3) i .r1'
    Call CopyWtsText
    Pop $2
    System::Call 'wtsapi32::WTSQuerySessionInformationW(p 0, i ${WTS_CURRENT_SESSION}, i ${WTS_USER_NAME}, *p .r0, *i .r3) i .r1'
    Call CopyWtsText
    Pop $0
    ${If} $0 != ""
        StrCpy $0 "$2\$0"
    ${EndIf}
    Pop $3
    Pop $2
    Pop $1
    Exch $0
FunctionEnd

; $0: a buffer from WTSQuerySessionInformationW when $1 is non-zero; pushes
; its text and frees it.
Function CopyWtsText
    ${If} $1 == 0
        Push ""
        Return
    ${EndIf}
    System::Call 'kernel32::lstrcpynW(w .r1, p r0, i ${NSIS_MAX_STRLEN})'
    System::Call 'wtsapi32::WTSFreeMemory(p r0)'
    Push $1
FunctionEnd

Function OwnAccount
    Push $0
    Push $1
    System::Call 'secur32::GetUserNameExW(i ${NAME_SAM_COMPATIBLE}, w .r0, *i ${NSIS_MAX_STRLEN}) i .r1'
    ${If} $1 == 0
        StrCpy $0 ""
    ${EndIf}
    Pop $1
    Exch $0
FunctionEnd

; Without "try", NSIS would ask Abort/Retry/Ignore, and Ignore would end in
; "Fertig" with the old saver in place.
Function PlaceBusySaver
    Call MoveSaverAside
    SetOverwrite try
    ClearErrors
    File "/oname=${SAVER_FILE}" "${SAVER}"
    SetOverwrite on
    ${If} ${Errors}
        Push "Nightloom konnte nicht nach „$SYSDIR\${SAVER_FILE}“ kopiert werden. Beenden Sie den Bildschirmschoner und seine Einstellungen und starten Sie die Installation noch einmal."
        Call Fail
    ${EndIf}
FunctionEnd

Function .onInstSuccess
    Call OfferRestart
FunctionEnd

Var OtherAccount

; Copied here, in the section, so that the components page counts its size.
Section "Nightloom (Bildschirmschoner)" SectionSaver
    SectionIn RO
    SetOutPath $SYSDIR
    SetOverwrite try
    ClearErrors
    File "/oname=${SAVER_FILE}" "${SAVER}"
    SetOverwrite on
    ${If} ${Errors}
        Call PlaceBusySaver
    ${EndIf}

    SetOutPath $INSTDIR
    ClearErrors
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    ${If} ${Errors}
        Push "Das Deinstallationsprogramm „$INSTDIR\${UNINSTALLER}“ konnte nicht geschrieben werden."
        Call Fail
    ${EndIf}
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Nightloom (Bildschirmschoner)"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Velbrook"
    ; Index 0 is the saver's first icon group, the one drawn in every size.
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SYSDIR\${SAVER_FILE},0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$SYSDIR" "/M=${SAVER_FILE} /S=0K /G=0" $0 $1 $2
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
    ${If} $OtherAccount != ""
        DetailPrint "$OtherAccount"
    ${EndIf}
SectionEnd

; What the screensaver settings of the control panel write when a saver is
; picked. The user's own hive: the one of the account that runs the installer.
Section "Als aktuellen Bildschirmschoner festlegen" SectionCurrent
    WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$SYSDIR\${SAVER_FILE}"
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_UPDATEINIFILE_SENDCHANGE})'
SectionEnd

; Someone installing silently (a deployment, a script) has not been asked about
; the current screensaver: it changes only when /AKTIV says so.
Function .onInit
    !insertmacro REQUIRE_ADMINISTRATOR
    ${If} ${Silent}
        Call HasAktivOption
        Pop $0
        ${If} $0 != 1
            !insertmacro UnselectSection ${SectionCurrent}
        ${EndIf}
    ${EndIf}
    Call OfferCurrentOnlyToSessionUser
FunctionEnd

; Only the exact word: NSIS's own option search matches by prefix, and
; /AKTIV=0 or /AKTIVIEREN must not switch it on. Pushes 1 or 0.
Function HasAktivOption
    ${GetParameters} $0
    StrCpy $0 " $0 "
    StrLen $1 $0
    StrCpy $2 0
    ${DoWhile} $2 < $1
        StrCpy $3 $0 8 $2
        ${If} $3 == " /AKTIV "
            Push 1
            Return
        ${EndIf}
        IntOp $2 $2 + 1
    ${Loop}
    Push 0
FunctionEnd

; When a standard user types an administrator's password at the elevation
; prompt, the installer runs as that administrator, and HKCU is the
; administrator's: the user's current screensaver cannot be set from here.
Function OfferCurrentOnlyToSessionUser
    Call SessionAccount
    Pop $0
    Call OwnAccount
    Pop $1
    ${If} $0 == ""
    ${OrIf} $1 == ""
    ${OrIf} $0 == $1
        Return
    ${EndIf}
    !insertmacro UnselectSection ${SectionCurrent}
    !insertmacro SetSectionFlag ${SectionCurrent} ${SF_RO}
    StrCpy $OtherAccount "Die Installation läuft unter dem Konto „$1“, angemeldet ist „$0“. Nightloom wird deshalb nicht zum aktuellen Bildschirmschoner. Wählen Sie ihn als „$0“ selbst: Einstellungen › Personalisierung › Sperrbildschirm › Bildschirmschoner, dort „Nightloom (App)“ auswählen und „OK“."
    ${IfNot} ${Silent}
        MessageBox MB_ICONINFORMATION|MB_OK "$OtherAccount"
    ${EndIf}
FunctionEnd

; Removes the saver, the uninstaller and its entry. The user's settings under
; HKCU\Software\Wow6432Node\Velbrook stay for a later installation.
; The saver's short name, taken while the file is still there.
Var SaverShortPath

Section "Uninstall"
    ; The current screensaver is forgotten only once the saver is gone: an
    ; uninstall that fails leaves the user's choice as it was.
    GetFullPathName /SHORT $SaverShortPath "$SYSDIR\${SAVER_FILE}"
    Call un.RemoveSaver
    Call un.ForgetCurrentScreensaver
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    ; The publisher's folder only when nothing else of it is left.
    RMDir "$PROGRAMFILES64\Velbrook"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

Function un.onInit
    !insertmacro REQUIRE_ADMINISTRATOR
FunctionEnd

Function un.onUninstSuccess
    Call un.OfferRestart
FunctionEnd

; Never queued for the restart under its own name: a reinstall before the
; restart would be deleted at boot.
Function un.RemoveSaver
    Delete "$SYSDIR\${SAVER_FILE}"
    ${If} ${FileExists} "$SYSDIR\${SAVER_FILE}"
        Call un.MoveSaverAside
    ${EndIf}
    ${If} ${FileExists} "$SYSDIR\${SAVER_FILE}"
        Push "„$SYSDIR\${SAVER_FILE}“ konnte nicht entfernt werden."
        Call un.Fail
    ${EndIf}
FunctionEnd

; A current screensaver that points at the removed file would leave Windows
; with a saver that cannot start. The control panel may have stored the short
; name of the path, which can only be read while the file exists.
Function un.ForgetCurrentScreensaver
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} $0 == ""
        Return
    ${EndIf}
    ${If} $0 == "$SYSDIR\${SAVER_FILE}"
    ${OrIf} $0 == $SaverShortPath
        DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
FunctionEnd
