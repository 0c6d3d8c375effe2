# MinGW-w64 has no linker switch for delay-loading: a DLL is delay-loaded by
# linking a delay-import library instead of its import library. This makes one
# from the toolchain's own import library, so every function it lists is
# available, at build time (nothing generated is kept in the tree).
#
# Included, brindlow_delay_import(<name> <out-var>) sets <out-var> to a target
# to link instead of <name>. Run with -P, it does the work:
#   cmake -DNM=... -DDLLTOOL=... -DIMPORT_LIB=... -DDLL=... -DDEF=... -DOUT=... -P DelayImport.cmake

if(CMAKE_SCRIPT_MODE_FILE)
  execute_process(COMMAND "${NM}" "${IMPORT_LIB}" OUTPUT_VARIABLE symbols RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "DelayImport: ${NM} failed on ${IMPORT_LIB}")
  endif()
  # An import library defines each exported function as a code symbol (T);
  # its __imp_ pointers and bookkeeping symbols are of other kinds.
  string(REGEX MATCHALL "[0-9a-fA-F]+ T [A-Za-z0-9_@]+" lines "${symbols}")
  set(def "LIBRARY ${DLL}\nEXPORTS\n")
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[0-9a-fA-F]+ T " "" name "${line}")
    string(APPEND def "    ${name}\n")
  endforeach()
  list(LENGTH lines count)
  if(count EQUAL 0)
    message(FATAL_ERROR "DelayImport: no exports found in ${IMPORT_LIB}")
  endif()
  file(WRITE "${DEF}" "${def}")
  execute_process(COMMAND "${DLLTOOL}" -d "${DEF}" -y "${OUT}" RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "DelayImport: ${DLLTOOL} could not make ${OUT}")
  endif()
  return()
endif()

function(brindlow_delay_import name out_var)
  find_library(${name}_IMPORT_LIB ${name} REQUIRED)
  if(NOT CMAKE_DLLTOOL OR NOT CMAKE_NM)
    message(FATAL_ERROR "DelayImport: the toolchain's dlltool and nm are needed to delay-load ${name}.dll")
  endif()
  set(out ${CMAKE_BINARY_DIR}/delayimp/lib${name}-delay.a)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${CMAKE_DLLTOOL} -DIMPORT_LIB=${${name}_IMPORT_LIB}
            -DDLL=${name}.dll -DDEF=${CMAKE_BINARY_DIR}/delayimp/${name}.def -DOUT=${out}
            -P ${CMAKE_SOURCE_DIR}/cmake/DelayImport.cmake
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/DelayImport.cmake ${${name}_IMPORT_LIB}
    COMMENT "Making a delay-import library for ${name}.dll"
    VERBATIM)
  add_custom_target(${name}_delay_build DEPENDS ${out})
  add_library(${name}_delay STATIC IMPORTED GLOBAL)
  set_target_properties(${name}_delay PROPERTIES IMPORTED_LOCATION ${out})
  add_dependencies(${name}_delay ${name}_delay_build)
  set(${out_var} ${name}_delay PARENT_SCOPE)
endfunction()
