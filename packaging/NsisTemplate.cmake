# CPack's own NSIS script asks Windows for an administrator (RequestExecutionLevel
# admin) and picks all users for any administrator. Brindlow's installer installs
# for the current user unless asked (InstallerScope.nsh): its script is CPack's,
# written into the build tree at configure time with these changes, and found
# there first by CPack through CMAKE_MODULE_PATH.
set(brindlow_cpack_template "${CMAKE_ROOT}/Modules/Internal/CPack/NSIS.template.in")
file(READ "${brindlow_cpack_template}" template)

# Replaces `anchor` in `template` by `with`, failing when the anchor is gone
# (another CMake's template).
macro(brindlow_template_replace anchor with)
  string(FIND "${template}" "${anchor}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${brindlow_cpack_template}: \"${anchor}\" not found; packaging/NsisTemplate.cmake needs updating")
  endif()
  string(REPLACE "${anchor}" "${with}" template "${template}")
endmacro()

# The text from `first` to the FunctionEnd that closes it, replaced.
macro(brindlow_template_function first with)
  string(FIND "${template}" "${first}" start)
  if(start EQUAL -1)
    message(FATAL_ERROR "${brindlow_cpack_template}: \"${first}\" not found; packaging/NsisTemplate.cmake needs updating")
  endif()
  string(SUBSTRING "${template}" ${start} -1 rest)
  string(FIND "${rest}" "FunctionEnd" length)
  string(SUBSTRING "${rest}" 0 ${length} old)
  string(REPLACE "${old}FunctionEnd" "${with}" template "${template}")
endmacro()

brindlow_template_replace("RequestExecutionLevel admin" "RequestExecutionLevel user")
brindlow_template_replace("  Page custom InstallOptionsPage\n"
                          "  Page custom InstallOptionsPage\n  Page custom brindlow_scope_page brindlow_scope_leave\n")
# The finish page's own pre and leave (Packaging.cmake).
brindlow_template_replace("  !insertmacro MUI_PAGE_FINISH\n"
                          "  !define MUI_PAGE_CUSTOMFUNCTION_PRE brindlow_finish_pre\n  !define MUI_PAGE_CUSTOMFUNCTION_LEAVE brindlow_finish_leave\n  !insertmacro MUI_PAGE_FINISH\n")
brindlow_template_function("Function un.onInit" "Function un.onInit\n  Call un.brindlow_uninstall_scope\nFunctionEnd")
brindlow_template_function("Function .onInit" "Function .onInit\n  !insertmacro SectionList \"InitSection\"\n  Call brindlow_install_scope\nFunctionEnd")

file(WRITE "${CMAKE_BINARY_DIR}/nsis/NSIS.template.in" "${template}")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${brindlow_cpack_template}")
list(PREPEND CMAKE_MODULE_PATH "${CMAKE_BINARY_DIR}/nsis")
