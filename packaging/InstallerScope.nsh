; Whom the installer installs for: the current user by default, into
; %LOCALAPPDATA%\Programs\Brindlow with no administrator needed (the
; installer asks Windows for no elevation), or all users, into Program
; Files, when the scope page or /allusers asks for it. Only then does it ask
; for an administrator, by starting itself again elevated. SHCTX (the
; uninstall entry, the install folder's record), $SMPROGRAMS and $LOCALAPPDATA
; all follow the shell context set here.
;
;   /currentuser   the current user (the default)
;   /allusers      every user of the machine
;   neither        where Brindlow is installed already (the user's copy
;                  first, then the machine's), else the current user
;   /D=folder      the folder, whichever the scope

!include nsDialogs.nsh

!define BRINDLOW_USER_DIR '$LOCALAPPDATA\Programs\Brindlow'
!define BRINDLOW_MACHINE_DIR '$PROGRAMFILES64\Brindlow'
!define BRINDLOW_RECORD 'Software\Brindlow\Brindlow'
!define BRINDLOW_UNINSTALL_KEY 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlow'
; Written by the MSI (Brindlow.wxs.in) while its copy for everyone is installed.
!define BRINDLOW_MSI_RECORD 'Software\Brindlow\Msi'
; The exit code of an installer that finds the MSI's copy for everyone.
!define BRINDLOW_MSI_COPY 4

Var brindlow_scope_fixed
Var brindlow_dir_given
Var brindlow_radio_user
Var brindlow_radio_machine

Function brindlow_use_user_scope
  SetShellVarContext current
  StrCpy $SV_ALLUSERS 'JustMe'
FunctionEnd

Function brindlow_use_machine_scope
  SetShellVarContext all
  StrCpy $SV_ALLUSERS 'AllUsers'
FunctionEnd

; $0: 1 when this process runs elevated (an administrator's full token).
Function brindlow_is_admin
  StrCpy $0 0
  ClearErrors
  UserInfo::GetAccountType
  IfErrors brindlow_admin_done
  Pop $1
  StrCmp $1 'Admin' 0 brindlow_admin_done
  StrCpy $0 1
  brindlow_admin_done:
FunctionEnd

; A silent run for all users by someone who is not elevated: the same
; command again, elevated, waited for; its result is read back from the
; machine's uninstall entry, as the shell gives no exit code.
Function brindlow_install_elevated
  ; /allusers first: /D= must stay last.
  ${GetParameters} $R0
  ExecShellWait 'runas' '$EXEPATH' '/allusers $R0'
  ReadRegStr $R1 HKLM '${BRINDLOW_UNINSTALL_KEY}' 'DisplayVersion'
  StrCmp $R1 '${VERSION}' 0 +3
  SetErrorLevel 0
  Quit
  SetErrorLevel 2
  Quit
FunctionEnd

; One copy in Program Files with one Apps & Features entry: where the MSI
; installed Brindlow for everyone, this installer does not install it for
; everyone too. $0: 1 when the MSI's copy is there (its folder in $1).
Function brindlow_msi_copy
  StrCpy $0 0
  ReadRegStr $1 HKLM '${BRINDLOW_MSI_RECORD}' 'InstallLocation'
  StrCmp $1 '' +2
  StrCpy $0 1
FunctionEnd

!define BRINDLOW_MSI_COPY_TEXT 'Brindlow is already installed for everyone from its MSI package, in $1. Upgrade it with a newer MSI, or remove it in Apps & Features before installing it for everyone with this installer.'

Function brindlow_install_scope
  StrCpy $brindlow_scope_fixed 0
  ; /D= has set $INSTDIR before this runs: any other folder than the
  ; default was given.
  StrCpy $brindlow_dir_given 1
  StrCmp $INSTDIR '${BRINDLOW_USER_DIR}' 0 +2
  StrCpy $brindlow_dir_given 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 '/allusers' $R1
  IfErrors 0 brindlow_scope_machine
  ClearErrors
  ${GetOptions} $R0 '/currentuser' $R1
  IfErrors 0 brindlow_scope_user
  ; Neither: upgrade the copy that is installed, the user's first.
  ReadRegStr $R1 HKCU '${BRINDLOW_RECORD}' ''
  StrCmp $R1 '' 0 brindlow_found_user
  ReadRegStr $R1 HKLM '${BRINDLOW_RECORD}' ''
  StrCmp $R1 '' brindlow_default_user brindlow_found_machine

  brindlow_found_user:
  Call brindlow_use_user_scope
  StrCmp $brindlow_dir_given 1 +2
  StrCpy $INSTDIR $R1
  Return
  brindlow_found_machine:
  Call brindlow_use_machine_scope
  StrCmp $brindlow_dir_given 1 +2
  StrCpy $INSTDIR $R1
  Goto brindlow_need_admin
  brindlow_default_user:
  Call brindlow_use_user_scope
  Return

  brindlow_scope_user:
  StrCpy $brindlow_scope_fixed 1
  Call brindlow_use_user_scope
  Return
  brindlow_scope_machine:
  StrCpy $brindlow_scope_fixed 1
  Call brindlow_msi_copy
  StrCmp $0 1 0 brindlow_scope_no_msi
  MessageBox MB_ICONSTOP|MB_OK '${BRINDLOW_MSI_COPY_TEXT}' /SD IDOK
  SetErrorLevel ${BRINDLOW_MSI_COPY}
  Quit
  brindlow_scope_no_msi:
  Call brindlow_use_machine_scope
  StrCmp $brindlow_dir_given 1 +2
  StrCpy $INSTDIR '${BRINDLOW_MACHINE_DIR}'
  brindlow_need_admin:
  Call brindlow_is_admin
  StrCmp $0 1 brindlow_scope_done
  ; Interactive: the scope page offers to elevate. Silent: elevate now.
  IfSilent 0 brindlow_scope_done
  Call brindlow_install_elevated
  brindlow_scope_done:
FunctionEnd

Function brindlow_scope_page
  StrCmp $brindlow_scope_fixed 1 0 +2
  Abort
  !insertmacro MUI_HEADER_TEXT 'Choose Users' 'Install Brindlow for you alone, or for everyone on this computer.'
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 10u 100% 12u 'Only for me (into my own folders; no administrator needed)'
  Pop $brindlow_radio_user
  ${NSD_CreateRadioButton} 0 30u 100% 12u 'For everyone who uses this computer (into Program Files; an administrator must agree)'
  Pop $brindlow_radio_machine
  StrCmp $SV_ALLUSERS 'AllUsers' brindlow_page_machine
  ${NSD_Check} $brindlow_radio_user
  Goto brindlow_page_show
  brindlow_page_machine:
  ${NSD_Check} $brindlow_radio_machine
  brindlow_page_show:
  nsDialogs::Show
FunctionEnd

Function brindlow_scope_leave
  ${NSD_GetState} $brindlow_radio_machine $0
  StrCmp $0 ${BST_CHECKED} brindlow_leave_machine
  StrCmp $SV_ALLUSERS 'AllUsers' 0 brindlow_leave_done
  Call brindlow_use_user_scope
  StrCmp $brindlow_dir_given 1 brindlow_leave_done
  StrCpy $INSTDIR '${BRINDLOW_USER_DIR}'
  Goto brindlow_leave_done
  brindlow_leave_machine:
  Call brindlow_msi_copy
  StrCmp $0 1 0 brindlow_leave_no_msi
  MessageBox MB_ICONSTOP|MB_OK '${BRINDLOW_MSI_COPY_TEXT}'
  Abort
  brindlow_leave_no_msi:
  StrCmp $SV_ALLUSERS 'AllUsers' brindlow_leave_admin
  Call brindlow_use_machine_scope
  StrCmp $brindlow_dir_given 1 brindlow_leave_admin
  StrCpy $INSTDIR '${BRINDLOW_MACHINE_DIR}'
  brindlow_leave_admin:
  Call brindlow_is_admin
  StrCmp $0 1 brindlow_leave_done
  ; This process cannot write to Program Files: the installer starts again
  ; elevated for all users, and this one ends; if the administrator's
  ; consent is refused, the page stays.
  ClearErrors
  ExecShell 'runas' '$EXEPATH' '/allusers'
  IfErrors brindlow_leave_refused
  Quit
  brindlow_leave_refused:
  Call brindlow_use_user_scope
  StrCmp $brindlow_dir_given 1 +2
  StrCpy $INSTDIR '${BRINDLOW_USER_DIR}'
  Abort
  brindlow_leave_done:
FunctionEnd

; The uninstaller removes the copy it belongs to: the machine's when the
; machine's record names its folder, else the user's. Removing the machine's
; copy needs an administrator; a silent run elevates itself and waits.
Function un.brindlow_uninstall_scope
  SetShellVarContext current
  StrCpy $SV_ALLUSERS 'JustMe'
  ReadRegStr $R1 HKLM '${BRINDLOW_RECORD}' ''
  StrCmp $R1 '' brindlow_un_done
  StrCmp $R1 $INSTDIR 0 brindlow_un_done
  SetShellVarContext all
  StrCpy $SV_ALLUSERS 'AllUsers'
  ClearErrors
  UserInfo::GetAccountType
  IfErrors brindlow_un_done
  Pop $1
  StrCmp $1 'Admin' brindlow_un_done
  ${GetParameters} $R0
  ClearErrors
  ExecShellWait 'runas' '$EXEPATH' '$R0'
  IfErrors 0 +2
  SetErrorLevel 2
  Quit
  brindlow_un_done:
FunctionEnd
