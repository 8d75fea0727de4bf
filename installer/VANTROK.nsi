; The station's installer: VANTROK.exe into Program Files, started at every
; user's logon from the common Startup folder, listed in Programs and Features
; with its uninstaller. CMake hands makensis:
;   VERSION    the project's version
;   COPYRIGHT  the programs' copyright line
;   PROGRAM    the VANTROK.exe to install
;   CHECK      the vantrok-check.exe to install beside it
;   LAUNCH     vantrok-launch.exe, which starts VANTROK as the logged-on user (not installed)
;   OUTFILE    the installer to write
;   TARGET     x86-unicode for the 32-bit program, amd64-unicode for the 64-bit one
; and, for a signed build, SIGN_SCRIPT and SIGN_CERT (installer/sign-windows.sh).
Unicode true
Target ${TARGET}
!include FileFunc.nsh
!include WinMessages.nsh
!include WordFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VANTROK"
!define WINDOW_CLASS "VANTROK.frmmain"
!if ${TARGET} == amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else
  !define PROGRAM_FILES "$PROGRAMFILES"
!endif

Name "VANTROK"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\VANTROK"
; An upgrade goes where the installed copy is.
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
BrandingText "VANTROK ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

; Reproducible releases: the files' own dates stay out of the installer, and
; a signed build signs the uninstaller before it is packed, then the installer.
SetDateSave off
!ifdef SIGN_CERT
  !uninstfinalize '"${SIGN_SCRIPT}" "${SIGN_CERT}" "%1"' = 0
  !finalize '"${SIGN_SCRIPT}" "${SIGN_CERT}" "%1"' = 0
!endif

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "VANTROK"
VIAddVersionKey /LANG=1033 "FileDescription" "VANTROK Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COPYRIGHT}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

; 1 once a running copy was ended: a failed upgrade starts it again.
Var CopiesEnded

; A running copy holds VANTROK.exe open; the installer and the uninstaller
; both end it first. VANTROK keeps no state of its own, so ending it loses
; nothing: the next copy carries on from the daily sales.
!macro END_RUNNING_COPIES prefix
Function ${prefix}EndRunningCopies
  ; A copy with its window up is closed as a user would, which takes its
  ; tray icon away.
  StrCpy $1 0
  close_next:
    FindWindow $0 "${WINDOW_CLASS}"
    StrCmp $0 0 closed
    StrCpy $CopiesEnded 1
    IntOp $1 $1 + 1
    IntCmp $1 20 closed
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    Sleep 200
    Goto close_next
  closed:
  ; Copies still in their start-up minute or behind a message have no window
  ; to close, and other users' copies are out of sight: they are ended.
  nsExec::Exec '"$SYSDIR\taskkill.exe" /F /IM VANTROK.exe'
  Pop $0
  StrCmp $0 0 0 +2
    StrCpy $CopiesEnded 1
  ; Until the ended copies have let go of the file (ten seconds at most).
  StrCpy $1 0
  wait_for_file:
    IfFileExists "$INSTDIR\VANTROK.exe" 0 free
    ClearErrors
    FileOpen $0 "$INSTDIR\VANTROK.exe" a
    IfErrors 0 opened
    IntOp $1 $1 + 1
    IntCmp $1 100 free
    Sleep 100
    Goto wait_for_file
  opened:
    FileClose $0
  free:
FunctionEnd
!macroend
!insertmacro END_RUNNING_COPIES ""
!insertmacro END_RUNNING_COPIES "un."

; --- Exit codes --------------------------------------------------------------
; Deployment tools trust them: every failure leaves the installed copy as it
; was. NSIS's own are 0 done, 1 cancelled, 2 aborted.
!define EXIT_FILE_IN_USE 10       ; a file could not be replaced or removed: held open
!define EXIT_NEWER_INSTALLED 11   ; a newer version is installed; /ALLOWDOWNGRADE to install anyway
!define EXIT_CANNOT_WRITE 12      ; the new files could not be written (disk full, no rights)

!macro FAIL code text
  MessageBox MB_ICONSTOP|MB_OK "${text}" /SD IDOK
  SetErrorLevel ${code}
  Quit
!macroend

; --- Downgrades ---------------------------------------------------------------
Function .onInit
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  StrCmp $0 "" done
  ${VersionCompare} "$0" "${VERSION}" $1
  StrCmp $1 1 0 done
  ${GetParameters} $2
  ClearErrors
  ${GetOptions} "$2" "/ALLOWDOWNGRADE" $3
  IfErrors 0 done
  !insertmacro FAIL ${EXIT_NEWER_INSTALLED} \
    "VANTROK $0 is installed, newer than this installer's ${VERSION}.$\r$\n$\r$\nRun it with /ALLOWDOWNGRADE to install ${VERSION} anyway."
  done:
FunctionEnd

; --- Replacing the files, all or none -----------------------------------------
; The new files are written beside the old under .new, the old ones renamed
; aside to .old, the new ones renamed into place. Renaming fails for a file
; anyone holds open without letting it be deleted (an antivirus scan, a copy
; under another user): then every rename is undone and the installed copy
; stays whole. Only after all this is the registry written.
Var Aside1
Var Aside2
Var Aside3
Var Placed1
Var Placed2
Var Placed3

!macro SET_ASIDE index name
  StrCpy $Aside${index} 0
  Delete "$INSTDIR\${name}.old"
  IfFileExists "$INSTDIR\${name}" 0 +5
    ClearErrors
    Rename "$INSTDIR\${name}" "$INSTDIR\${name}.old"
    IfErrors rollback
    StrCpy $Aside${index} 1
!macroend

!macro MOVE_IN index name
  StrCpy $Placed${index} 0
  ClearErrors
  Rename "$INSTDIR\${name}.new" "$INSTDIR\${name}"
  IfErrors rollback
  StrCpy $Placed${index} 1
!macroend

!macro PUT_BACK index name
  StrCmp $Placed${index} 1 0 +2
    Delete "$INSTDIR\${name}"
  StrCmp $Aside${index} 1 0 +2
    Rename "$INSTDIR\${name}.old" "$INSTDIR\${name}"
  Delete "$INSTDIR\${name}.new"
!macroend

!macro CLEAR_ASIDE name
  ; A copy that could not be ended still runs from it; gone at the next restart.
  Delete /REBOOTOK "$INSTDIR\${name}.old"
!macroend

; $0: 1 when the new files are in place, 0 when everything is as it was.
Function PutNewFilesInPlace
  StrCpy $Placed1 0
  StrCpy $Placed2 0
  StrCpy $Placed3 0
  !insertmacro SET_ASIDE 1 VANTROK.exe
  !insertmacro SET_ASIDE 2 vantrok-check.exe
  !insertmacro SET_ASIDE 3 uninstall.exe
  !insertmacro MOVE_IN 1 VANTROK.exe
  !insertmacro MOVE_IN 2 vantrok-check.exe
  !insertmacro MOVE_IN 3 uninstall.exe
  !insertmacro CLEAR_ASIDE VANTROK.exe
  !insertmacro CLEAR_ASIDE vantrok-check.exe
  !insertmacro CLEAR_ASIDE uninstall.exe
  StrCpy $0 1
  Return
  rollback:
  !insertmacro PUT_BACK 1 VANTROK.exe
  !insertmacro PUT_BACK 2 vantrok-check.exe
  !insertmacro PUT_BACK 3 uninstall.exe
  StrCpy $0 0
FunctionEnd

Function RemoveNewFiles
  Delete "$INSTDIR\VANTROK.exe.new"
  Delete "$INSTDIR\vantrok-check.exe.new"
  Delete "$INSTDIR\uninstall.exe.new"
FunctionEnd

Section
  Call EndRunningCopies
  SetOutPath "$INSTDIR"
  ; A file that cannot be written is skipped and flagged, not asked about.
  SetOverwrite try
  ClearErrors
  File "/oname=VANTROK.exe.new" "${PROGRAM}"
  File "/oname=vantrok-check.exe.new" "${CHECK}"
  WriteUninstaller "$INSTDIR\uninstall.exe.new"
  IfErrors 0 written
    Call RemoveNewFiles
    !insertmacro FAIL ${EXIT_CANNOT_WRITE} "VANTROK could not be written to $INSTDIR. Nothing was changed."
  written:
  Call PutNewFilesInPlace
  StrCmp $0 1 in_place
    Call RemoveNewFiles
    ; The station keeps the copy it had running.
    StrCmp $CopiesEnded 1 0 +2
      Call StartAsLoggedOnUser
    !insertmacro FAIL ${EXIT_FILE_IN_USE} \
      "A file of VANTROK in $INSTDIR is in use by another program. Nothing was changed; close it and run the installer again."
  in_place:

  ; The program is meant to start with Windows, whoever logs on.
  SetShellVarContext all
  CreateShortcut "$SMSTARTUP\VANTROK.lnk" "$INSTDIR\VANTROK.exe"
  Call CreateCheckShortcut

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VANTROK"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VANTROK.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  ; In place (_?=): the command returns only when the uninstall is done.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" _?=$INSTDIR'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  Call StartAsLoggedOnUser
SectionEnd

; --- The station's own check --------------------------------------------------
; A console with the last 31 days' reconciliation, for everyone on the PC.
!define CHECK_FOLDER "$SMPROGRAMS\VANTROK"
!define CHECK_SHORTCUT "${CHECK_FOLDER}\VANTROK check.lnk"

Function CreateCheckShortcut
  CreateDirectory "${CHECK_FOLDER}"
  CreateShortcut "${CHECK_SHORTCUT}" "$SYSDIR\cmd.exe" '/k "$INSTDIR\vantrok-check.exe" report --last 31' \
    "$INSTDIR\VANTROK.exe" 0 SW_SHOWNORMAL "" "Deliveries and daily sales of the last 31 days"
FunctionEnd

; --- Starting VANTROK ---------------------------------------------------------
; Never from the installer itself: run by a deployment tool it is SYSTEM in
; session 0, where nobody sees VANTROK's messages and its copy keeps the
; logon's copy from running; run through UAC it is elevated. The helper starts
; it as the logged-on user, or leaves it to the Startup shortcut. A failed
; uninstall starts again the copy it ended, as a failed upgrade does.
!macro START_AS_LOGGED_ON_USER prefix
Function ${prefix}StartAsLoggedOnUser
  InitPluginsDir
  File "/oname=$PLUGINSDIR\vantrok-launch.exe" "${LAUNCH}"
  ExecWait '"$PLUGINSDIR\vantrok-launch.exe" "$INSTDIR\VANTROK.exe"' $0
  StrCmp $0 0 0 +2
    DetailPrint "VANTROK started for the logged-on user."
  StrCmp $0 1 0 +2
    DetailPrint "Nobody is logged on: VANTROK starts at the next logon."
  StrCmp $0 2 0 +2
    DetailPrint "VANTROK could not be started now: it starts at the next logon."
FunctionEnd
!macroend
!insertmacro START_AS_LOGGED_ON_USER ""
!insertmacro START_AS_LOGGED_ON_USER "un."

; --- Uninstalling -------------------------------------------------------------
Section "Uninstall"
  Call un.EndRunningCopies
  ; The programs first, all or none: while one is held the uninstall stops
  ; with everything in place, its entry included, to be run again.
  StrCpy $Placed1 0
  StrCpy $Placed2 0
  StrCpy $Placed3 0
  !insertmacro SET_ASIDE 1 VANTROK.exe
  !insertmacro SET_ASIDE 2 vantrok-check.exe
  Goto aside
  rollback:
    !insertmacro PUT_BACK 1 VANTROK.exe
    !insertmacro PUT_BACK 2 vantrok-check.exe
    StrCmp $CopiesEnded 1 0 +2
      Call un.StartAsLoggedOnUser
    !insertmacro FAIL ${EXIT_FILE_IN_USE} \
      "A file of VANTROK in $INSTDIR is in use by another program. Nothing was removed; close it and uninstall again."
  aside:
  !insertmacro CLEAR_ASIDE VANTROK.exe
  !insertmacro CLEAR_ASIDE vantrok-check.exe

  SetShellVarContext all
  Delete "$SMSTARTUP\VANTROK.lnk"
  Delete "${CHECK_SHORTCUT}"
  RMDir "${CHECK_FOLDER}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The station login vantrok-check stored: in the 64-bit view whatever this
  ; uninstaller's bitness. An upgrade never comes here, so it keeps the login.
  SetRegView 64
  DeleteRegValue HKLM "SOFTWARE\VANTROK" "StationLogin"
  DeleteRegKey /ifempty HKLM "SOFTWARE\VANTROK"
  SetRegView lastused

  ; Run in place (_?=) the uninstaller cannot delete itself: a hidden command
  ; does it, with the folder, once this process has ended.
  Delete "$INSTDIR\uninstall.exe"
  IfFileExists "$INSTDIR\uninstall.exe" 0 removed
    SetOutPath "$TEMP"
    ExecShell "open" "$SYSDIR\cmd.exe" \
      '/d /c for /l %i in (1,1,30) do @(ping -n 2 127.0.0.1 >nul & del /f /q "$INSTDIR\uninstall.exe" 2>nul & if not exist "$INSTDIR\uninstall.exe" (rmdir "$INSTDIR" 2>nul & exit))' \
      SW_HIDE
  removed:
  ; Only when empty: the folder may have been chosen with files of others in it.
  RMDir "$INSTDIR"
SectionEnd
