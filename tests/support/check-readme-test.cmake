# The README's "Getting it" names the files the build makes and the switches
# the installer handles (packaging/CheckReadme.cmake), and copies of it with
# one fault each are refused, naming the fault.
# cmake -DREADME=... -DBRINDLOW_CPACK_CONFIG=... -DBRINDLOW_PACKAGING=... -DWORK_DIR=... -P check-readme-test.cmake
cmake_minimum_required(VERSION 3.20)
function(run_check readme out_status out_text)
  execute_process(COMMAND ${CMAKE_COMMAND} -DREADME=${readme} -DBRINDLOW_CPACK_CONFIG=${BRINDLOW_CPACK_CONFIG}
                          -DBRINDLOW_PACKAGING=${BRINDLOW_PACKAGING} -DWORK_DIR=${WORK_DIR}/check -P
                          ${BRINDLOW_PACKAGING}/CheckReadme.cmake
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${out_status} "${status}" PARENT_SCOPE)
  set(${out_text} "${out}" PARENT_SCOPE)
endfunction()

run_check("${README}" status out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the README fails its check:\n${out}")
endif()
message(STATUS "${out}")

file(READ "${README}" real)
# Each row: what is changed, into what, and what the refusal must name.
set(faults
  "Brindlow-1.0.0-x64-setup.exe /S|Brindlow-1.0-x64-setup.exe /S|Brindlow-1.0-x64-setup.exe, which the build does not make"
  "`Brindlow-1.0.0-x64.zip`|`Brindlow-1.0.1-x64.zip`|Brindlow-1.0.1-x64.zip, which the build does not make"
  "`Brindlow-1.0.0-x64.zip.sha256`|`Brindlow-1.0.0-x64.sha256`|Brindlow-1.0.0-x64.sha256, which the build does not make"
  "`Brindlow.Brindlow.installer.yaml`|`Brindlow.Brindlow.installers.yaml`|Brindlow.Brindlow.installers.yaml, which"
  "`Brindlow.Brindlow.yaml`|`Brindlow.yaml`|Brindlow.yaml, which the build does not make"
  "scoop install brindlow.json|scoop install Brindlow.json|Brindlow.json, which the build does not make"
  "winget/Brindlow.Brindlow/1.0.0/|winget/Brindlow/1.0.0/|the folder winget/Brindlow/1.0.0/"
  "msiexec /i Brindlow-1.0.0-x64.msi|msiexec /i Brindlow-1.0.0.msi|Brindlow-1.0.0.msi, which the build does not make"
  "`/AUTOSTART`|`/AUTORUN`|the switch /AUTORUN, which the installer does not handle"
  "`/allusers`|`/AllUsers`|the switch /AllUsers"
  "`/D=C:|`/DIR=C:|the switch /DIR="
  "## Getting it\n|## Get it\n|has no section \"Getting it\"")
set(index 0)
foreach(row IN LISTS faults)
  string(REPLACE "|" ";" parts "${row}")
  list(GET parts 0 from)
  list(GET parts 1 to)
  list(GET parts 2 expected)
  string(REPLACE "\\n" "\n" from "${from}")
  string(REPLACE "\\n" "\n" to "${to}")
  string(FIND "${real}" "${from}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the README no longer holds \"${from}\", which a fault changes: update this test")
  endif()
  string(REPLACE "${from}" "${to}" faulty "${real}")
  math(EXPR index "${index} + 1")
  set(copy "${WORK_DIR}/README-fault-${index}.md")
  file(WRITE "${copy}" "${faulty}")
  run_check("${copy}" status out)
  # CMake wraps a long message where the path's length puts it: the words
  # are looked for with every run of spaces and line breaks made one space.
  string(REGEX REPLACE "[ \n]+" " " flat "${out}")
  string(FIND "${flat}" "${expected}" named)
  if(status EQUAL 0 OR named EQUAL -1)
    message(FATAL_ERROR "a README with \"${from}\" made \"${to}\" is not refused naming \"${expected}\":\n${out}")
  endif()
endforeach()
message(STATUS "README check: the real README passes; ${index} copies with one fault each are refused")
