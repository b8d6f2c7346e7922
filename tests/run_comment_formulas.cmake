# Runs NOTEBOOK, whose comments hold a "latex: " and a "maxima: " formula
# and whose last command inserts a plot, with "kalix -xrun" three times in
# one folder. The first run renders both formulas into picture rows; the
# second reads the notebook with its pictures and renders them again; the
# third runs without LaTeX and Maxima on the search path, keeps the rows
# and says why nothing was rendered. After each run the saved notebook
# equals NOTEBOOK's ".xrun.kn" file, the three image files are three
# different pictures, and the HTML export shows each of them at the size
# of its file. Without latex, dvipng or maxima the test is skipped.
cmake_policy(SET CMP0057 NEW)
foreach(program latex dvipng maxima)
  find_program(${program}_program ${program})
  if(NOT ${program}_program)
    message("SKIPPED: ${program} is not installed (Debian packages texlive-latex-base, dvipng, maxima)")
    return()
  endif()
endforeach()
include(${CMAKE_CURRENT_LIST_DIR}/notebook_runs.cmake)
prepare_notebook_run()

function(run_notebook search_path)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK} XDG_CONFIG_HOME=${WORK}/config
    PATH=${search_path} ${KALIX} -xrun ${name}
    WORKING_DIRECTORY ${WORK}
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors
    RESULT_VARIABLE status
    TIMEOUT 180)
  if(NOT status STREQUAL "0")
    message(FATAL_ERROR "exit status ${status}\n${output}\n${errors}")
  endif()
  set(errors "${errors}" PARENT_SCOPE)
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${WORK}/${name}
                          ${source}/${stem}.xrun.kn RESULT_VARIABLE different)
  if(different)
    file(READ ${WORK}/${name} text)
    message(FATAL_ERROR "the saved notebook lost its formulas:\n${text}\n${errors}")
  endif()
  file(READ ${WORK}/${stem}.html page)
  set(hashes "")
  foreach(number 001 002 003)
    set(picture images/${stem}-${number}.png)
    if(NOT EXISTS ${WORK}/${picture})
      message(FATAL_ERROR "missing ${picture}\n${errors}")
    endif()
    file(MD5 ${WORK}/${picture} hash)
    if(hash IN_LIST hashes)
      message(FATAL_ERROR "${picture} repeats a picture before it")
    endif()
    list(APPEND hashes ${hash})
    # A formula's large picture may stand in the page; the size is the
    # shown one, that of the picture itself.
    string(REGEX MATCH "<img class=\"kalix\" src=\"images/${stem}-${number}(-large)?\\.png\"[^>]* width=\"([0-9]+)\" height=\"([0-9]+)\""
           image "${page}")
    if(NOT image)
      message(FATAL_ERROR "the page does not show ${picture}:\n${page}")
    endif()
    expect_png_size(${WORK}/${picture} ${CMAKE_MATCH_2} ${CMAKE_MATCH_3})
  endforeach()
  # The formulas are pictures, not their TeX source as text.
  if(page MATCHES "int_0" OR page MATCHES "integrate")
    message(FATAL_ERROR "the page shows a formula's source:\n${page}")
  endif()
endfunction()

run_notebook("$ENV{PATH}")
file(MD5 ${WORK}/images/${stem}-001.png latex_picture)
file(MD5 ${WORK}/images/${stem}-002.png maxima_picture)
run_notebook("$ENV{PATH}")
# Without the programs: the rows stay, each program's absence is said.
run_notebook("/nonexistent")
foreach(reason "Latex could not be found." "Could not start Maxima!")
  string(FIND "${errors}" "${reason}" at)
  if(at LESS 0)
    message(FATAL_ERROR "no message \"${reason}\":\n${errors}")
  endif()
endforeach()
file(MD5 ${WORK}/images/${stem}-001.png kept_latex)
file(MD5 ${WORK}/images/${stem}-002.png kept_maxima)
if(NOT kept_latex STREQUAL latex_picture OR NOT kept_maxima STREQUAL maxima_picture)
  message(FATAL_ERROR "the kept formulas were saved as other pictures")
endif()
