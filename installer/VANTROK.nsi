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
!include LogicLib.nsh
!include WinMessages.nsh
!include WordFunc.nsh
!include x64.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VANTROK"
!define WINDOW_CLASS "VANTROK.frmmain"
; The 32-bit installer's entry is in the registry's 32-bit view (WOW6432Node
; on 64-bit Windows), the 64-bit one's in the native view: each looks into
; the other's too, so a station keeps one installation whichever it ran.
!if ${TARGET} == amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
  !define OTHER_VIEW 32
!else
  !define PROGRAM_FILES "$PROGRAMFILES"
  !define OTHER_VIEW 64
!endif
; Beside the programs when a rollback could not put every file back.
!define SETUP_LOG "VANTROK-setup.log"
; While it is there, the uninstaller's clean-up may delete uninstall.exe.
!define CLEAN_UP_MARKER "uninstall.exe.removing"

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

; 1 once a running copy was ended: every failure starts it again.
Var CopiesEnded
; What a rollback could not undo, a line a file; empty when it undid all.
Var RollbackLog

; --- The launch helper ----------------------------------------------------------
; vantrok-launch.exe runs from the temporary folder; it is not installed. It
; notes the sessions whose VANTROK is ended, so that the same sessions get it
; back, and starts VANTROK as the logged-on user outside the installer's job.
!define HELPER "$PLUGINSDIR\vantrok-launch.exe"
!define ENDED_SESSIONS "$PLUGINSDIR\ended-sessions.txt"

!macro LAUNCH_HELPER prefix
Function ${prefix}ExtractHelper
  InitPluginsDir
  File "/oname=${HELPER}" "${LAUNCH}"
FunctionEnd

; Never from the installer itself: run by a deployment tool it is SYSTEM in
; session 0, where nobody sees VANTROK's messages and its copy keeps the
; logon's copy from running; run through UAC it is elevated. The helper starts
; it as the logged-on user, or leaves it to the Startup shortcut.
; $0: the helper's exit code (0 started, 1 nobody logged on, 2 failed).
Function ${prefix}StartAsLoggedOnUser
  StrCpy $0 2
  ClearErrors
  ${If} ${FileExists} "${ENDED_SESSIONS}"
    ExecWait '"${HELPER}" --ended "${ENDED_SESSIONS}" "$INSTDIR\VANTROK.exe"' $0
  ${Else}
    ExecWait '"${HELPER}" "$INSTDIR\VANTROK.exe"' $0
  ${EndIf}
  ${If} ${Errors}
    StrCpy $0 2
  ${EndIf}
  ${If} $0 == 0
    DetailPrint "VANTROK started for the logged-on user."
  ${ElseIf} $0 == 1
    DetailPrint "Nobody is logged on: VANTROK starts at the next logon."
  ${Else}
    ; A wrong command line (3) leaves VANTROK not started as well.
    StrCpy $0 2
    DetailPrint "VANTROK could not be started for the logged-on user."
  ${EndIf}
FunctionEnd

; Every failure gives back the running copy it took.
Function ${prefix}RestartEndedCopies
  ${If} $CopiesEnded == 1
  ${AndIf} ${FileExists} "$INSTDIR\VANTROK.exe"
    Call ${prefix}StartAsLoggedOnUser
  ${EndIf}
FunctionEnd
!macroend
!insertmacro LAUNCH_HELPER ""
!insertmacro LAUNCH_HELPER "un."

; A running copy holds VANTROK.exe open; the installer and the uninstaller
; both end it first. VANTROK keeps no state of its own, so ending it loses
; nothing: the next copy carries on from the daily sales.
!macro END_RUNNING_COPIES prefix
Function ${prefix}EndRunningCopies
  ; Where they run, for starting them again; without the list, the helper
  ; takes the session rule.
  ClearErrors
  ExecWait '"${HELPER}" --record "${ENDED_SESSIONS}"' $0
  ${If} ${Errors}
  ${OrIf} $0 != 0
    Delete "${ENDED_SESSIONS}"
  ${EndIf}
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
; was and VANTROK running where it ran, except 14, which says what is not.
; NSIS's own are 0 done, 1 cancelled, 2 aborted.
!define EXIT_FILE_IN_USE 10       ; a file could not be replaced or removed: held open
!define EXIT_NEWER_INSTALLED 11   ; a newer version is installed; /ALLOWDOWNGRADE to install anyway
!define EXIT_CANNOT_WRITE 12      ; the new files could not be written (disk full, no rights)
!define EXIT_NOT_STARTED 13       ; installed, but VANTROK could not be started for the logged-on user
!define EXIT_ROLLBACK_INCOMPLETE 14 ; a file could not be put back: the log beside the programs says which

!macro FAIL code text
  MessageBox MB_ICONSTOP|MB_OK "${text}" /SD IDOK
  SetErrorLevel ${code}
  Quit
!macroend

; --- Finding the installation, in both registry views -------------------------
Var OwnLocation
Var OtherVersion
Var OtherLocation

!macro OTHER_VIEW_ENTRY prefix
; The entry the other bitness's installer made, if any.
Function ${prefix}ReadOtherEntry
  StrCpy $OtherVersion ""
  StrCpy $OtherLocation ""
  !if ${OTHER_VIEW} == 64
    ; 32-bit Windows has one view only: the own one.
    ${IfNot} ${RunningX64}
      Return
    ${EndIf}
  !endif
  SetRegView ${OTHER_VIEW}
  ReadRegStr $OtherVersion HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ReadRegStr $OtherLocation HKLM "${UNINSTALL_KEY}" "InstallLocation"
  SetRegView default
FunctionEnd
!macroend
!insertmacro OTHER_VIEW_ENTRY ""
!insertmacro OTHER_VIEW_ENTRY "un."

; Quits with 11 when the version on the stack is newer than this installer's.
Function RefuseNewerInstalled
  Exch $0
  ${If} $0 != ""
    ${VersionCompare} "$0" "${VERSION}" $1
    ${If} $1 == 1
      ${GetParameters} $2
      ClearErrors
      ${GetOptions} "$2" "/ALLOWDOWNGRADE" $3
      ${If} ${Errors}
        !insertmacro FAIL ${EXIT_NEWER_INSTALLED} \
          "VANTROK $0 is installed, newer than this installer's ${VERSION}.$\r$\n$\r$\nRun it with /ALLOWDOWNGRADE to install ${VERSION} anyway."
      ${EndIf}
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

Function .onInit
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ReadRegStr $OwnLocation HKLM "${UNINSTALL_KEY}" "InstallLocation"
  Call ReadOtherEntry
  Push $0
  Call RefuseNewerInstalled
  Push $OtherVersion
  Call RefuseNewerInstalled
  ; Installed by the other bitness only: the upgrade goes into its folder.
  ${If} $OwnLocation == ""
  ${AndIf} $OtherLocation != ""
  ${AndIf} $INSTDIR == "${PROGRAM_FILES}\VANTROK"
    StrCpy $INSTDIR $OtherLocation
  ${EndIf}
FunctionEnd

; The same folder, however it is written (long or short names, case).
; Pops two folders, pushes 1 when they are the same.
Function SameFolder
  Exch $0
  Exch
  Exch $1
  GetFullPathName /SHORT $0 $0
  GetFullPathName /SHORT $1 $1
  ${If} $0 == $1
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd

; The programs of an installation found in another folder go: one folder
; stays, the one just installed.
Function RemoveProgramsElsewhere
  Exch $0
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\*.*"
    Push $0
    Push $INSTDIR
    Call SameFolder
    Pop $1
    ${If} $1 == 0
      Delete /REBOOTOK "$0\VANTROK.exe"
      Delete /REBOOTOK "$0\vantrok-check.exe"
      Delete /REBOOTOK "$0\uninstall.exe"
      Delete "$0\${SETUP_LOG}"
      ; Only when empty: others' files may share the folder.
      RMDir /REBOOTOK "$0"
    ${EndIf}
  ${EndIf}
  Pop $0
FunctionEnd

; One entry and one folder remain: this installation's.
Function ForgetFormerInstallations
  ${If} $OtherVersion != ""
    SetRegView ${OTHER_VIEW}
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    SetRegView default
  ${EndIf}
  Push $OwnLocation
  Call RemoveProgramsElsewhere
  Push $OtherLocation
  Call RemoveProgramsElsewhere
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

; Undoing can fail too (a scanner holding the file just placed): what could
; not be undone is noted, and the file set aside is kept, never deleted.
!macro PUT_BACK index name
  ${If} $Placed${index} == 1
    ClearErrors
    Delete "$INSTDIR\${name}"
    ${If} ${Errors}
      StrCpy $Aside${index} 0
      StrCpy $RollbackLog "$RollbackLog${name} is the new version's and could not be removed; the version before is ${name}.old.$\r$\n"
    ${EndIf}
  ${EndIf}
  ${If} $Aside${index} == 1
    ClearErrors
    Rename "$INSTDIR\${name}.old" "$INSTDIR\${name}"
    ${If} ${Errors}
      StrCpy $RollbackLog "$RollbackLog${name}.old, the version before, could not be renamed back to ${name}.$\r$\n"
    ${EndIf}
  ${EndIf}
  Delete "$INSTDIR\${name}.new"
!macroend

!macro CLEAR_ASIDE name
  ; A copy that could not be ended still runs from it; gone at the next restart.
  Delete /REBOOTOK "$INSTDIR\${name}.old"
!macroend

!macro ROLLBACK_FAILURE prefix
; After a rollback: exit 14 with the log when something could not be put
; back, else the failure's own code. Either way the copy that ran runs again.
; $R0: the failure's code, $R1 its cause, $R2 what to do when all was undone.
Function ${prefix}FailAfterRollback
  Call ${prefix}RestartEndedCopies
  ${If} $RollbackLog == ""
    !insertmacro FAIL $R0 "$R1 $R2"
  ${EndIf}
  StrCpy $R3 "$INSTDIR\${SETUP_LOG}"
  ClearErrors
  FileOpen $R4 $R3 w
  ${If} ${Errors}
    StrCpy $R3 "$TEMP\${SETUP_LOG}"
    FileOpen $R4 $R3 w
  ${EndIf}
  FileWrite $R4 "VANTROK ${VERSION}: $R1$\r$\nThe files in $INSTDIR could not all be put back:$\r$\n$RollbackLog"
  FileClose $R4
  !insertmacro FAIL ${EXIT_ROLLBACK_INCOMPLETE} \
    "$R1 VANTROK's files in $INSTDIR could not all be put back as they were; see $R3. Run the installer again once nothing holds them."
FunctionEnd
!macroend
!insertmacro ROLLBACK_FAILURE ""
!insertmacro ROLLBACK_FAILURE "un."

Function PutNewFilesInPlace
  StrCpy $Placed1 0
  StrCpy $Placed2 0
  StrCpy $Placed3 0
  !insertmacro SET_ASIDE 1 VANTROK.exe
  !insertmacro SET_ASIDE 2 vantrok-check.exe
  !insertmacro SET_ASIDE 3 uninstall.exe
  !insertmacro MOVE_IN 1 VANTROK.exe
  !ifdef TEST_SCANNER_HOLDS_NEW_FILES
    ; Tests only: a scanner takes the file just placed and the next one to be
    ; placed, so the rollback cannot remove it.
    FileOpen $R8 "$INSTDIR\VANTROK.exe" r
    FileOpen $R9 "$INSTDIR\uninstall.exe.new" r
  !endif
  !insertmacro MOVE_IN 2 vantrok-check.exe
  !insertmacro MOVE_IN 3 uninstall.exe
  !insertmacro CLEAR_ASIDE VANTROK.exe
  !insertmacro CLEAR_ASIDE vantrok-check.exe
  !insertmacro CLEAR_ASIDE uninstall.exe
  Return
  rollback:
  !insertmacro PUT_BACK 1 VANTROK.exe
  !insertmacro PUT_BACK 2 vantrok-check.exe
  !insertmacro PUT_BACK 3 uninstall.exe
  StrCpy $R0 ${EXIT_FILE_IN_USE}
  StrCpy $R1 "A file of VANTROK in $INSTDIR is in use by another program."
  StrCpy $R2 "Nothing was changed; close it and run the installer again."
  Call FailAfterRollback
FunctionEnd

Function RemoveNewFiles
  Delete "$INSTDIR\VANTROK.exe.new"
  Delete "$INSTDIR\vantrok-check.exe.new"
  Delete "$INSTDIR\uninstall.exe.new"
FunctionEnd

; A write error while extracting (a full disk) ends the section at once, with
; NSIS's own message: the new files go and the ended copy starts again, as
; when a file cannot be opened for writing.
Function .onInstFailed
  Call RemoveNewFiles
  Call RestartEndedCopies
  !insertmacro FAIL ${EXIT_CANNOT_WRITE} "VANTROK could not be written to $INSTDIR. Nothing was changed."
FunctionEnd

Section
  ; A clean-up still waiting to delete the uninstaller of an installation
  ; removed from this folder leaves the new one alone.
  Delete "$INSTDIR\${CLEAN_UP_MARKER}"
  Call ExtractHelper
  Call EndRunningCopies
  SetOutPath "$INSTDIR"
  ; A file that cannot be written is skipped and flagged, not asked about.
  SetOverwrite try
  ClearErrors
  File "/oname=VANTROK.exe.new" "${PROGRAM}"
  File "/oname=vantrok-check.exe.new" "${CHECK}"
  WriteUninstaller "$INSTDIR\uninstall.exe.new"
  ${If} ${Errors}
    Call RemoveNewFiles
    Call RestartEndedCopies
    !insertmacro FAIL ${EXIT_CANNOT_WRITE} "VANTROK could not be written to $INSTDIR. Nothing was changed."
  ${EndIf}
  Call PutNewFilesInPlace
  ; A log of an earlier failed rollback is done with.
  Delete "$INSTDIR\${SETUP_LOG}"

  ; The program is meant to start with Windows, whoever logs on.
  Push $INSTDIR
  Call CreateShortcuts

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
  Call ForgetFormerInstallations

  ; A deployment tool must not report success while the station imports
  ; nothing until the next logon.
  Call StartAsLoggedOnUser
  ${If} $0 == 2
    MessageBox MB_ICONEXCLAMATION|MB_OK "VANTROK ${VERSION} is installed, but could not be started now; it starts at the next logon." /SD IDOK
    SetErrorLevel ${EXIT_NOT_STARTED}
  ${EndIf}
SectionEnd

; --- Shortcuts ------------------------------------------------------------------
; VANTROK in the common Startup folder, and a console with the last 31 days'
; reconciliation in the Start menu, for everyone on the PC.
!define CHECK_FOLDER "$SMPROGRAMS\VANTROK"
!define CHECK_SHORTCUT "${CHECK_FOLDER}\VANTROK check.lnk"

!macro SHORTCUTS prefix
; For the programs in the folder on the stack.
Function ${prefix}CreateShortcuts
  Exch $0
  SetShellVarContext all
  CreateShortcut "$SMSTARTUP\VANTROK.lnk" "$0\VANTROK.exe"
  CreateDirectory "${CHECK_FOLDER}"
  CreateShortcut "${CHECK_SHORTCUT}" "$SYSDIR\cmd.exe" '/k "$0\vantrok-check.exe" report --last 31' \
    "$0\VANTROK.exe" 0 SW_SHOWNORMAL "" "Deliveries and daily sales of the last 31 days"
  Pop $0
FunctionEnd
!macroend
!insertmacro SHORTCUTS ""
!insertmacro SHORTCUTS "un."

; --- Uninstalling -------------------------------------------------------------
Section "Uninstall"
  Call un.ExtractHelper
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
    StrCpy $R0 ${EXIT_FILE_IN_USE}
    StrCpy $R1 "A file of VANTROK in $INSTDIR is in use by another program."
    StrCpy $R2 "Nothing was removed; close it and uninstall again."
    Call un.FailAfterRollback
  aside:
  !insertmacro CLEAR_ASIDE VANTROK.exe
  !insertmacro CLEAR_ASIDE vantrok-check.exe
  Delete "$INSTDIR\${SETUP_LOG}"

  ; The shortcuts are shared by name: while the other bitness's installation
  ; remains elsewhere, they go over to it instead of going.
  Call un.ReadOtherEntry
  ${If} $OtherLocation != ""
  ${AndIf} ${FileExists} "$OtherLocation\VANTROK.exe"
    Push $OtherLocation
    Call un.CreateShortcuts
  ${Else}
    SetShellVarContext all
    Delete "$SMSTARTUP\VANTROK.lnk"
    Delete "${CHECK_SHORTCUT}"
    RMDir "${CHECK_FOLDER}"
  ${EndIf}
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; VANTROK's own key, with the station login vantrok-check stored there: in
  ; the 64-bit view whatever this uninstaller's bitness, whole, as nothing
  ; else writes to it. An upgrade never comes here, so it keeps the login.
  SetRegView 64
  DeleteRegKey HKLM "SOFTWARE\VANTROK"
  SetRegView lastused

  ; Run in place (_?=) the uninstaller cannot delete itself while it runs: a
  ; hidden command outside the deployment tool's job deletes it once it has
  ; ended.
  Delete "$INSTDIR\uninstall.exe"
  ${If} ${FileExists} "$INSTDIR\uninstall.exe"
    Call un.StartCleanUp
  ${EndIf}
  ; Only when empty: the folder may have been chosen with files of others in it.
  RMDir "$INSTDIR"
SectionEnd

; The clean-up goes on only while the marker is there, which an installation
; into this folder removes first: a later installation's uninstaller is never
; touched. It tries for about a minute, a second apart, then deletes itself.
Function un.StartCleanUp
  FileOpen $0 "$INSTDIR\${CLEAN_UP_MARKER}" w
  FileClose $0
  GetTempFileName $1
  Delete $1
  StrCpy $1 "$1.cmd"
  FileOpen $0 $1 w
  FileWrite $0 '@echo off$\r$\nset tries=0$\r$\n:again$\r$\n'
  FileWrite $0 'if not exist "$INSTDIR\${CLEAN_UP_MARKER}" goto done$\r$\n'
  FileWrite $0 'del /f /q "$INSTDIR\uninstall.exe" 2>nul$\r$\n'
  FileWrite $0 'if not exist "$INSTDIR\uninstall.exe" goto removed$\r$\n'
  FileWrite $0 'set /a tries+=1$\r$\nif %tries% geq 60 goto done$\r$\n'
  FileWrite $0 'ping -n 2 127.0.0.1 >nul$\r$\ngoto again$\r$\n'
  FileWrite $0 ':removed$\r$\ndel /f /q "$INSTDIR\${CLEAN_UP_MARKER}"$\r$\nrmdir "$INSTDIR" 2>nul$\r$\n'
  FileWrite $0 ':done$\r$\ndel "%~f0"$\r$\n'
  FileClose $0
  ExecWait '"${HELPER}" --detach "$SYSDIR\cmd.exe" /d /c "$1"' $0
  ${If} $0 != 0
    Delete "$INSTDIR\${CLEAN_UP_MARKER}"
    Delete $1
  ${EndIf}
FunctionEnd
