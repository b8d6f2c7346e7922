# Runs a notebook through "kalix -run" or "kalix -xrun" in a folder of its
# own and checks the exit status (STATUS) and the files left: after -xrun
# the saved notebook and its HTML export must equal NOTEBOOK's ".xrun.kn"
# and ".xrun.html" files (the HTML only where that file exists); after -run
# the notebook is unchanged and nothing is exported. A NOTEBOOK that does
# not exist is run as a missing file. MODE may hold options before the
# mode; a ".xrun.messages" file beside the notebook holds a text that
# what the run printed on stderr must contain.
# Every picture the HTML shows must be stored at the size the HTML gives.
# FOLDERS names folders made beside the notebook first; a folder with the
# notebook's own name stands for a notebook that cannot be read.
include(${CMAKE_CURRENT_LIST_DIR}/notebook_runs.cmake)
get_filename_component(name ${NOTEBOOK} NAME)
get_filename_component(stem ${NOTEBOOK} NAME_WE)
get_filename_component(source ${NOTEBOOK} DIRECTORY)
# A notebook whose first line switches Maxima mode runs the real Maxima;
# without it the test is skipped, saying so.
if(EXISTS ${NOTEBOOK})
  file(READ ${NOTEBOOK} head LIMIT 40)
  if(head MATCHES "^(\xEF\xBB\xBF)?Maxima mode is on")
    find_program(maxima_program maxima)
    if(NOT maxima_program)
      message("SKIPPED: Maxima is not installed (Debian package maxima)")
      return()
    endif()
  endif()
endif()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/config/kalix)
if(EXISTS ${NOTEBOOK})
  file(COPY ${NOTEBOOK} DESTINATION ${WORK})
endif()
# A ".settings" file beside the notebook is the settings file of its home.
if(EXISTS ${source}/${stem}.settings)
  file(COPY_FILE ${source}/${stem}.settings ${WORK}/config/kalix/settings)
endif()
foreach(folder ${FOLDERS})
  file(MAKE_DIRECTORY ${WORK}/${folder})
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK} XDG_CONFIG_HOME=${WORK}/config
  ${KALIX} ${MODE} ${name}
  WORKING_DIRECTORY ${WORK}
  OUTPUT_VARIABLE output
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT 60)
if(NOT status STREQUAL STATUS)
  message(FATAL_ERROR "exit status ${status}, expected ${STATUS}\n${output}\n${errors}")
endif()

function(expect_same actual expected)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${actual} ${expected}
    RESULT_VARIABLE different)
  if(different)
    file(READ ${actual} text)
    message(FATAL_ERROR "${actual} differs from ${expected}:\n${text}")
  endif()
endfunction()

if(NOT EXISTS ${NOTEBOOK} OR IS_DIRECTORY ${WORK}/${name})
  if(NOT errors MATCHES "Could not open file")
    message(FATAL_ERROR "no message about the missing notebook:\n${errors}")
  endif()
elseif(MODE MATCHES "-xrun$")
  expect_same(${WORK}/${name} ${source}/${stem}.xrun.kn)
  if(EXISTS ${source}/${stem}.xrun.html)
    expect_same(${WORK}/${stem}.html ${source}/${stem}.xrun.html)
  endif()
  if(EXISTS ${source}/${stem}.xrun.messages)
    file(READ ${source}/${stem}.xrun.messages message)
    string(FIND "${errors}" "${message}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "stderr lacks \"${message}\":\n${errors}")
    endif()
  endif()
  # SVG pictures the run wrote must be well-formed.
  file(GLOB svgs ${WORK}/images/*.svg)
  foreach(svg ${svgs})
    execute_process(COMMAND xmllint --noout ${svg} RESULT_VARIABLE bad ERROR_VARIABLE why)
    if(bad)
      message(FATAL_ERROR "${svg} is not well-formed:\n${why}")
    endif()
  endforeach()
  set(page "")
  if(EXISTS ${WORK}/${stem}.html)
    file(READ ${WORK}/${stem}.html page)
  endif()
  string(REGEX MATCHALL "src=\"[^\"]*\.png\" width=\"[0-9]+\" height=\"[0-9]+\"" images "${page}")
  foreach(image ${images})
    string(REGEX MATCH "src=\"([^\"]*)\" width=\"([0-9]+)\" height=\"([0-9]+)\"" _ "${image}")
    expect_png_size(${WORK}/${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
  endforeach()
else()
  expect_same(${WORK}/${name} ${NOTEBOOK})
  if(EXISTS ${WORK}/${stem}.html)
    message(FATAL_ERROR "-run wrote ${stem}.html")
  endif()
endif()
