; BoxSweep setup: installs the program for the current user, no administrator rights needed.
;
; BoxSweep keeps its list file BOXSWEEP.LST and looks for language modules in its working folder,
; so everything goes into one folder the user can write to, and every shortcut names that folder
; as its working folder.
;
;   makensis -DSOURCE_DIR=REPO -DBUILD_DIR=TREE -DOUTPUT=SETUP.EXE installer/boxsweep.nsi
;
; SOURCE_DIR holds README.md, LICENSE and mostcommon.lst; BUILD_DIR holds boxsweep.exe and
; dutch.dll. Silent install: "/S" (the optional sections keep their defaults, the first-run setup
; is not started). Silent uninstall: "uninstall.exe /S".

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef SOURCE_DIR
  !error "SOURCE_DIR must name the repository (-DSOURCE_DIR=...)"
!endif
!ifndef BUILD_DIR
  !error "BUILD_DIR must name the win32 build tree (-DBUILD_DIR=...)"
!endif
!ifndef OUTPUT
  !define OUTPUT "BoxSweep-1.63-setup.exe"
!endif

!define PRODUCT "BoxSweep"
!define VERSION "1.63"
!define PUBLISHER "The BoxSweep project"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\BoxSweep"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTPUT}"
InstallDir "$LOCALAPPDATA\Programs\BoxSweep"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "1.63.0.0"
VIFileVersion "1.63.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!include "MUI2.nsh"
!include "LogicLib.nsh"

!define MUI_ICON "${SOURCE_DIR}/resources/icons/boxsweep.ico"
!define MUI_UNICON "${SOURCE_DIR}/resources/icons/boxsweep.ico"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

Var FirstInstall

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(RunSetupText)"
!define MUI_FINISHPAGE_RUN_FUNCTION RunFirstSetup
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishPageShow
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the fallback for systems in none of them.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Dutch"

LangString MainSectionText ${LANG_ENGLISH} "BoxSweep"
LangString MainSectionText ${LANG_GERMAN} "BoxSweep"
LangString MainSectionText ${LANG_DUTCH} "BoxSweep"
LangString StartupSectionText ${LANG_ENGLISH} "Start BoxSweep with Windows"
LangString StartupSectionText ${LANG_GERMAN} "BoxSweep mit Windows starten"
LangString StartupSectionText ${LANG_DUTCH} "BoxSweep met Windows starten"
LangString MainSectionInfo ${LANG_ENGLISH} "The program, the Dutch language module, the list of common pop-ups and a Start-menu shortcut."
LangString MainSectionInfo ${LANG_GERMAN} "Das Programm, die niederländische Sprachdatei, die Liste häufiger Popups und eine Verknüpfung im Startmenü."
LangString MainSectionInfo ${LANG_DUTCH} "Het programma, de Nederlandse taalmodule, de lijst met veelvoorkomende pop-ups en een snelkoppeling in het Startmenu."
LangString StartupSectionInfo ${LANG_ENGLISH} "A shortcut in your Startup folder, so that BoxSweep watches from the moment you log on."
LangString StartupSectionInfo ${LANG_GERMAN} "Eine Verknüpfung im Autostart-Ordner, damit BoxSweep ab der Anmeldung aufpasst."
LangString StartupSectionInfo ${LANG_DUTCH} "Een snelkoppeling in de map Opstarten, zodat BoxSweep vanaf het aanmelden oplet."
LangString RunSetupText ${LANG_ENGLISH} "Choose the language and the starting list now"
LangString RunSetupText ${LANG_GERMAN} "Sprache und Startliste jetzt wählen"
LangString RunSetupText ${LANG_DUTCH} "Taal en startlijst nu kiezen"

; Asks a BoxSweep started from the install folder to save its list and end, and waits a few
; seconds until its files can be replaced or removed. Starting "boxsweep.exe /exit" when no
; instance runs ends at once and does nothing.
!macro ASK_TO_EXIT
  ${If} ${FileExists} "$INSTDIR\boxsweep.exe"
    ExecWait '"$INSTDIR\boxsweep.exe" /exit'
    ${For} $R1 1 50
      FindWindow $R0 "boxsweep"
      ${IfThen} $R0 = 0 ${|} ${Break} ${|}
      Sleep 100
    ${Next}
  ${EndIf}
!macroend

Section "!$(MainSectionText)" SecMain
  SectionIn RO

  ; The first-run setup is offered only when the folder holds no list of the user's yet.
  ${If} ${FileExists} "$INSTDIR\BOXSWEEP.LST"
    StrCpy $FirstInstall 0
  ${Else}
    StrCpy $FirstInstall 1
  ${EndIf}

  !insertmacro ASK_TO_EXIT

  SetOutPath "$INSTDIR"
  File "${BUILD_DIR}/boxsweep.exe"
  File "${BUILD_DIR}/dutch.dll"
  File "${SOURCE_DIR}/mostcommon.lst"
  File "${SOURCE_DIR}/README.md"
  File "${SOURCE_DIR}/LICENSE"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The current output folder becomes the shortcut's working folder.
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMPROGRAMS\BoxSweep.lnk" "$INSTDIR\boxsweep.exe" "" "$INSTDIR\boxsweep.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\boxsweep.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section /o "$(StartupSectionText)" SecStartup
  SetOutPath "$INSTDIR"
  CreateShortcut "$SMSTARTUP\BoxSweep.lnk" "$INSTDIR\boxsweep.exe" "" "$INSTDIR\boxsweep.exe" 0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "$(MainSectionInfo)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartup} "$(StartupSectionInfo)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; On an update the user's list already exists: no setup to offer.
Function FinishPageShow
  ${If} $FirstInstall != 1
    SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
    ShowWindow $mui.FinishPage.Run ${SW_HIDE}
  ${EndIf}
FunctionEnd

Function RunFirstSetup
  ${If} $FirstInstall == 1
    SetOutPath "$INSTDIR"
    Exec '"$INSTDIR\boxsweep.exe" /setup'
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro ASK_TO_EXIT

  Delete "$SMPROGRAMS\BoxSweep.lnk"
  Delete "$SMSTARTUP\BoxSweep.lnk"

  Delete "$INSTDIR\boxsweep.exe"
  Delete "$INSTDIR\dutch.dll"
  Delete "$INSTDIR\mostcommon.lst"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"

  ; Only an empty folder goes: the user's BOXSWEEP.LST and BOXSWEEP.BAK stay where they are.
  SetOutPath "$TEMP"
  RMDir "$INSTDIR"
SectionEnd
