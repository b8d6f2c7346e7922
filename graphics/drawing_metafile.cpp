// Recording and painting at once.
#include "graphics/drawing_metafile.h"

namespace kalix {

template <typename Direct>
bool DrawingMetafile::paint(uint64_t mark, Direct direct) {
    if (!drawThrough || !target) return true;
    if (size() > mark)
        replayRecords(bytes() + mark, size() - mark, *target, true);
    else
        direct(*target);
    return true;
}

bool DrawingMetafile::clear() {
    Metafile::clear();
    if (drawThrough && target) target->clear();
    return true;
}

bool DrawingMetafile::clip(double x1, double y1, double x2, double y2) {
    const uint64_t mark = size();
    if (!Metafile::clip(x1, y1, x2, y2)) return false;
    return paint(mark, [&](Surface& s) { s.clip(x1, y1, x2, y2); });
}

bool DrawingMetafile::line(double x1, double y1, double x2, double y2, ColorCode colour,
                           int lineStyle, double width) {
    const uint64_t mark = size();
    if (!Metafile::line(x1, y1, x2, y2, colour, lineStyle, width)) return false;
    return paint(mark, [&](Surface& s) { s.line(x1, y1, x2, y2, colour, lineStyle, width); });
}

bool DrawingMetafile::polyline(const Point* points, int n, ColorCode colour, int lineStyle,
                               double width) {
    const uint64_t mark = size();
    if (!Metafile::polyline(points, n, colour, lineStyle, width)) return false;
    return paint(mark, [&](Surface& s) { s.polyline(points, n, colour, lineStyle, width); });
}

bool DrawingMetafile::marker(double x, double y, ColorCode colour, int markerType, double size) {
    const uint64_t mark = Metafile::size();
    if (!Metafile::marker(x, y, colour, markerType, size)) return false;
    return paint(mark, [&](Surface& s) { s.marker(x, y, colour, markerType, size); });
}

bool DrawingMetafile::facet(const Point* points, const int32_t* edgeFlags, int n,
                            ColorCode fillColour, ColorCode edgeColour) {
    const uint64_t mark = size();
    if (!Metafile::facet(points, edgeFlags, n, fillColour, edgeColour)) return false;
    return paint(mark, [&](Surface& s) { s.facet(points, edgeFlags, n, fillColour, edgeColour); });
}

bool DrawingMetafile::fillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                                  ColorCode frameColour) {
    const uint64_t mark = size();
    if (!Metafile::fillPolygon(points, n, fillStyle, fillColour, frameColour)) return false;
    return paint(mark,
                 [&](Surface& s) { s.fillPolygon(points, n, fillStyle, fillColour, frameColour); });
}

bool DrawingMetafile::huePolygon(const Point* points, int n, double hue, int scheme, int style) {
    const uint64_t mark = size();
    if (!Metafile::huePolygon(points, n, hue, scheme, style)) return false;
    return paint(mark, [&](Surface& s) { s.huePolygon(points, n, hue, scheme, style); });
}

bool DrawingMetafile::densityBar(double x1, double y1, double x2, double y2, double value,
                                 int scheme, int gridFlag) {
    const uint64_t mark = size();
    if (!Metafile::densityBar(x1, y1, x2, y2, value, scheme, gridFlag)) return false;
    return paint(mark, [&](Surface& s) { s.densityBar(x1, y1, x2, y2, value, scheme, gridFlag); });
}

bool DrawingMetafile::bar(double x1, double y1, double x2, double y2, ColorCode colour,
                          int barStyle) {
    const uint64_t mark = size();
    if (!Metafile::bar(x1, y1, x2, y2, colour, barStyle)) return false;
    return paint(mark, [&](Surface& s) { s.bar(x1, y1, x2, y2, colour, barStyle); });
}

bool DrawingMetafile::rgbBar(double x1, double y1, double x2, double y2, int columns, int rows,
                             int keyRed, int keyGreen, int keyBlue, const uint8_t* pixels) {
    const uint64_t mark = size();
    if (!Metafile::rgbBar(x1, y1, x2, y2, columns, rows, keyRed, keyGreen, keyBlue, pixels))
        return false;
    return paint(mark, [&](Surface& s) {
        s.rgbBar(x1, y1, x2, y2, columns, rows, keyRed, keyGreen, keyBlue, pixels);
    });
}

bool DrawingMetafile::text(double x, double y, const char* text, ColorCode colour, int alignment,
                           double size, TextDirection direction) {
    const uint64_t mark = Metafile::size();
    if (!Metafile::text(x, y, text, colour, alignment, size, direction)) return false;
    return paint(mark, [&](Surface& s) { s.text(x, y, text, colour, alignment, size, direction); });
}

}  // namespace kalix
