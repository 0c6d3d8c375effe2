# Run by CPack after each package: once both the ZIP and the installer are
# there, writes the package managers' manifests beside them, with the SHA-256
# of the files just built and the addresses under BRINDLOW_RELEASE_URL, then
# reads them back (CheckManifests.cmake). CPack makes the ZIP first, so the
# manifests written after the installer hash both fresh files.
#
#   winget/Brindlow.Brindlow/<version>/  winget's multi-file manifest: the
#       version, the default locale (en-US) and the installers (both scopes
#       of the NSIS installer, and the ZIP as a portable Brindlow.exe)
#   scoop/brindlow.json                  Scoop's manifest for the ZIP
set(version "${CPACK_PACKAGE_VERSION}")
set(packages "${CPACK_PACKAGE_DIRECTORY}")
set(base "${CPACK_BRINDLOW_RELEASE_URL}/${version}")
set(zip_name "${CPACK_PACKAGE_NAME}-${version}-${CPACK_SYSTEM_NAME}.zip")
set(setup_name "${CPACK_PACKAGE_NAME}-${version}-${CPACK_SYSTEM_NAME}-setup.exe")
# CPack runs this before it moves the package just made from its staging
# folder into ${packages}: that one is taken from where CPack names it, the
# other from ${packages}.
set(zip_file "${packages}/${zip_name}")
set(setup_file "${packages}/${setup_name}")
foreach(made IN LISTS CPACK_PACKAGE_FILES)
  get_filename_component(made_name "${made}" NAME)
  if(made_name STREQUAL zip_name)
    set(zip_file "${made}")
  elseif(made_name STREQUAL setup_name)
    set(setup_file "${made}")
  endif()
endforeach()
if(NOT EXISTS "${zip_file}" OR NOT EXISTS "${setup_file}")
  message(STATUS "package: the manifests are written once both ${zip_name} and ${setup_name} exist")
  return()
endif()
file(SHA256 "${zip_file}" zip_hash)
file(SHA256 "${setup_file}" setup_hash)
# winget writes hashes in capitals, Scoop in small letters.
string(TOUPPER "${zip_hash}" zip_hash_upper)
string(TOUPPER "${setup_hash}" setup_hash_upper)

set(id "Brindlow.Brindlow")
# The newest schema whose fields this manifest uses, as documented at
# https://github.com/microsoft/winget-pkgs/tree/master/doc/manifest/schema/1.6.0
set(schema "1.6.0")
set(winget "${packages}/winget/${id}/${version}")
file(REMOVE_RECURSE "${packages}/winget")
set(head "PackageIdentifier: ${id}\nPackageVersion: ${version}\n")

file(WRITE "${winget}/${id}.yaml"
"# yaml-language-server: $schema=https://aka.ms/winget-manifest.version.${schema}.schema.json
${head}DefaultLocale: en-US
ManifestType: version
ManifestVersion: ${schema}
")

file(WRITE "${winget}/${id}.locale.en-US.yaml"
"# yaml-language-server: $schema=https://aka.ms/winget-manifest.defaultLocale.${schema}.schema.json
${head}PackageLocale: en-US
Publisher: ${CPACK_PACKAGE_VENDOR}
PackageName: ${CPACK_PACKAGE_NAME}
PackageUrl: ${CPACK_BRINDLOW_RELEASE_URL}
License: MIT
ShortDescription: ${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
ManifestType: defaultLocale
ManifestVersion: ${schema}
")

# The installer for one user asks for no administrator; for all users it
# starts itself again elevated. ProductCode is its uninstall entry's key.
file(WRITE "${winget}/${id}.installer.yaml"
"# yaml-language-server: $schema=https://aka.ms/winget-manifest.installer.${schema}.schema.json
${head}Installers:
- Architecture: x64
  InstallerType: nullsoft
  Scope: user
  InstallerUrl: ${base}/${setup_name}
  InstallerSha256: ${setup_hash_upper}
  InstallerSwitches:
    Custom: /currentuser
  ProductCode: Brindlow
- Architecture: x64
  InstallerType: nullsoft
  Scope: machine
  InstallerUrl: ${base}/${setup_name}
  InstallerSha256: ${setup_hash_upper}
  InstallerSwitches:
    Custom: /allusers
  ElevationRequirement: elevatesSelf
  ProductCode: Brindlow
- Architecture: x64
  InstallerType: zip
  NestedInstallerType: portable
  NestedInstallerFiles:
  - RelativeFilePath: Brindlow.exe
  InstallerUrl: ${base}/${zip_name}
  InstallerSha256: ${zip_hash_upper}
ManifestType: installer
ManifestVersion: ${schema}
")

# Scoop keeps brindlow.ini across updates (persist). Its presence beside
# Brindlow.exe makes the copy portable: the settings stay in Scoop's folder.
# Scoop makes a folder of a persisted name that no file holds yet, which
# would leave the settings unreadable: an empty file is made first.
# No checkver or autoupdate: the package step writes this manifest for each
# release with the real hash, rather than Scoop guessing the next address.
file(WRITE "${packages}/scoop/brindlow.json"
"{
    \"version\": \"${version}\",
    \"description\": \"${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\",
    \"homepage\": \"${CPACK_BRINDLOW_RELEASE_URL}\",
    \"license\": \"MIT\",
    \"architecture\": {
        \"64bit\": {
            \"url\": \"${base}/${zip_name}\",
            \"hash\": \"${zip_hash}\"
        }
    },
    \"shortcuts\": [
        [
            \"Brindlow.exe\",
            \"Brindlow\"
        ]
    ],
    \"pre_install\": \"if (!(Test-Path \\\"$persist_dir\\\\brindlow.ini\\\")) { New-Item \\\"$dir\\\\brindlow.ini\\\" -ItemType File | Out-Null }\",
    \"persist\": \"brindlow.ini\"
}
")
message(STATUS "package: manifests written in ${packages}/winget and ${packages}/scoop")

set(BRINDLOW_PACKAGES_DIR "${packages}")
set(BRINDLOW_PACKAGE_FILES "${zip_file};${setup_file}")
set(BRINDLOW_VERSION "${version}")
set(BRINDLOW_RELEASE_URL "${CPACK_BRINDLOW_RELEASE_URL}")
include(${CPACK_BRINDLOW_PACKAGING_DIR}/CheckManifests.cmake)
