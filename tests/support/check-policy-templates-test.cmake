# The Group Policy templates the build wrote pass their check
# (packaging/CheckPolicyTemplates.cmake), and copies with one fault each are
# refused for that fault.
# cmake -DBRINDLOW_POLICY_DIR=... -DBRINDLOW_POLICY_VALUES=... -DBRINDLOW_PACKAGING=... -DWORK_DIR=...
#       -P check-policy-templates-test.cmake
cmake_minimum_required(VERSION 3.20)
function(run_check dir out_status out_text)
  execute_process(COMMAND ${CMAKE_COMMAND} -DBRINDLOW_ADMX=${dir}/Brindlow.admx
                          -DBRINDLOW_ADML=${dir}/en-US/Brindlow.adml -DBRINDLOW_POLICY_VALUES=${BRINDLOW_POLICY_VALUES}
                          -P ${BRINDLOW_PACKAGING}/CheckPolicyTemplates.cmake
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  set(${out_status} "${status}" PARENT_SCOPE)
  set(${out_text} "${out}" PARENT_SCOPE)
endfunction()

run_check("${BRINDLOW_POLICY_DIR}" status out)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the built templates fail their check:\n${out}")
endif()
message(STATUS "${out}")

file(READ "${BRINDLOW_POLICY_DIR}/Brindlow.admx" admx)
file(READ "${BRINDLOW_POLICY_DIR}/en-US/Brindlow.adml" adml)
# The policy for [text] colour, whole.
string(FIND "${admx}" "<policy name=\"text_colour\"" start)
string(SUBSTRING "${admx}" ${start} -1 rest)
string(FIND "${rest}" "</policy>" end)
math(EXPR end "${end} + 10")
string(SUBSTRING "${rest}" 0 ${end} colour_policy)
if(start EQUAL -1 OR NOT colour_policy MATCHES "valueName=\"colour\"")
  message(FATAL_ERROR "the built ADMX has no policy for [text] colour to break")
endif()

# Each fault: a name, the file it is in, the text replaced and its
# replacement, and words the refusal must hold.
set(faults
  "policy-removed|admx|${colour_policy}||Brindlow\\text\\colour: Brindlow reads it, but no policy sets it"
  "value-misspelt|admx|valueName=\"colour\"|valueName=\"color\"|Brindlow\\text\\color: a policy sets it, but Brindlow does not read it"
  "own-value-misspelt|admx|valueName=\"HideSettings\"|valueName=\"HideSetting\"|does not read it"
  "element-unclosed|admx|</elements>\n    </policy>\n    <policy name=\"text_colour\"|\n    </policy>\n    <policy name=\"text_colour\"|closes <elements>"
  "stray-ampersand|admx|Brindlow.Policies.Brindlow|Brindlow & Policies|not an entity"
  "string-missing|adml|<string id=\"text_colour_Explain\">|<string id=\"text_colour_Explained\">|$(string.text_colour_Explain): not in")
foreach(fault IN LISTS faults)
  string(REPLACE "|" ";" parts "${fault}")
  list(GET parts 0 name)
  list(GET parts 1 which)
  list(GET parts 2 from)
  list(GET parts 3 to)
  list(GET parts 4 said)
  set(dir "${WORK_DIR}/${name}")
  file(REMOVE_RECURSE "${dir}")
  set(new_admx "${admx}")
  set(new_adml "${adml}")
  string(FIND "${${which}}" "${from}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${name}: the built ${which} has no \"${from}\" to change")
  endif()
  string(REPLACE "${from}" "${to}" new_${which} "${${which}}")
  file(WRITE "${dir}/Brindlow.admx" "${new_admx}")
  file(WRITE "${dir}/en-US/Brindlow.adml" "${new_adml}")
  run_check("${dir}" status out)
  # CMake wraps a long message where the paths' lengths put it: the words
  # are looked for with every run of spaces and line breaks made one space.
  string(REGEX REPLACE "[ \n]+" " " flat "${out}")
  string(FIND "${flat}" "${said}" named)
  if(status EQUAL 0 OR named EQUAL -1)
    message(FATAL_ERROR "${name}: the check did not refuse it saying \"${said}\":\n${out}")
  endif()
  message(STATUS "${name}: refused")
endforeach()
