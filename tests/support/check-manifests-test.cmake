# The package managers' manifests of the packages just built pass the check
# (packaging/CheckManifests.cmake), and copies with one fault each do not: a
# hash that is not its file's, a required field gone, another version.
# cmake -DBRINDLOW_PACKAGES_DIR=... -DBRINDLOW_VERSION=... -DBRINDLOW_RELEASE_URL=...
#       -DBRINDLOW_CHECK=.../CheckManifests.cmake -DWORK_DIR=... -P check-manifests-test.cmake
cmake_minimum_required(VERSION 3.20)
function(run_check dir out_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -DBRINDLOW_PACKAGES_DIR=${dir} -DBRINDLOW_VERSION=${BRINDLOW_VERSION}
                          -DBRINDLOW_RELEASE_URL=${BRINDLOW_RELEASE_URL} -P ${BRINDLOW_CHECK}
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${out_var} "${status}" PARENT_SCOPE)
  message(STATUS "${out}")
endfunction()

run_check("${BRINDLOW_PACKAGES_DIR}" status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the manifests beside the packages fail their check (build them: scripts/package)")
endif()

set(id Brindlow.Brindlow)
set(installer "winget/${id}/${BRINDLOW_VERSION}/${id}.installer.yaml")
set(locale "winget/${id}/${BRINDLOW_VERSION}/${id}.locale.en-US.yaml")
# file to change | text in it | what it becomes
set(faults
  "${installer}|InstallerSha256: |InstallerSha256: 0"
  "scoop/brindlow.json|\"hash\": \"|\"hash\": \"0"
  "${locale}|\nLicense: MIT|"
  "${installer}|\n  Scope: machine|"
  "scoop/brindlow.json|\"version\": \"${BRINDLOW_VERSION}\"|\"version\": \"0.9.9\"")
foreach(fault IN LISTS faults)
  string(REPLACE "|" ";" parts "${fault}")
  list(GET parts 0 name)
  list(GET parts 1 from)
  list(LENGTH parts count)
  set(to "")
  if(count GREATER 2)
    list(GET parts 2 to)
  endif()
  file(REMOVE_RECURSE "${WORK_DIR}")
  file(COPY "${BRINDLOW_PACKAGES_DIR}/winget" "${BRINDLOW_PACKAGES_DIR}/scoop" DESTINATION "${WORK_DIR}")
  # The packages themselves, as links: the hashes are read through them.
  file(GLOB packages "${BRINDLOW_PACKAGES_DIR}/*.zip" "${BRINDLOW_PACKAGES_DIR}/*.exe")
  foreach(p IN LISTS packages)
    get_filename_component(n "${p}" NAME)
    file(CREATE_LINK "${p}" "${WORK_DIR}/${n}" SYMBOLIC)
  endforeach()
  file(READ "${WORK_DIR}/${name}" text)
  string(FIND "${text}" "${from}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${name} has no \"${from}\" to change")
  endif()
  string(REPLACE "${from}" "${to}" text "${text}")
  file(WRITE "${WORK_DIR}/${name}" "${text}")
  run_check("${WORK_DIR}" status)
  if(status EQUAL 0)
    message(FATAL_ERROR "the check passed ${name} with \"${from}\" made \"${to}\"")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
