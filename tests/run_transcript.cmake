# Runs one transcript: feeds SCRIPT to KALIX on standard input from the
# script's own directory and compares standard output with SCRIPT's .out file.
# A script may hold its expected exit status in a first line "// status N".
# A script with a line "// runs in a temporary directory" runs in an empty
# directory of its own instead, for the files it writes.
string(REGEX REPLACE "\\.k$" ".out" expected_file ${SCRIPT})
get_filename_component(dir ${SCRIPT} DIRECTORY)
file(READ ${SCRIPT} source)
set(want_status 0)
if(source MATCHES "^// status ([0-9]+)")
  set(want_status ${CMAKE_MATCH_1})
endif()
# A settings-free home of its own, so the user's profile or settings file
# never changes what a transcript prints.
string(MD5 tag ${SCRIPT})
set(home ${CMAKE_CURRENT_BINARY_DIR}/transcript-homes/${tag})
file(REMOVE_RECURSE ${home})
file(MAKE_DIRECTORY ${home}/config)
if(source MATCHES "(^|\n)// runs in a temporary directory\n")
  set(dir ${home}/work)
  file(MAKE_DIRECTORY ${dir})
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${home} XDG_CONFIG_HOME=${home}/config
  ${KALIX}
  INPUT_FILE ${SCRIPT}
  WORKING_DIRECTORY ${dir}
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 60)
if(NOT EXISTS ${expected_file})
  message(FATAL_ERROR "missing ${expected_file}; the program printed:\n${actual}")
endif()
file(READ ${expected_file} expected)
if(NOT actual STREQUAL expected)
  get_filename_component(name ${SCRIPT} NAME)
  set(actual_file ${CMAKE_CURRENT_BINARY_DIR}/transcript-actual/${tag}-${name}.actual)
  file(WRITE ${actual_file} "${actual}")
  message(FATAL_ERROR "output differs from ${expected_file} (actual output in ${actual_file}):\n--- expected\n${expected}--- actual\n${actual}--- stderr\n${errors}")
endif()
if(NOT status STREQUAL want_status)
  message(FATAL_ERROR "exit status ${status}, expected ${want_status}\n${errors}")
endif()
