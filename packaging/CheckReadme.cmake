# The README's section "Getting it" against what the build makes: every
# package file it names (Brindlow-<version>-x64.zip, the installer, the MSI,
# the ZIP's .sha256, the manifests and their folder) must be a file the package step
# writes, and every installer switch it shows (/S, /allusers, ...) one the
# installer handles. The names come from the build's own settings: CPack's
# for the packages (CPackOptions.cmake for the installer's, WriteMsi.cmake's
# pattern for the MSI's), and the
# manifests that WriteManifests.cmake writes, run here on stand-ins.
#
#   cmake -DREADME=.../README.md -DBRINDLOW_CPACK_CONFIG=.../CPackConfig.cmake
#         -DBRINDLOW_PACKAGING=.../packaging -DWORK_DIR=... -P CheckReadme.cmake
cmake_minimum_required(VERSION 3.20)
foreach(needed README BRINDLOW_CPACK_CONFIG BRINDLOW_PACKAGING WORK_DIR)
  if(NOT DEFINED ${needed})
    message(FATAL_ERROR "CheckReadme.cmake: -D${needed}=... is needed")
  endif()
endforeach()

# The package files, named as CPack and the package step name them.
include("${BRINDLOW_CPACK_CONFIG}")
set(zip_name "${CPACK_PACKAGE_FILE_NAME}.zip")
set(zip_file_name "${CPACK_PACKAGE_FILE_NAME}")
set(CPACK_GENERATOR NSIS)
include("${BRINDLOW_PACKAGING}/CPackOptions.cmake")
set(setup_name "${CPACK_PACKAGE_FILE_NAME}.exe")
set(CPACK_PACKAGE_FILE_NAME "${zip_file_name}")
# The MSI, named as packaging/WriteMsi.cmake names it.
set(msi_name "${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}.msi")

# The manifests and the files beside the packages, as WriteManifests.cmake
# writes them for a publishable address, around stand-ins for the packages.
set(made "${WORK_DIR}/made")
file(REMOVE_RECURSE "${made}")
file(MAKE_DIRECTORY "${made}")
file(WRITE "${made}/${zip_name}" "a stand-in for the ZIP\n")
file(WRITE "${made}/${setup_name}" "a stand-in for the installer\n")
file(WRITE "${made}/${msi_name}" "a stand-in for the MSI\n")
file(WRITE "${WORK_DIR}/write.cmake"
  "include(\"${BRINDLOW_CPACK_CONFIG}\")\n"
  "set(CPACK_PACKAGE_DIRECTORY \"${made}\")\nset(CPACK_PACKAGE_FILES \"\")\n"
  "set(CPACK_BRINDLOW_RELEASE_URL \"https://github.com/brindlow/brindlow/releases/download\")\n"
  "include(\"${BRINDLOW_PACKAGING}/WriteManifests.cmake\")\n")
execute_process(COMMAND ${CMAKE_COMMAND} -P "${WORK_DIR}/write.cmake"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "README check: the manifests could not be written to learn their names:\n${out}")
endif()
file(GLOB_RECURSE written RELATIVE "${made}" "${made}/*")
set(made_names)
set(made_folders)
foreach(path IN LISTS written)
  get_filename_component(name "${path}" NAME)
  get_filename_component(folder "${path}" DIRECTORY)
  list(APPEND made_names "${name}")
  if(folder)
    list(APPEND made_folders "${folder}/")
  endif()
endforeach()
list(REMOVE_DUPLICATES made_folders)

# The switches the installer and the uninstaller read (NSIS's GetOptions in
# the script's parts), and the two NSIS itself reads: /S (silent) and /D=
# (the folder).
set(switches /S /D=)
foreach(script "${BRINDLOW_PACKAGING}/Packaging.cmake" "${BRINDLOW_PACKAGING}/InstallerScope.nsh")
  file(STRINGS "${script}" lines REGEX "GetOptions")
  foreach(line IN LISTS lines)
    if(line MATCHES "GetOptions}? +\\$[A-Z0-9]+ +'(/[A-Za-z]+=?)'")
      list(APPEND switches "${CMAKE_MATCH_1}")
    endif()
  endforeach()
endforeach()
list(REMOVE_DUPLICATES switches)

# The README's section.
file(READ "${README}" readme)
string(FIND "${readme}" "\n## Getting it\n" start)
if(start EQUAL -1)
  message(FATAL_ERROR "README check: ${README} has no section \"Getting it\"")
endif()
math(EXPR start "${start} + 1")
string(SUBSTRING "${readme}" ${start} -1 section)
string(FIND "${section}" "\n## " end)
string(SUBSTRING "${section}" 0 ${end} section)

set(problems)
# Package file names: Brindlow-<...> packages and hashes (.zip, .exe, .msi,
# .sha256; not the installer's log, Brindlow-setup.log), and the manifests
# (winget's .yaml, Scoop's .json).
string(REGEX MATCHALL "Brindlow-[^` ,;:()]*\\.(zip|exe|msi|sha256)|[A-Za-z0-9_.-]+\\.(yaml|json)"
       named "${section}")
list(REMOVE_DUPLICATES named)
foreach(name IN LISTS named)
  if(NOT name IN_LIST made_names)
    list(APPEND problems "it names ${name}, which the build does not make")
  endif()
endforeach()
foreach(needed IN ITEMS "${zip_name}" "${setup_name}")
  if(NOT needed IN_LIST named)
    list(APPEND problems "it does not name ${needed}")
  endif()
endforeach()
# The winget folder it points at.
string(REGEX MATCHALL "winget/[^` ]*/" folders "${section}")
foreach(folder IN LISTS folders)
  if(NOT folder IN_LIST made_folders)
    list(APPEND problems "it names the folder ${folder}, which the build does not make")
  endif()
endforeach()
# Switches: a slash then letters, after a space or a backtick; msiexec's own
# (/i, /qn, /x, /l*v), in a command that starts with it, are not the
# installer's.
string(REGEX REPLACE "`msiexec [^`]*`" "" installer_text "${section}")
string(REGEX MATCHALL "[ `]/[A-Za-z]+=?" shown "${installer_text}")
set(shown_switches)
foreach(s IN LISTS shown)
  string(SUBSTRING "${s}" 1 -1 s)
  list(APPEND shown_switches "${s}")
endforeach()
list(REMOVE_DUPLICATES shown_switches)
foreach(s IN LISTS shown_switches)
  if(NOT s IN_LIST switches)
    list(JOIN switches " " known)
    list(APPEND problems "it shows the switch ${s}, which the installer does not handle (it handles ${known})")
  endif()
endforeach()

if(problems)
  list(JOIN problems "\n  " text)
  message(FATAL_ERROR "README check: ${README}, \"Getting it\":\n  ${text}")
endif()
list(LENGTH named name_count)
list(LENGTH shown_switches switch_count)
message(STATUS "README check: \"Getting it\" names ${name_count} package files and shows ${switch_count} switches, as the build makes and handles them")
