# The package managers' manifests of the packages just built pass the check
# (packaging/CheckManifests.cmake); written again for a real release address
# and for the placeholder, they go where each belongs, the placeholder with a
# warning; and copies with one fault each do not pass.
# cmake -DBRINDLOW_PACKAGES_DIR=... -DBRINDLOW_VERSION=... -DBRINDLOW_RELEASE_URL=...
#       -DBRINDLOW_CPACK_CONFIG=.../CPackConfig.cmake -DBRINDLOW_PACKAGING=.../packaging
#       -DWORK_DIR=... -P check-manifests-test.cmake
cmake_minimum_required(VERSION 3.20)
function(run_check dir url out_var)
  execute_process(COMMAND ${CMAKE_COMMAND} -DBRINDLOW_PACKAGES_DIR=${dir} -DBRINDLOW_VERSION=${BRINDLOW_VERSION}
                          -DBRINDLOW_RELEASE_URL=${url} -P ${BRINDLOW_PACKAGING}/CheckManifests.cmake
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${out_var} "${status}" PARENT_SCOPE)
  message(STATUS "${out}")
endfunction()

# A folder holding the built packages (as links: the hashes are read through
# them) and nothing else.
function(packages_in dir)
  file(REMOVE_RECURSE "${dir}")
  file(MAKE_DIRECTORY "${dir}")
  file(GLOB packages "${BRINDLOW_PACKAGES_DIR}/*.zip" "${BRINDLOW_PACKAGES_DIR}/*.exe" "${BRINDLOW_PACKAGES_DIR}/*.msi")
  foreach(p IN LISTS packages)
    get_filename_component(n "${p}" NAME)
    file(CREATE_LINK "${p}" "${dir}/${n}" SYMBOLIC)
  endforeach()
endfunction()

# What a run stopped by a failure left behind.
file(REMOVE_RECURSE "${WORK_DIR}")
run_check("${BRINDLOW_PACKAGES_DIR}" "${BRINDLOW_RELEASE_URL}" status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the manifests beside the packages fail their check (build them: scripts/package)")
endif()

# The package step's own writing (CPack's settings, this folder, this
# address), which checks what it wrote and fails if the check does.
set(github "https://github.com/brindlow/brindlow/releases/download")
set(own_site "https://downloads.brindlow.org/releases")
set(placeholder "https://brindlow.example.com/brindlow")
foreach(url IN ITEMS "${github}" "${own_site}" "${placeholder}")
  set(dir "${WORK_DIR}/written")
  packages_in("${dir}")
  file(WRITE "${WORK_DIR}/write.cmake"
    "include(\"${BRINDLOW_CPACK_CONFIG}\")\n"
    "set(CPACK_PACKAGE_DIRECTORY \"${dir}\")\nset(CPACK_PACKAGE_FILES \"\")\n"
    "set(CPACK_BRINDLOW_RELEASE_URL \"${url}\")\n"
    "include(\"${BRINDLOW_PACKAGING}/WriteManifests.cmake\")\n")
  execute_process(COMMAND ${CMAKE_COMMAND} -P "${WORK_DIR}/write.cmake"
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "writing the manifests for ${url} failed:\n${out}")
  endif()
  string(FIND "${out}" "BRINDLOW_RELEASE_URL" warned)
  if(url STREQUAL placeholder)
    if(warned EQUAL -1 OR NOT EXISTS "${dir}/not-for-publishing/scoop/brindlow.json" OR EXISTS "${dir}/scoop")
      message(FATAL_ERROR "the placeholder's manifests are not set apart with a warning naming the setting:\n${out}")
    endif()
  elseif(NOT warned EQUAL -1 OR NOT EXISTS "${dir}/scoop/brindlow.json")
    message(FATAL_ERROR "the manifests for ${url} are not beside the packages, or came with a warning:\n${out}")
  endif()
  if(url STREQUAL github)
    file(READ "${dir}/scoop/brindlow.json" json)
    string(JSON checkver GET "${json}" checkver github)
    set(locale "${dir}/winget/Brindlow.Brindlow/${BRINDLOW_VERSION}/Brindlow.Brindlow.locale.en-US.yaml")
    file(READ "${locale}" text)
    if(NOT checkver STREQUAL "https://github.com/brindlow/brindlow"
       OR NOT text MATCHES "\nReleaseNotesUrl: https://github.com/brindlow/brindlow/releases/tag/${BRINDLOW_VERSION}\n"
       OR NOT text MATCHES "\nPackageUrl: https://github.com/brindlow/brindlow\n"
       OR NOT text MATCHES "\nLicenseUrl: https://github.com/brindlow/brindlow/blob/HEAD/LICENSE\n")
      message(FATAL_ERROR "a GitHub address is not turned into GitHub's pages:\n${json}\n${text}")
    endif()
  endif()
  if(url STREQUAL own_site)
    file(RENAME "${dir}" "${WORK_DIR}/publishable")
  endif()
endforeach()

set(dir "${WORK_DIR}/publishable")
set(id Brindlow.Brindlow)
set(installer "winget/${id}/${BRINDLOW_VERSION}/${id}.installer.yaml")
set(locale "winget/${id}/${BRINDLOW_VERSION}/${id}.locale.en-US.yaml")
set(zip_hash_file "Brindlow-${BRINDLOW_VERSION}-x64.zip.sha256")
# file to change | text in it | what it becomes
set(faults
  "${installer}|InstallerSha256: |InstallerSha256: 0"
  "scoop/brindlow.json|\"hash\": \"|\"hash\": \"0"
  "${locale}|\nLicense: MIT|"
  "${locale}|\nLicenseUrl: ${own_site}/|\nLicenseUrl: ${own_site}/0"
  "${installer}|\n  Scope: machine|"
  "${installer}|InstallerType: msi|InstallerType: exe"
  "${installer}|x64.msi\n|x64.exe\n"
  "${installer}|ProductCode: '{|ProductCode: '{0"
  "${installer}|  - UpgradeCode: '{|  - UpgradeCode: '{0"
  "${installer}|\n  ArchiveBinariesDependOnPath: true|"
  "${installer}|ManifestVersion: 1.9.0|ManifestVersion: 1.6.0"
  "scoop/brindlow.json|\"version\": \"${BRINDLOW_VERSION}\"|\"version\": \"0.9.9\""
  "scoop/brindlow.json|\"checkver\"|\"checkvers\""
  "scoop/brindlow.json|/$version/|/latest/"
  "scoop/brindlow.json|$url.sha256|$url.sha512"
  "${zip_hash_file}|  |0  "
  "${locale}|PackageUrl: ${own_site}|PackageUrl: https://www.example.org/brindlow")
foreach(fault IN LISTS faults)
  string(REPLACE "|" ";" parts "${fault}")
  list(GET parts 0 name)
  list(GET parts 1 from)
  list(LENGTH parts count)
  set(to "")
  if(count GREATER 2)
    list(GET parts 2 to)
  endif()
  set(copy "${WORK_DIR}/fault")
  packages_in("${copy}")
  file(COPY "${dir}/winget" "${dir}/scoop" "${dir}/${zip_hash_file}" "${dir}/LICENSE.txt" DESTINATION "${copy}")
  file(READ "${copy}/${name}" text)
  string(FIND "${text}" "${from}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${name} has no \"${from}\" to change")
  endif()
  string(REPLACE "${from}" "${to}" text "${text}")
  file(WRITE "${copy}/${name}" "${text}")
  run_check("${copy}" "${own_site}" status)
  if(status EQUAL 0)
    message(FATAL_ERROR "the check passed ${name} with \"${from}\" made \"${to}\"")
  endif()
endforeach()
file(REMOVE_RECURSE "${WORK_DIR}")
