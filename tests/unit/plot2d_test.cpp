// The 2D drawing builtins as records in the graphics store.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/graphics_state.h"
#include "graphics/graphics_store.h"
#include "graphics/metafile.h"
#include "math_fixture.h"
#include "recording_surface.h"

namespace kalix {

namespace {

class Plot2dTest : public MathTest {
  public:
    void SetUp() override {
        MathTest::SetUp();
        restoreGraphicsDefaults();
        rowColorCount = 0;
        emitClear();
    }

    header* matrix(int rows, int columns, const std::vector<double>& values) {
        header* m = pushRealMatrix(rows, columns);
        for (size_t i = 0; i < values.size(); i++) matrixData(m)[i] = values[i];
        return m;
    }

    std::vector<std::string> recorded() {
        RecordingSurface s;
        graphicsStore().replay(s, true);
        return s.calls;
    }
};

TEST_F(Plot2dTest, LongPolylinesKeepEveryPoint) {
    std::vector<double> x(5000), y(5000);
    for (int i = 0; i < 5000; i++) x[size_t(i)] = y[size_t(i)] = i;
    newram = endlocal;
    header* first = matrix(1, 5000, x);
    matrix(1, 5000, y);
    call("plot", 2, first);
    ASSERT_EQ(errorCode, 0);
    const std::vector<std::string> calls = recorded();
    ASSERT_EQ(calls.size(), 3u);
    // The second run starts with the last point of the first.
    const double c = decodeCoordinate(encodeCoordinate(screenColumn(4095)));
    const double r = decodeCoordinate(encodeCoordinate(screenRow(4095)));
    char end[64];
    std::snprintf(end, sizeof end, "%g %g", c, r);
    EXPECT_EQ(calls[1].find("polyline 4096 "), 0u);
    EXPECT_NE(calls[1].find(std::string("to ") + end), std::string::npos);
    EXPECT_EQ(calls[2].find(std::string("polyline 905 from ") + end), 0u);
}

TEST_F(Plot2dTest, NanAndFarPointsBreakTheLine) {
    newram = endlocal;
    header* first = matrix(1, 10, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    matrix(1, 10, {1, NAN, 3, 4, 5, 6, 7, 8, 9, 10});
    call("plot", 2, first);
    std::vector<std::string> calls = recorded();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].find("polyline 1 "), 0u);
    EXPECT_EQ(calls[2].find("polyline 8 "), 0u);

    // A fixed range that puts the middle point 2000 columns away: both
    // segments are cut where they leave the accepted square.
    emitClear();
    newram = endlocal;
    header* range = matrix(1, 4, {0, 1, 0, 1});
    call("setplot", 1, range);
    newram = endlocal;
    first = matrix(1, 3, {0, 3, 1});
    matrix(1, 3, {0, 0, 1});
    call("plot", 2, first);
    calls = recorded();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[1].find("polyline 2 "), 0u);
    EXPECT_EQ(calls[2].find("polyline 2 "), 0u);
}

TEST_F(Plot2dTest, RowColoursApplyPerRowAndTheColourComesBack) {
    newram = endlocal;
    call("color", 1, matrix(1, 2, {1, 2}));
    newram = endlocal;
    header* first = matrix(1, 2, {0, 1});
    matrix(3, 2, {0, 1, 1, 2, 2, 3});
    call("plot", 2, first);
    const std::vector<std::string> calls = recorded();
    ASSERT_EQ(calls.size(), 4u);
    EXPECT_NE(calls[1].find(" 1 1 1"), std::string::npos) << calls[1];
    EXPECT_NE(calls[2].find(" 2 1 1"), std::string::npos) << calls[2];
    EXPECT_NE(calls[3].find(" 2 1 1"), std::string::npos) << calls[3];
    EXPECT_EQ(currentColor, 1);
}

TEST_F(Plot2dTest, BarRgbStoresTheLastRowFirstAndClearsUnlessHeld) {
    newram = endlocal;
    header* first = matrix(2, 1, {0, 1});
    matrix(2, 1, {0, 0.5});
    matrix(2, 1, {2, -1});
    pushReal(-1);
    call("barRGB", 4, first);
    ASSERT_EQ(errorCode, 0);
    const Metafile& m = graphicsStore();
    ASSERT_EQ(m.size(), 1u + 1 + 16 + 20 + 6);
    const uint8_t* pixels = m.bytes() + 1 + 1 + 16 + 20;
    const uint8_t expected[6] = {255, 127, 0, 0, 0, 255};
    EXPECT_EQ(std::vector<uint8_t>(pixels, pixels + 6),
              std::vector<uint8_t>(expected, expected + 6));

    holdFlag = 1;
    newram = endlocal;
    first = matrix(1, 2, {0, 0});
    matrix(1, 2, {0, 0});
    matrix(1, 2, {0, 0});
    pushReal(-1);
    call("barRGB", 4, first);
    EXPECT_EQ(recorded().size(), 3u);  // the first picture stays
    holdFlag = 0;
}

}  // namespace

}  // namespace kalix
