; The Quillomir setup program and its uninstaller. Built by the "dist" target
; (installer/CMakeLists.txt), which passes VERSION, STAGE (the folder of what
; ships), ICON and OUTFILE. Installs for the current user without administrator rights;
; /AllUsers installs into Program Files for everyone. Nothing goes into a
; Windows system folder: the saver finds gfxlib.dll beside itself.

Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh
!include StrFunc.nsh
${StrStr}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillomir"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SETTINGS_KEY "Control Panel\Screen Saver.Quillomir"
; Per user: which saver was current before Quillomir, and the path we set.
!define SETUP_KEY "Software\Quillomir\Setup"
!define SHORTCUT "Quillomir Settings.lnk"
!define PUBLISHER "The Quillomir authors"

Name "Quillomir"
OutFile "${OUTFILE}"
BrandingText "Quillomir ${VERSION}"
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"

Var AllUsers
Var RemoveSettingsBox
Var RemoveSettings

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
; Exec starts the saver without a switch: its configuration dialog.
!define MUI_FINISHPAGE_RUN "$INSTDIR\Quillomir.scr"
!define MUI_FINISHPAGE_RUN_TEXT "Choose my pictures now"
!insertmacro MUI_PAGE_FINISH

UninstPage custom un.OptionsPage un.OptionsLeave
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductName" "Quillomir"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileDescription" "Quillomir setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "LegalCopyright" "Copyright (c) 2026 the Quillomir authors"
VIAddVersionKey /LANG=${LANG_ENGLISH} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} "ProductVersion" "${VERSION}"

; For everyone the program needs administrator rights: without them, start
; this program once more through the elevation prompt with the same options
; (/Elevated stops a second round when the prompt gave no such rights).
!macro ELEVATE_FOR_ALL_USERS PARAMS
  UserInfo::GetAccountType
  Pop $R1
  ${If} $R1 != "Admin"
    ClearErrors
    ${GetOptions} ${PARAMS} "/Elevated" $R1
    ${IfNot} ${Errors}
      MessageBox MB_ICONSTOP|MB_OK "Installing Quillomir for all users needs administrator rights." /SD IDOK
      SetErrorLevel 5
      Quit
    ${EndIf}
    ClearErrors
    ExecShellWait "runas" "$EXEPATH" "/Elevated ${PARAMS}"
    ${If} ${Errors}
      MessageBox MB_ICONSTOP|MB_OK "Quillomir was not changed: administrator rights were refused." /SD IDOK
      SetErrorLevel 1223
    ${EndIf}
    Quit
  ${EndIf}
!macroend

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AllUsers" $R1
  ${If} ${Errors}
    StrCpy $AllUsers 0
    SetShellVarContext current
    ; $LOCALAPPDATA must be read in the user's context: for all users it names ProgramData.
    StrCpy $R2 "$LOCALAPPDATA\Programs\Quillomir"
  ${Else}
    StrCpy $AllUsers 1
    !insertmacro ELEVATE_FOR_ALL_USERS $R0
    SetShellVarContext all
    StrCpy $R2 "$PROGRAMFILES\Quillomir"
  ${EndIf}
  ; /D= has set $INSTDIR already; else the folder of an earlier install, else the default.
  ${If} $INSTDIR == ""
    ReadRegStr $INSTDIR SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${EndIf}
  ${If} $INSTDIR == ""
    StrCpy $INSTDIR $R2
  ${EndIf}
FunctionEnd

; Windows starts the saver as "<SCRNSAVE.EXE> /s": the path must hold no space,
; so it is the short form, which exists only once the file does.
Function MakeCurrentSaver
  GetFullPathName /SHORT $R0 "$INSTDIR\Quillomir.scr"
  ${StrStr} $R1 $R0 " "
  ${If} $R0 == ""
  ${OrIf} $R1 != ""
    MessageBox MB_ICONINFORMATION|MB_OK "Quillomir is installed, but Windows cannot start it from $INSTDIR as the screen saver: the folder has no short name without spaces. Install it into a folder without spaces to make it your screen saver." /SD IDOK
    Return
  ${EndIf}
  ReadRegStr $R1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ReadRegStr $R2 HKCU "${SETUP_KEY}" "ScreenSaver"
  ; Over an earlier install that is still current, the saver before it stays the one to restore.
  ${If} $R2 == ""
  ${OrIf} $R1 != $R2
    WriteRegStr HKCU "${SETUP_KEY}" "PreviousScreenSaver" $R1
  ${EndIf}
  WriteRegStr HKCU "${SETUP_KEY}" "ScreenSaver" $R0
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $R0
FunctionEnd

Section "Quillomir"
  SetOutPath "$INSTDIR"
  File "${STAGE}/Quillomir.scr"
  File "${STAGE}/gfxlib.dll"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Without a switch the saver opens its configuration dialog.
  CreateShortCut "$SMPROGRAMS\${SHORTCUT}" "$INSTDIR\Quillomir.scr" "" "$INSTDIR\Quillomir.scr" 0 \
                 SW_SHOWNORMAL "" "Choose the pictures and options of the Quillomir screen saver"
  Call MakeCurrentSaver

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Quillomir"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Quillomir.scr,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K /G=0" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; --- Uninstaller ---

Function un.onInit
  ; Installed for all users when the machine's uninstall entry names this folder.
  ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $INSTDIR
    StrCpy $AllUsers 1
    ${GetParameters} $R0
    !insertmacro ELEVATE_FOR_ALL_USERS $R0
    SetShellVarContext all
  ${Else}
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${EndIf}
  StrCpy $RemoveSettings ${BST_UNCHECKED}
FunctionEnd

Function un.OptionsPage
  !insertmacro MUI_HEADER_TEXT "Uninstall Quillomir" "Remove Quillomir from this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 40u "Quillomir will be removed from $INSTDIR. If it is still your screen saver, the one you had before comes back. Your picture files are not touched."
  Pop $0
  ${NSD_CreateCheckbox} 0 48u 100% 12u "Also remove my settings"
  Pop $RemoveSettingsBox
  ${NSD_CreateLabel} 12u 62u 95% 24u "Your picture list and options. Keep them if you may install Quillomir again."
  Pop $0
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^UninstallBtn)"
  nsDialogs::Show
FunctionEnd

Function un.OptionsLeave
  ${NSD_GetState} $RemoveSettingsBox $RemoveSettings
FunctionEnd

; Gives back the saver that was current before, if Quillomir is still the current one.
Function un.RestoreSaver
  ReadRegStr $R0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ReadRegStr $R1 HKCU "${SETUP_KEY}" "ScreenSaver"
  GetFullPathName /SHORT $R2 "$INSTDIR\Quillomir.scr"
  ${If} $R0 != ""
  ${AndIf} $R0 == $R1
  ${OrIf} $R0 == $R2
  ${AndIf} $R0 != ""
    ReadRegStr $R3 HKCU "${SETUP_KEY}" "PreviousScreenSaver"
    ${If} $R3 == ""
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $R3
    ${EndIf}
  ${EndIf}
  DeleteRegKey HKCU "${SETUP_KEY}"
  DeleteRegKey /ifempty HKCU "Software\Quillomir"
FunctionEnd

Section "Uninstall"
  Call un.RestoreSaver
  Delete "$INSTDIR\Quillomir.scr"
  Delete "$INSTDIR\gfxlib.dll"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${SHORTCUT}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; Silent uninstalls keep the settings: only the ticked box removes them.
  ${If} $RemoveSettings == ${BST_CHECKED}
    DeleteRegKey HKCU "${SETTINGS_KEY}"
  ${EndIf}
SectionEnd
