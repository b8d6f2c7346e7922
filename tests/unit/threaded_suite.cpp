// Every THREADED_SUITE mark names a suite of this program: a mark whose
// suite was renamed would leave that suite out of the ThreadSanitizer leg.
#include "threaded_suite.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kalix {

namespace {

std::vector<std::string>& markedSuites() {
    static std::vector<std::string> suites;
    return suites;
}

}  // namespace

bool markThreadedSuite(const char* suite) {
    markedSuites().push_back(suite);
    return true;
}

TEST(ThreadedSuites, EveryMarkNamesASuite) {
    const testing::UnitTest& tests = *testing::UnitTest::GetInstance();
    for (const std::string& marked : markedSuites()) {
        bool found = false;
        for (int i = 0; i < tests.total_test_suite_count() && !found; i++)
            found = marked == tests.GetTestSuite(i)->name();
        EXPECT_TRUE(found) << "THREADED_SUITE(" << marked << ") names no suite";
    }
}

}  // namespace kalix
