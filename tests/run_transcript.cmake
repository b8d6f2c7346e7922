# Runs one transcript: feeds SCRIPT to KALIX on standard input from the
# script's own directory and compares standard output with SCRIPT's .out file.
# A script may hold its expected exit status in a first line "// status N".
# A script with a line "// runs in a temporary directory" runs in an empty
# directory of its own instead, for the files it writes.
# A line "// timeout N" allows N seconds instead of 60 (the size sweeps).
# Lines "// setting NAME=VALUE" (or "// setting NAME VALUE") go into the
# settings file of its home.
string(REGEX REPLACE "\\.k$" ".out" expected_file ${SCRIPT})
get_filename_component(dir ${SCRIPT} DIRECTORY)
file(READ ${SCRIPT} source)
set(want_status 0)
if(source MATCHES "^// status ([0-9]+)")
  set(want_status ${CMAKE_MATCH_1})
endif()
set(timeout 60)
if(source MATCHES "(^|\n)// timeout ([0-9]+)\n")
  set(timeout ${CMAKE_MATCH_2})
endif()
# A transcript that starts "// needs maxima" runs the real Maxima ("// needs
# maxima info": and its info files); without them it is skipped, saying so
# (the test's SKIP_REGULAR_EXPRESSION matches "SKIPPED:").
if(source MATCHES "^// needs maxima")
  find_program(maxima_program maxima)
  file(GLOB maxima_info /usr/share/info/maxima.info-1*)
  if(NOT maxima_program)
    message("SKIPPED: Maxima is not installed (Debian package maxima)")
    return()
  endif()
  if(source MATCHES "^// needs maxima info" AND NOT maxima_info)
    message("SKIPPED: Maxima's info files are not installed (Debian package maxima-doc)")
    return()
  endif()
endif()

# A settings-free home of its own, so the user's profile or settings file
# never changes what a transcript prints.
# VARIANT names one of several runs of the same script (other settings of
# the environment), so that runs at the same time keep apart.
string(MD5 tag "${SCRIPT}${VARIANT}")
set(home ${CMAKE_CURRENT_BINARY_DIR}/transcript-homes/${tag})
file(REMOVE_RECURSE ${home})
file(MAKE_DIRECTORY ${home}/config)
if(source MATCHES "(^|\n)// runs in a temporary directory\n")
  set(dir ${home}/work)
  file(MAKE_DIRECTORY ${dir})
endif()
string(REGEX MATCHALL "(^|\n)// setting [A-Za-z0-9_]+[ =][^\n]*" setting_lines "${source}")
foreach(line ${setting_lines})
  string(REGEX REPLACE "^\n?// setting ([A-Za-z0-9_]+)[ =](.*)$" "\\1=\"\\2\"\n" entry "${line}")
  file(APPEND ${home}/config/kalix/settings "${entry}")
endforeach()
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${home} XDG_CONFIG_HOME=${home}/config
  ${KALIX}
  INPUT_FILE ${SCRIPT}
  WORKING_DIRECTORY ${dir}
  OUTPUT_VARIABLE actual
  ERROR_VARIABLE errors
  RESULT_VARIABLE status
  TIMEOUT ${timeout})
if(NOT EXISTS ${expected_file})
  message(FATAL_ERROR "missing ${expected_file}; the program printed:\n${actual}")
endif()
file(READ ${expected_file} expected)
cmake_policy(SET CMP0007 NEW)

# The lines of a text as a list (semicolons kept; brackets, which would
# group list elements, stand in as placeholders until printed).
function(lines_of text out)
  string(REPLACE "[" "@LB@" text "${text}")
  string(REPLACE "]" "@RB@" text "${text}")
  string(REPLACE ";" "\\;" text "${text}")
  string(REPLACE "\n" ";" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Expected and actual output line by line in two columns, "|" between
# lines that agree and "#" where they differ.
function(side_by_side expected actual out)
  lines_of("${expected}" left)
  lines_of("${actual}" right)
  list(LENGTH left nl)
  list(LENGTH right nr)
  set(n ${nl})
  if(nr GREATER n)
    set(n ${nr})
  endif()
  set(table "")
  if(n GREATER 0)
    math(EXPR last "${n} - 1")
    foreach(i RANGE ${last})
      set(a "")
      set(b "")
      if(i LESS nl)
        list(GET left ${i} a)
      endif()
      if(i LESS nr)
        list(GET right ${i} b)
      endif()
      foreach(v a b)
        string(REPLACE "@LB@" "[" ${v} "${${v}}")
        string(REPLACE "@RB@" "]" ${v} "${${v}}")
      endforeach()
      set(mark "|")
      if(NOT a STREQUAL b OR NOT i LESS nl OR NOT i LESS nr)
        set(mark "#")
      endif()
      string(LENGTH "${a}" width)
      set(pad "")
      if(width LESS 40)
        math(EXPR fill "40 - ${width}")
        string(REPEAT " " ${fill} pad)
      endif()
      if(i EQUAL last AND a STREQUAL "" AND b STREQUAL "")
        break()  # both texts end with a line end
      endif()
      string(APPEND table "  ${a}${pad} ${mark} ${b}\n")
    endforeach()
  endif()
  set(${out} "${table}" PARENT_SCOPE)
endfunction()

if(NOT actual STREQUAL expected)
  get_filename_component(name ${SCRIPT} NAME)
  set(actual_file ${CMAKE_CURRENT_BINARY_DIR}/transcript-actual/${tag}-${name}.actual)
  file(WRITE ${actual_file} "${actual}")
  side_by_side("${expected}" "${actual}" table)
  string(REGEX REPLACE "\n$" "" input "${source}")
  string(REPLACE "\n" "\n  " input "  ${input}")
  message(FATAL_ERROR "output differs from ${expected_file} (actual output in ${actual_file})\n--- input\n${input}\n--- expected (left) and actual (right); # marks a difference\n${table}--- stderr\n${errors}")
endif()
if(NOT status STREQUAL want_status)
  message(FATAL_ERROR "exit status ${status}, expected ${want_status}\n${errors}")
endif()
