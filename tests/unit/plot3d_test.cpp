// The 3D, contour and page builtins: results, records in the graphics
// store, work space checks and the page display state.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/graphics_state.h"
#include "graphics/graphics_store.h"
#include "graphics/pages.h"
#include "math_fixture.h"
#include "recording_surface.h"

namespace kalix {

namespace {

class Plot3dTest : public MathTest {
  public:
    void SetUp() override {
        MathTest::SetUp();
        restoreGraphicsDefaults();
        emitClear();
        newram = endlocal;
    }
    void TearDown() override {
        deleteAllPages();
        displayPage(0);
        graphicsStore().setPaintTarget(nullptr);
        MathTest::TearDown();
    }

    header* matrix(int rows, int columns, const std::vector<double>& values) {
        header* m = pushRealMatrix(rows, columns);
        for (size_t i = 0; i < values.size(); i++) matrixData(m)[i] = values[i];
        return m;
    }
    // x = -1:0.5:1, y = x', z = x^2 + y^2 on the stack.
    static std::vector<double> bowlSteps() { return {-1, -0.5, 0, 0.5, 1}; }
    static std::vector<double> bowlHeights() {
        std::vector<double> z;
        for (double a : bowlSteps())
            for (double b : bowlSteps()) z.push_back(a * a + b * b);
        return z;
    }
    header* bowl() {
        header* first = matrix(1, 5, bowlSteps());
        matrix(5, 1, bowlSteps());
        matrix(5, 5, bowlHeights());
        return first;
    }
    std::vector<std::string> recorded() {
        RecordingSurface s;
        graphicsStore().replay(s, true);
        return s.calls;
    }
    int count(const char* kind) {
        int n = 0;
        for (const std::string& c : recorded()) n += c.rfind(kind, 0) == 0;
        return n;
    }
    std::vector<double> row(header* h) {
        return std::vector<double>(matrixData(h), matrixData(h) + matrixColumns(h));
    }
};

TEST_F(Plot3dTest, MeshReturnsTheRangeAndDrawsFourTrianglesACell) {
    header* first = bowl();
    header* z = nextValue(nextValue(first));
    call("mesh", 1, z);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(row(z), (std::vector<double>{0, 2}));
    EXPECT_EQ(count("clear"), 1);
    EXPECT_EQ(count("facet 3 "), 4 * 16);
}

TEST_F(Plot3dTest, WorkSpaceIsCheckedBeforeAnythingIsDrawn) {
    header* first = bowl();
    header* z = nextValue(nextValue(first));
    emitLine(0, 0, 1, 1, 1, 1, 1);
    char* end = ramend;
    ramend = newram + 16 * 25 - 8;
    call("mesh", 1, z);
    EXPECT_EQ(errorCode, 85);
    EXPECT_NE(std::string(captured.data()).find("Out of memory in mesh!"), std::string::npos);
    errorCode = 0;
    call("wire", 3, first);
    EXPECT_EQ(errorCode, 85);
    errorCode = 0;
    call("solid", 3, first);
    EXPECT_EQ(errorCode, 85);
    ramend = end;
    EXPECT_EQ(recorded().size(), 2u);  // the picture was not cleared
}

TEST_F(Plot3dTest, SolidFormsAndTheirChecks) {
    header* first = bowl();
    call("solid", 3, first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(realOf(first), 0);
    EXPECT_EQ(count("facet 3 "), 2 * 16);

    // With breaks: one quadrilateral a cell, the strip after row 2 left
    // out.
    newram = endlocal;
    first = bowl();
    pushReal(2);
    call("solid", 4, first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(count("facet 4 "), 12);

    // A matrix with fewer rows than the grid is refused before it is read.
    newram = endlocal;
    first = matrix(3, 5, std::vector<double>(15, 0));
    matrix(5, 1, {0, 1, 2, 3, 4});
    matrix(5, 5, std::vector<double>(25, 0));
    pushReal(2);
    call("solid", 4, first);
    EXPECT_EQ(errorCode, 83);
    errorCode = 0;

    // Shaded, with a hue of 0: no hue polygons, only the level lines.
    newram = endlocal;
    first = bowl();
    pushMarker(markerNone);
    pushReal(0);
    matrix(5, 5, bowlHeights());
    matrix(1, 2, {0.5, 1});
    call("solid", 7, first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(count("huePolygon"), 0);
    EXPECT_GT(count("line"), 0);
}

TEST_F(Plot3dTest, ProjectGivesThreeResults) {
    header* first = matrix(1, 2, {0, 1});
    matrix(1, 2, {0, 0});
    matrix(1, 2, {0, 0});
    call("project", 3, first);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(row(first)[0], 510);
    header* rows = nextValue(first);
    EXPECT_EQ(row(rows)[0], 520);
    header* depths = nextValue(rows);
    EXPECT_EQ(row(depths)[0], 0);
    EXPECT_EQ(reinterpret_cast<char*>(endOf(depths)), newram);
}

TEST_F(Plot3dTest, ContourAndDensityRecords) {
    header* first = bowl();
    header* z = nextValue(nextValue(first));
    newram = endOf(z);
    matrix(1, 3, {0.5, 1, 1.5});
    call("contour", 2, z);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(realOf(z), 3);
    EXPECT_GT(count("line"), 0);
    EXPECT_EQ(count("fillPolygon"), 0);

    newram = endlocal;
    first = bowl();
    z = nextValue(nextValue(first));
    newram = endOf(z);
    call("density", 1, z);
    ASSERT_EQ(errorCode, 0);
    EXPECT_EQ(count("densityBar"), 25);
    antialiasFlag = 1;
    newram = endlocal;
    first = bowl();
    z = nextValue(nextValue(first));
    newram = endOf(z);
    call("density", 1, z);
    EXPECT_EQ(count("densityBar"), 16);
    antialiasFlag = 0;
}

TEST_F(Plot3dTest, PagesKeepCopiesAndSwitchTheDisplay) {
    RecordingSurface screen;
    graphicsStore().setPaintTarget(&screen);
    auto pages = [&](const char* name, int n = 0, double a = 0) {
        newram = endlocal;
        header* first = n ? pushReal(a) : nullptr;
        call(name, n, first);
        return first ? realOf(first) : realOf(recordAt(endlocal));
    };
    EXPECT_EQ(pages("pages"), 0);
    emitLine(0, 0, 1, 1, 1, 1, 1);
    EXPECT_EQ(pages("addpage"), 1);
    emitClear();
    emitLine(0, 0, 2, 2, 2, 1, 1);
    EXPECT_EQ(pages("addpage"), 2);
    // Beyond the list: nothing changes.
    EXPECT_EQ(pages("copytopage", 1, 3), 2);
    EXPECT_EQ(pages("showpage", 1, 3), 2);
    EXPECT_EQ(shownPage, 0);

    // Page 1 on the screen: the live picture keeps recording but paints
    // nothing until the live picture is shown again.
    screen.calls.clear();
    EXPECT_EQ(pages("showpage", 1, 1), 2);
    EXPECT_EQ(shownPage, 1);
    ASSERT_EQ(screen.calls.size(), 3u);
    EXPECT_EQ(screen.calls[2], "line 0 0 1 1 1 1 1");
    emitLine(0, 0, 3, 3, 3, 1, 1);
    EXPECT_EQ(screen.calls.size(), 3u);
    EXPECT_EQ(pages("showpage", 1, 0), 2);
    EXPECT_EQ(screen.calls.back(), "line 0 0 3 3 3 1 1");

    // copyfrompage paints a page over the screen; 0 and below address
    // page 1; the live picture does not change.
    const size_t before = graphicsStore().size();
    screen.calls.clear();
    EXPECT_EQ(pages("copyfrompage", 1, 0), 2);
    EXPECT_EQ(screen.calls.back(), "line 0 0 1 1 1 1 1");
    EXPECT_EQ(graphicsStore().size(), before);

    // The anaglyph lasts until the next clear.
    EXPECT_EQ(pages("showpage", 1, -1), 2);
    EXPECT_EQ(anaglyphShown, 1);
    emitClear();
    EXPECT_EQ(anaglyphShown, 0);

    EXPECT_EQ(pages("deletepages"), 0);
    EXPECT_EQ(shownPage, 0);
    EXPECT_TRUE(graphicsStore().drawsThrough());
}

}  // namespace

}  // namespace kalix
