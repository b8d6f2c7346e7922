// Marks a test suite whose code runs on several threads (or starts the
// program, which does): its tests get the ctest label "threads", which the
// ThreadSanitizer leg of scripts/test runs. Write the mark beside the
// suite's tests, at file scope and at the start of a line, so that
// tests/label_threaded_suites.cmake and tests/CMakeLists.txt find it:
//     THREADED_SUITE(NotebookLock);
#pragma once

namespace kalix {

// Records the name for the check that every mark names a suite; true.
bool markThreadedSuite(const char* suite);

}  // namespace kalix

#define THREADED_SUITE(suite) \
    [[maybe_unused]] static const bool threadedSuite##suite = markThreadedSuite(#suite)
