# What a Windows user gets: a portable ZIP, an installer and an MSI, all
# built by CPack from the same install tree (scripts/package).

# The MSI's custom action (MsiActions.cpp), a DLL that the MSI carries in its
# Binary table: at a path of its own, which the package step reads.
if(WIN32)
  add_library(BrindlowMsiActions SHARED ${CMAKE_SOURCE_DIR}/packaging/MsiActions.cpp)
  target_link_libraries(BrindlowMsiActions PRIVATE brindlow_core msi shell32)
  set_target_properties(BrindlowMsiActions PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/msi)
  brindlow_warnings(BrindlowMsiActions)
  brindlow_static(BrindlowMsiActions)
endif()

install(TARGETS Brindlow RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/res/fira-code.png ${CMAKE_SOURCE_DIR}/res/fira-code-36.png
              ${CMAKE_SOURCE_DIR}/res/fira-code-48.png ${CMAKE_SOURCE_DIR}/res/fira-code-72.png DESTINATION res)
# The atlases' font itself (found in CMakeLists.txt).
install(FILES ${BRINDLOW_FIRA_CODE_TTF} DESTINATION res)
# Text files ship with CR LF line endings, as Notepad on older Windows needs
# them; they are written into the build tree from the sources at configure time.
function(brindlow_ship_text source name)
  file(READ "${source}" text)
  string(REPLACE "\r\n" "\n" text "${text}")
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE "${CMAKE_BINARY_DIR}/shipped/${name}" "${text}")
  install(FILES "${CMAKE_BINARY_DIR}/shipped/${name}" DESTINATION .)
endfunction()

install(FILES ${CMAKE_SOURCE_DIR}/icon.ico DESTINATION .)
brindlow_ship_text(${CMAKE_SOURCE_DIR}/packaging/README.txt README.txt)
# Brindlow's own licence beside the font's, each once.
brindlow_ship_text(${CMAKE_SOURCE_DIR}/LICENSE LICENSE.txt)
brindlow_ship_text(${CMAKE_SOURCE_DIR}/res/OFL.txt LICENSE-FiraCode.txt)
# The licences of what is linked into the executable: the image decoder's own
# notice (MIT or public domain, the user's choice), from the end of its header,
# and the MinGW-w64 runtime's, from the build host's packages.
file(READ "${STB_INCLUDE_DIR}/stb_image.h" stb_header)
string(FIND "${stb_header}" "This software is available under 2 licenses" stb_start REVERSE)
if(stb_start GREATER -1)
  string(SUBSTRING "${stb_header}" ${stb_start} -1 stb_licence)
  string(FIND "${stb_licence}" "*/" stb_end)
  string(SUBSTRING "${stb_licence}" 0 ${stb_end} stb_licence)
  file(WRITE "${CMAKE_BINARY_DIR}/shipped/stb-licence.txt"
       "stb_image (the image decoder in Brindlow.exe), by Sean Barrett and contributors:\n\n${stb_licence}")
  brindlow_ship_text("${CMAKE_BINARY_DIR}/shipped/stb-licence.txt" LICENSE-stb.txt)
else()
  message(FATAL_ERROR "${STB_INCLUDE_DIR}/stb_image.h: its licence, which ships, was not found")
endif()
set(BRINDLOW_RUNTIME_LICENSE /usr/share/doc/mingw-w64-common/copyright CACHE FILEPATH "MinGW-w64 runtime licence text")
if(MINGW)
  if(NOT EXISTS ${BRINDLOW_RUNTIME_LICENSE})
    message(FATAL_ERROR "${BRINDLOW_RUNTIME_LICENSE}: the MinGW-w64 runtime's licence, which ships, is missing")
  endif()
  brindlow_ship_text(${BRINDLOW_RUNTIME_LICENSE} LICENSE-mingw-w64.txt)
endif()

# Group Policy's templates, written from the settings' key table by
# tools/make_policy_templates.cpp, with the list of registry values Brindlow
# reads as policies that the package step checks them against
# (CheckPolicyTemplates.cmake). The tool runs where the build does: built
# with the host's compiler when cross-compiling (so no Wine at package time),
# as a plain executable of this build otherwise (MSVC, MSYS2).
set(BRINDLOW_POLICY_DIR ${CMAKE_BINARY_DIR}/policies)
set(BRINDLOW_POLICY_VALUES ${CMAKE_BINARY_DIR}/policy-values.txt)
if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(policy_tool ${CMAKE_BINARY_DIR}/host-tools/make_policy_templates)
  ExternalProject_Add(brindlow_host_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools/host
    BINARY_DIR ${CMAKE_BINARY_DIR}/host-tools
    CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${policy_tool})
  set(policy_tool_target brindlow_host_tools)
else()
  add_executable(make_policy_templates tools/make_policy_templates.cpp)
  target_link_libraries(make_policy_templates PRIVATE brindlow_portable)
  brindlow_warnings(make_policy_templates)
  set(policy_tool $<TARGET_FILE:make_policy_templates>)
  set(policy_tool_target make_policy_templates)
endif()
add_custom_command(
  OUTPUT ${BRINDLOW_POLICY_DIR}/Brindlow.admx ${BRINDLOW_POLICY_DIR}/en-US/Brindlow.adml ${BRINDLOW_POLICY_VALUES}
  COMMAND ${policy_tool} ${BRINDLOW_POLICY_DIR} ${BRINDLOW_POLICY_VALUES}
  DEPENDS ${policy_tool_target}
  COMMENT "Writing the Group Policy templates from the settings' key table"
  VERBATIM)
add_custom_target(brindlow_policy_templates ALL
  DEPENDS ${BRINDLOW_POLICY_DIR}/Brindlow.admx ${BRINDLOW_POLICY_DIR}/en-US/Brindlow.adml ${BRINDLOW_POLICY_VALUES})
install(FILES ${BRINDLOW_POLICY_DIR}/Brindlow.admx DESTINATION policies)
install(FILES ${BRINDLOW_POLICY_DIR}/en-US/Brindlow.adml DESTINATION policies/en-US)

# What every package holds: packaging/README.txt's list. The packages are
# checked against it as written to shipped/files.txt (CheckShippedFiles.cmake),
# the installer by its test, which installs it.
include(${CMAKE_SOURCE_DIR}/packaging/ShippedFiles.cmake)
brindlow_shipped_files(${CMAKE_SOURCE_DIR}/packaging/README.txt BRINDLOW_SHIPPED_FILES)
if(NOT MINGW)
  list(REMOVE_ITEM BRINDLOW_SHIPPED_FILES LICENSE-mingw-w64.txt)
endif()
list(JOIN BRINDLOW_SHIPPED_FILES "\n" shipped_lines)
file(WRITE "${CMAKE_BINARY_DIR}/shipped/files.txt" "${shipped_lines}\n")

set(CPACK_PACKAGE_NAME Brindlow)
set(CPACK_PACKAGE_VENDOR Brindlow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A small always-on-top overlay with the date, time and battery state")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Brindlow)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Brindlow)
# The names say the architecture, as package managers and users expect:
# Brindlow-1.0.0-x64.zip, and the installer Brindlow-1.0.0-x64-setup.exe
# (CPackOptions.cmake names it, as CPack has one name for every package).
set(CPACK_SYSTEM_NAME x64)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/packaging/CPackOptions.cmake)
set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

# A 64-bit installer (the target is set in the script: CPack splits and
# prefixes makensis's -X arguments), for the current user by default, into
# %LOCALAPPDATA%\Programs; for all users into the 64-bit Program Files
# (InstallerScope.nsh).
set(CPACK_NSIS_INSTALL_ROOT "$LOCALAPPDATA\\Programs")
set(CPACK_NSIS_PACKAGE_NAME Brindlow)
set(CPACK_NSIS_DISPLAY_NAME Brindlow)
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/icon.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/icon.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME Brindlow.exe)
# Installing over an installed copy upgrades it in place: its files are
# replaced and the user's Startup shortcut and settings stay.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL OFF)
# Values reach CPack's configuration file escaped: the NSIS paths below hold
# backslashes that it would otherwise read as escape sequences.
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_NSIS_MODIFY_PATH OFF)
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_BINARY_DIR}/shipped/LICENSE.txt)
# The finish page offers "Run Brindlow", ticked.
set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
set(CPACK_NSIS_MUI_FINISHPAGE_RUN Brindlow.exe)

# The program finds its data relative to its working directory, so every
# shortcut must start it in the install folder. "File /r" leaves the output
# path in the last subfolder it wrote, and CreateShortCut takes the output
# path as the working directory: set it back first. A Run registry entry
# would start it elsewhere, so start-at-login is a Startup-folder shortcut:
# the user's own, the same one the menu's "Start with Windows" makes and
# shows, whoever the rest was installed for.
# (NSIS strings in single quotes: CPack's configuration file mangles double ones.)
set(CPACK_NSIS_CREATE_ICONS_EXTRA [=[
  SetOutPath '$INSTDIR'
  CreateShortCut '$SMPROGRAMS\$STARTMENU_FOLDER\Brindlow.lnk' '$INSTDIR\Brindlow.exe'
]=])
# Also runs after the vendor's own key went: its empty parent goes too.
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete '$SMPROGRAMS\$MUI_TEMP\Brindlow.lnk'
  Delete '$SMPROGRAMS\$MUI_TEMP\Uninstall Brindlow.lnk'
  DeleteRegKey /ifempty SHCTX 'Software\Brindlow'
]=])
# The uninstall shortcut, made by CPack as "Uninstall", says what it
# uninstalls. Start at login: an unticked choice on the finish page of an
# interactive install; in a silent one only with /AUTOSTART.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  IfFileExists '$SMPROGRAMS\$STARTMENU_FOLDER\Uninstall.lnk' 0 +3
  Delete '$SMPROGRAMS\$STARTMENU_FOLDER\Uninstall Brindlow.lnk'
  Rename '$SMPROGRAMS\$STARTMENU_FOLDER\Uninstall.lnk' '$SMPROGRAMS\$STARTMENU_FOLDER\Uninstall Brindlow.lnk'
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 '/AUTOSTART' $R1
  IfErrors +2 0
  Call brindlow_start_at_login
  Call brindlow_uninstall_entry
  Call brindlow_start_again
]=])
# The settings in %APPDATA%\Brindlow are the user's: the uninstaller asks
# before removing them (No by default); a silent uninstall keeps them unless
# given /REMOVESETTINGS. The mark that the first start's greeting was shown
# goes in any case, with the rest of Brindlow's registry.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  !insertmacro BRINDLOW_CLOSE_RUNNING
  SetShellVarContext current
  Call un.brindlow_remove_own_startup
  IfFileExists '$APPDATA\Brindlow\*.*' 0 brindlow_settings_done
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 '/REMOVESETTINGS' $R1
  IfErrors 0 brindlow_settings_remove
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 'Also remove your Brindlow settings in $APPDATA\Brindlow?' /SD IDNO IDNO brindlow_settings_done
  brindlow_settings_remove:
  RMDir /r '$APPDATA\Brindlow'
  brindlow_settings_done:
  DeleteRegValue HKCU 'Software\Brindlow' 'Welcomed'
  DeleteRegKey /ifempty HKCU 'Software\Brindlow'
  SetShellVarContext all
  Call un.brindlow_remove_own_startup
  StrCmp $SV_ALLUSERS 'AllUsers' +2 0
  SetShellVarContext current
]=])
# A running copy of the Brindlow.exe being replaced holds it open: close it
# (WM_CLOSE to its overlay, as its menu's Close does) and wait for the
# process to end, shown by its single-instance mutex going, before any file
# is touched. A copy running from another folder (a portable one) is left
# running: it holds none of these files.
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS [=[
  !insertmacro BRINDLOW_CLOSE_RUNNING
]=])
set(BRINDLOW_NSIS_CODE [=[
; 1 when the install closed the running copy of the Brindlow.exe it replaces.
Var BrindlowWasRunning
; The exit code of an installer or uninstaller that could not close the
; running copy (NSIS's own: 0 done, 1 cancelled, 2 stopped).
!define BRINDLOW_STILL_RUNNING 3

; One copy of Brindlow runs at a time, whichever folder it runs from, so the
; first overlay found names the running process. Only when that process runs
; $INSTDIR\Brindlow.exe is it closed: its image path is asked of Windows
; (QueryFullProcessImageNameW, with the least access that reads it, which
; Windows gives more often than full query access) and compared with ours
; as Windows names files: both in their long form (a process started by an
; 8.3 name may keep it in its image path) and, as StrCmp does, ignoring case.
; A process that cannot be opened or read may still hold our files: it is
; closed, as any running copy once was.
!macro BRINDLOW_CLOSE_RUNNING
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  brindlow_find:
  ; $4: the closed process, to wait for its end; 0 when none was opened.
  StrCpy $4 0
  FindWindow $0 'MAINWINDOW_CLASSNAME'
  StrCmp $0 0 brindlow_wait_start 0
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
  System::Call 'kernel32::OpenProcess(i 0x1000, i 0, i r1) p .r2'
  StrCmp $2 0 brindlow_close 0
  System::Call 'kernel32::QueryFullProcessImageNameW(p r2, i 0, w .r3, *i ${NSIS_MAX_STRLEN}) i .r1'
  System::Call 'kernel32::CloseHandle(p r2)'
  IntCmp $1 0 brindlow_close 0 0
  System::Call 'kernel32::GetLongPathNameW(w r3, w .r4, i ${NSIS_MAX_STRLEN}) i .r1'
  IntCmp $1 0 +2 0 0
  StrCpy $3 $4
  StrCpy $2 '$INSTDIR\Brindlow.exe'
  System::Call 'kernel32::GetLongPathNameW(w r2, w .r4, i ${NSIS_MAX_STRLEN}) i .r1'
  IntCmp $1 0 +2 0 0
  StrCpy $2 $4
  StrCmp $3 $2 0 brindlow_gone
  brindlow_close:
  StrCpy $BrindlowWasRunning 1
  System::Call 'user32::GetWindowThreadProcessId(p r0, *i .r1)'
  System::Call 'kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r4'
  SendMessage $0 16 0 0 /TIMEOUT=5000
  brindlow_wait_start:
  StrCpy $1 0
  brindlow_wait:
  FindWindow $0 'MAINWINDOW_CLASSNAME'
  StrCmp $0 0 0 brindlow_still
  StrCpy $0 'BrindlowSingleInstance'
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w r0) p.r0'
  StrCmp $0 0 brindlow_closed 0
  System::Call 'kernel32::CloseHandle(p r0)'
  brindlow_still:
  IntOp $1 $1 + 1
  IntCmp $1 100 0 0 brindlow_stuck
  Sleep 100
  Goto brindlow_wait
  brindlow_stuck:
  StrCmp $4 0 +2
  System::Call 'kernel32::CloseHandle(p r4)'
  MessageBox MB_ICONSTOP|MB_RETRYCANCEL 'Brindlow is still running and did not close. Close it from its notification icon, then choose Retry.' /SD IDCANCEL IDRETRY brindlow_find
  ; A silent run (a package manager's, a deployment's) has nobody to tell:
  ; its exit code and a line in the user's temporary folder say it.
  IfSilent 0 brindlow_stuck_said
  Push $5
  Push $6
  Push $7
  ${GetTime} '' 'L' $0 $1 $2 $3 $4 $5 $6
  ClearErrors
  FileOpen $7 '$TEMP\Brindlow-setup.log' a
  IfErrors brindlow_stuck_unlogged
  FileSeek $7 0 END
  !ifdef __UNINSTALL__
  FileWrite $7 '$2-$1-$0 $4:$5:$6 Brindlow ${VERSION} uninstall: Brindlow in $INSTDIR is still running and did not close within 10 seconds; nothing was removed (exit code ${BRINDLOW_STILL_RUNNING}).$\r$\n'
  !else
  FileWrite $7 '$2-$1-$0 $4:$5:$6 Brindlow ${VERSION} setup: Brindlow in $INSTDIR is still running and did not close within 10 seconds; nothing was installed (exit code ${BRINDLOW_STILL_RUNNING}).$\r$\n'
  !endif
  FileClose $7
  brindlow_stuck_unlogged:
  Pop $7
  Pop $6
  Pop $5
  brindlow_stuck_said:
  SetErrorLevel ${BRINDLOW_STILL_RUNNING}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
  Abort
  brindlow_closed:
  ; The process ends a moment after it lets go of its mutex, and until then
  ; holds its exe and its folder (its working directory), which could then
  ; be neither replaced nor removed: its end is waited for.
  StrCmp $4 0 brindlow_closed_unopened
  System::Call 'kernel32::WaitForSingleObject(p r4, i 10000)'
  System::Call 'kernel32::CloseHandle(p r4)'
  Goto brindlow_gone
  brindlow_closed_unopened:
  Sleep 500
  brindlow_gone:
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
!macroend

; A silent upgrade (a package manager's) started again the copy it closed,
; as the finish page's Run does for an interactive one; only for the user's
; own install, which runs as the user and not as an administrator.
Function brindlow_start_again
  IfSilent 0 brindlow_start_again_done
  StrCmp $BrindlowWasRunning 1 0 brindlow_start_again_done
  StrCmp $SV_ALLUSERS 'AllUsers' brindlow_start_again_done 0
  SetOutPath '$INSTDIR'
  Exec '$\"$INSTDIR\Brindlow.exe$\"'
  brindlow_start_again_done:
FunctionEnd

; What Apps & Features and package managers read beside what CPack writes:
; where it is, how to remove it silently, its size, and its two flags as the
; numbers Windows expects (CPack writes them as text).
Function brindlow_uninstall_entry
  Push $0
  Push $1
  Push $2
  StrCpy $0 'Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindlow'
  WriteRegStr SHCTX $0 'InstallLocation' '$INSTDIR'
  WriteRegStr SHCTX $0 'QuietUninstallString' '$\"$INSTDIR\Uninstall.exe$\" /S'
  WriteRegDWORD SHCTX $0 'NoModify' 1
  WriteRegDWORD SHCTX $0 'NoRepair' 1
  ${GetSize} '$INSTDIR' '/S=0K' $1 $2 $2
  WriteRegDWORD SHCTX $0 'EstimatedSize' $1
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function brindlow_start_at_login
  ; The user's own Startup folder: the menu's "Start with Windows" shows it.
  SetOutPath '$INSTDIR'
  SetShellVarContext current
  CreateShortCut '$SMSTARTUP\Brindlow.lnk' '$INSTDIR\Brindlow.exe'
  StrCmp $SV_ALLUSERS 'AllUsers' 0 +2
  SetShellVarContext all
FunctionEnd

; The Startup shortcut is shared by every copy of Brindlow, and a portable
; copy's "Start with Windows" may have taken it over: only while it starts
; this installed Brindlow.exe is it this copy's, to show ticked and to
; remove. NSIS has no command that reads a shortcut's target, so Windows' own
; ShellLink object is asked (IPersistFile Load is method 5, IShellLinkW
; GetPath method 3). Both paths are compared in their long form (no 8.3
; names) and, as StrCmp does, ignoring case. $0: 1 when it is this copy's.
!macro BRINDLOW_STARTUP_IS_OURS UN
Function ${UN}brindlow_startup_is_ours
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  StrCpy $3 ''
  IfFileExists '$SMSTARTUP\Brindlow.lnk' 0 brindlow_startup_read
  StrCpy $4 '$SMSTARTUP\Brindlow.lnk'
  System::Call 'ole32::CoInitialize(p 0) i .r5'
  System::Call 'ole32::CoCreateInstance(g `{00021401-0000-0000-C000-000000000046}`, p 0, i 1, g `{000214F9-0000-0000-C000-000000000046}`, *p .r1) i .r0'
  IntCmp $0 0 0 brindlow_startup_com brindlow_startup_com
  System::Call '$1->0(g `{0000010B-0000-0000-C000-000000000046}`, *p .r2) i .r0'
  IntCmp $0 0 0 brindlow_startup_link brindlow_startup_link
  System::Call '$2->5(w r4, i 0) i .r0'
  IntCmp $0 0 0 brindlow_startup_file brindlow_startup_file
  System::Call '$1->3(w .r3, i ${NSIS_MAX_STRLEN}, p 0, i 4) i .r0'
  IntCmp $0 0 +2 0 0
  StrCpy $3 ''
  brindlow_startup_file:
  System::Call '$2->2()'
  brindlow_startup_link:
  System::Call '$1->2()'
  brindlow_startup_com:
  IntCmp $5 0 0 +2 0
  System::Call 'ole32::CoUninitialize()'
  brindlow_startup_read:
  StrCpy $0 0
  StrCmp $3 '' brindlow_startup_done
  System::Call 'kernel32::GetLongPathNameW(w r3, w .r4, i ${NSIS_MAX_STRLEN}) i .r0'
  IntCmp $0 0 +2 0 0
  StrCpy $3 $4
  StrCpy $1 '$INSTDIR\Brindlow.exe'
  System::Call 'kernel32::GetLongPathNameW(w r1, w .r4, i ${NSIS_MAX_STRLEN}) i .r0'
  IntCmp $0 0 +2 0 0
  StrCpy $1 $4
  StrCpy $0 0
  StrCmp $3 $1 0 brindlow_startup_done
  StrCpy $0 1
  brindlow_startup_done:
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd
!macroend
!insertmacro BRINDLOW_STARTUP_IS_OURS ''
!insertmacro BRINDLOW_STARTUP_IS_OURS 'un.'

; The Startup folder of the shell context in force.
Function un.brindlow_remove_own_startup
  Push $0
  Call un.brindlow_startup_is_ours
  StrCmp $0 1 0 +2
  Delete '$SMSTARTUP\Brindlow.lnk'
  Pop $0
FunctionEnd

; The Start-menu folder once more, with everything else done: the section
; removes it only if nothing has it open at that moment.
Function un.onUninstSuccess
  StrCmp $START_MENU '' +2
  RMDir '$SMPROGRAMS\$START_MENU'
FunctionEnd

; The finish page's own (NsisTemplate.cmake names them for it). An upgrade
; keeps the login shortcut, so the page shows it ticked; unticked, it goes,
; as the menu's "Start with Windows" would remove it. A portable copy's is
; left alone. Modern UI keeps the page's controls in ioSpecial.ini: "Field 5"
; is this check box, after the picture, the title, the text and "Run".
Function brindlow_finish_pre
  Push $0
  SetShellVarContext current
  Call brindlow_startup_is_ours
  StrCmp $0 1 0 +2
  !insertmacro MUI_INSTALLOPTIONS_WRITE 'ioSpecial.ini' 'Field 5' 'State' '1'
  StrCmp $SV_ALLUSERS 'AllUsers' 0 +2
  SetShellVarContext all
  Pop $0
FunctionEnd

Function brindlow_finish_leave
  Push $0
  !insertmacro MUI_INSTALLOPTIONS_READ $0 'ioSpecial.ini' 'Field 5' 'State'
  StrCmp $0 1 brindlow_finish_kept
  SetShellVarContext current
  Call brindlow_startup_is_ours
  StrCmp $0 1 0 +2
  Delete '$SMSTARTUP\Brindlow.lnk'
  StrCmp $SV_ALLUSERS 'AllUsers' 0 +2
  SetShellVarContext all
  brindlow_finish_kept:
  Pop $0
FunctionEnd

!define MUI_FINISHPAGE_SHOWREADME
!define MUI_FINISHPAGE_SHOWREADME_TEXT 'Start Brindlow when I log in'
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!define MUI_FINISHPAGE_SHOWREADME_FUNCTION brindlow_start_at_login
]=])
# Titles that name the version, with nothing after it, and a licence page
# that informs rather than asks: the MIT licence needs no acceptance.
# (BrandingText here, not through CPack, whose /TRIM option makensis refuses
# off Windows.)
set(BRINDLOW_NSIS_PAGES "Caption 'Brindlow ${PROJECT_VERSION} Setup'
BrandingText 'Brindlow ${PROJECT_VERSION}'
UninstallCaption 'Brindlow ${PROJECT_VERSION} Uninstall'
!define MUI_LICENSEPAGE_TEXT_TOP 'Brindlow is free software under the MIT licence.'
!define MUI_LICENSEPAGE_TEXT_BOTTOM 'You may use, copy and share Brindlow under these terms. Click Next to continue.'
!define MUI_LICENSEPAGE_BUTTON '$(^NextBtn)'
")
set(CPACK_NSIS_DEFINES "Target amd64-unicode\n!include FileFunc.nsh\n${BRINDLOW_NSIS_PAGES}${BRINDLOW_NSIS_CODE}
!include '${CMAKE_SOURCE_DIR}/packaging/InstallerScope.nsh'")
include(${CMAKE_SOURCE_DIR}/packaging/NsisTemplate.cmake)

# The package fails rather than ship an exe with debug sections or one that
# has grown past 1 MB.
find_program(BRINDLOW_OBJDUMP NAMES x86_64-w64-mingw32-objdump objdump llvm-objdump)
set(CPACK_BRINDLOW_OBJDUMP "${BRINDLOW_OBJDUMP}")
set(CPACK_BRINDLOW_MAX_EXE_BYTES 1048576)
# Nor does it ship without a file that README.txt lists, or with one it
# does not: checked on the staged files and on the ZIP itself.
set(CPACK_BRINDLOW_README ${CMAKE_SOURCE_DIR}/README.md)
set(CPACK_BRINDLOW_SHIPPED_LIST ${CMAKE_BINARY_DIR}/shipped/files.txt)
set(CPACK_BRINDLOW_POLICY_VALUES ${BRINDLOW_POLICY_VALUES})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/CheckShippedExe.cmake
                            ${CMAKE_SOURCE_DIR}/packaging/CheckPolicyTemplates.cmake
                            ${CMAKE_SOURCE_DIR}/packaging/CheckShippedFiles.cmake)
# Then, with both packages made, the package managers' manifests beside them.
set(CPACK_BRINDLOW_RELEASE_URL "${BRINDLOW_RELEASE_URL}")
set(CPACK_BRINDLOW_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_BRINDLOW_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
# The MSI is built after the ZIP, from the same staged files, so that it is
# there when the manifests are written after the installer.
set(CPACK_BRINDLOW_MSI_ACTIONS ${CMAKE_BINARY_DIR}/msi/BrindlowMsiActions.dll)
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/CheckShippedFiles.cmake
                             ${CMAKE_SOURCE_DIR}/packaging/WriteMsi.cmake
                             ${CMAKE_SOURCE_DIR}/packaging/WriteManifests.cmake)

include(CPack)
