# The MSI's codes, for WriteMsi.cmake, which builds it, and for the winget
# manifest, which names it.
#
# The upgrade code never changes: it is how Windows Installer knows that a
# newer Brindlow MSI replaces an installed one.
set(BRINDLOW_MSI_UPGRADE_CODE "FE528262-BBDF-4C18-ADD3-48F51B758A70")

# The product code of a version: always the same for that version (a
# name-based UUID under the upgrade code), a new one for each version, as a
# major upgrade needs.
function(brindlow_msi_product_code version out_var)
  string(UUID code NAMESPACE "${BRINDLOW_MSI_UPGRADE_CODE}" NAME "product ${version}" TYPE SHA1 UPPER)
  set(${out_var} "${code}" PARENT_SCOPE)
endfunction()
