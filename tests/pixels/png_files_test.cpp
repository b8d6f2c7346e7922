// PNG files: written by the project's encoder and read back through Qt;
// files that cannot be written are reported and leave nothing behind;
// pictures rendered with the 3:1 filter.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "base/settings.h"
#include "base/threads.h"
#include "graphics/graphics_area.h"
#include "graphics/metafile.h"
#include "graphics/png_export.h"
#include "graphics/png_file.h"
#include "gui/qt_pixels.h"
#include "tests/unit/graphics_lock_probe.h"

#include <QImage>
#include <QString>

namespace kalix {

namespace {

std::string scratchName(const char* name) {
    const char* dir = std::getenv("TMPDIR");
    return std::string(dir ? dir : "/tmp") + "/kalix-png-" + std::to_string(getpid()) + "-" + name;
}

bool sameImage(const PixelImage& a, const PixelImage& b) {
    return a.width() == b.width() && a.height() == b.height() &&
           std::memcmp(a.data(), b.data(), size_t(a.width()) * size_t(a.height()) * 4) == 0;
}

// Noise, flat runs and repeated rows, so that every row filter is chosen.
PixelImage testImage(int width, int height) {
    PixelImage image;
    image.allocate(width, height);
    std::mt19937 random(7);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            uint32_t v = 0xff000000u | (random() & 0xffffff);
            if (y % 3 == 1) v = 0xff102030u + uint32_t(x);
            if (y % 3 == 2) v = image.at(x, y - 1);
            image.row(y)[x] = v;
        }
    return image;
}

// Tall images are compressed in bands on several threads.
TEST(PngFiles, WrittenPixelsReadBackExactly) {
    for (const auto& [width, height] :
         {std::pair{1, 23}, {7, 23}, {300, 23}, {1, 900}, {301, 1000}}) {
        const PixelImage image = testImage(width, height);
        const std::string name = scratchName("round.png");
        ASSERT_TRUE(writePngFile(image, name));
        PixelImage read;
        ASSERT_TRUE(qtPixelBackend().loadImage(name.c_str(), read));
        EXPECT_TRUE(sameImage(image, read)) << width << " x " << height;
        std::remove(name.c_str());
    }
}

TEST(PngFiles, FailuresAreReported) {
    const PixelImage image = testImage(20, 20);
    EXPECT_FALSE(writePngFile(image, "/nonexistent-directory/a.png"));
    EXPECT_FALSE(writePngFile(image, "/dev/full"));
    PixelImage empty;
    EXPECT_FALSE(writePngFile(empty, scratchName("empty.png")));
    EXPECT_NE(access(scratchName("empty.png").c_str(), F_OK), 0);
}

TEST(PngFiles, ReadingLaysTransparentPixelsOnWhite) {
    QImage rgba(3, 1, QImage::Format_ARGB32);
    rgba.setPixel(0, 0, 0x00000000u);  // transparent black
    rgba.setPixel(1, 0, 0xffff0000u);  // opaque red
    rgba.setPixel(2, 0, 0x80000000u);  // half transparent black
    const std::string name = scratchName("alpha.png");
    ASSERT_TRUE(rgba.save(QString::fromStdString(name), "PNG"));
    PixelImage read;
    ASSERT_TRUE(qtPixelBackend().loadImage(name.c_str(), read));
    EXPECT_EQ(read.at(0, 0), 0xffffffffu);
    EXPECT_EQ(read.at(1, 0), 0xffff0000u);
    EXPECT_NEAR(int(read.at(2, 0) & 0xff), 127, 1);
    EXPECT_FALSE(qtPixelBackend().loadImage(scratchName("missing.png").c_str(), read));
    FILE* f = std::fopen(name.c_str(), "w");
    std::fputs("no image", f);
    std::fclose(f);
    EXPECT_FALSE(qtPixelBackend().loadImage(name.c_str(), read));
    std::remove(name.c_str());
}

// A picture is painted from a copy of its records taken under the lock,
// after the lock is left, with and without smoothing.
TEST(PngFiles, PicturesArePaintedOutsideTheGraphicsLock) {
    installQtPixelBackend();
    Metafile store(1 << 16);
    store.clear();
    store.bar(0, 0, 512, 512, 1, barFilled);
    store.line(0, 0, 1023, 1023, 2, lineSolid, 1);
    for (const bool antialias : {false, true}) {
        GraphicsLockProbe::reset();
        PixelImage out;
        ASSERT_EQ(renderPicture(store, 60, 40, antialias, nullptr, GraphicsLockProbe::poll, out),
                  ExportResult::written);
        EXPECT_EQ(GraphicsLockProbe::records, 3) << antialias;
        EXPECT_EQ(GraphicsLockProbe::underLock, 0) << antialias;
        EXPECT_EQ(out.at(2, 15), 0xff000000u) << antialias;  // inside the bar, off the line
    }
}

// A uniform picture stays uniform through the 3:1 filter, borders
// included; a bar keeps its colour inside and the ground stays white.
TEST(PngFiles, RenderedPicturesWithAndWithoutSmoothing) {
    installQtPixelBackend();
    Metafile store(1 << 16);
    store.clear();
    store.bar(0, 0, 1023, 1023, 4, barFilled);
    for (const bool antialias : {false, true}) {
        PixelImage out;
        ASSERT_EQ(renderPicture(store, 50, 40, antialias, nullptr, nullptr, out),
                  ExportResult::written);
        ASSERT_EQ(out.width(), 50);
        ASSERT_EQ(out.height(), 40);
        for (int y = 0; y < 40; y++)
            for (int x = 0; x < 50; x++) ASSERT_EQ(out.at(x, y), 0xff101090u) << x << " " << y;
    }
    store.clear();
    store.bar(0, 0, 512, 512, 1, barFilled);
    PixelImage out;
    ASSERT_EQ(renderPicture(store, 300, 300, true, nullptr, nullptr, out), ExportResult::written);
    EXPECT_EQ(out.at(75, 75), 0xff000000u);
    EXPECT_EQ(out.at(225, 225), 0xffffffffu);
    const uint32_t edge = out.at(150, 75) & 0xff;  // smoothed across the bar's edge
    EXPECT_GT(edge, 0u);
    EXPECT_LT(edge, 255u);
}

// The saved picture: ".png" added, sizes below 10 taken from the graphics
// area, and with "createbb" a bounding box file beside it.
TEST(PngFiles, SavedPictureAndItsBoundingBox) {
    installQtPixelBackend();
    const std::string base = scratchName("saved");
    std::string written;
    writeIntSetting("createbb", 1);
    const ExportResult result =
        saveGraphicsPng(base.c_str(), 300, 0, false, nullptr, nullptr, &written);
    writeIntSetting("createbb", 0);
    ASSERT_EQ(result, ExportResult::written);
    EXPECT_EQ(written, base + ".png");
    PixelImage read;
    ASSERT_TRUE(qtPixelBackend().loadImage(written.c_str(), read));
    EXPECT_EQ(read.width(), 300);
    EXPECT_EQ(read.height(), 300 * getGraphicsHeight() / getGraphicsWidth());
    FILE* f = std::fopen((base + ".bb").c_str(), "r");
    ASSERT_NE(f, nullptr);
    char line[80] = {};
    ASSERT_NE(std::fgets(line, sizeof line, f), nullptr);
    std::fclose(f);
    EXPECT_EQ(std::string(line), "%%BoundingBox: 0 0 300 " + std::to_string(read.height()) + "\n");
    std::remove(written.c_str());
    std::remove((base + ".bb").c_str());
    EXPECT_EQ(saveGraphicsPng("/nonexistent-directory/p", 20, 20, true, nullptr, nullptr, &written),
              ExportResult::writeFailed);
}

}  // namespace

}  // namespace kalix
