# What a Windows user gets: a portable ZIP and an installer, both built by
# CPack from the same install tree (scripts/package).

install(TARGETS Brindlow RUNTIME DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/res/fira-code.png ${CMAKE_SOURCE_DIR}/res/OFL.txt DESTINATION res)
install(FILES ${CMAKE_SOURCE_DIR}/icon.ico ${CMAKE_SOURCE_DIR}/packaging/README.txt DESTINATION .)
install(FILES ${CMAKE_SOURCE_DIR}/res/OFL.txt DESTINATION . RENAME LICENSE-FiraCode.txt)
# The licences of what is linked into the executable, from the build host's
# packages (Debian's; on Windows, from wherever the dependencies came).
set(BRINDLOW_STB_LICENSE /usr/share/doc/libstb-dev/copyright CACHE FILEPATH "stb's licence text")
set(BRINDLOW_RUNTIME_LICENSE /usr/share/doc/mingw-w64-common/copyright CACHE FILEPATH "MinGW-w64 runtime licence text")
if(EXISTS ${BRINDLOW_STB_LICENSE})
  install(FILES ${BRINDLOW_STB_LICENSE} DESTINATION . RENAME LICENSE-stb.txt)
endif()
if(MINGW AND EXISTS ${BRINDLOW_RUNTIME_LICENSE})
  install(FILES ${BRINDLOW_RUNTIME_LICENSE} DESTINATION . RENAME LICENSE-mingw-w64.txt)
endif()

set(CPACK_PACKAGE_NAME Brindlow)
set(CPACK_PACKAGE_VENDOR Brindlow)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "A small always-on-top overlay with the date, time and battery state")
set(CPACK_PACKAGE_INSTALL_DIRECTORY Brindlow)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY Brindlow)
set(CPACK_SYSTEM_NAME win64)
set(CPACK_GENERATOR "ZIP;NSIS")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)

# 64-bit installer into the 64-bit Program Files (the target is set in the
# script: CPack splits and prefixes makensis's -X arguments).
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_PACKAGE_NAME Brindlow)
set(CPACK_NSIS_DISPLAY_NAME Brindlow)
set(CPACK_NSIS_MUI_ICON ${CMAKE_SOURCE_DIR}/icon.ico)
set(CPACK_NSIS_MUI_UNIICON ${CMAKE_SOURCE_DIR}/icon.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME Brindlow.exe)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MODIFY_PATH OFF)

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
set(CPACK_NSIS_DELETE_ICONS_EXTRA [=[
  Delete '$SMPROGRAMS\$MUI_TEMP\Brindlow.lnk'
]=])
# Start at login: asked for in an interactive install; in a silent one only
# with /AUTOSTART on the command line.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS [=[
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 '/AUTOSTART' $R1
  IfErrors 0 brindlow_autostart
  IfSilent brindlow_autostart_done
  MessageBox MB_YESNO|MB_ICONQUESTION 'Start Brindlow automatically when you log in?' IDNO brindlow_autostart_done
  brindlow_autostart:
  SetOutPath '$INSTDIR'
  SetShellVarContext current
  CreateShortCut '$SMSTARTUP\Brindlow.lnk' '$INSTDIR\Brindlow.exe'
  StrCmp $SV_ALLUSERS 'AllUsers' 0 +2
  SetShellVarContext all
  brindlow_autostart_done:
]=])
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS [=[
  SetShellVarContext current
  Delete '$SMSTARTUP\Brindlow.lnk'
  SetShellVarContext all
  Delete '$SMSTARTUP\Brindlow.lnk'
]=])
set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "")
set(CPACK_NSIS_DEFINES "Target amd64-unicode\n!include FileFunc.nsh")

include(CPack)
