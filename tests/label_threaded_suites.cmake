# Run by ctest after the unit tests are discovered (a TEST_INCLUDE_FILES
# entry that tests/CMakeLists.txt writes, setting UNIT_SOURCES and
# UNIT_TESTS): the tests of every suite marked THREADED_SUITE(name) in a
# unit test file get the label "threads" beside "unit". Read at each ctest
# run, so that a new mark counts without configuring again.
file(GLOB sources ${UNIT_SOURCES}/*.cpp)
set(suites)
foreach(source ${sources})
  file(STRINGS ${source} marks REGEX "^THREADED_SUITE\\([A-Za-z0-9_]+\\)")
  foreach(mark ${marks})
    string(REGEX REPLACE "^THREADED_SUITE\\(([A-Za-z0-9_]+)\\).*" "\\1" suite "${mark}")
    list(APPEND suites ${suite})
  endforeach()
endforeach()
foreach(test ${${UNIT_TESTS}})
  # Suite.Test, or Instance/Suite.Test/N for parameterized suites.
  string(REGEX REPLACE "^([^./]*/)?([^./]+)\\..*" "\\2" suite "${test}")
  list(FIND suites "${suite}" at)
  if(NOT at EQUAL -1)
    set_tests_properties(${test} PROPERTIES LABELS "unit;threads")
  endif()
endforeach()
