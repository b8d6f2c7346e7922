# Runs a notebook through "kalix -run" or "kalix -xrun" in a folder of its
# own and checks the exit status (STATUS) and the files left: after -xrun
# the saved notebook and its HTML export must equal NOTEBOOK's ".xrun.kn"
# and ".xrun.html" files; after -run the notebook is unchanged and nothing
# is exported. A NOTEBOOK that does not exist is run as a missing file.
# FOLDERS names folders made beside the notebook first; a folder with the
# notebook's own name stands for a notebook that cannot be read.
get_filename_component(name ${NOTEBOOK} NAME)
get_filename_component(stem ${NOTEBOOK} NAME_WE)
get_filename_component(source ${NOTEBOOK} DIRECTORY)
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/config)
if(EXISTS ${NOTEBOOK})
  file(COPY ${NOTEBOOK} DESTINATION ${WORK})
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
elseif(MODE STREQUAL "-xrun")
  expect_same(${WORK}/${name} ${source}/${stem}.xrun.kn)
  expect_same(${WORK}/${stem}.html ${source}/${stem}.xrun.html)
else()
  expect_same(${WORK}/${name} ${NOTEBOOK})
  if(EXISTS ${WORK}/${stem}.html)
    message(FATAL_ERROR "-run wrote ${stem}.html")
  endif()
endif()
