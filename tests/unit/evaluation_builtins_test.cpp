// errorlevel and evaluate leave the values of the text where the evaluation
// made them: a value that takes most of the stack is not copied again.
#include "math_fixture.h"

namespace kalix {

class EvaluationBuiltinsTest : public MathTest {};

TEST_F(EvaluationBuiltinsTest, LargeValuesStayInPlace) {
    // 1:90000 takes 720 KB of the 1 MB stack: a second copy would not fit.
    header* first = pushCString("1:90000");
    call("errorlevel", 1, first);
    ASSERT_EQ(errorCode, 0) << output();
    ASSERT_EQ(first->kind, kindReal);
    EXPECT_EQ(realOf(first), 0);
    header* values = nextValue(first);
    ASSERT_NE(values, nullptr);
    ASSERT_EQ(values->kind, kindRealMatrix);
    EXPECT_EQ(shape(values), (std::vector<int>{1, 90000}));
    EXPECT_EQ(matrixData(values)[89999], 90000);
    EXPECT_EQ(endOf(values), newram);

    newram = endlocal;
    first = pushCString("1:90000");
    call("evaluate", 1, first);
    ASSERT_EQ(errorCode, 0) << output();
    EXPECT_EQ(shape(first), (std::vector<int>{1, 90000}));
    EXPECT_EQ(endOf(first), newram);
}

TEST_F(EvaluationBuiltinsTest, ErrorlevelValuesAreUnnamedValues) {
    header* x = variable(1, 1, {7}, "x");
    (void)x;
    header* first = pushCString("x");
    call("errorlevel", 1, first);
    ASSERT_EQ(errorCode, 0) << output();
    header* value = nextValue(first);
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->kind, kindReal);  // the 1x1 matrix as a scalar, not a reference
    EXPECT_EQ(realOf(value), 7);
    EXPECT_EQ(value->name[0], 0);
    EXPECT_EQ(endOf(value), newram);

    newram = endlocal;
    first = pushCString("nosuchname");
    call("errorlevel", 1, first);
    EXPECT_EQ(errorCode, 0);
    EXPECT_EQ(realOf(first), 57);
    EXPECT_EQ(endOf(first), newram);
    output();
}

}  // namespace kalix
