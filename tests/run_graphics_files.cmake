# Saves pictures through KALIX in a scratch directory WORK, compares what the
# program prints with SCRIPT's .out file, and checks the files with outside
# tools: Ghostscript renders the EPS, xmllint parses the SVG (also the
# gzip-compressed one), and the texts arrive escaped and in UTF-8, and
# Ghostscript reads the EPS's texts back as they were written. Kalix runs
# in the code page the locale gives, as a user's does.
string(REGEX REPLACE "\\.k$" ".out" expected_file ${SCRIPT})
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK}/config)
# Writing to a full disk must fail: both names lead to /dev/full.
file(CREATE_LINK /dev/full ${WORK}/full.eps SYMBOLIC)
file(CREATE_LINK /dev/full ${WORK}/full.svg SYMBOLIC)
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK} XDG_CONFIG_HOME=${WORK}/config
  ${KALIX} INPUT_FILE ${SCRIPT} WORKING_DIRECTORY ${WORK}
  OUTPUT_VARIABLE actual ERROR_VARIABLE errors TIMEOUT 60)
file(READ ${expected_file} expected)
if(NOT actual STREQUAL expected)
  message(FATAL_ERROR "output differs from ${expected_file}:\n--- expected\n${expected}--- actual\n${actual}--- stderr\n${errors}")
endif()

function(check what)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK} RESULT_VARIABLE status
    OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${what} failed (${status}):\n${out}${err}")
  endif()
endfunction()

check("Ghostscript on picture.eps" gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=nullpage picture.eps)
foreach(svg picture.svg small.svg)
  check("xmllint on ${svg}" xmllint --noout ${svg})
endforeach()
execute_process(COMMAND gzip -dc -S .svgz packed.svgz WORKING_DIRECTORY ${WORK}
  OUTPUT_FILE ${WORK}/unpacked.svg RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "packed.svgz is no gzip file")
endif()
check("xmllint on the unpacked SVG" xmllint --noout unpacked.svg)

set(texts "ä and a<b & c (x)" "αβγ Δ Ω π ≤ Привет" "down" "up")
file(READ ${WORK}/picture.svg svg)
foreach(escaped ">ä and a&lt;b &amp; c (x)</text>" ">αβγ Δ Ω π ≤ Привет</text>")
  string(FIND "${svg}" "${escaped}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "picture.svg lacks the escaped UTF-8 text ${escaped}")
  endif()
endforeach()
file(READ ${WORK}/picture.eps eps)
string(FIND "${eps}" " and a<b & c \\(x\\)) " at)
string(FIND "${eps}" "8#344 /adieresis" glyph)
if(at EQUAL -1 OR glyph EQUAL -1)
  message(FATAL_ERROR "picture.eps lacks the escaped text")
endif()
# Ghostscript reads the glyphs of each text back as the characters written.
execute_process(COMMAND gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=txtwrite -sOutputFile=-
  picture.eps WORKING_DIRECTORY ${WORK} OUTPUT_VARIABLE shown RESULT_VARIABLE status)
foreach(text ${texts})
  string(FIND "${shown}" "${text}" at)
  if(NOT status EQUAL 0 OR at EQUAL -1)
    message(FATAL_ERROR "picture.eps does not show \"${text}\"; Ghostscript reads:\n${shown}")
  endif()
endforeach()
file(GLOB leftovers ${WORK}/*partial*)
if(leftovers)
  message(FATAL_ERROR "unfinished files left behind: ${leftovers}")
endif()
