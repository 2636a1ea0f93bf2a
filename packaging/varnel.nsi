; The Varnel installer (makensis -INPUTCHARSET UTF8, from scripts/package).
; Defined on the command line: VERSION (the project's), STAGE (the folder holding varnel.exe,
; varnel.ico and finish.bmp, drawn by assets/make_finish_bitmap.py), OUTFILE; SIGN (a command
; that signs the file it is given in place) when signing;
; TARGET amd64-unicode for the x86_64 build (tests under wine64 where 32-bit programs cannot run).
; Per user into %LOCALAPPDATA%\Programs\Varnel without administrator rights; /ALLUSERS (or the
; first page's choice) into %ProgramFiles%\Varnel, elevated. It talks to a running program only
; through its hidden listener window: WM_CLOSE, then, after 5 s, TerminateProcess.
; VARNEL_TEST_AS_USER (tests only, never scripts/package) takes the unelevated branch under Wine.
!ifdef TARGET
Target ${TARGET}
!else
Unicode true
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Varnel"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "devora"
!define EXE "varnel.exe"
!define LISTENER_CLASS "VarnelListener" ; the program's hidden top-level window
!define UNINSTALLER "uninstall.exe"

Name "Varnel"
OutFile "${OUTFILE}"
BrandingText "Varnel ${VERSION}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

!ifdef SIGN
!finalize '${SIGN} "%1"'
!uninstfinalize '${SIGN} "%1"'
!endif

VIProductVersion "${VERSION}.0.0"
VIFileVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=2052 "ProductName" "Varnel"
VIAddVersionKey /LANG=2052 "FileDescription" "Varnel 定时关机 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Varnel"

Var AllUsers       ; 1: for all users (elevated)
Var Elevated       ; 1: the elevated restart of an unelevated run (/ELEVATED)
Var WasRunning     ; 1: a running program was ended and is started again afterwards
Var ChosenFolder   ; 1: /D= or the directory page chose the folder
Var PerUserRadio
Var AllUsersRadio

!define MUI_ICON "${STAGE}\varnel.ico"
!define MUI_UNICON "${STAGE}\varnel.ico"
; The finish page's picture (the uninstaller has none), unstretched: its clock stays round in the
; space the dialog's font gives it, and its white edges meet the page's.
!define MUI_WELCOMEFINISHPAGE_BITMAP "${STAGE}\finish.bmp"
!define MUI_WELCOMEFINISHPAGE_BITMAP_STRETCH NoStretchNoCrop
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "运行 Varnel"
!define MUI_FINISHPAGE_RUN_FUNCTION RunProgram

Page custom ModePage ModePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE DirectoryLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FinishShow
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; ---- both: the mode, elevation, ending a running program ----

; Deletes the start-with-Windows value only where it names this install's exe.
!macro DeleteOwnRunValue root
    ReadRegStr $0 ${root} "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $0 == '"$INSTDIR\${EXE}"'
    ${OrIf} $0 == "$INSTDIR\${EXE}"
        DeleteRegValue ${root} "${RUN_KEY}" "${RUN_VALUE}"
    ${EndIf}
!macroend

; Reads /ALLUSERS and the mark of an elevated restart (/ELEVATED).
!macro ChooseMode un
Function ${un}ChooseMode
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/ALLUSERS" $1
    ${IfNot} ${Errors}
        StrCpy $AllUsers 1
    ${EndIf}
    ClearErrors
    ${GetOptions} $0 "/ELEVATED" $1
    ${IfNot} ${Errors}
        StrCpy $Elevated 1
    ${EndIf}
FunctionEnd

; For all users without administrator rights: this program again, elevated and marked, so that
; it never asks twice; its exit code becomes this one's.
Function ${un}ElevateIfNeeded
    ${If} $AllUsers != 1
        SetShellVarContext current
        Return
    ${EndIf}
    SetShellVarContext all
    UserInfo::GetAccountType
    Pop $0
!ifdef VARNEL_TEST_AS_USER ; test builds only: a standard user until elevated
    ${IfThen} $Elevated != 1 ${|} StrCpy $0 "User" ${|}
!endif
    ${If} $0 == "Admin"
        Return
    ${EndIf}
    StrCpy $3 0
    ${IfThen} $Elevated != 1 ${|} Call ${un}RunElevated ${|}
    ${If} $3 == 0 ; refused, no administrator at hand, or elevated yet without the rights
        MessageBox MB_ICONEXCLAMATION "为所有用户安装或卸载需要管理员权限。" /SD IDOK
        SetErrorLevel 740 ; ERROR_ELEVATION_REQUIRED
    ${EndIf}
    Quit
FunctionEnd

; $3: 0 where the elevated restart could not start.
Function ${un}RunElevated
    ; The user's arguments (/ALLUSERS too, as the first page may have chosen it); NSIS keeps /D=
    ; and _?= (both last) out of $CMDLINE: from $INSTDIR.
    ${GetParameters} $1
    StrCpy $1 "/ALLUSERS $1 /ELEVATED"
!if "${un}" == "un."
    StrCpy $1 "$1 _?=$INSTDIR"
!else
    ${IfThen} $ChosenFolder == 1 ${|} StrCpy $1 "$1 /D=$INSTDIR" ${|}
!endif
    ; SHELLEXECUTEINFOW with SEE_MASK_NOCLOSEPROCESS; nShow and dwHotKey pointer-wide, so that
    ; the layout needs no padding on either architecture.
    System::Call '*(&l4, i 0x40, p $HWNDPARENT, w "runas", w "$EXEPATH", w r1, p 0, p ${SW_SHOWNORMAL}, p, p, p, p, p, p, p) p .r2'
    System::Call 'shell32::ShellExecuteExW(p r2) i .r3'
    System::Call '*$2(i, i, p, p, p, p, p, p, p, p, p, p, p, p, p .r4)'
    System::Free $2
    ${IfThen} $3 == 0 ${|} Return ${|}
    HideWindow
    System::Call 'kernel32::WaitForSingleObject(p r4, i -1)'
    System::Call 'kernel32::GetExitCodeProcess(p r4, *i .r5)'
    System::Call 'kernel32::CloseHandle(p r4)'
    SetErrorLevel $5
!if "${un}" == "un."
    ; An administrator may have elevated for this user ("over the shoulder"): the elevated
    ; uninstaller had the administrator's HKEY_CURRENT_USER, not this user's.
    ${If} $5 == 0
        !insertmacro DeleteOwnRunValue HKCU
    ${EndIf}
!endif
FunctionEnd

; Ends every instance of this install's varnel.exe: WM_CLOSE to its hidden top-level listener
; window, which the program takes as its own exit whatever windows it has open (set into the
; desktop, the clock is no top-level window, while its countdown and configuration windows, of
; the same class, are); up to 5 s for it to end, then by force.
Function ${un}EndRunning
    StrCpy $R1 0
    StrCpy $R9 0 ; programs ended: one that outlives TerminateProcess is not tried forever
    ${Do}
        FindWindow $R1 "${LISTENER_CLASS}" "" 0 $R1
        ${IfThen} $R1 == 0 ${|} ${ExitDo} ${|}
        System::Call "user32::GetWindowThreadProcessId(p R1, *i .R3)"
        ; SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE
        System::Call "kernel32::OpenProcess(i 0x101001, i 0, i R3) p .R4"
        ${IfThen} $R4 == 0 ${|} ${Continue} ${|}
        System::Call "kernel32::QueryFullProcessImageNameW(p R4, i 0, w .R5, *i ${NSIS_MAX_STRLEN}) i .R7"
        ${If} $R7 != 0
        ${AndIf} $R5 == "$INSTDIR\${EXE}"
            StrCpy $WasRunning 1
            System::Call "user32::PostMessageW(p R1, i ${WM_CLOSE}, p 0, p 0)"
            System::Call "kernel32::WaitForSingleObject(p R4, i 5000) i .R7"
            ${If} $R7 != 0
                System::Call "kernel32::TerminateProcess(p R4, i 1)"
                System::Call "kernel32::WaitForSingleObject(p R4, i 5000)"
            ${EndIf}
            StrCpy $R1 0 ; the list changed: from its top again
            IntOp $R9 $R9 + 1
        ${EndIf}
        System::Call "kernel32::CloseHandle(p R4)"
    ${LoopUntil} $R9 >= 20
FunctionEnd
!macroend
!insertmacro ChooseMode ""
!insertmacro ChooseMode "un."

; ---- install ----

Function DefaultFolder
    ${If} $ChosenFolder == 1
        Return
    ${EndIf}
    ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $INSTDIR != ""
        Return
    ${EndIf}
    ${If} $AllUsers == 1
        StrCpy $INSTDIR "$PROGRAMFILES\Varnel"
    ${Else}
        StrCpy $INSTDIR "$LOCALAPPDATA\Programs\Varnel"
    ${EndIf}
FunctionEnd

Function .onInit
    ${If} $INSTDIR != "" ; /D=
        StrCpy $ChosenFolder 1
    ${EndIf}
    Call ChooseMode
    ${If} ${Silent}
        Call ElevateIfNeeded
    ${Else}
        SetShellVarContext current
    ${EndIf}
    Call DefaultFolder
FunctionEnd

Function ModePage
    !insertmacro MUI_HEADER_TEXT "安装方式" "为谁安装 Varnel？"
    nsDialogs::Create 1018
    Pop $0
    ${NSD_CreateRadioButton} 0 10u 100% 12u "仅为我安装（不需要管理员权限）"
    Pop $PerUserRadio
    ${NSD_CreateRadioButton} 0 30u 100% 12u "为这台计算机的所有用户安装（需要管理员权限）"
    Pop $AllUsersRadio
    ${NSD_CreateLabel} 0 50u 100% 36u "为所有用户安装时，程序装在 Program Files 中，每个用户的设置保存在自己的 %APPDATA%\Varnel 中。"
    Pop $0
    ${If} $AllUsers == 1
        ${NSD_Check} $AllUsersRadio
    ${Else}
        ${NSD_Check} $PerUserRadio
    ${EndIf}
    nsDialogs::Show
FunctionEnd

Function ModePageLeave
    ${NSD_GetState} $AllUsersRadio $0
    ${If} $0 == ${BST_CHECKED}
        StrCpy $AllUsers 1
    ${Else}
        StrCpy $AllUsers 0
    ${EndIf}
    Call ElevateIfNeeded
    Call DefaultFolder
FunctionEnd

Function DirectoryLeave
    StrCpy $ChosenFolder 1
FunctionEnd

Section
    Call EndRunning
    SetOutPath "$INSTDIR"
    File "${STAGE}\${EXE}"
    SetOverwrite off ; the user may have put their own
    File "/oname=图标.ico" "${STAGE}\varnel.ico"
    SetOverwrite on
    ; Preset settings beside setup.exe, never over the user's.
    ${If} ${FileExists} "$EXEDIR\关机时间.ini"
    ${AndIfNot} ${FileExists} "$INSTDIR\关机时间.ini"
        CopyFiles /SILENT "$EXEDIR\关机时间.ini" "$INSTDIR"
    ${EndIf}
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"
    CreateShortCut "$SMPROGRAMS\Varnel.lnk" "$INSTDIR\${EXE}"

    StrCpy $0 ""
    ${IfThen} $AllUsers == 1 ${|} StrCpy $0 " /ALLUSERS" ${|}
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Varnel"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\${EXE}"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"$0'
    WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}"$0 /S'
    ${GetSize} "$INSTDIR" "/S=0K" $1 $2 $3
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1

    ; An all-users install runs elevated: the program it started would be too.
    ${If} $WasRunning == 1
    ${AndIf} $AllUsers != 1
        Exec '"$INSTDIR\${EXE}"'
    ${EndIf}
SectionEnd

; No "运行 Varnel" where the program would run elevated or already runs again.
Function FinishShow
    ${If} $AllUsers == 1
    ${OrIf} $WasRunning == 1
        SendMessage $mui.FinishPage.Run ${BM_SETCHECK} ${BST_UNCHECKED} 0
        ShowWindow $mui.FinishPage.Run ${SW_HIDE}
    ${EndIf}
FunctionEnd

Function RunProgram
    ${If} $AllUsers != 1
    ${AndIf} $WasRunning != 1
        Exec '"$INSTDIR\${EXE}"'
    ${EndIf}
FunctionEnd

; ---- uninstall ----

Function un.onInit
    Call un.ChooseMode
    Call un.ElevateIfNeeded
FunctionEnd

Section "Uninstall"
    Call un.EndRunning
    Delete "$INSTDIR\${EXE}"
    Delete "$INSTDIR\图标.ico"
    ; A per-user install keeps its user's settings beside the exe: they stay for a later
    ; install. For all users the file there is the preset; each user's own are in the profile.
    ${IfThen} $AllUsers == 1 ${|} Delete "$INSTDIR\关机时间.ini" ${|}
    Delete "$INSTDIR\常用热键.txt"
    Delete "$INSTDIR\窗口.bmp"
    Delete "$INSTDIR\${UNINSTALLER}"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Varnel.lnk"
    DeleteRegKey SHCTX "${UNINSTALL_KEY}"
    !insertmacro DeleteOwnRunValue HKCU
    !insertmacro DeleteOwnRunValue HKLM ; refused without administrator rights
SectionEnd
