// The live graphics store and the recording entry points.
#include "graphics/graphics_store.h"

#include <cstdio>
#include <memory>
#include <new>

#include "base/settings.h"
#include "base/threads.h"

namespace kalix {

int anaglyphShown = 0;

namespace {

std::unique_ptr<DrawingMetafile> liveStore;

void warnOnStandardError(const char* text, const char*) { std::fprintf(stderr, "%s\n", text); }
GraphicsWarning warnUser = warnOnStandardError;

void noticeOnStandardError(const char* line) { std::fprintf(stderr, "%s\n", line); }
// Set once at start before the interpreter thread records.
GraphicsNotice noticeUser = noticeOnStandardError;

std::unique_ptr<DrawingMetafile> allocateStore() {
    int megabytes = intSetting("graphicssize64");
    if (megabytes < graphicsStoreMinimumMegabytes) megabytes = graphicsStoreMinimumMegabytes;
    if (megabytes > graphicsStoreMaximumMegabytes) megabytes = graphicsStoreMaximumMegabytes;
    const int requested = megabytes;
    for (;;) {
        auto store = std::make_unique<DrawingMetafile>(uint64_t(megabytes) * 1048576);
        if (store->capacity() > 0 || megabytes <= 1) {
            if (megabytes != requested) {
                writeIntSetting("graphicssize64", megabytes);
                char text[128];
                std::snprintf(text, sizeof text,
                              "Could not allocate %d MB for graphics\nUsing %d MB.", requested,
                              megabytes);
                warnUser(text, "Kalix");
            }
            return store;
        }
        megabytes /= 2;
    }
}

// Runs one recording call under the lock; the notice is printed after it.
template <typename Call>
void underLock(const char* place, Call call) {
    bool filled;
    {
        GraphicsLockHold hold(place);
        filled = recordFillsStore(graphicsStore(), call);
    }
    if (filled) noticeGraphicsStoreFull();
}

uint8_t pixelByte(double v) {
    if (!(v > 0)) return 0;
    if (v >= 1) return 255;
    return uint8_t(v * 255);
}

}  // namespace

const char* const graphicsStoreFullLine =
    "Warning: the graphics store is full; the rest of this picture is not kept.";

void noticeGraphicsStoreFull() { noticeUser(graphicsStoreFullLine); }

void setGraphicsNotice(GraphicsNotice notice) {
    noticeUser = notice ? notice : noticeOnStandardError;
}

void setGraphicsWarning(GraphicsWarning warning) {
    warnUser = warning ? warning : warnOnStandardError;
}

DrawingMetafile& graphicsStore() {
    GraphicsLockHold hold("graphicsStore");
    if (!liveStore) liveStore = allocateStore();
    return *liveStore;
}

void emitClear() {
    underLock("emitClear", [](Metafile& m) {
        anaglyphShown = 0;
        m.clear();
    });
}

void emitClip(double x1, double y1, double x2, double y2) {
    underLock("emitClip", [&](Metafile& m) { m.clip(x1, y1, x2, y2); });
}

void emitLine(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
              double width) {
    underLock("emitLine", [&](Metafile& m) { m.line(x1, y1, x2, y2, colour, lineStyle, width); });
}

void emitPolyline(const Point* points, int n, ColorCode colour, int lineStyle, double width) {
    underLock("emitPolyline",
              [&](Metafile& m) { m.polyline(points, n, colour, lineStyle, width); });
}

void emitMarker(double x, double y, ColorCode colour, int markerType, double size) {
    underLock("emitMarker", [&](Metafile& m) { m.marker(x, y, colour, markerType, size); });
}

void emitFacet(const Point* points, ColorCode fillColour, ColorCode edgeColour, int n,
               const int32_t* edgeFlags) {
    underLock("emitFacet",
              [&](Metafile& m) { m.facet(points, edgeFlags, n, fillColour, edgeColour); });
}

void emitFillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                     ColorCode frameColour) {
    underLock("emitFillPolygon",
              [&](Metafile& m) { m.fillPolygon(points, n, fillStyle, fillColour, frameColour); });
}

void emitHuePolygon(const Point* points, int n, double hue, int scheme, int style) {
    underLock("emitHuePolygon", [&](Metafile& m) { m.huePolygon(points, n, hue, scheme, style); });
}

void emitDensityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                    int gridFlag) {
    underLock("emitDensityBar",
              [&](Metafile& m) { m.densityBar(x1, y1, x2, y2, value, scheme, gridFlag); });
}

void emitBar(double x1, double y1, double x2, double y2, ColorCode colour, int barStyle) {
    underLock("emitBar", [&](Metafile& m) { m.bar(x1, y1, x2, y2, colour, barStyle); });
}

void emitRgbBar(double x1, double y1, double x2, double y2, int columns, int rows, int keyRed,
                int keyGreen, int keyBlue, const double* red, const double* green,
                const double* blue) {
    if (columns < 0 || rows < 0) return;
    const size_t count = size_t(columns) * size_t(rows);
    std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[count * 3 + 1]);
    if (!block) return;
    uint8_t* out = block.get();
    for (int i = rows - 1; i >= 0; i--) {
        const size_t row = size_t(i) * size_t(columns);
        for (int j = 0; j < columns; j++) {
            *out++ = pixelByte(red[row + size_t(j)]);
            *out++ = pixelByte(green[row + size_t(j)]);
            *out++ = pixelByte(blue[row + size_t(j)]);
        }
    }
    underLock("emitRgbBar", [&](Metafile& m) {
        m.rgbBar(x1, y1, x2, y2, columns, rows, keyRed, keyGreen, keyBlue, block.get());
    });
}

void emitText(double x, double y, const char* text, ColorCode colour, int alignment, double size) {
    underLock("emitText", [&](Metafile& m) {
        m.text(x, y, text, colour, alignment, size, TextDirection::horizontal);
    });
}

void emitTextDown(double x, double y, const char* text, ColorCode colour, int alignment,
                  double size) {
    underLock("emitTextDown", [&](Metafile& m) {
        m.text(x, y, text, colour, alignment, size, TextDirection::down);
    });
}

void emitTextUp(double x, double y, const char* text, ColorCode colour, int alignment,
                double size) {
    underLock("emitTextUp",
              [&](Metafile& m) { m.text(x, y, text, colour, alignment, size, TextDirection::up); });
}

}  // namespace kalix
