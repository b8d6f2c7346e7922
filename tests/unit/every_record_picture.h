// A picture touching every record kind (line styles, all marker types,
// every fill and bar style, texts in three directions and alignments),
// with coordinates the metafile stores exactly: the pictures that are
// drawn directly and replayed in the writer and pixel tests.
#pragma once

#include "graphics/surface.h"

namespace kalix {

inline void drawEveryRecord(Surface& s) {
    s.clear();
    s.clip(10, 30, 1010, 1010);
    s.line(10, 20, 300.5, 400.25, 1, lineSolid, 1);
    s.line(300.5, 400.25, 500, 500, 1, lineSolid, 1);
    s.line(300.5, 400.25, 500, 500, 2, lineDashDot, 3);
    const Point points[4] = {{100, 100}, {200, 150.125}, {300, 120}, {400, 300}};
    s.polyline(points, 4, 2, lineDashed, 2);
    s.polyline(points, 3, 4, lineArrow, 1);
    for (int type = 0; type <= 17; type++) s.marker(50 + 50 * type, 900, type % 16, type, 140);
    const int32_t flags[4] = {1, 0, 1, 1};
    s.facet(points, flags, 4, 11, 1);
    s.fillPolygon(points, 4, barRising, 3, 1);
    for (int style = 0; style <= 9; style++) {
        const Point triangle[3] = {
            {50 + 90. * style, 950}, {120 + 90. * style, 950}, {85 + 90. * style, 1000}};
        s.fillPolygon(triangle, 3, style, 3, style % 2);
    }
    s.huePolygon(points, 4, 0.5, 0, 1);
    s.densityBar(10, 10, 60, 60, 0.25, 3, 1);
    for (int style = 0; style <= 9; style++)
        s.bar(50 + 90 * style, 600, 120 + 90 * style, 700, 0x1FF8000, style);
    const uint8_t pixels[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 9, 9};
    s.rgbBar(700, 100, 900, 200, 2, 2, 9, 9, 9, pixels);
    s.text(512, 40, "a<b & c (x) \\ \xe4", 0x031A1A1A, alignCenter, 25, TextDirection::horizontal);
    s.text(100, 500, "down", 1, alignLeft, 25, TextDirection::down);
    s.text(900, 500, "\xEF\xBB\xBFup \xC3\xA4", 1, alignRight, 25, TextDirection::up);
    for (int a = alignLeft; a <= alignRight; a++) {
        s.text(512, 70 + 30 * a, "Kalix", 2, a, 25, TextDirection::horizontal);
        s.text(150 + 30 * a, 500, "down", 1, a, 25, TextDirection::down);
        s.text(800 + 30 * a, 500, "up", 1, a, 25, TextDirection::up);
    }
}

}  // namespace kalix
