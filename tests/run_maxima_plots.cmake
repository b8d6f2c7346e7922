# Runs NOTEBOOK with "kalix -xrun": its Maxima plot lines ending in ":"
# must each insert their own picture, the last line's as well. Without
# Maxima or gnuplot the test is skipped, saying so.
cmake_policy(SET CMP0057 NEW)
find_program(maxima_program maxima)
find_program(gnuplot_program gnuplot)
if(NOT maxima_program OR NOT gnuplot_program)
  message("SKIPPED: Maxima or gnuplot is not installed (Debian packages maxima, gnuplot-x11)")
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/notebook_runs.cmake)
prepare_notebook_run()
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK} XDG_CONFIG_HOME=${WORK}/config
  ${KALIX} -xrun ${name}
  WORKING_DIRECTORY ${WORK}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 120)
if(NOT status STREQUAL "0")
  message(FATAL_ERROR "exit status ${status}\n${output}\n${errors}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${name}
                        ${source}/${stem}.xrun.kn RESULT_VARIABLE different)
if(different)
  file(READ ${WORK}/${name} text)
  message(FATAL_ERROR "the saved notebook lacks its pictures:\n${text}")
endif()
# Two complete PNG files, and not the same picture twice.
set(hashes "")
foreach(number 001 002)
  set(picture ${WORK}/images/${stem}-${number}.png)
  if(NOT EXISTS ${picture})
    message(FATAL_ERROR "missing ${picture}")
  endif()
  file(READ ${picture} head LIMIT 8 HEX)
  file(SIZE ${picture} size)
  if(NOT head STREQUAL "89504e470d0a1a0a" OR size LESS 2000)
    message(FATAL_ERROR "${picture} is no complete picture (${size} bytes)")
  endif()
  file(MD5 ${picture} hash)
  if(hash IN_LIST hashes)
    message(FATAL_ERROR "${picture} repeats the picture before it")
  endif()
  list(APPEND hashes ${hash})
endforeach()
