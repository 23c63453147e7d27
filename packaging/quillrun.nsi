; The installer of Quillrun, made by scripts/release with NSIS (makensis):
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.2.3 -DSTAGE=<the zip's folder>
;            -DOUTFILE=<installer> packaging/quillrun.nsi
; STAGE holds what the zip holds: the 64-bit Quillrun.exe and QRHook.dll,
; the 32-bit ones in x86\, Quillrun-README.txt, Quillrun-README-ja.txt and
; Quillrun-LICENSE.txt.  Every file beside the programs carries the product's
; name (the uninstaller too), so that a folder of other programs given with
; /D keeps theirs: nothing of theirs is replaced or removed.
;
; For the user who runs it, without administrator rights: into
; %LOCALAPPDATA%\Programs\Quillrun, a Start-menu entry, an entry in Add/Remove
; Programs under HKCU.  A newer version installs over an older one in the same
; folder.  Besides NSIS's own /S (silent) and /D=folder (last on the line):
;   /AUTOSTART  start with Windows (the host's Options > Start with Windows)
;   /RUN        start Quillrun when the installation is done
; On 64-bit Windows the 64-bit host is the one started (it starts x86\ itself
; for 32-bit programs); on 32-bit Windows x86\Quillrun.exe, and the 64-bit
; files are not installed.

Unicode true
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma
; No file times in the installer: the same files give the same bytes.
SetDateSave off

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!ifndef VERSION | STAGE | OUTFILE
  !error "makensis -DVERSION=... -DSTAGE=... -DOUTFILE=... (see scripts/release)"
!endif

; What the host itself uses, read from its sources so that the two cannot
; differ: the window class, File > Exit's command, the Run value's name,
; the settings file's name and the switch that labels the library files.
!searchparse /file "${__FILEDIR__}/../src/core/contract.h" '#define QR_HOST_CLASS "' HOST_CLASS '"'
!searchparse /file "${__FILEDIR__}/../src/core/contract.h" '#define QR_SETTINGS_FILE "' SETTINGS_FILE '"'
!searchparse /file "${__FILEDIR__}/../host/resource.h" '#define IDM_EXIT ' IDM_EXIT
!searchparse /file "${__FILEDIR__}/../host/startup.cpp" 'kRunValue[] = "' RUN_VALUE '"'
!searchparse /file "${__FILEDIR__}/../host/integrity.h" '#define QR_LABEL_SWITCH "' LABEL_SWITCH '"'

!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillrun"
!define PUBLISHER "The QRHook developers"
; OpenProcess: PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE.
!define QUERY_AND_WAIT 0x00101000

Name "Quillrun ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Quillrun"
InstallDirRegKey HKCU "${UNINST_KEY}" "InstallLocation"

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "Quillrun"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "Quillrun ${VERSION} setup"
VIAddVersionKey /LANG=0 "LegalCopyright" "${PUBLISHER}, MIT licence"

Var HostExe       ; the host this installation starts
Var HostsClosed   ; 1 when a running host was ended to replace its files
Var ClosedHost    ; its program file: started again if the installation fails
; 1 for each program file this installation renamed aside (NAME.old), to be
; put back if it fails.
Var MovedHost
Var MovedLib
Var MovedHost86
Var MovedLib86
Var RunAtEnd      ; 1 with /RUN
Var SettingsFile  ; for the uninstaller's last page

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(RunNow)"
!define MUI_FINISHPAGE_RUN_FUNCTION StartHost
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "$(SettingsKept)"
!insertmacro MUI_UNPAGE_FINISH

!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Japanese"

LangString SecStartMenuName ${LANG_ENGLISH} "Start-menu entry"
LangString SecStartMenuName ${LANG_JAPANESE} "スタートメニューの項目"
LangString SecAutostartName ${LANG_ENGLISH} "Start with Windows"
LangString SecAutostartName ${LANG_JAPANESE} "Windows と一緒に起動"
LangString SecStartMenuText ${LANG_ENGLISH} "Quillrun in the Start menu."
LangString SecStartMenuText ${LANG_JAPANESE} "スタートメニューに Quillrun を追加します。"
LangString SecAutostartText ${LANG_ENGLISH} "Quillrun starts when you log on (the same as its Options > Start with Windows)."
LangString SecAutostartText ${LANG_JAPANESE} "ログオン時に Quillrun を起動します（Quillrun の Options > Start with Windows と同じです）。"
LangString RunNow ${LANG_ENGLISH} "Start Quillrun now"
LangString RunNow ${LANG_JAPANESE} "Quillrun を今すぐ起動する"
LangString HostDoesNotEnd ${LANG_ENGLISH} "Quillrun is running and does not end.$\r$\nEnd it with File > Exit, then click Retry."
LangString HostDoesNotEnd ${LANG_JAPANESE} "Quillrun が動いていて、終了しません。$\r$\n「File > Exit」で終了させてから「再試行」を押してください。"
LangString NotLabelled ${LANG_ENGLISH} "The library files could not be given their integrity label; Quillrun tries again when it starts."
LangString NotLabelled ${LANG_JAPANESE} "ライブラリファイルに整合性ラベルを付けられませんでした。Quillrun の起動時にもう一度試します。"
LangString CannotWrite ${LANG_ENGLISH} "This file cannot be written:"
LangString CannotWrite ${LANG_JAPANESE} "次のファイルを書き込めません:"
LangString SettingsKept ${LANG_ENGLISH} "Quillrun has been removed.$\r$\n$\r$\nYour settings, history and aliases were kept, in$\r$\n$SettingsFile$\r$\nfor a later installation. Delete that file yourself if you no longer want them."
LangString SettingsKept ${LANG_JAPANESE} "Quillrun を削除しました。$\r$\n$\r$\n設定、履歴、エイリアスは次のインストールのために残してあります:$\r$\n$SettingsFile$\r$\n不要なら、このファイルを自分で削除してください。"

; --- Shared by the installer and the uninstaller --------------------------------

; With host window $R0: $R2 a handle of its process (to wait for its end) and
; $R4 its program file when that file lies in this installation's folder
; ($INSTDIR or $INSTDIR\x86); $R2 is 0 for any other host, such as a copy
; from the zip elsewhere, which this installation leaves alone.  Windows
; compares paths without regard to case, and so does StrCmp (==).  Under
; Wine too the program file is a DOS path (Z:\... for a folder outside the
; Wine drives), also for a 64-bit host asked from this 32-bit program.
!macro OPEN_OWN_HOST UN
Function ${UN}OpenOwnHost
  StrCpy $R4 ""
  System::Call "user32::GetWindowThreadProcessId(p R0, *i .R1)"
  System::Call "kernel32::OpenProcess(i ${QUERY_AND_WAIT}, i 0, i R1) p .R2"
  ${If} $R2 = 0
    Return
  ${EndIf}
  System::Call "kernel32::QueryFullProcessImageNameW(p R2, i 0, w .R4, *i ${NSIS_MAX_STRLEN}) i .R3"
  ${If} $R3 <> 0
    ${GetParent} $R4 $R5
    ${If} $R5 == $INSTDIR
    ${OrIf} $R5 == "$INSTDIR\x86"
      Return
    ${EndIf}
  ${EndIf}
  System::Call "kernel32::CloseHandle(p R2)"
  StrCpy $R2 0
FunctionEnd
!macroend
!insertmacro OPEN_OWN_HOST ""
!insertmacro OPEN_OWN_HOST "un."

; Ends every running host of this installation before its files are
; replaced or removed.  A host is asked to end as File > Exit ends it: it
; saves its options, the history and the aliases and removes its hooks
; first.  Killing it would lose what it has not saved yet, and its files
; cannot be replaced while it runs.  It answers the command at once; the
; wait is for its process to end, which frees its library.  The 64-bit host
; ends its 32-bit companion (x86\, a window of another class) before it ends
; itself.  Every window of the host's class is looked at: a host of another
; copy is passed over.
!macro CLOSE_HOSTS UN
Function ${UN}CloseHosts
  StrCpy $HostsClosed 0
  StrCpy $R0 0
  ${Do}
    System::Call "user32::FindWindowExW(p 0, p R0, w '${HOST_CLASS}', p 0) p .R0"
    ${If} $R0 = 0
      ${Break}
    ${EndIf}
    Call ${UN}OpenOwnHost
    ${If} $R2 <> 0
      SendMessage $R0 ${WM_COMMAND} ${IDM_EXIT} 0 /TIMEOUT=10000
      StrCpy $HostsClosed 1
      StrCpy $ClosedHost $R4
      System::Call "kernel32::WaitForSingleObject(p R2, i 20000) i .R3"
      System::Call "kernel32::CloseHandle(p R2)"
      ; A window that stays is a host that hangs.
      IsWindow $R0 0 next
        MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$(HostDoesNotEnd)" /SD IDCANCEL IDRETRY next
        Abort
      next:
      StrCpy $R0 0  ; the windows have changed: from the first one again
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro CLOSE_HOSTS ""
!insertmacro CLOSE_HOSTS "un."

; $R0 = 1 when the Run value starts this installation's host, as the host
; writes it (the quoted path of its program); one that starts another copy,
; a zip's, is not this installation's to keep, change or remove.
!macro OWN_RUN_VALUE UN
Function ${UN}OwnRunValue
  StrCpy $R0 0
  ReadRegStr $R1 HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $R1 == '"$INSTDIR\Quillrun.exe"'
  ${OrIf} $R1 == '"$INSTDIR\x86\Quillrun.exe"'
    StrCpy $R0 1
  ${EndIf}
FunctionEnd

Function ${UN}RemoveOwnRunValue
  Call ${UN}OwnRunValue
  ${If} $R0 = 1
    DeleteRegValue HKCU "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}
FunctionEnd
!macroend
!insertmacro OWN_RUN_VALUE ""
!insertmacro OWN_RUN_VALUE "un."

; Takes a file out of the way: deleted, or, when it is in use (a library
; stays mapped in a program until that program lets it go) and cannot be,
; moved into the temporary folder.
!macro SET_ASIDE PATH
  Delete "${PATH}"
  ${If} ${FileExists} "${PATH}"
    GetTempFileName $R1
    Delete "$R1"
    Rename "${PATH}" "$R1"
  ${EndIf}
!macroend

; --- The installer ---------------------------------------------------------------

; Puts one program file in place.  The file there is renamed aside first
; (NAME.old, after one left from an earlier installation): a file in use
; cannot be replaced or deleted, but it can be renamed.  Should the
; installation fail, .onInstFailed renames the old files back, so that the
; host it starts again is the one that ran, whole, not a mix of two
; versions.  MOVED notes the rename.
!macro PUT_FILE SOURCE DIR NAME MOVED
  !insertmacro SET_ASIDE "${DIR}\${NAME}.old"
  ${If} ${FileExists} "${DIR}\${NAME}"
    ClearErrors
    Rename "${DIR}\${NAME}" "${DIR}\${NAME}.old"
    ${If} ${Errors}
      DetailPrint "$(CannotWrite) ${DIR}\${NAME}"
      Abort
    ${EndIf}
    StrCpy ${MOVED} 1
  ${EndIf}
  ClearErrors
  File "${SOURCE}"
  ${If} ${Errors}
    DetailPrint "$(CannotWrite) ${DIR}\${NAME}"
    Abort
  ${EndIf}
!macroend

; What PUT_FILE renamed aside takes its name again (.onInstFailed).
!macro PUT_BACK DIR NAME MOVED
  ${If} ${MOVED} = 1
    Delete "${DIR}\${NAME}"
    Rename "${DIR}\${NAME}.old" "${DIR}\${NAME}"
  ${EndIf}
!macroend

; Installations before the files carried the product's name wrote
; README.txt, README-ja.txt, LICENSE.txt and Uninstall.exe.  They go when the
; Add/Remove entry shows such an installation in this folder, and each text
; file only when its own lines show it is ours: the folder may be one of
; other programs, whose file of that name stays.
!macro REMOVE_IF_OURS PATH SKIP LINE TEXT
  ClearErrors
  FileOpen $R0 "${PATH}" r
  ${IfNot} ${Errors}
    FileSeek $R0 ${SKIP}
    ${For} $R2 1 ${LINE}
      FileRead $R0 $R1
    ${Next}
    FileClose $R0
    StrLen $R2 "${TEXT}"
    StrCpy $R1 $R1 $R2
    ${If} $R1 == "${TEXT}"
      Delete "${PATH}"
    ${EndIf}
  ${EndIf}
!macroend

Function RemoveOldNames
  ReadRegStr $R0 HKCU "${UNINST_KEY}" "UninstallString"
  ${If} $R0 == '"$INSTDIR\Uninstall.exe"'
    Delete "$INSTDIR\Uninstall.exe"
    !insertmacro REMOVE_IF_OURS "$INSTDIR\README.txt" 0 1 "Quillrun "
    !insertmacro REMOVE_IF_OURS "$INSTDIR\README-ja.txt" 3 1 "Quillrun "
    !insertmacro REMOVE_IF_OURS "$INSTDIR\LICENSE.txt" 0 3 "Copyright (c) 2026 The QRHook developers"
  ${EndIf}
FunctionEnd

Function StartHost
  ; One host at a time: a second start would only bring the first forward.
  ; So while a host of another copy runs, this one is not started.
  FindWindow $R0 "${HOST_CLASS}"
  ${If} $R0 = 0
    SetOutPath "$INSTDIR"
    Exec '"$HostExe"'
  ${EndIf}
FunctionEnd

Section "-Quillrun" SecMain
  Call CloseHosts
  SetOutPath "$INSTDIR"
  ${If} ${RunningX64}
    !insertmacro PUT_FILE "${STAGE}/Quillrun.exe" "$INSTDIR" Quillrun.exe $MovedHost
    !insertmacro PUT_FILE "${STAGE}/QRHook.dll" "$INSTDIR" QRHook.dll $MovedLib
    StrCpy $HostExe "$INSTDIR\Quillrun.exe"
  ${Else}
    StrCpy $HostExe "$INSTDIR\x86\Quillrun.exe"
  ${EndIf}
  SetOutPath "$INSTDIR\x86"
  !insertmacro PUT_FILE "${STAGE}/x86/Quillrun.exe" "$INSTDIR\x86" Quillrun.exe $MovedHost86
  !insertmacro PUT_FILE "${STAGE}/x86/QRHook.dll" "$INSTDIR\x86" QRHook.dll $MovedLib86
  SetOutPath "$INSTDIR"
  ; The libraries' mandatory integrity label, which keeps sandboxed
  ; programs (below medium integrity) from loading them, is set by the host
  ; itself, with the code it runs at every start: the 64-bit host labels
  ; both widths' files (on a 32-bit Windows the 32-bit host its own).  A
  ; file it cannot label (a drive without access control; Wine, which has
  ; no integrity levels) fails nothing: the host tries again at its start
  ; and says so in its window.
  ClearErrors
  ExecWait '"$HostExe" ${LABEL_SWITCH}' $R0
  ${If} ${Errors}
  ${OrIf} $R0 <> 0
    DetailPrint "$(NotLabelled)"
  ${EndIf}
  ClearErrors
  File "${STAGE}/Quillrun-README.txt"
  File "${STAGE}/Quillrun-README-ja.txt"
  File "${STAGE}/Quillrun-LICENSE.txt"
  Call RemoveOldNames
  WriteUninstaller "$INSTDIR\Quillrun-Uninstall.exe"
  ; All in place: the old program files go, but for one still in use (the
  ; next installation or the uninstaller removes it).
  Delete "$INSTDIR\Quillrun.exe.old"
  Delete "$INSTDIR\QRHook.dll.old"
  Delete "$INSTDIR\x86\Quillrun.exe.old"
  Delete "$INSTDIR\x86\QRHook.dll.old"

  WriteRegStr HKCU "${UNINST_KEY}" "DisplayName" "Quillrun"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINST_KEY}" "DisplayIcon" "$HostExe"
  WriteRegStr HKCU "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Quillrun-Uninstall.exe"'
  WriteRegStr HKCU "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Quillrun-Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINST_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD HKCU "${UNINST_KEY}" "EstimatedSize" $R0
SectionEnd

Section "$(SecStartMenuName)" SecStartMenu
  CreateShortcut "$SMPROGRAMS\Quillrun.lnk" "$HostExe"
SectionEnd

Section /o "$(SecAutostartName)" SecAutostart
  ; As the host writes it (host/startup.cpp): the quoted path of the program.
  WriteRegStr HKCU "${RUN_KEY}" "${RUN_VALUE}" '"$HostExe"'
SectionEnd

Section "-Finish"
  ; What was unchecked is taken away (an earlier installation may have it).
  ${IfNot} ${SectionIsSelected} ${SecAutostart}
    Call RemoveOwnRunValue
  ${EndIf}
  ${IfNot} ${SectionIsSelected} ${SecStartMenu}
    Delete "$SMPROGRAMS\Quillrun.lnk"
  ${EndIf}
  ; A host ended above runs again, the new one now; /RUN asks for it too.
  ${If} $HostsClosed = 1
  ${OrIf} $RunAtEnd = 1
    Call StartHost
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecStartMenu} "$(SecStartMenuText)"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "$(SecAutostartText)"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetShellVarContext current
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
  ; Start with Windows: asked for, or kept from an earlier installation in
  ; this folder ($INSTDIR: /D, else the earlier InstallLocation, else the
  ; default).  A Run value of another copy is that copy's.
  Call OwnRunValue
  ${If} $R0 = 1
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecAutostart}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/RUN" $R1
  ${IfNot} ${Errors}
    StrCpy $RunAtEnd 1
  ${EndIf}
  ; An earlier installation without a Start-menu entry stays without one.
  ReadRegStr $R1 HKCU "${UNINST_KEY}" "InstallLocation"
  ${If} $R1 != ""
  ${AndIfNot} ${FileExists} "$SMPROGRAMS\Quillrun.lnk"
    !insertmacro UnselectSection ${SecStartMenu}
  ${EndIf}
FunctionEnd

; The installation failed (a file that could not be written, a host that
; did not end): the program files it renamed aside are put back, and a host
; it ended runs again, the one that ran.
Function .onInstFailed
  !insertmacro PUT_BACK "$INSTDIR" Quillrun.exe $MovedHost
  !insertmacro PUT_BACK "$INSTDIR" QRHook.dll $MovedLib
  !insertmacro PUT_BACK "$INSTDIR\x86" Quillrun.exe $MovedHost86
  !insertmacro PUT_BACK "$INSTDIR\x86" QRHook.dll $MovedLib86
  ${If} $ClosedHost != ""
    StrCpy $HostExe $ClosedHost
    Call StartHost
  ${EndIf}
FunctionEnd

; --- The uninstaller -------------------------------------------------------------

; Removes a program file, and the one an installation renamed aside.  The
; library can stay mapped in a program for a while after the host removed
; its hooks (until that program lets it go): it cannot be deleted then, but
; it can be moved out of the way, into the temporary folder.
!macro REMOVE_FILE PATH
  !insertmacro SET_ASIDE "${PATH}.old"
  !insertmacro SET_ASIDE "${PATH}"
!macroend

Function un.onInit
  SetShellVarContext current
  ${If} ${RunningX64}
    SetRegView 64
  ${EndIf}
FunctionEnd

; The settings file stays: the last page names the one the host uses
; (host/settings.cpp), the Windows folder's where it exists and takes
; writes, else the user's own.  A host older than its manifest ran with the
; file virtualised: such a user's file may still be in the VirtualStore
; (%LOCALAPPDATA%\VirtualStore\Windows), until the host's next start carries
; it over.
Function un.FindSettingsFile
  StrCpy $SettingsFile "$WINDIR\${SETTINGS_FILE}"
  ${If} ${FileExists} "$SettingsFile"
    ClearErrors
    FileOpen $R0 "$SettingsFile" a
    ${IfNot} ${Errors}
      FileClose $R0
      Return
    ${EndIf}
  ${EndIf}
  StrCpy $SettingsFile "$APPDATA\Quillrun\${SETTINGS_FILE}"
  StrCpy $R0 $WINDIR "" 2  ; the Windows folder without its drive: \Windows
  StrCpy $R0 "$LOCALAPPDATA\VirtualStore$R0\${SETTINGS_FILE}"
  ${IfNot} ${FileExists} "$SettingsFile"
  ${AndIf} ${FileExists} "$R0"
    StrCpy $SettingsFile "$R0"
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.CloseHosts
  Call un.RemoveOwnRunValue
  Delete "$SMPROGRAMS\Quillrun.lnk"
  ; Only the files this installation wrote: in a folder of other programs
  ; theirs stay, and so does the folder.
  !insertmacro REMOVE_FILE "$INSTDIR\Quillrun.exe"
  !insertmacro REMOVE_FILE "$INSTDIR\QRHook.dll"
  !insertmacro REMOVE_FILE "$INSTDIR\x86\Quillrun.exe"
  !insertmacro REMOVE_FILE "$INSTDIR\x86\QRHook.dll"
  Delete "$INSTDIR\Quillrun-README.txt"
  Delete "$INSTDIR\Quillrun-README-ja.txt"
  Delete "$INSTDIR\Quillrun-LICENSE.txt"
  Delete "$INSTDIR\Quillrun-Uninstall.exe"
  RMDir "$INSTDIR\x86"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINST_KEY}"
  Call un.FindSettingsFile
SectionEnd
