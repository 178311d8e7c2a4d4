; The Windows installer (makensis, Debian's nsis). It puts orvanne.scr in the
; user's own programs folder, where the settings file beside it stays
; writable without administrator rights, offers to make it the current screen
; saver, and registers an uninstaller that takes away what it put.
;   makensis -DSCR=orvanne.scr -DREADME=README.md -DVERSION=1.0.0.119 -DOUTFILE=orvanne-setup.exe orvanne.nsi
; 64-bit, as the program it installs (and as Wine without i386 runs it).
Target amd64-unicode
!ifndef SCR | README | VERSION | OUTFILE
  !error "give SCR, README, VERSION and OUTFILE with -D"
!endif

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Orvanne"
!define DESKTOP_KEY "Control Panel\Desktop"

Name "Orvanne"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Orvanne"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
SetCompressor /SOLID lzma
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=0 "ProductName" "Orvanne"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Orvanne setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (C) 2026 The Orvanne Developers"
; The name the users look for; the manifest's asInvoker level keeps
; Windows from treating it as an elevating installer.
!pragma warning disable 9000

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The first is the default; the user's UI language picks the other.
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

LangString NameProgram ${LANG_JAPANESE} "Orvanne スクリーンセーバー"
LangString NameProgram ${LANG_ENGLISH} "Orvanne screen saver"
LangString NameCurrent ${LANG_JAPANESE} "現在のスクリーンセーバーにする"
LangString NameCurrent ${LANG_ENGLISH} "Make it the current screen saver"

Section "!$(NameProgram)" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=orvanne.scr" "${SCR}"
  File "/oname=README.txt" "${README}"
  ; A first install shows the user's pictures: the program's own folder
  ; holds none. Later installs keep the user's settings.
  ${IfNot} ${FileExists} "$INSTDIR\orvanne.ini"
    WriteINIStr "$INSTDIR\orvanne.ini" "BGIllust" "Folder" "$PICTURES"
  ${EndIf}
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Orvanne"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "$(NameCurrent)" SecCurrent
  ; The uninstaller puts the previous one back.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 != "$INSTDIR\orvanne.scr"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver" "$0"
  ${EndIf}
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\orvanne.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
SectionEnd

Section "Uninstall"
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == "$INSTDIR\orvanne.scr"
    ReadRegStr $1 HKCU "${UNINSTALL_KEY}" "PreviousScreenSaver"
    ${If} $1 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$1"
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The folder goes last: its going marks the end of the work.
  Delete "$INSTDIR\orvanne.scr"
  Delete "$INSTDIR\README.txt"
  ; The settings file lives in the program's folder, so it goes with it.
  Delete "$INSTDIR\orvanne.ini"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
