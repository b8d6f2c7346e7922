# Saves PNG pictures and RGB images through KALIX in a scratch directory
# WORK and compares what the program prints with SCRIPT's .out file; a
# failed save must leave no partial file behind.
string(REGEX REPLACE "\\.k$" ".out" expected_file ${SCRIPT})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/config)
# Writing to a full disk must fail.
file(CREATE_LINK /dev/full ${WORK}/full.png SYMBOLIC)
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK} XDG_CONFIG_HOME=${WORK}/config
  ${KALIX} INPUT_FILE ${SCRIPT} WORKING_DIRECTORY ${WORK}
  OUTPUT_VARIABLE actual ERROR_VARIABLE errors TIMEOUT 60)
file(READ ${expected_file} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs from ${expected_file}:\n--- expected\n${expected}--- actual\n${actual}--- stderr\n${errors}")
endif()
file(GLOB leftovers ${WORK}/*partial*)
if(leftovers)
  message(FATAL_ERROR "partial files left: ${leftovers}")
endif()
