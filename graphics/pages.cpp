// Pages and anaglyphs.
#include "graphics/pages.h"

#include <memory>
#include <vector>

#include "base/threads.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_store.h"
#include "graphics/png_export.h"

namespace kalix {

int shownPage = 0;

namespace {

std::vector<std::unique_ptr<DrawingMetafile>> pages;

std::unique_ptr<DrawingMetafile> copyOfLivePicture() {
    KALIX_CHECK_HELD(graphicsLock);
    return std::make_unique<DrawingMetafile>(graphicsStore());
}

// Clears the paint target and replays `picture` onto it.
void showOnTarget(Metafile& picture) {
    KALIX_CHECK_HELD(graphicsLock);
    Surface* target = graphicsStore().paintTarget();
    if (!target) return;
    target->clear();
    picture.replay(*target, true);
}

}  // namespace

int pageCount() {
    GraphicsLockHold hold("pageCount");
    return int(pages.size());
}

void appendPage() {
    GraphicsLockHold hold("appendPage");
    pages.push_back(copyOfLivePicture());
}

bool storePageAt(int index) {
    GraphicsLockHold hold("storePageAt");
    if (index < 0) index = 0;
    if (size_t(index) >= pages.size()) return false;
    pages[size_t(index)] = copyOfLivePicture();
    return true;
}

bool paintPage(int index) {
    GraphicsLockHold hold("paintPage");
    if (index < 0) index = 0;
    if (size_t(index) >= pages.size()) return false;
    Surface* target = graphicsStore().paintTarget();
    if (target) pages[size_t(index)]->replay(*target, true);
    return true;
}

void deleteAllPages() {
    GraphicsLockHold hold("deleteAllPages");
    pages.clear();
}

bool displayPage(int n) {
    if (n < -1 || n > pageCount()) return false;
    if (n == shownPage && n >= 0) return true;
    GraphicsLockHold hold("displayPage");
    DrawingMetafile& live = graphicsStore();
    if (n == 0) {
        anaglyphShown = 0;
        live.setDrawThrough(true);
        showOnTarget(live);
    } else if (n > 0) {
        anaglyphShown = 0;
        showOnTarget(*pages[size_t(n - 1)]);
        live.setDrawThrough(false);
    } else {
        anaglyphShown = 1;
        redrawGraphics();
    }
    shownPage = n;
    return true;
}

void mergeAnaglyph(PixelImage& first, const PixelImage& second) {
    auto grey = [](uint32_t p) {
        return (5 * ((p >> 16) & 0xff) + 3 * ((p >> 8) & 0xff) + 4 * (p & 0xff)) / 12;
    };
    const int w = first.width(), h = first.height();
    for (int y = 0; y < h; y++) {
        uint32_t* a = first.row(y);
        const uint32_t* b = second.row(y);
        for (int x = 0; x < w; x++) {
            const uint32_t g1 = grey(a[x]), g2 = grey(b[x]);
            const uint32_t green = (((b[x] >> 8) & 0xff) + g2) / 2, blue = ((b[x] & 0xff) + g2) / 2;
            a[x] = 0xff000000u | g1 << 16 | green << 8 | blue;
        }
    }
}

namespace {

ExportResult renderPair(Metafile& left, Metafile& right, int width, int height, bool antialias,
                        TextConversion codePageToUtf8, StopPoll stop, PixelImage& out) {
    PixelImage second;
    ExportResult result = renderPicture(left, width, height, antialias, codePageToUtf8, stop, out);
    if (result != ExportResult::written) return result;
    result = renderPicture(right, width, height, antialias, codePageToUtf8, stop, second);
    if (result != ExportResult::written) return result;
    mergeAnaglyph(out, second);
    return ExportResult::written;
}

}  // namespace

ExportResult renderAnaglyph(int width, int height, bool antialias, TextConversion codePageToUtf8,
                            StopPoll stop, PixelImage& out) {
    // The two pages are copied under the lock and painted after it is left
    // (under it when there is no memory for the copies).
    std::unique_ptr<Metafile> left, right;
    {
        GraphicsLockHold hold("renderAnaglyph");
        if (pages.size() < 2) return ExportResult::cannotOpen;
        left = Metafile::frozenCopy(*pages[0]);
        right = Metafile::frozenCopy(*pages[1]);
        if (!left || !right)
            return renderPair(*pages[0], *pages[1], width, height, antialias, codePageToUtf8, stop,
                              out);
    }
    return renderPair(*left, *right, width, height, antialias, codePageToUtf8, stop, out);
}

}  // namespace kalix
