// The metafile that draws through: what it paints while recording equals
// a later replay, pixel for pixel, and a picture drawn straight onto a
// surface looks the same; replay reads only what was recorded.
#include <gtest/gtest.h>

#include <cstring>

#include "graphics/drawing_metafile.h"
#include "graphics/pixel_surface.h"
#include "tests/pixels/pixel_canvas.h"
#include "tests/unit/every_record_picture.h"

namespace kalix {

namespace {

struct Picture : Canvas {
    WriterSettings settings;
    std::unique_ptr<PixelSurface> surface;

    Picture(int width, int height) : Canvas(width, height) {
        surface = std::make_unique<PixelSurface>(*device, settings);
    }
    bool operator==(const Picture& other) const {
        return image.width() == other.image.width() && image.height() == other.image.height() &&
               std::memcmp(image.data(), other.image.data(),
                           size_t(image.width()) * size_t(image.height()) * 4) == 0;
    }
    bool blank() const {
        for (int y = 0; y < image.height(); y++)
            for (int x = 0; x < image.width(); x++)
                if (image.at(x, y) != whitePixel) return false;
        return true;
    }
};

TEST(DrawingThrough, DirectDrawnThroughAndReplayedPicturesAreIdentical) {
    for (const int width : {640, 1024, 3072}) {
        const int height = width * 3 / 4;
        Picture direct(width, height);
        drawEveryRecord(*direct.surface);

        Picture through(width, height);
        DrawingMetafile store(1 << 20);
        store.setPaintTarget(through.surface.get());
        drawEveryRecord(store);
        EXPECT_TRUE(direct == through) << width;
        EXPECT_FALSE(through.blank());

        Picture replayed(width, height);
        EXPECT_EQ(store.replay(*replayed.surface, true), ReplayEnd::complete);
        EXPECT_TRUE(replayed == through) << width;

        // Replaying the store into itself paints onto its target again.
        Picture again(width, height);
        store.setPaintTarget(again.surface.get());
        store.replay(store, true);
        EXPECT_TRUE(again == through) << width;

        DrawingMetafile frozen(store);
        Picture fromCopy(width, height);
        frozen.replay(*fromCopy.surface, true);
        EXPECT_TRUE(fromCopy == through) << width;
    }
}

// What is painted while recording is the record as stored, so it equals
// the replay even where the stored thousandths fall on another pixel than
// the exact value would.
TEST(DrawingThrough, PaintsTheStoredValues) {
    Picture through(3072, 3072);
    DrawingMetafile store(1 << 16);
    store.setPaintTarget(through.surface.get());
    store.bar(33.33345, 33.33345, 66.6669, 66.6669, 1, barFilled);
    store.line(0.0004, 100.3336, 500.3336, 100.3336, 1, lineSolid, 0.2);
    Picture replayed(3072, 3072);
    store.replay(*replayed.surface, true);
    EXPECT_TRUE(replayed == through);
    // Stored 33.333: 99.999 pixels, pixel 99; the exact value gives 100.
    EXPECT_TRUE(through.painted(99, 99));
    Picture exact(3072, 3072);
    exact.surface->bar(33.33345, 33.33345, 66.6669, 66.6669, 1, barFilled);
    EXPECT_FALSE(exact.painted(99, 99));
}

TEST(DrawingThrough, RefusedRecordsPaintNothing) {
    Picture p(256, 256);
    DrawingMetafile store(1 << 16);
    store.setPaintTarget(p.surface.get());
    EXPECT_FALSE(store.line(0, 0, 10001, 5, 1, lineSolid, 1));
    EXPECT_EQ(store.size(), 0u);
    EXPECT_TRUE(p.blank());
}

TEST(DrawingThrough, OffRecordsWithoutPaintingAndALaterReplayPaints) {
    Picture p(256, 256);
    DrawingMetafile store(1 << 16);
    store.setPaintTarget(p.surface.get());
    store.setDrawThrough(false);
    EXPECT_TRUE(store.bar(100, 100, 500, 500, 1, barFilled));
    EXPECT_GT(store.size(), 0u);
    EXPECT_TRUE(p.blank());
    store.setDrawThrough(true);
    store.replay(store, true);
    EXPECT_TRUE(p.painted(50, 50));
}

TEST(DrawingThrough, WithoutTargetItOnlyRecords) {
    DrawingMetafile store(1 << 16);
    EXPECT_TRUE(store.bar(100, 100, 500, 500, 1, barFilled));
    EXPECT_GT(store.size(), 0u);
}

// After a clear the old records still lie in the buffer past the write
// position; a replay never reaches them.
TEST(DrawingThrough, ReplayStopsAtTheWritePosition) {
    DrawingMetafile store(1 << 16);
    store.clear();
    for (int i = 0; i < 50; i++) store.bar(10 * i, 500, 10 * i + 5, 1000, 1, barFilled);
    store.clear();
    store.bar(0, 0, 100, 100, 1, barFilled);
    Picture p(256, 256);
    store.replay(*p.surface, true);
    EXPECT_TRUE(p.painted(10, 10));
    EXPECT_FALSE(p.painted(1, 200));
}

// A full store stops recording but the picture is still painted.
TEST(DrawingThrough, AFullStoreStillPaints) {
    Picture p(256, 256);
    DrawingMetafile store(600);
    store.setPaintTarget(p.surface.get());
    for (int i = 0; i < 40; i++) store.bar(20 * i, 0, 20 * i + 10, 100, 1, barFilled);
    EXPECT_TRUE(store.isFull());
    EXPECT_TRUE(p.painted(195, 10));  // the bar at 780..790
}

}  // namespace

}  // namespace kalix
