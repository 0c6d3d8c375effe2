# The files every package holds, read from the list the user reads: the
# section "What is in the folder" of packaging/README.txt. Each entry is a
# line indented by two spaces whose first word is a file name (backslashes
# there, forward slashes in the result); wrapped descriptions are indented
# further, and a sentence's first word has no extension.
function(brindlow_shipped_files readme out_var)
  file(STRINGS "${readme}" lines ENCODING UTF-8)
  if(CMAKE_PROJECT_NAME)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${readme}")
  endif()
  set(files)
  set(inside FALSE)
  foreach(line IN LISTS lines)
    if(line STREQUAL "What is in the folder")
      set(inside TRUE)
    elseif(inside AND line MATCHES "^[^ ]")
      break()
    elseif(inside AND line MATCHES "^  ([A-Za-z0-9_\\\\-]+\\.[A-Za-z0-9]+)( |$)")
      string(REPLACE "\\" "/" name "${CMAKE_MATCH_1}")
      list(APPEND files "${name}")
    endif()
  endforeach()
  if(NOT "Brindlow.exe" IN_LIST files)
    message(FATAL_ERROR "${readme}: its list \"What is in the folder\" is missing or does not name Brindlow.exe")
  endif()
  list(SORT files)
  set(${out_var} "${files}" PARENT_SCOPE)
endfunction()

# Fails naming every listed file that `actual` lacks and every file it has
# that the list does not name.
function(brindlow_compare_shipped what expected actual)
  set(missing ${expected})
  set(extra ${actual})
  if(actual)
    list(REMOVE_ITEM missing ${actual})
  endif()
  if(expected)
    list(REMOVE_ITEM extra ${expected})
  endif()
  if(missing OR extra)
    list(JOIN missing ", " missing_text)
    list(JOIN extra ", " extra_text)
    message(FATAL_ERROR "package: ${what} does not hold what packaging/README.txt lists:"
                        " missing [${missing_text}], not listed [${extra_text}]")
  endif()
  list(LENGTH expected count)
  message(STATUS "package: ${what} holds the ${count} files listed")
endfunction()

# The files under a folder, relative to it, sorted.
function(brindlow_files_under dir out_var)
  file(GLOB_RECURSE found RELATIVE "${dir}" "${dir}/*")
  list(SORT found)
  set(${out_var} "${found}" PARENT_SCOPE)
endfunction()
