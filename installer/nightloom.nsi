; Installer of the Nightloom screensaver. The build passes VERSION, SAVER (the
; built nightloom.scr), ICON and OUTFILE; the file is UTF-8 (makensis
; -INPUTCHARSET UTF8).
;
; Command line: /S installs silently and then leaves the current screensaver
; alone; /S /AKTIV also makes Nightloom the current screensaver. The
; uninstaller takes /S as well.

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

Name "Nightloom"
OutFile "${OUTFILE}"
; Only the uninstaller lives here; the saver goes where Windows looks for it.
InstallDir "$PROGRAMFILES64\Velbrook\Nightloom"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true
BrandingText "Velbrook"
ShowInstDetails show
ShowUninstDetails show

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "Nightloom ${VERSION} wird als Bildschirmschoner in den Systemordner von Windows installiert. Wählen Sie, ob er gleich der aktuelle Bildschirmschoner werden soll."
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
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

Section "Nightloom (Bildschirmschoner)" SectionSaver
    SectionIn RO
    SetOutPath $SYSDIR
    File "/oname=${SAVER_FILE}" "${SAVER}"

    SetOutPath $INSTDIR
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
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
    ${If} ${Silent}
        ${GetParameters} $0
        ClearErrors
        ${GetOptions} $0 "/AKTIV" $1
        ${If} ${Errors}
            !insertmacro UnselectSection ${SectionCurrent}
        ${EndIf}
    ${EndIf}
FunctionEnd

; Removes the saver, the uninstaller and its entry. The user's settings under
; HKCU\Software\Wow6432Node\Velbrook stay for a later installation.
Section "Uninstall"
    Call un.ForgetCurrentScreensaver
    Delete /REBOOTOK "$SYSDIR\${SAVER_FILE}"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    ; The publisher's folder only when nothing else of it is left.
    RMDir "$PROGRAMFILES64\Velbrook"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; A current screensaver that points at the removed file would leave Windows
; with a saver that cannot start. The control panel may have stored the short
; name of the path.
Function un.ForgetCurrentScreensaver
    ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${If} $0 == ""
        Return
    ${EndIf}
    GetFullPathName /SHORT $1 "$SYSDIR\${SAVER_FILE}"
    ${If} $0 == "$SYSDIR\${SAVER_FILE}"
    ${OrIf} $0 == $1
        DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
FunctionEnd
