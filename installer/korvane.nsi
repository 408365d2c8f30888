; Setup program for Korvane Server. Built by the `installer` target (installer/CMakeLists.txt),
; which passes VERSION, STAGE (the assembled installation folder), ICON, DEMO_WORLDS (an
; include file naming the demo maps) and OUTFILE.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include Sections.nsh
!include FileFunc.nsh

!define PRODUCT "Korvane Server"
!define PUBLISHER "Tarnwick"
; The program reads this key through the 32-bit registry view; every value below is written
; in that view (SetRegView 32 in .onInit and un.onInit) so a 64-bit Windows sees them there.
!define PRODUCT_KEY "Software\Tarnwick\Korvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvane Server"
!define SHORTCUTS "$SMPROGRAMS\${PRODUCT}"
; Users (a well-known SID, so the name's language does not matter).
!define OPERATORS_SID "*S-1-5-32-545"

!include "${DEMO_WORLDS}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES32\Tarnwick\Korvane"
; An upgrade goes where the older installation is.
InstallDirRegKey HKLM "${PRODUCT_KEY}" "Install Dir"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_SMALLDESC

; The directory comes first: whether the demo engine is offered by default depends on it.
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var DemoChoiceFor  ; the folder the demo component's default was last decided for
Var ServiceWasRunning  ; 1 when an upgrade stopped the running service

; An upgrade while the service runs: its program's files are in use, so the service is stopped
; first (net stop returns once it has) and started again after the new files are in place.
Section "-Stop the service"
  StrCpy $ServiceWasRunning 0
  nsExec::ExecToLog '"$SYSDIR\net.exe" stop KorvaneServer'
  Pop $0
  ${If} $0 = 0
    StrCpy $ServiceWasRunning 1
  ${EndIf}
SectionEnd

Section "Korvane Server" SecProgram
  SectionIn RO
  ; A "Demo Files" mark left by an installation in another folder says nothing about this one.
  ReadRegStr $0 HKLM "${PRODUCT_KEY}" "Install Dir"
  ${If} $0 != $INSTDIR
    DeleteRegValue HKLM "${PRODUCT_KEY}" "Demo Files"
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${STAGE}/korvane-server.exe"
  File "${STAGE}/korvane-console.exe"
  SetOutPath "$INSTDIR\korvane"
  File "${STAGE}/korvane/cres.dll"
  CreateDirectory "$INSTDIR\worlds"

  ; The engine rewrites korvane\server.cfg at every start, and the program runs as invoker
  ; (no virtualisation hides a refused write), so the operators' group needs to modify files
  ; there. Failure is reported, not fatal: an administrator can still run the program.
  nsExec::ExecToLog '"$SYSDIR\icacls.exe" "$INSTDIR\korvane" /grant ${OPERATORS_SID}:(OI)(CI)M'
  Pop $0
  ${If} $0 != 0
    DetailPrint "Could not give the Users group write access to $INSTDIR\korvane ($0)."
  ${EndIf}

  WriteRegStr HKLM "${PRODUCT_KEY}" "Install Dir" "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Shortcuts start in the installation folder (the current output path).
  SetOutPath "$INSTDIR"
  CreateDirectory "${SHORTCUTS}"
  CreateShortcut "${SHORTCUTS}\${PRODUCT}.lnk" "$INSTDIR\korvane-server.exe" "" \
    "$INSTDIR\korvane-server.exe" 0 SW_SHOWNORMAL "" "Start the server with the settings sheet"
  CreateShortcut "${SHORTCUTS}\${PRODUCT} (skip settings).lnk" "$INSTDIR\korvane-server.exe" "-s" \
    "$INSTDIR\korvane-server.exe" 0 SW_SHOWNORMAL "" "Start the server with the saved settings"
SectionEnd

Section "Simulated engine and demo maps" SecDemo
  SetOutPath "$INSTDIR"
  File "${STAGE}/server.dll"
  File "${STAGE}/resource.txt"
  SetOutPath "$INSTDIR\worlds"
  !insertmacro KORVANE_DEMO_WORLDS_INSTALL
  ; Tells the uninstaller these files are ours to remove; a real engine and its maps never are.
  WriteRegDWORD HKLM "${PRODUCT_KEY}" "Demo Files" 1
SectionEnd

; After the files are in place: the service runs korvane-console.exe from this folder. Off
; unless chosen (or /SERVICE on a silent setup's command line); a failure is reported, and the
; program stays usable without the service.
Section /o "Run as a Windows service" SecService
  nsExec::ExecToLog '"$INSTDIR\korvane-console.exe" --install-service'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The service was not installed ($0). Install it later with: korvane-console.exe --install-service"
  ${EndIf}
SectionEnd

Section "-Start the service again"
  ${If} $ServiceWasRunning = 1
    nsExec::ExecToLog '"$SYSDIR\net.exe" start KorvaneServer'
    Pop $0
  ${EndIf}
SectionEnd

; Last, so that the size counts everything installed.
Section "-Uninstall entry"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\korvane-server.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The program and its texts."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDemo} \
    "A simulated engine (server.dll) and demo maps, to try the program without the game. Leave it out where the game's engine is already in the folder."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecService} \
    "Registers the service KorvaneServer, which starts the server without a window when Windows starts and restarts it after a failure."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; The demo engine is wanted only where no engine is present: over a real game's server.dll
; it would replace the game's engine.
Function ChooseDemoDefault
  ${If} $DemoChoiceFor == $INSTDIR
    Return  ; keep what the operator chose on the components page
  ${EndIf}
  StrCpy $DemoChoiceFor $INSTDIR
  ${If} ${FileExists} "$INSTDIR\server.dll"
    !insertmacro UnselectSection ${SecDemo}
  ${Else}
    !insertmacro SelectSection ${SecDemo}
  ${EndIf}
FunctionEnd

Function .onInit
  SetRegView 32
  SetShellVarContext all
  Call ChooseDemoDefault
  ; A silent setup has no components page: /SERVICE chooses the service there.
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/SERVICE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecService}
  ${EndIf}
FunctionEnd

Function DirectoryLeave
  Call ChooseDemoDefault
FunctionEnd

Function un.onInit
  SetRegView 32
  SetShellVarContext all
FunctionEnd

; Removes what the setup put in place and nothing else: korvane\server.cfg and maps the
; operator added stay, and so do the folders holding them.
Section "Uninstall"
  ; A service runs the program from this folder: it is stopped and removed before the files go
  ; (when none was installed, the command says so and nothing changes).
  ${If} ${FileExists} "$INSTDIR\korvane-console.exe"
    nsExec::ExecToLog '"$INSTDIR\korvane-console.exe" --uninstall-service'
    Pop $0
  ${EndIf}
  Delete "$INSTDIR\korvane-server.exe"
  Delete "$INSTDIR\korvane-console.exe"
  Delete "$INSTDIR\korvane\cres.dll"
  Delete "$INSTDIR\korvane\server.cfg.tmp"  ; left only by an engine that died mid-write
  ReadRegDWORD $0 HKLM "${PRODUCT_KEY}" "Demo Files"
  ${If} $0 = 1
    Delete "$INSTDIR\server.dll"
    Delete "$INSTDIR\resource.txt"
    !insertmacro KORVANE_DEMO_WORLDS_DELETE
  ${EndIf}
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR\worlds"
  RMDir "$INSTDIR\korvane"
  RMDir "$INSTDIR"
  RMDir "$PROGRAMFILES32\Tarnwick"

  Delete "${SHORTCUTS}\${PRODUCT}.lnk"
  Delete "${SHORTCUTS}\${PRODUCT} (skip settings).lnk"
  RMDir "${SHORTCUTS}"

  DeleteRegValue HKLM "${PRODUCT_KEY}" "Install Dir"
  DeleteRegValue HKLM "${PRODUCT_KEY}" "Demo Files"
  DeleteRegKey /ifempty HKLM "${PRODUCT_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Tarnwick"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
