; The station's installer: VANTROK.exe into Program Files, started at every
; user's logon from the common Startup folder, listed in Programs and Features
; with its uninstaller. CMake hands makensis:
;   VERSION    the project's version
;   COPYRIGHT  the programs' copyright line
;   PROGRAM    the VANTROK.exe to install
;   OUTFILE    the installer to write
;   TARGET     x86-unicode for the 32-bit program, amd64-unicode for the 64-bit one
; and, for a signed build, SIGN_SCRIPT and SIGN_CERT (installer/sign-windows.sh).
Unicode true
Target ${TARGET}
!include FileFunc.nsh
!include WinMessages.nsh

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

Section
  Call EndRunningCopies
  SetOutPath "$INSTDIR"
  File "/oname=VANTROK.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; The program is meant to start with Windows, whoever logs on.
  SetShellVarContext all
  CreateShortcut "$SMSTARTUP\VANTROK.lnk" "$INSTDIR\VANTROK.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VANTROK"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VANTROK.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; Running at once, as after the next logon.
  Exec '"$INSTDIR\VANTROK.exe"'
SectionEnd

Section "Uninstall"
  Call un.EndRunningCopies
  SetShellVarContext all
  Delete "$SMSTARTUP\VANTROK.lnk"
  Delete "$INSTDIR\VANTROK.exe"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: the folder may have been chosen with files of others in it.
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
