// The live graphics store and the entry points through which the graphics
// builtins record. Each entry point holds the "Graphics" lock for its whole
// call and never reports failure.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "base/threads.h"
#include "graphics/drawing_metafile.h"

namespace kalix {

// Largest store the setting "graphicssize64" may ask for, and the smallest.
constexpr int graphicsStoreMaximumMegabytes = 16384;
constexpr int graphicsStoreMinimumMegabytes = 128;

// The live store, made on first use from "graphicssize64" (raised to 128,
// capped). When the allocation fails the size is halved until it succeeds;
// the smaller size is written back to the setting and reported. It draws
// through onto the graphics window's surface once a window sets one.
DrawingMetafile& graphicsStore();

// How the store's report reaches the user (graphics cannot reach the host):
// the program sets the host's warning box at start; until then the text goes
// to standard error.
using GraphicsWarning = void (*)(const char* text, const char* title);
void setGraphicsWarning(GraphicsWarning warning);

// How the one line about a full store reaches the output: the program sets
// the interpreter's printer at start; until then it goes to standard error.
using GraphicsNotice = void (*)(const char* line);
void setGraphicsNotice(GraphicsNotice notice);
// The line printed the first time recording stops in a picture.
extern const char* const graphicsStoreFullLine;

// Prints the notice line.
void noticeGraphicsStoreFull();

// Runs `call` on `store`; true when that call filled it (only a clear leaves
// the full state, so this happens once per picture).
template <typename Call>
bool recordFillsStore(Metafile& store, Call call) {
    const bool wasFull = store.isFull();
    call(store);
    return !wasFull && store.isFull();
}

// Runs `replay` on a copy of the records of `store` taken under the
// "Graphics" lock, after the lock is left, so that a paint waits for the
// copy only; the copy's memory is made ready before the lock is taken.
// Without memory for a copy it runs on `store` under the lock.
template <typename Replay>
auto replayCopyOutsideLock(Metafile& store, const char* place, Replay replay) {
    uint64_t size;
    {
        GraphicsLockHold hold(place);
        size = store.size();
    }
    std::unique_ptr<uint8_t[]> room = Metafile::copyRoom(size);
    std::unique_ptr<Metafile> copy;
    {
        GraphicsLockHold hold(place);
        copy = Metafile::frozenCopy(store, std::move(room), size);
        if (!copy) return replay(store);
    }
    return replay(*copy);
}

// Set while the anaglyph of two pages is shown instead of the live picture.
extern int anaglyphShown;

void emitClear();
void emitClip(double x1, double y1, double x2, double y2);
void emitLine(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
              double width);
void emitPolyline(const Point* points, int n, ColorCode colour, int lineStyle, double width);
void emitMarker(double x, double y, ColorCode colour, int markerType, double size);
void emitFacet(const Point* points, ColorCode fillColour, ColorCode edgeColour, int n,
               const int32_t* edgeFlags);
void emitFillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                     ColorCode frameColour);
void emitHuePolygon(const Point* points, int n, double hue, int scheme, int style);
void emitDensityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                    int gridFlag);
void emitBar(double x1, double y1, double x2, double y2, ColorCode colour, int barStyle);
// red, green, blue: rows x columns values row by row; each pixel byte is
// the value clamped to [0, 1] times 255, the last matrix row stored first.
void emitRgbBar(double x1, double y1, double x2, double y2, int columns, int rows, int keyRed,
                int keyGreen, int keyBlue, const double* red, const double* green,
                const double* blue);
void emitText(double x, double y, const char* text, ColorCode colour, int alignment, double size);
void emitTextDown(double x, double y, const char* text, ColorCode colour, int alignment,
                  double size);
void emitTextUp(double x, double y, const char* text, ColorCode colour, int alignment, double size);

}  // namespace kalix
