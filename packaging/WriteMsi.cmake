# Builds Brindlow-<version>-x64.msi, for all users of a computer, from the
# files CPack staged for the ZIP: exactly those packaging/README.txt lists
# (shipped/files.txt, written by ShippedFiles.cmake's brindlow_shipped_files),
# with Debian's wixl (packaging/Brindlow.wxs.in says what it holds).
#
# Run by CPack after the ZIP, so that the MSI exists when the manifests are
# written after the installer; or on its own, e.g. for another version from
# an unpacked ZIP:
#   cmake -DBRINDLOW_MSI_STAGED=dir -DBRINDLOW_MSI_LIST=build/shipped/files.txt
#         -DBRINDLOW_MSI_VERSION=1.0.1 -DBRINDLOW_MSI_ACTIONS=build/msi/BrindlowMsiActions.dll
#         -DBRINDLOW_MSI_OUT=dir/Brindlow-1.0.1-x64.msi -P packaging/WriteMsi.cmake
cmake_minimum_required(VERSION 3.20)
if(CPACK_GENERATOR)
  if(NOT CPACK_GENERATOR STREQUAL "ZIP")
    return()
  endif()
  set(BRINDLOW_MSI_STAGED "${CPACK_TEMPORARY_INSTALL_DIRECTORY}")
  set(BRINDLOW_MSI_LIST "${CPACK_BRINDLOW_SHIPPED_LIST}")
  set(BRINDLOW_MSI_VERSION "${CPACK_PACKAGE_VERSION}")
  set(BRINDLOW_MSI_ACTIONS "${CPACK_BRINDLOW_MSI_ACTIONS}")
  set(BRINDLOW_MSI_OUT "${CPACK_PACKAGE_DIRECTORY}/${CPACK_PACKAGE_NAME}-${CPACK_PACKAGE_VERSION}-${CPACK_SYSTEM_NAME}.msi")
  set(vendor "${CPACK_PACKAGE_VENDOR}")
  set(summary "${CPACK_PACKAGE_DESCRIPTION_SUMMARY}")
else()
  set(vendor Brindlow)
  set(summary "A small always-on-top overlay with the date, time and battery state")
endif()
foreach(var BRINDLOW_MSI_STAGED BRINDLOW_MSI_LIST BRINDLOW_MSI_VERSION BRINDLOW_MSI_ACTIONS BRINDLOW_MSI_OUT)
  if(NOT ${var})
    message(FATAL_ERROR "msi: ${var} is not set")
  endif()
endforeach()
if(NOT EXISTS "${BRINDLOW_MSI_ACTIONS}")
  message(FATAL_ERROR "msi: ${BRINDLOW_MSI_ACTIONS}, the MSI's custom action, is not built (target BrindlowMsiActions)")
endif()
find_program(BRINDLOW_WIXL wixl)
if(NOT BRINDLOW_WIXL)
  message(FATAL_ERROR "msi: wixl (Debian's package wixl) is not installed; scripts/setup installs it")
endif()

include(${CMAKE_CURRENT_LIST_DIR}/MsiCodes.cmake)
set(upgrade_code "${BRINDLOW_MSI_UPGRADE_CODE}")
brindlow_msi_product_code("${BRINDLOW_MSI_VERSION}" product_code)
# Components keep their GUIDs from version to version, as Windows Installer
# requires: each is named after the file it installs.
string(UUID menu_guid NAMESPACE "${upgrade_code}" NAME "start menu shortcut" TYPE SHA1 UPPER)
string(UUID login_guid NAMESPACE "${upgrade_code}" NAME "login shortcut" TYPE SHA1 UPPER)
# Above INSTALLLEVEL's default of 1: installed only when AUTOSTART=1 raises it.
set(login_level 100)
set(version "${BRINDLOW_MSI_VERSION}")
# wixl takes a source file's path relative to its working folder only (an
# absolute one is not found): it runs in the staged folder.
set(staged ".")
file(RELATIVE_PATH actions "${BRINDLOW_MSI_STAGED}" "${BRINDLOW_MSI_ACTIONS}")

# A component per file (its key path), in a Directory per folder of the list
# (folders within folders too: policies/en-US).
file(STRINGS "${BRINDLOW_MSI_LIST}" files)
set(component_refs "")
set(folders)
foreach(path IN LISTS files)
  if(NOT EXISTS "${BRINDLOW_MSI_STAGED}/${path}")
    message(FATAL_ERROR "msi: ${BRINDLOW_MSI_STAGED}/${path}, which packaging/README.txt lists, is not staged")
  endif()
  get_filename_component(folder "${path}" DIRECTORY)
  get_filename_component(name "${path}" NAME)
  string(MAKE_C_IDENTIFIER "${path}" id)
  string(UUID guid NAMESPACE "${upgrade_code}" NAME "file ${path}" TYPE SHA1 UPPER)
  string(MAKE_C_IDENTIFIER "in_${folder}" folder_id)
  string(APPEND "components_${folder_id}" "<Component Id=\"c_${id}\" Guid=\"${guid}\" Win64=\"yes\">
  <File Id=\"f_${id}\" Name=\"${name}\" Source=\"${staged}/${path}\" KeyPath=\"yes\"/>
</Component>\n")
  string(APPEND component_refs "      <ComponentRef Id=\"c_${id}\"/>\n")
  # The folder and every folder above it.
  while(NOT folder STREQUAL "")
    list(APPEND folders "${folder}")
    get_filename_component(folder "${folder}" DIRECTORY)
  endwhile()
endforeach()
list(REMOVE_DUPLICATES folders)

# The components of `folder` ("" for the install folder) and, nested, the
# folders in it.
function(brindlow_msi_folder folder out_var)
  string(MAKE_C_IDENTIFIER "in_${folder}" folder_id)
  set(text "${components_${folder_id}}")
  foreach(inner IN LISTS folders)
    get_filename_component(parent "${inner}" DIRECTORY)
    if(parent STREQUAL folder)
      get_filename_component(leaf "${inner}" NAME)
      string(MAKE_C_IDENTIFIER "d_${inner}" inner_id)
      brindlow_msi_folder("${inner}" inner_text)
      string(APPEND text "<Directory Id=\"${inner_id}\" Name=\"${leaf}\">\n${inner_text}</Directory>\n")
    endif()
  endforeach()
  set(${out_var} "${text}" PARENT_SCOPE)
endfunction()
brindlow_msi_folder("" directories)

get_filename_component(out_dir "${BRINDLOW_MSI_OUT}" DIRECTORY)
get_filename_component(out_name "${BRINDLOW_MSI_OUT}" NAME_WLE)
set(wxs "${out_dir}/${out_name}.wxs")
configure_file("${CMAKE_CURRENT_LIST_DIR}/Brindlow.wxs.in" "${wxs}" @ONLY)
execute_process(COMMAND "${BRINDLOW_WIXL}" -a x64 -o "${BRINDLOW_MSI_OUT}" "${wxs}"
                WORKING_DIRECTORY "${BRINDLOW_MSI_STAGED}"
                RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT status EQUAL 0 OR NOT EXISTS "${BRINDLOW_MSI_OUT}")
  message(FATAL_ERROR "msi: wixl failed on ${wxs}:\n${out}")
endif()
file(REMOVE "${wxs}")
list(LENGTH files count)
message(STATUS "package: ${BRINDLOW_MSI_OUT}: the ${count} files listed, product code {${product_code}}")
