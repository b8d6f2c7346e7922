# Runs SCRIPT through KALIX in a scratch directory WORK, compares what it
# prints with SCRIPT's .out file, and renders each EPS file it wrote with
# Ghostscript at 72 dpi, cropped to its bounding box: the page must have
# the size pswindow gave.
string(REGEX REPLACE "\\.k$" ".out" expected_file ${SCRIPT})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/config)
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK} XDG_CONFIG_HOME=${WORK}/config
  ${KALIX} INPUT_FILE ${SCRIPT} WORKING_DIRECTORY ${WORK}
  OUTPUT_VARIABLE actual ERROR_VARIABLE errors TIMEOUT 60)
file(READ ${expected_file} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs from ${expected_file}:\n--- expected\n${expected}--- actual\n${actual}--- stderr\n${errors}")
endif()

foreach(case "wide;400;250" "tall;150;300" "least;1;1")
  list(GET case 0 name)
  list(GET case 1 width)
  list(GET case 2 height)
  execute_process(COMMAND gs -q -dBATCH -dNOPAUSE -dSAFER -dEPSCrop -sDEVICE=png16m -r72
                          -sOutputFile=${name}.png ${name}.eps
    WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "Ghostscript on ${name}.eps failed:\n${err}")
  endif()
  # The PNG header holds width and height as big-endian words.
  file(READ ${WORK}/${name}.png header OFFSET 16 LIMIT 8 HEX)
  string(SUBSTRING ${header} 0 8 w)
  string(SUBSTRING ${header} 8 8 h)
  math(EXPR w "0x${w}")
  math(EXPR h "0x${h}")
  if(NOT w EQUAL width OR NOT h EQUAL height)
    message(FATAL_ERROR "${name}.eps renders ${w} x ${h}, not ${width} x ${height}")
  endif()
endforeach()
