; Installer and uninstaller of the battery-care utility (64-bit).
; Built by the win64 build: makensis -DOUT_DIR=<out/win64> -DHELP_FILE=<mht> -DOUTFILE=<exe> -DVERSION=a.b.c.d

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "LogicLib.nsh"
!include "WinMessages.nsh"

!define PRODUCT "Velmora"
!define PUBLISHER "Velmora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "TevraTray"
!define TRAY_CLASS "VelmoraTrayWindowClass"
!define TRAY_MUTEX "VelmoraTrayWindowClass"
!define TRAY_CLOSE_EVENT "TevraTrayCloseEvent"
!define APPLET_CLOSE_EVENT "TevraCPLCloseEvent"
!define ID_APP_EXIT 57665
!define SYNCHRONIZE 0x00100000
!define EVENT_MODIFY_STATE 0x0002

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} battery care setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var ControllerState  ; "simulated" when the simulated controller is ours to keep up to date

; ---------------------------------------------------------------------------------------------
; Ending the running programs

; Waits up to 15 s for the tray program of this session to end (its mutex is then abandoned).
!macro WaitForTrayEnd
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${TRAY_MUTEX}") p.r8'
  ${If} $8 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r8, i 15000) i.r9'
    System::Call 'kernel32::CloseHandle(p r8)'
  ${EndIf}
!macroend

; Closes every open settings dialog as Cancel: one signal ends one dialog.
!macro CloseAppletDialogs
  System::Call 'kernel32::CreateEventW(p 0, i 0, i 0, w "${APPLET_CLOSE_EVENT}") p.r6'
  StrCpy $7 0
  ${Do}
    FindWindow $5 "#32770" "Velmora"
    ${If} $5 == 0
      System::Call 'user32::FindWindowW(w "#32770", w "Velmora設定") p.r5'
    ${EndIf}
    ${If} $5 P= 0
    ${OrIf} $7 >= 10
      ${Break}
    ${EndIf}
    System::Call 'kernel32::SetEvent(p r6)'
    Sleep 300
    IntOp $7 $7 + 1
  ${Loop}
  ; Nothing may stay signalled for a dialog opened later.
  System::Call 'kernel32::ResetEvent(p r6)'
  System::Call 'kernel32::CloseHandle(p r6)'
!macroend

; Before files are replaced: the tray program leaves as through its Exit command, which keeps the
; settings file and the limit in force.
Function EndProgramsForUpdate
  FindWindow $0 "${TRAY_CLASS}"
  ${If} $0 <> 0
    DetailPrint "Ending the running tray program"
    SendMessage $0 ${WM_COMMAND} ${ID_APP_EXIT} 0 /TIMEOUT=5000
    !insertmacro WaitForTrayEnd
  ${EndIf}
  !insertmacro CloseAppletDialogs
FunctionEnd

Function un.EndPrograms
  !insertmacro CloseAppletDialogs
  ; The tray program's close request deletes the settings file and sets the limit back to 100 %.
  ; The event is held open, so a tray program that is not running takes the request when the
  ; uninstaller starts it just for that.
  System::Call 'kernel32::CreateEventW(p 0, i 0, i 0, w "${TRAY_CLOSE_EVENT}") p.r1'
  System::Call 'kernel32::SetEvent(p r1)'
  System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${TRAY_MUTEX}") p.r2'
  ${If} $2 P= 0
  ${AndIf} ${FileExists} "$INSTDIR\TevraTray.exe"
    DetailPrint "Resetting the charge limit to 100 %"
    Exec '"$INSTDIR\TevraTray.exe"'
    StrCpy $3 0
    ${Do}
      Sleep 100
      System::Call 'kernel32::OpenMutexW(i ${SYNCHRONIZE}, i 0, w "${TRAY_MUTEX}") p.r2'
      IntOp $3 $3 + 1
      ${If} $2 P<> 0
      ${OrIf} $3 >= 100
        ${Break}
      ${EndIf}
    ${Loop}
  ${Else}
    DetailPrint "Asking the tray program to reset the charge limit and end"
  ${EndIf}
  ${If} $2 P<> 0
    System::Call 'kernel32::WaitForSingleObject(p r2, i 15000) i.r9'
    System::Call 'kernel32::CloseHandle(p r2)'
  ${EndIf}
  System::Call 'kernel32::CloseHandle(p r1)'
FunctionEnd

; ---------------------------------------------------------------------------------------------
; Install

Function .onInit
  SetRegView 64
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Section "Install"
  SetRegView 64
  SetShellVarContext all
  Call EndProgramsForUpdate

  SetOutPath "$INSTDIR"
  File "${OUT_DIR}/TevraTray.exe"
  File "/oname=tevraHelp.mht" "${HELP_FILE}"

  ; A 64-bit installer sees the real 64-bit system folder, where the applet must lie.
  SetOutPath "$SYSDIR"
  File "${OUT_DIR}/Tevra.cpl"

  ; The maker's hardware library wins; the simulated controller only fills its place.
  ReadRegStr $ControllerState HKLM "${UNINSTALL_KEY}" "Controller"
  ${If} $ControllerState != "simulated"
  ${AndIf} ${FileExists} "$SYSDIR\Zorvan.dll"
    DetailPrint "The maker's Zorvan.dll is present: the simulated controller is not installed."
    StrCpy $ControllerState "maker"
  ${Else}
    File "${OUT_DIR}/Zorvan.dll"
    DetailPrint "No Zorvan.dll of the maker was found: the simulated controller is installed."
    StrCpy $ControllerState "simulated"
  ${EndIf}

  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\TevraTray.exe"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT} battery care"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\TevraTray.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Controller" "$ControllerState"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; The user who installs gets the tray program now; everybody else at the next logon.
  Exec '"$INSTDIR\TevraTray.exe"'
SectionEnd

; ---------------------------------------------------------------------------------------------
; Uninstall

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  Call un.EndPrograms

  ReadRegStr $ControllerState HKLM "${UNINSTALL_KEY}" "Controller"
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"

  Delete "$INSTDIR\TevraTray.exe"
  Delete "$INSTDIR\tevraHelp.mht"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SYSDIR\Tevra.cpl"
  ${If} $ControllerState == "simulated"
    Delete "$SYSDIR\Zorvan.dll"
    ; The simulated controller's state and request log go with it.
    RMDir /r "$APPDATA\ZorvanSim"
  ${EndIf}
  ; The tray program deletes the settings file on its close request; a file left by a program
  ; that could not be reached goes too.
  Delete "$APPDATA\TevraSettings.ini"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
