# The addresses a release is published under, all made from one setting,
# BRINDLOW_RELEASE_URL: the folder whose <version>/ subfolder holds the
# release's files. Read by the build (the page "Check For Updates" opens) and
# by the package step (the manifests' addresses), so the two never disagree.
#
#   <prefix>_PUBLISHABLE  FALSE for a placeholder (any example.* host): its
#                         manifests are written, checked and set apart
#   <prefix>_PAGE         the page "Check For Updates" opens: the releases
#   <prefix>_HOME         the project's home page, for the manifests
#   <prefix>_LICENSE      the licence's page; empty: the LICENSE.txt published
#                         with the release's files
#   <prefix>_NOTES        a release's notes, where the host has such a page
#
# GitHub's downloads (https://github.com/OWNER/REPO/releases/download) are
# not a page one can open: its releases page, the repository, its LICENSE
# and the tag's page (a release tagged with the bare version, 1.0.0) stand
# in for them.
function(brindlow_release_addresses url version prefix)
  set(publishable TRUE)
  if(url MATCHES "^https://([^/]*\\.)?example\\.")
    set(publishable FALSE)
  endif()
  set(page "${url}")
  set(home "${url}")
  set(license "")
  set(notes "")
  if(url MATCHES "^https://github\\.com/([^/]+)/([^/]+)/releases/download$")
    set(home "https://github.com/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}")
    set(page "${home}/releases/latest")
    set(license "${home}/blob/HEAD/LICENSE")
    set(notes "${home}/releases/tag/${version}")
  endif()
  set(${prefix}_PUBLISHABLE ${publishable} PARENT_SCOPE)
  set(${prefix}_PAGE "${page}" PARENT_SCOPE)
  set(${prefix}_HOME "${home}" PARENT_SCOPE)
  set(${prefix}_LICENSE "${license}" PARENT_SCOPE)
  set(${prefix}_NOTES "${notes}" PARENT_SCOPE)
endfunction()
