// The graphics metafile: the byte format record by record, the refusal and
// capacity rules, and replay that never reads past the stream.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/graphics_store.h"
#include "graphics/metafile.h"
#include "tests/unit/recording_surface.h"

namespace kalix {

namespace {

// Reads the stream back field by field.
struct ByteReader {
    const uint8_t* at;
    uint8_t opcode() { return *at++; }
    int32_t integer() {
        int32_t v;
        std::memcpy(&v, at, 4);
        at += 4;
        return v;
    }
    std::string text() {
        std::string t(reinterpret_cast<const char*>(at));
        at += t.size() + 1;
        return t;
    }
};

TEST(Metafile, ClearLeavesOneByte) {
    Metafile m(4096);
    m.line(0, 0, 1, 1, 1, 1, 1);
    m.clear();
    ASSERT_EQ(m.size(), 1u);
    EXPECT_EQ(m.bytes()[0], opClear);
    m.clear();
    EXPECT_EQ(m.size(), 1u);
}

TEST(Metafile, RecordsDecodeFieldByField) {
    Metafile m(1 << 16);
    m.clear();
    m.line(512.3456, -0.0019, 10000, 1, 3, lineDashed, 2.5);
    const Point points[3] = {{1, 2}, {3, 4}, {5, 6}};
    m.polyline(points, 3, 0x1FF0000, lineSolid, 1);
    m.marker(10, 20, 2, markerStar, 140);
    m.bar(1, 2, 3, 4, 5, barRising);
    m.text(7, 8, "a\xe4", 9, alignCenter, 25, TextDirection::up);
    m.fillPolygon(points, 3, barCrossed, 4, 1);
    const uint8_t pixels[18] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    m.rgbBar(0, 0, 10, 10, 2, 3, -1, 0, 0, pixels);
    m.huePolygon(points, 3, 2.25, 0, 1);

    ByteReader r{m.bytes()};
    EXPECT_EQ(r.opcode(), opClear);
    EXPECT_EQ(r.opcode(), opLine);
    const std::vector<int32_t> line = {512345, -1, 10000000, 1000, 3, lineDashed, 2500};
    for (int32_t v : line) EXPECT_EQ(r.integer(), v);
    EXPECT_EQ(r.opcode(), opPolyline);
    const std::vector<int32_t> polyline = {3,    1000, 2000,      3000, 4000,
                                           5000, 6000, 0x1FF0000, 1,    1000};
    for (int32_t v : polyline) EXPECT_EQ(r.integer(), v);
    EXPECT_EQ(r.opcode(), opMarker);
    for (int32_t v : {10000, 20000, 2, int(markerStar), 140000}) EXPECT_EQ(r.integer(), v);
    EXPECT_EQ(r.opcode(), opBar);
    for (int32_t v : {1000, 2000, 3000, 4000, 5, int(barRising)}) EXPECT_EQ(r.integer(), v);
    EXPECT_EQ(r.opcode(), opTextUp);
    for (int32_t v : {7000, 8000, 9, int(alignCenter), 25000}) EXPECT_EQ(r.integer(), v);
    EXPECT_EQ(r.text(), "a\xe4");
    EXPECT_EQ(r.opcode(), opFillPolygon);
    EXPECT_EQ(r.integer(), 3);
    r.at += 24;
    for (int32_t v : {int(barCrossed), 4, 1}) EXPECT_EQ(r.integer(), v);
    EXPECT_EQ(r.opcode(), opRgbBar);
    for (int32_t v : {0, 0, 10000, 10000, 2, 3, -1, 0, 0}) EXPECT_EQ(r.integer(), v);
    EXPECT_EQ(std::memcmp(r.at, pixels, 18), 0);
    r.at += 18;
    EXPECT_EQ(r.opcode(), opHuePolygon);
    EXPECT_EQ(r.integer(), 3);
    r.at += 24;
    EXPECT_EQ(r.integer(), 250);  // the fractional part of the hue
    EXPECT_EQ(r.at + 8, m.bytes() + m.size());

    EXPECT_EQ(decodeCoordinate(512345), 512.345);
    EXPECT_EQ(decodeCoordinate(-1), -0.001);
}

TEST(Metafile, RefusesCoordinatesItCannotStore) {
    Metafile m(4096);
    m.clear();
    const Point far[2] = {{0, 0}, {10000.001, 1}};
    const Point nan[2] = {{0, 0}, {NAN, 1}};
    struct {
        const char* what;
        bool accepted;
        bool (*record)(Metafile&);
    } cases[] = {
        {"line at the limit", true, [](Metafile& f) { return f.line(0, 0, 10000, 1, 1, 1, 1); }},
        {"line past the limit", false,
         [](Metafile& f) { return f.line(0, 0, 10000.001, 1, 1, 1, 1); }},
        {"line with NaN", false, [](Metafile& f) { return f.line(NAN, 0, 1, 1, 1, 1, 1); }},
        {"clip with infinity", false, [](Metafile& f) { return f.clip(0, 0, INFINITY, 1); }},
        {"marker beyond the encoding", false,
         [](Metafile& f) { return f.marker(3e6, 0, 1, 1, 140); }},
        {"marker far out but encodable", true,
         [](Metafile& f) { return f.marker(2e6, 0, 1, 1, 140); }},
        {"text with NaN size", false,
         [](Metafile& f) { return f.text(0, 0, "t", 1, 0, NAN, TextDirection::horizontal); }},
        {"hue polygon with infinite hue", false,
         [](Metafile& f) {
             const Point p[1] = {{0, 0}};
             return f.huePolygon(p, 1, INFINITY, 0, 0);
         }},
    };
    for (auto& c : cases) {
        const uint64_t before = m.size();
        EXPECT_EQ(c.record(m), c.accepted) << c.what;
        if (!c.accepted) {
            EXPECT_EQ(m.size(), before) << c.what;
        }
    }
    EXPECT_FALSE(m.fillPolygon(far, 2, 0, 1, 0));
    EXPECT_FALSE(m.polyline(nan, 2, 1, 1, 1));
    EXPECT_FALSE(m.polyline(far, -1, 1, 1, 1));
    EXPECT_TRUE(m.polyline(far, 2, 1, 1, 1));  // polylines have no +-10000 rule
}

TEST(Metafile, HueIsStoredAsItsFraction) {
    Metafile m(4096);
    const Point p[1] = {{0, 0}};
    for (auto [hue, stored] : {std::pair{2.25, 250}, {-0.25, 750}}) {
        m.clear();
        m.huePolygon(p, 1, hue, 0, 0);
        int32_t v;
        std::memcpy(&v, m.bytes() + 1 + 1 + 4 + 8, 4);
        EXPECT_EQ(v, stored) << hue;
    }
}

// A text record of exactly `bytes` bytes.
void recordTextOfSize(Metafile& m, int bytes) {
    const std::string text(size_t(bytes - 22), 'a');
    m.text(0, 0, text.c_str(), 1, 0, 1, TextDirection::horizontal);
}

TEST(Metafile, RecordIsBegunOnlyWhileTheReserveRemains) {
    for (auto [left, written] : {std::pair{512, true}, {511, false}}) {
        Metafile m(2048);
        m.clear();
        recordTextOfSize(m, 2048 - left - 1);
        ASSERT_EQ(m.size(), uint64_t(2048 - left));
        m.marker(1, 1, 1, 1, 1);
        EXPECT_EQ(m.size() > uint64_t(2048 - left), written) << left;
        EXPECT_EQ(m.isFull(), !written) << left;
    }
}

TEST(Metafile, RecordThatDoesNotFitIsDroppedWhole) {
    Metafile m(2048);
    m.clear();
    std::vector<Point> points(300, Point{1, 1});  // 2400 bytes of points
    m.polyline(points.data(), 300, 1, 1, 1);
    EXPECT_EQ(m.size(), 1u);
    EXPECT_TRUE(m.isFull());
    m.marker(1, 1, 1, 1, 1);  // nothing more until a clear
    EXPECT_EQ(m.size(), 1u);
    m.clear();
    EXPECT_FALSE(m.isFull());
    m.marker(1, 1, 1, 1, 1);
    EXPECT_EQ(m.size(), 22u);
}

// The live store prints its line only for the record that fills it: once per
// picture, again after a clear, whatever the size of the store.
TEST(Metafile, FillingTheStoreIsNoticedOncePerPicture) {
    for (uint64_t capacity : {1024u, 4096u, 65536u}) {
        Metafile m(capacity);
        for (int picture = 0; picture < 3; ++picture) {
            m.clear();
            int fills = 0, records = 0;
            for (int i = 0; i < int(capacity); ++i) {
                fills += recordFillsStore(m, [&](Metafile& s) { s.marker(i, 1, 1, 1, 1); });
                records += !m.isFull();
            }
            EXPECT_EQ(fills, 1) << capacity << " picture " << picture;
            EXPECT_GT(records, 0);
        }
    }
}

TEST(GraphicsStore, NoticeLineReachesTheSetPrinter) {
    static std::string printed;
    setGraphicsNotice([](const char* line) { printed += std::string(line) + "\n"; });
    noticeGraphicsStoreFull();
    setGraphicsNotice(nullptr);
    EXPECT_EQ(printed, std::string(graphicsStoreFullLine) + "\n");
}

TEST(Metafile, ReplayCallsTheTargetInOrder) {
    Metafile m(4096);
    m.clear();
    m.clip(1, 2, 3, 4);
    m.line(0, 0, 1, 1, 2, 3, 1.5);
    const uint8_t pixels[18] = {};
    m.rgbBar(0, 0, 1, 1, 2, 3, 1, 2, 3, pixels);
    m.text(1, 2, "x", 3, 2, 4, TextDirection::down);
    RecordingSurface withClip, withoutClip;
    EXPECT_EQ(m.replay(withClip, true), ReplayEnd::complete);
    EXPECT_EQ(m.replay(withoutClip, false), ReplayEnd::complete);
    const std::vector<std::string> all = {"clear", "clip 1 2 3 4", "line 0 0 1 1 2 3 1.5",
                                          "rgbBar 0 0 1 1 2x3 key 1 2 3", "text 1 2 x 3 2 4 down"};
    EXPECT_EQ(withClip.calls, all);
    std::vector<std::string> noClip = all;
    noClip.erase(noClip.begin() + 1);
    EXPECT_EQ(withoutClip.calls, noClip);
    EXPECT_TRUE(m.isRecording());
}

TEST(Metafile, ReplaySkipsNoOpsAndStopsAtUnknownOrShortRecords) {
    Metafile m(4096);
    m.line(0, 0, 1, 1, 1, 1, 1);
    std::vector<uint8_t> bytes(m.bytes(), m.bytes() + m.size());
    const size_t lineSize = bytes.size();
    bytes.push_back(opNothing);
    bytes.insert(bytes.end(), m.bytes(), m.bytes() + lineSize);
    RecordingSurface a;
    EXPECT_EQ(replayRecords(bytes.data(), bytes.size(), a, true), ReplayEnd::complete);
    EXPECT_EQ(a.calls.size(), 2u);

    bytes.push_back(99);
    bytes.insert(bytes.end(), m.bytes(), m.bytes() + lineSize);
    RecordingSurface b;
    EXPECT_EQ(replayRecords(bytes.data(), bytes.size(), b, true), ReplayEnd::badRecord);
    EXPECT_EQ(b.calls.size(), 2u);

    // Cut short: a line missing its last byte, a pixel block and a point
    // list longer than the stream, a text without its zero byte.
    RecordingSurface c;
    EXPECT_EQ(replayRecords(m.bytes(), lineSize - 1, c, true), ReplayEnd::badRecord);
    Metafile p(4096);
    const uint8_t pixels[18] = {};
    p.rgbBar(0, 0, 1, 1, 2, 3, -1, 0, 0, pixels);
    EXPECT_EQ(replayRecords(p.bytes(), p.size() - 1, c, true), ReplayEnd::badRecord);
    p.clear();
    const Point points[2] = {{0, 0}, {1, 1}};
    p.polyline(points, 2, 1, 1, 1);
    std::vector<uint8_t> longList(p.bytes(), p.bytes() + p.size());
    const int32_t huge = 0x7fffffff;
    std::memcpy(longList.data() + 2, &huge, 4);
    EXPECT_EQ(replayRecords(longList.data(), longList.size(), c, true), ReplayEnd::badRecord);
    p.clear();
    p.text(0, 0, "abc", 1, 0, 1, TextDirection::horizontal);
    EXPECT_EQ(replayRecords(p.bytes(), p.size() - 1, c, true), ReplayEnd::badRecord);
    // Only the clears before the bad records ran.
    EXPECT_EQ(c.calls, (std::vector<std::string>{"clear", "clear"}));
}

TEST(Metafile, FrozenCopyReplaysButNeverRecords) {
    Metafile m(1 << 16);
    m.clear();
    for (int i = 0; i < 30; i++) m.marker(i, i, 1, 1, 140);
    Metafile copy(m);
    EXPECT_EQ(copy.size(), m.size());
    EXPECT_EQ(copy.capacity(), m.size());
    copy.clear();
    copy.marker(1, 1, 1, 1, 1);
    EXPECT_EQ(copy.size(), m.size());
    RecordingSurface a, b;
    m.replay(a, true);
    copy.replay(b, true);
    EXPECT_EQ(a.calls, b.calls);
    EXPECT_EQ(b.calls.size(), 31u);
}

TEST(Metafile, StopPollEndsTheReplay) {
    Metafile m(4096);
    for (int i = 0; i < 5; i++) m.marker(i, i, 1, 1, 1);
    RecordingSurface s;
    EXPECT_EQ(m.replay(s, true, [] { return true; }), ReplayEnd::stopped);
    EXPECT_TRUE(s.calls.empty());
}

}  // namespace

}  // namespace kalix
