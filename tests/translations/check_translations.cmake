# Fails when a committed .ts file is out of date with the sources (lupdate run
# into a copy changes it) or holds a translation that is unfinished or empty.
# Runs lupdate on the same project the clipvane_lupdate target uses.
#
#   cmake -DLUPDATE=... -DGENERATE_PROJECT=... -DPROJECT_CMAKE=... -DWORK_DIR=...
#         -DTS_FILES="a.ts|b.ts" -DLUPDATE_OPTIONS="-locations none" -P check_translations.cmake
foreach(required LUPDATE GENERATE_PROJECT PROJECT_CMAKE WORK_DIR TS_FILES)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "${required} is not given")
  endif()
endforeach()
separate_arguments(options UNIX_COMMAND "${LUPDATE_OPTIONS}")
string(REPLACE "|" ";" TS_FILES "${TS_FILES}")

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
execute_process(
  COMMAND ${CMAKE_COMMAND} -DIN_FILE=${PROJECT_CMAKE} -DOUT_FILE=${WORK_DIR}/project.json
          -P ${GENERATE_PROJECT}
  RESULT_VARIABLE generated)
if(NOT generated EQUAL 0)
  message(FATAL_ERROR "The lupdate project could not be made from ${PROJECT_CMAKE}")
endif()

set(problems "")
foreach(ts IN LISTS TS_FILES)
  get_filename_component(name ${ts} NAME)
  set(copy ${WORK_DIR}/${name})
  file(COPY_FILE ${ts} ${copy})
  execute_process(
    COMMAND ${LUPDATE} -silent -project ${WORK_DIR}/project.json ${options} -ts ${copy}
    RESULT_VARIABLE updated)
  if(NOT updated EQUAL 0)
    message(FATAL_ERROR "lupdate failed on ${copy}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${ts} ${copy}
                  RESULT_VARIABLE differs)
  if(NOT differs EQUAL 0)
    execute_process(COMMAND diff -u ${ts} ${copy})
    string(APPEND problems "${name} is out of date: build the target clipvane_lupdate, "
                           "translate what it adds and commit the file.\n")
  endif()
  file(READ ${copy} text)
  string(REGEX MATCHALL "type=\"unfinished\"" unfinished "${text}")
  string(REGEX MATCHALL "<(translation|numerusform)( [^>]*)?(/>|></(translation|numerusform)>)"
         empty "${text}")
  list(LENGTH unfinished unfinished_count)
  list(LENGTH empty empty_count)
  if(unfinished_count GREATER 0 OR empty_count GREATER 0)
    string(APPEND problems
      "${name}: ${unfinished_count} unfinished and ${empty_count} empty translations.\n")
  endif()
endforeach()
if(NOT problems STREQUAL "")
  message(FATAL_ERROR "${problems}")
endif()
