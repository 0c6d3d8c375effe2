# Run by CPack after each package: once both the ZIP and the installer are
# there, writes the package managers' manifests, with the SHA-256 of the
# files just built and the addresses under BRINDLOW_RELEASE_URL, then reads
# them back (CheckManifests.cmake). CPack makes the ZIP first (and the MSI
# right after it, WriteMsi.cmake), so the manifests written after the
# installer hash all three fresh files.
#
#   winget/Brindlow.Brindlow/<version>/  winget's multi-file manifest: the
#       version, the default locale (en-US) and the installers (both scopes
#       of the NSIS installer, the MSI for the machine, and the ZIP as a
#       portable Brindlow.exe)
#   scoop/brindlow.json                  Scoop's manifest for the ZIP
#
# Beside the packages, with the release's placeholder address, they go into
# not-for-publishing/ instead, with a warning. Either way the packages'
# folder also gets what the manifests point at besides the packages: the
# ZIP's <name>.sha256 (Scoop's autoupdate reads the next release's hash from
# it) and LICENSE.txt (winget's LicenseUrl).
set(version "${CPACK_PACKAGE_VERSION}")
set(packages "${CPACK_PACKAGE_DIRECTORY}")
set(url "${CPACK_BRINDLOW_RELEASE_URL}")
set(base "${url}/${version}")
include(${CPACK_BRINDLOW_PACKAGING_DIR}/ReleaseAddresses.cmake)
brindlow_release_addresses("${url}" "${version}" release)
set(zip_name "${CPACK_PACKAGE_NAME}-${version}-${CPACK_SYSTEM_NAME}.zip")
set(setup_name "${CPACK_PACKAGE_NAME}-${version}-${CPACK_SYSTEM_NAME}-setup.exe")
set(msi_name "${CPACK_PACKAGE_NAME}-${version}-${CPACK_SYSTEM_NAME}.msi")
set(msi_file "${packages}/${msi_name}")
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
if(NOT EXISTS "${msi_file}")
  message(FATAL_ERROR "package: ${msi_file}, which the manifests name, is missing")
endif()
file(SHA256 "${zip_file}" zip_hash)
file(SHA256 "${setup_file}" setup_hash)
file(SHA256 "${msi_file}" msi_hash)
include(${CPACK_BRINDLOW_PACKAGING_DIR}/MsiCodes.cmake)
brindlow_msi_product_code("${version}" msi_product_code)
file(WRITE "${packages}/${zip_name}.sha256" "${zip_hash}  ${zip_name}\n")
configure_file("${CPACK_BRINDLOW_LICENSE}" "${packages}/LICENSE.txt" COPYONLY)
set(manifests "${packages}")
file(REMOVE_RECURSE "${packages}/winget" "${packages}/scoop" "${packages}/not-for-publishing")
if(NOT release_PUBLISHABLE)
  set(manifests "${packages}/not-for-publishing")
  message(WARNING "package: BRINDLOW_RELEASE_URL is the placeholder ${url}: the manifests in ${manifests} "
                  "are checked but not for publishing, and the packages' \"Check For Updates\" opens the "
                  "placeholder. Configure with -DBRINDLOW_RELEASE_URL=https://... (where the release's files "
                  "will be) for packages and manifests that can be published.")
endif()
# winget writes hashes in capitals, Scoop in small letters.
string(TOUPPER "${zip_hash}" zip_hash_upper)
string(TOUPPER "${setup_hash}" setup_hash_upper)
string(TOUPPER "${msi_hash}" msi_hash_upper)

set(id "Brindlow.Brindlow")
# ArchiveBinariesDependOnPath (1.7 on) installs the ZIP's exe where it can
# be started from its own folder rather than through a link in winget's
# Links folder, as documented at
# https://github.com/microsoft/winget-pkgs/tree/master/doc/manifest/schema/1.9.0
set(schema "1.9.0")
set(winget "${manifests}/winget/${id}/${version}")
set(head "PackageIdentifier: ${id}\nPackageVersion: ${version}\n")

file(WRITE "${winget}/${id}.yaml"
"# yaml-language-server: $schema=https://aka.ms/winget-manifest.version.${schema}.schema.json
${head}DefaultLocale: en-US
ManifestType: version
ManifestVersion: ${schema}
")

set(license_url "${release_LICENSE}")
if(NOT license_url)
  set(license_url "${base}/LICENSE.txt")
endif()
set(notes_line "")
if(release_NOTES)
  set(notes_line "ReleaseNotesUrl: ${release_NOTES}\n")
endif()
file(WRITE "${winget}/${id}.locale.en-US.yaml"
"# yaml-language-server: $schema=https://aka.ms/winget-manifest.defaultLocale.${schema}.schema.json
${head}PackageLocale: en-US
Publisher: ${CPACK_PACKAGE_VENDOR}
PublisherUrl: ${release_HOME}
Author: ${CPACK_PACKAGE_VENDOR}
PackageName: ${CPACK_PACKAGE_NAME}
PackageUrl: ${release_HOME}
License: MIT
LicenseUrl: ${license_url}
${notes_line}ShortDescription: ${CPACK_PACKAGE_DESCRIPTION_SUMMARY}
ManifestType: defaultLocale
ManifestVersion: ${schema}
")

# The installer for one user asks for no administrator; for all users it
# starts itself again elevated. ProductCode is its uninstall entry's key.
# The MSI is for the machine only; its ProductCode is this version's, and
# its UpgradeCode, the same for every version, tells winget the entry of an
# older one.
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
  InstallerType: msi
  Scope: machine
  InstallerUrl: ${base}/${msi_name}
  InstallerSha256: ${msi_hash_upper}
  ProductCode: '{${msi_product_code}}'
  AppsAndFeaturesEntries:
  - UpgradeCode: '{${BRINDLOW_MSI_UPGRADE_CODE}}'
- Architecture: x64
  InstallerType: zip
  NestedInstallerType: portable
  NestedInstallerFiles:
  - RelativeFilePath: Brindlow.exe
  ArchiveBinariesDependOnPath: true
  InstallerUrl: ${base}/${zip_name}
  InstallerSha256: ${zip_hash_upper}
ManifestType: installer
ManifestVersion: ${schema}
")

# Scoop keeps brindlow.ini across updates (persist). Its presence beside
# Brindlow.exe makes the copy portable: the settings stay in Scoop's folder.
# Scoop makes a folder of a persisted name that no file holds yet, which
# would leave the settings unreadable: an empty file is made first.
# checkver finds a newer version on the releases' page (GitHub's own way
# for a GitHub address), and autoupdate makes its address from this one's
# pattern and takes its hash from the .sha256 file beside it.
string(REPLACE "${version}" "$version" zip_pattern "${base}/${zip_name}")
if(url MATCHES "^https://github\\.com/([^/]+)/([^/]+)/releases/download$")
  set(checkver "{
        \"github\": \"https://github.com/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}\"
    }")
else()
  set(zip_regex "${CPACK_PACKAGE_NAME}-([\\\\d.]+)-${CPACK_SYSTEM_NAME}\\\\.zip")
  set(checkver "{
        \"url\": \"${url}\",
        \"regex\": \"${zip_regex}\"
    }")
endif()
file(WRITE "${manifests}/scoop/brindlow.json"
"{
    \"version\": \"${version}\",
    \"description\": \"${CPACK_PACKAGE_DESCRIPTION_SUMMARY}\",
    \"homepage\": \"${release_HOME}\",
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
    \"persist\": \"brindlow.ini\",
    \"checkver\": ${checkver},
    \"autoupdate\": {
        \"architecture\": {
            \"64bit\": {
                \"url\": \"${zip_pattern}\"
            }
        },
        \"hash\": {
            \"url\": \"$url.sha256\"
        }
    }
}
")
message(STATUS "package: manifests written in ${manifests}/winget and ${manifests}/scoop")

set(BRINDLOW_PACKAGES_DIR "${packages}")
set(BRINDLOW_MANIFESTS_DIR "${manifests}")
set(BRINDLOW_PACKAGE_FILES "${zip_file};${setup_file};${msi_file}")
set(BRINDLOW_VERSION "${version}")
set(BRINDLOW_RELEASE_URL "${CPACK_BRINDLOW_RELEASE_URL}")
include(${CPACK_BRINDLOW_PACKAGING_DIR}/CheckManifests.cmake)
