// Anaglyphs of two stored pages, rendered and saved.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "graphics/graphics_store.h"
#include "graphics/pages.h"
#include "graphics/png_export.h"
#include "gui/qt_pixels.h"

namespace kalix {

namespace {

class AnaglyphPages : public testing::Test {
  public:
    void SetUp() override { installQtPixelBackend(); }
    void TearDown() override {
        deleteAllPages();
        displayPage(0);
        graphicsStore().clear();
    }
    // A page of one colour (a palette index or 0x1RRGGBB).
    static void addPage(ColorCode colour) {
        graphicsStore().clear();
        graphicsStore().bar(0, 0, 1024, 1024, colour, barFilled);
        appendPage();
    }
};

TEST_F(AnaglyphPages, PagesOneAndTwoAreRenderedAndMerged) {
    PixelImage out;
    addPage(0x1ff0000);
    EXPECT_EQ(renderAnaglyph(40, 30, false, nullptr, nullptr, out), ExportResult::cannotOpen);
    addPage(0x1ffffff);
    addPage(0x1000000);  // a third page plays no part
    for (const bool smooth : {false, true}) {
        ASSERT_EQ(renderAnaglyph(40, 30, smooth, nullptr, nullptr, out), ExportResult::written);
        ASSERT_EQ(out.width(), 40);
        for (int y = 0; y < 30; y++)
            for (int x = 0; x < 40; x++) ASSERT_EQ(out.at(x, y), 0xff6affffu) << x << " " << y;
    }
}

TEST_F(AnaglyphPages, SavedWhileShownAndOnlyThen) {
    const std::string name = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                             "/kalix-anaglyph-" + std::to_string(getpid()) + ".png";
    addPage(0x1ff0000);
    addPage(0x1ffffff);
    graphicsStore().clear();
    graphicsStore().bar(0, 0, 1024, 1024, 0x1000000, barFilled);  // the live picture: black
    std::string written;
    PixelImage read;
    for (const int shown : {0, -1}) {
        ASSERT_TRUE(displayPage(shown));
        ASSERT_EQ(saveGraphicsPng(name.c_str(), 20, 20, false, nullptr, nullptr, &written),
                  ExportResult::written);
        ASSERT_TRUE(qtPixelBackend().loadImage(written.c_str(), read));
        EXPECT_EQ(read.at(10, 10), shown ? 0xff6affffu : 0xff000000u);
    }
    // A clear ends the anaglyph.
    emitClear();
    EXPECT_EQ(anaglyphShown, 0);
    std::remove(name.c_str());
}

}  // namespace

}  // namespace kalix
