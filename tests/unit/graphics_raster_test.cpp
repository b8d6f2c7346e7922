// Thin lines set pixel by pixel: which pixels each segment sets, dashes
// across joints, and cutting to a box without moving a pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "graphics/parallel.h"
#include "graphics/raster.h"
#include "threaded_suite.h"

namespace kalix {

namespace {

constexpr uint32_t ink = 0xff000000u, paper = 0xffffffffu;

struct Sheet {
    PixelImage image;
    Sheet(int w, int h) {
        image.allocate(w, h);
        image.fill(paper);
    }
    PixelBox all() const { return {0, 0, image.width(), image.height()}; }
    std::string table() const {
        std::string out;
        for (int y = 0; y < image.height(); y++) {
            for (int x = 0; x < image.width(); x++) out += image.at(x, y) == ink ? '#' : '.';
            out += '\n';
        }
        return out;
    }
};

TEST(ThinLines, SegmentsRoundAlongTheLongerAxisAndLeaveOutTheirEnd) {
    Sheet s(12, 6);
    const DevicePoint shallow[2] = {{0, 0}, {8, 3}};
    const DevicePoint steep[2] = {{11, 0}, {9, 5}};
    drawThinPolyline(s.image, s.all(), shallow, 2, ink, nullptr, 0);
    drawThinPolyline(s.image, s.all(), steep, 2, ink, nullptr, 0);
    EXPECT_EQ(s.table(),
              "##.........#\n"
              "..##.......#\n"
              "....###...#.\n"
              ".......#..#.\n"
              ".........#..\n"
              "............\n");
}

TEST(ThinLines, DashesRunOnAcrossJoints) {
    Sheet s(8, 5);
    const DevicePoint path[3] = {{0, 0}, {6, 0}, {6, 5}};
    const int dashes[2] = {2, 2};
    drawThinPolyline(s.image, s.all(), path, 3, ink, dashes, 2);
    EXPECT_EQ(s.table(),
              "##..##..\n"
              "........\n"
              "......#.\n"
              "......#.\n"
              "........\n");
}

// A segment from far outside sets exactly the pixels the whole segment
// sets inside the box.
TEST(ThinLines, CuttingToTheBoxKeepsEveryPixel) {
    const DevicePoint points[2] = {{-3000001, -1000000}, {3000005, 1000003}};
    Sheet cut(40, 30);
    drawThinPolyline(cut.image, {5, 5, 35, 25}, points, 2, ink, nullptr, 0);
    // The same pixels from the closed form at every x.
    Sheet expected(40, 30);
    const long long dx = 6000006, dy = 2000003;
    for (long long x = 5; x < 35; x++) {
        const long long k = x - points[0].x;
        const long long y = points[0].y + (2 * k * dy + dx) / (2 * dx);
        if (y >= 5 && y < 25) expected.image.row(int(y))[x] = ink;
    }
    EXPECT_EQ(cut.table(), expected.table());
}

TEST(Circles, OutlineAndDiskShareTheirEdge) {
    Sheet s(11, 11);
    fillDisk(s.image, s.all(), 5, 5, 4, 0xff808080u);
    drawCircleOutline(s.image, s.all(), 5, 5, 4, ink);
    EXPECT_EQ(s.table(),
              "...........\n"
              "....###....\n"
              "..##...##..\n"
              "..#.....#..\n"
              ".#.......#.\n"
              ".#.......#.\n"
              ".#.......#.\n"
              "..#.....#..\n"
              "..##...##..\n"
              "....###....\n"
              "...........\n");
    // No grey pixel outside the outline.
    for (int i = 0; i < 11; i++) {
        EXPECT_EQ(s.image.at(i, 0), paper);
        EXPECT_EQ(s.image.at(i, 10), paper);
        EXPECT_EQ(s.image.at(0, i), paper);
        EXPECT_EQ(s.image.at(10, i), paper);
    }
}

}  // namespace

namespace {

THREADED_SUITE(RowBands);

// Bands cover every row once, in order by band, for sizes below, at and
// above the threshold; small work runs as one band on the calling thread.
TEST(RowBands, CoverEveryRowOnce) {
    for (int count : {0, 1, 5, 63, 64, 127, 128, 129, 1000, 4099}) {
        for (int minimumRows : {0, 1, 64, 2000}) {
            std::vector<int> seen(size_t(count), 0);
            std::vector<std::thread::id> where(size_t(std::max(1, count)));
            const int bands = rowBandCount(count, minimumRows);
            forRowBands(count, minimumRows, [&](int band, int first, int end) {
                EXPECT_LT(band, bands);
                for (int row = first; row < end; row++) {
                    seen[size_t(row)]++;
                    where[size_t(row)] = std::this_thread::get_id();
                }
            });
            for (int row = 0; row < count; row++)
                ASSERT_EQ(seen[size_t(row)], 1) << count << ' ' << minimumRows;
            if (minimumRows > 0 && count < 2 * minimumRows) {
                EXPECT_EQ(bands, 1) << count << ' ' << minimumRows;
                for (int row = 0; row < count; row++)
                    EXPECT_EQ(where[size_t(row)], std::this_thread::get_id());
            }
        }
    }
}

}  // namespace

}  // namespace kalix
