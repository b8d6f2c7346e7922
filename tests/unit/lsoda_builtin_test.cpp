// The builtin lsoda on a small stack: its work space is taken once per
// call, so restarts at many output points do not use up the stack.
#include <gtest/gtest.h>

#include <string>

#include "program_fixture.h"

namespace kalix {

namespace {

using LsodaBuiltin = ProgramTest;

TEST_F(LsodaBuiltin, RestartsAtManyPointsKeepOneWorkSpace) {
    // 20000 fresh starts; work space taken per start would need several
    // times the 4 MB stack. Every restart begins at order 1 again, so the
    // errors of the intervals add up.
    ASSERT_EQ(run("function f(t, y) := -y\n"
                  "y = lsoda(\"f\", (0:20000)/20000, 1, 1e-8, 0, 1);\n"
                  "e = abs(y[20001] - exp(-1));\n"),
              0)
        << output();
    ASSERT_EQ(run("e < 1e-4\n"), 0);
    EXPECT_EQ(output(), "1\n");
}

}  // namespace

}  // namespace kalix
