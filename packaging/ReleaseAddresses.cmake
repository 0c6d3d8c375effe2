# The addresses a release is published under, all made from one setting,
# BRINDLOW_RELEASE_URL: the folder whose <version>/ subfolder holds the
# release's files. Read by the build (the page "Check For Updates" opens) and
# by the package step (the manifests' addresses), so the two never disagree.
#
#   <prefix>_PUBLISHABLE  FALSE for a placeholder (any example.* host): its
#                         manifests are written, checked and set apart
#   <prefix>_PAGE         the page a user reads about releases
#   <prefix>_NOTES        a release's notes, where the host has such a page
#
# GitHub's downloads (https://github.com/OWNER/REPO/releases/download) are
# not a page one can open: its releases page and tag pages stand in for them.
function(brindlow_release_addresses url version prefix)
  set(publishable TRUE)
  if(url MATCHES "^https://([^/]*\\.)?example\\.")
    set(publishable FALSE)
  endif()
  set(page "${url}")
  set(notes "")
  if(url MATCHES "^https://github\\.com/([^/]+)/([^/]+)/releases/download$")
    set(project "https://github.com/${CMAKE_MATCH_1}/${CMAKE_MATCH_2}")
    set(page "${project}/releases/latest")
    set(notes "${project}/releases/tag/${version}")
  endif()
  set(${prefix}_PUBLISHABLE ${publishable} PARENT_SCOPE)
  set(${prefix}_PAGE "${page}" PARENT_SCOPE)
  set(${prefix}_NOTES "${notes}" PARENT_SCOPE)
endfunction()
