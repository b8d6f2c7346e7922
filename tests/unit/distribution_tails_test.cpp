// erfc and normaldis in their tails, against values computed with 40
// digits: the relative error stays within a few units of the last place
// down to the smallest normal doubles.
#include <cmath>

#include "math_fixture.h"

namespace kalix {

class DistributionTailTest : public MathTest {};

namespace {

struct Point {
    double x, value;
};

const Point erfcPoints[] = {
    {2.5, 0.0004069520174449589},   {3.0, 2.209049699858544e-05},   {4.5, 1.9661604415428876e-10},
    {6.0, 2.1519736712498913e-17},  {8.0, 1.1224297172982926e-29},  {9.99, 2.553157649309535e-45},
    {10.0, 2.088487583762545e-45},  {12.5, 6.231942781979911e-70},  {15.0, 7.212994172451207e-100},
    {20.0, 5.395865611607901e-176}, {25.0, 8.300172571196523e-274}, {26.5, 2.2109076642637343e-307},
    {-1.5, 1.9661051464753108},
};

const Point normaldisPoints[] = {
    {-3.0, 0.0013498980316300946},   {-5.5, 1.8989562465887718e-08},
    {-7.0, 1.279812543885835e-12},   {-8.0, 6.220960574271784e-16},
    {-8.3, 5.205569744890254e-17},   {-10.0, 7.619853024160525e-24},
    {-15.0, 3.670966199312751e-51},  {-20.0, 2.7536241186062337e-89},
    {-30.0, 4.906713927148187e-198}, {-37.0, 5.725571222524577e-300},
    {-37.5, 4.605353009581955e-308}, {2.0, 0.9772498680518208},
};

}  // namespace

TEST_F(DistributionTailTest, ErfcKeepsItsDigitsInTheTail) {
    for (const Point& p : erfcPoints)
        EXPECT_LE(std::fabs(real("erfc", p.x) - p.value), 4e-16 * p.value) << p.x;
    EXPECT_EQ(real("erfc", 30), 0);
    EXPECT_EQ(real("erfc", -30), 2);
}

TEST_F(DistributionTailTest, NormaldisKeepsTheLowerTail) {
    for (const Point& p : normaldisPoints)
        EXPECT_LE(std::fabs(real("normaldis", p.x) - p.value), 1e-15 * p.value) << p.x;
    EXPECT_EQ(real("normaldis", -40), 0);
    EXPECT_EQ(real("normaldis", 40), 1);
    EXPECT_EQ(real("normaldis", 0), 0.5);
}

}  // namespace kalix
