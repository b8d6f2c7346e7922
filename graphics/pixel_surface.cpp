// Drawing records painted as pixels.
#include "graphics/pixel_surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "base/text.h"
#include "graphics/crop_area.h"
#include "graphics/segment_clip.h"

namespace kalix {

namespace {

// Device coordinates are kept within this, so no toolkit meets a number it
// cannot hold; lines that leave it are cut at its border.
constexpr double deviceLimit = 1 << 22;

int toInt(double v) { return int(std::clamp(v, -deviceLimit, deviceLimit)); }

// The part of segment a-b inside the square of +-deviceLimit (Liang and
// Barsky); false when none is.
bool clipToLimit(double& ax, double& ay, double& bx, double& by) {
    double t0, t1;
    if (!segmentInBox(ax, ay, bx, by, -deviceLimit, deviceLimit, -deviceLimit, deviceLimit, &t0,
                      &t1))
        return false;
    const double dx = bx - ax, dy = by - ay;
    const double x0 = ax, y0 = ay;
    ax = x0 + t0 * dx, ay = y0 + t0 * dy;
    bx = x0 + t1 * dx, by = y0 + t1 * dy;
    return true;
}

bool withinLimit(double x, double y) {
    return std::fabs(x) <= deviceLimit && std::fabs(y) <= deviceLimit;
}

// Strict UTF-8: no overlong forms, surrogates or values above U+10FFFF.
// A text of the program as UTF-8 for the device; false when it is marked
// as UTF-8 but is not.
bool deviceText(const char* text, TextConversion codePageToUtf8, std::string& out) {
    const size_t markLength = sizeof utf8Mark - 1;
    if (std::strlen(text) > markLength && std::strncmp(text, utf8Mark, markLength) == 0) {
        if (!isValidUtf8(text + markLength, std::strlen(text + markLength))) return false;
        out = text + markLength;
        return true;
    }
    if (codePageToUtf8) {
        codePageToUtf8(text, out);
        return true;
    }
    char buffer[4];
    for (const unsigned char* s = reinterpret_cast<const unsigned char*>(text); *s; s++)
        out.append(buffer, appendUtf8(*s, buffer));
    return true;
}

const Rgb white{255, 255, 255};

}  // namespace

PixelSurface::PixelSurface(PixelDevice& device, const WriterSettings& settings, double exportScale)
    : device(device), settings(settings), exportScale(exportScale) {}

// --- mapping and pens ------------------------------------------------------

int PixelSurface::toDeviceX(double x) const { return toInt(device.width() * x / 1024); }
int PixelSurface::toDeviceY(double y) const { return toInt(device.height() * y / 1024); }

double PixelSurface::scaledLineWidth(double w) const {
    return scaleLineWidth(settings, device.width(), w);
}

// Lines, markers and texts are drawn in colour 1 while colours are off.
Rgb PixelSurface::drawingColour(ColorCode colour) const {
    return resolveColorGrey(settings.useColors ? colour : 1, settings.useColors);
}

PenSpec PixelSurface::pen(Rgb colour, double width, int lineStyle) {
    PenSpec p;
    p.colour = colour;
    p.width = width > 1 ? int(std::min(width, 1e6) + 0.5) : 1;
    if (const DashPattern* pattern = dashPatternOf(lineStyle)) {
        for (int i = 0; i < pattern->count; i++)
            dashes[i] = std::max(1, int(pattern->lengths[i] * exportScale + 0.5));
        p.dashes = dashes;
        p.dashCount = pattern->count;
    }
    return p;
}

PenSpec PixelSurface::unitPen(Rgb colour) const {
    PenSpec p;
    p.colour = colour;
    p.width = std::max(1, int(scaledLineWidth(1) + 0.5));
    return p;
}

void PixelSurface::segment(int x1, int y1, int x2, int y2, const PenSpec& p) {
    const DevicePoint ends[2] = {{x1, y1}, {x2, y2}};
    device.drawPolyline(ends, 2, p);
}

// A segment in virtual-screen units, cut where it leaves the device range.
void PixelSurface::paintSegment(double x1, double y1, double x2, double y2, const PenSpec& p) {
    double ax = device.width() * x1 / 1024, ay = device.height() * y1 / 1024;
    double bx = device.width() * x2 / 1024, by = device.height() * y2 / 1024;
    if (!clipToLimit(ax, ay, bx, by)) return;
    segment(int(ax), int(ay), int(bx), int(by), p);
}

// The points as device points, repeated points skipped.
void PixelSurface::mapPoints(const Point* in, int n) {
    points.clear();
    for (int i = 0; i < n; i++) {
        const DevicePoint p{toDeviceX(in[i].x), toDeviceY(in[i].y)};
        if (points.empty() || !(points.back() == p)) points.push_back(p);
    }
}

// The mapped points and the first one again, segment by segment.
void PixelSurface::strokeClosed(const PenSpec& p) {
    if (points.empty()) return;
    const size_t n = points.size();
    for (size_t i = 0; i < n; i++) {
        const DevicePoint& a = points[i];
        const DevicePoint& b = points[(i + 1) % n];
        segment(a.x, a.y, b.x, b.y, p);
    }
}

// left, top, right, bottom pixels, all included.
void PixelSurface::deviceRectangle(double x1, double y1, double x2, double y2, int r[4]) const {
    r[0] = toDeviceX(std::min(x1, x2));
    r[1] = toDeviceY(std::min(y1, y2));
    r[2] = toDeviceX(std::max(x1, x2));
    r[3] = toDeviceY(std::max(y1, y2));
}

void PixelSurface::frameRectangle(const int r[4], const PenSpec& p) {
    const DevicePoint corners[5] = {
        {r[0], r[1]}, {r[2], r[1]}, {r[2], r[3]}, {r[0], r[3]}, {r[0], r[1]}};
    device.drawPolyline(corners, 5, p);
}

// --- records ---------------------------------------------------------------

bool PixelSurface::clear() {
    device.clearClip();
    device.fillRect(0, 0, device.width(), device.height(), paletteIndexRgb(0));
    if (cropBands) fillCropBands(device);
    return true;
}

bool PixelSurface::clip(double x1, double y1, double x2, double y2) {
    const double left = std::min(x1, x2), top = std::min(y1, y2);
    const double right = std::max(x1, x2), bottom = std::max(y1, y2);
    device.setClip(toDeviceX(left), toDeviceY(top), toDeviceX(right - left) + 2,
                   toDeviceY(bottom - top) + 2);
    return true;
}

bool PixelSurface::line(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
                        double width) {
    if (lineStyle == lineInvisible) return true;
    const PenSpec p = pen(drawingColour(colour), scaledLineWidth(width), lineStyle);
    paintSegment(x1, y1, x2, y2, p);
    double ends[4];
    if (lineStyle == lineArrow && arrowHeadEnds(settings, x1, y1, x2, y2, ends)) {
        paintSegment(x2, y2, ends[0], ends[1], p);
        paintSegment(x2, y2, ends[2], ends[3], p);
    }
    return true;
}

bool PixelSurface::polyline(const Point* in, int n, ColorCode colour, int lineStyle, double width) {
    if (lineStyle == lineInvisible || n < 2) return true;
    if (lineStyle == lineArrow) {
        for (int i = 0; i + 1 < n; i++)
            line(in[i].x, in[i].y, in[i + 1].x, in[i + 1].y, colour, lineStyle, width);
        return true;
    }
    const PenSpec p = pen(drawingColour(colour), scaledLineWidth(width), lineStyle);
    const double sx = device.width() / 1024.0, sy = device.height() / 1024.0;
    bool inside = true;
    for (int i = 0; i < n && inside; i++) inside = withinLimit(in[i].x * sx, in[i].y * sy);
    if (inside) {
        mapPoints(in, n);
        if (points.size() > 1) device.drawPolyline(points.data(), int(points.size()), p);
        return true;
    }
    // Far points: the runs of segments that stay in range, each cut at the
    // border.
    points.clear();
    auto flush = [&] {
        if (points.size() > 1) device.drawPolyline(points.data(), int(points.size()), p);
        points.clear();
    };
    for (int i = 0; i + 1 < n; i++) {
        double ax = device.width() * in[i].x / 1024, ay = device.height() * in[i].y / 1024;
        double bx = device.width() * in[i + 1].x / 1024, by = device.height() * in[i + 1].y / 1024;
        const double ox = bx, oy = by;
        const bool startInside = withinLimit(ax, ay);
        if (!clipToLimit(ax, ay, bx, by)) {
            flush();
            continue;
        }
        const DevicePoint a{int(ax), int(ay)}, b{int(bx), int(by)};
        if (!startInside || points.empty() || !(points.back() == a)) {
            flush();
            points.push_back(a);
        }
        if (!(points.back() == b)) points.push_back(b);
        if (bx != ox || by != oy) flush();
    }
    flush();
    return true;
}

namespace {

// Marker types: the shape first drawn in colour 0 (0: none), the marker
// kind, and the factor of the line width.
struct MarkerShape {
    int under, kind, widthFactor;
};

MarkerShape markerShapeOf(int type) {
    switch (type) {
        case markerCross:
            return {0, kindCross, 1};
        case markerCircle:
            return {0, kindCircle, 1};
        case markerDiamond:
            return {0, kindDiamond, 1};
        case markerDot:
            return {0, kindDot, 1};
        case markerPlus:
            return {0, kindPlus, 1};
        case markerStar:
            return {0, kindStar, 1};
        case markerSmallSquare:
            return {0, kindDot, 2};
        case markerFilledCircle:
            return {0, kindFilledCircle, 1};
        case markerFilledDiamond:
            return {0, kindFilledDiamond, 1};
        case markerLargeDot:
            return {0, kindDot, 3};
        case markerFilledSquare:
            return {0, kindFilledSquare, 1};
        case markerVerticalBar:
            return {0, kindVerticalBar, 1};
        case markerHorizontalBar:
            return {0, kindHorizontalBar, 1};
        case markerWhiteDiamond:
            return {kindFilledDiamond, kindDiamond, 1};
        case markerWhiteSquare:
            return {kindFilledSquare, kindSquare, 1};
        case markerWhiteCircle:
            return {kindFilledCircle, kindCircle, 1};
        default:
            return {0, kindSquare, 1};
    }
}

}  // namespace

bool PixelSurface::marker(double x, double y, ColorCode colour, int markerType, double size) {
    const double pixels = size > 0 ? device.width() / size + 0.5 : 0;
    markerSize = int(std::min(pixels, 65536.0));
    const double w = scaledLineWidth(1);
    const MarkerShape shape = markerShapeOf(markerType);
    const double cx = device.width() * x / 1024, cy = device.height() * y / 1024;
    // A marker far outside the device cannot reach it.
    if (!withinLimit(cx, cy)) return true;
    const int px = int(cx), py = int(cy);
    if (shape.under)
        drawMarkerKind(px, py, shape.under, int(w + 0.5), resolveColorGrey(0, settings.useColors));
    drawMarkerKind(px, py, shape.kind, std::max(1, int(w * shape.widthFactor + 0.5)),
                   drawingColour(colour));
    return true;
}

void PixelSurface::diamond(int x, int y, int d, const PenSpec& p, const Rgb* fill) {
    const DevicePoint corners[5] = {{x, y - d}, {x + d, y}, {x, y + d}, {x - d, y}, {x, y - d}};
    if (fill) device.fillPolygon(corners, 4, *fill);
    device.drawPolyline(corners, 5, p);
}

// The closed outline through the four corners.
void PixelSurface::square(int left, int top, int right, int bottom, const PenSpec& p) {
    const DevicePoint corners[5] = {
        {right, bottom}, {left, bottom}, {left, top}, {right, top}, {right, bottom}};
    device.drawPolyline(corners, 5, p);
}

void PixelSurface::drawMarkerKind(int x, int y, int kind, int lineWidth, Rgb colour) {
    const int s = markerSize;
    PenSpec p;
    p.colour = colour;
    if (lineWidth <= 1) {
        // Thin strokes end one pixel further, so their last pixel is drawn.
        switch (kind) {
            case kindCross:
            case kindStar:
                segment(x - s, y - s, x + 1 + s, y + s + 1, p);
                segment(x - s, y + s, x + 1 + s, y - s - 1, p);
                if (kind == kindCross) return;
                [[fallthrough]];
            case kindPlus:
                segment(x - s, y, x + 1 + s, y, p);
                segment(x, y + s, x, y - s - 1, p);
                return;
            case kindDiamond:
                return diamond(x, y, s * 4 / 3, p, nullptr);
            case kindDot:
                return device.setPixel(x, y, colour);
            case kindCircle:
                return device.drawCircle(x, y, s * 5 / 4, p, nullptr);
            case kindFilledCircle:
                return device.drawCircle(x, y, s * 5 / 4 + 1, p, &colour);
            case kindFilledSquare:
                return device.fillRect(x - s, y - s, 2 * s + 1, 2 * s + 1, colour);
            case kindFilledDiamond:
                return diamond(x, y, s * 4 / 3 + 2, p, &colour);
            case kindVerticalBar:
                return segment(x, y + s, x, y - s - 1, p);
            case kindHorizontalBar:
                return segment(x - s, y, x + 1 + s, y, p);
            default:
                return square(x - s, y - s, x + s, y + s, p);
        }
    }
    p.width = lineWidth;
    const int d = int(s * 1.41 + 0.5), r = int(s * 1.2 + 0.5);
    switch (kind) {
        case kindCross:
        case kindStar:
        case kindBoldStar:
            segment(x - s, y - s, x + s, y + s, p);
            segment(x - s, y + s, x + s, y - s, p);
            if (kind == kindCross) return;
            [[fallthrough]];
        case kindPlus:
            segment(x - s, y, x + s, y, p);
            segment(x, y - s, x, y + s, p);
            return;
        case kindDiamond:
            return diamond(x, y, d, p, nullptr);
        case kindDot:
            return device.fillRect(x - lineWidth / 2, y - lineWidth / 2, lineWidth + 1,
                                   lineWidth + 1, colour);
        case kindCircle:
            return device.drawCircle(x, y, r, p, nullptr);
        case kindFilledCircle:
            return device.drawCircle(x, y, r + 2, p, &colour);
        case kindFilledSquare: {
            const int left = x - (s + 1), top = y - (s + 1), side = 2 * (s + 1);
            device.fillRect(left, top, side, side, colour);
            return square(left, top, left + side - 1, top + side - 1, p);
        }
        case kindFilledDiamond:
            return diamond(x, y, d + 2, p, &colour);
        case kindVerticalBar:
            return segment(x, y + s, x, y - s, p);
        case kindHorizontalBar:
            return segment(x - s, y, x + s, y, p);
        default:
            return square(x - s, y - s, x + s, y + s, p);
    }
}

bool PixelSurface::facet(const Point* in, const int32_t* edgeFlags, int n, ColorCode fillColour,
                         ColorCode edgeColour) {
    if (n <= 0) return true;
    points.clear();
    for (int i = 0; i < n; i++) points.push_back({toDeviceX(in[i].x), toDeviceY(in[i].y)});
    device.fillPolygon(points.data(), n, resolveColorGrey(fillColour, settings.useColors));
    const PenSpec p = unitPen(resolveColorGrey(edgeColour, settings.useColors));
    for (int i = 0; i < n; i++) {
        if (!edgeFlags[i]) continue;
        const DevicePoint& a = points[size_t(i)];
        const DevicePoint& b = points[size_t((i + 1) % n)];
        segment(a.x, a.y, b.x, b.y, p);
    }
    return true;
}

// Hatch segments of a tile of side s, four numbers each.
static int hatchSegments(int style, int s, int out[3][4]) {
    const int h = s / 2;
    switch (style) {
        case barVertical:
            out[0][0] = h, out[0][1] = 0, out[0][2] = h, out[0][3] = s;
            return 1;
        case barHorizontal:
            out[0][0] = 0, out[0][1] = h, out[0][2] = s, out[0][3] = h;
            return 1;
        case barRising: {
            const int segments[3][4] = {{0, s, s, 0}, {s, -s, -s, s}, {2 * s, 0, 0, 2 * s}};
            std::memcpy(out, segments, sizeof segments);
            return 3;
        }
        case barFalling: {
            const int segments[3][4] = {{0, 0, s, s}, {0, -s, 2 * s, s}, {-s, 0, s, 2 * s}};
            std::memcpy(out, segments, sizeof segments);
            return 3;
        }
        case barCrossedDiagonals: {
            const int segments[2][4] = {{0, 0, s, s}, {0, s, s, 0}};
            std::memcpy(out, segments, sizeof segments);
            return 2;
        }
        case barCrossed: {
            const int segments[2][4] = {{h, 0, h, s}, {0, h, s, h}};
            std::memcpy(out, segments, sizeof segments);
            return 2;
        }
        default:
            return 0;
    }
}

// The hatch tile of a bar style (3 to 8) in a colour: white with the
// style's segments drawn by the unit pen. The last tile is kept.
const PixelImage& PixelSurface::hatchTile(int style, Rgb colour) {
    const int side = std::max(1, int(settings.hatchCellSize * exportScale + 0.5));
    const PenSpec p = unitPen(colour);
    if (style == tileStyle && colour == tileColour && side == tileSide && p.width == tilePenWidth)
        return tile;
    if (!tile.allocate(side, side)) {
        tileStyle = -1;
        return tile;
    }
    tile.fill(pixelOf(white));
    if (auto painter = device.deviceOn(tile)) {
        int segments[3][4];
        const int count = hatchSegments(style, side, segments);
        for (int i = 0; i < count; i++) {
            const DevicePoint ends[2] = {{segments[i][0], segments[i][1]},
                                         {segments[i][2], segments[i][3]}};
            painter->drawPolyline(ends, 2, p);
        }
        painter->flush();
    }
    tileStyle = style, tileColour = colour, tileSide = side, tilePenWidth = p.width;
    return tile;
}

bool PixelSurface::fillPolygon(const Point* in, int n, int fillStyle, ColorCode fillColour,
                               ColorCode frameColour) {
    if (n <= 0) return true;
    mapPoints(in, n);
    const Rgb fill = resolveColorGrey(fillColour, settings.useColors);
    const int count = int(points.size());
    if (fillStyle == barFilled || fillStyle == barFilledFramed) {
        device.fillPolygon(points.data(), count, fill);
    } else if (fillStyle == barFramed) {
        device.fillPolygon(points.data(), count, resolveColorGrey(0, settings.useColors));
    } else if (fillStyle >= barVertical && fillStyle <= barCrossed) {
        const PixelImage& t = hatchTile(fillStyle, fill);
        if (!t.empty()) device.fillPolygonTiled(points.data(), count, t);
    }
    if (frameColour) {
        const bool inColourOne = fillStyle == barFilledFramed || fillStyle == barFramed;
        strokeClosed(unitPen(inColourOne ? resolveColorGrey(1, settings.useColors) : fill));
    }
    return true;
}

bool PixelSurface::huePolygon(const Point* in, int n, double hue, int scheme, int style) {
    if (n <= 0) return true;
    mapPoints(in, n);
    const Rgb fill = schemeColor(scheme, hue, settings.useColors);
    device.fillPolygon(points.data(), int(points.size()), fill);
    if (style != 0) {
        PenSpec p;
        p.colour = resolveColorGrey(1, settings.useColors);
        strokeClosed(p);
    }
    return true;
}

bool PixelSurface::densityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                              int gridFlag) {
    int r[4];
    deviceRectangle(x1, y1, x2, y2, r);
    const Rgb fill = schemeColor(scheme, value, settings.useColors);
    device.fillRect(r[0], r[1], r[2] - r[0] + 1, r[3] - r[1] + 1, fill);
    if (gridFlag) frameRectangle(r, unitPen(resolveColorGrey(1, settings.useColors)));
    return true;
}

bool PixelSurface::bar(double x1, double y1, double x2, double y2, ColorCode colour, int barStyle) {
    int r[4];
    deviceRectangle(x1, y1, x2, y2, r);
    const int w = r[2] - r[0] + 1, h = r[3] - r[1] + 1;
    const Rgb c = resolveColorGrey(colour, settings.useColors);
    if (!settings.useColors && (barStyle == barFilledFramed || barStyle == barFramed))
        barStyle = barCrossedDiagonals;
    switch (barStyle) {
        case barFilled:
            device.fillRect(r[0], r[1], w, h, c);
            break;
        case barFilledFramed:
            device.fillRect(r[0], r[1], w, h, c);
            frameRectangle(r, unitPen(resolveColorGrey(1, settings.useColors)));
            break;
        case barFramed:
            device.fillRect(r[0], r[1], w, h, resolveColorGrey(0, settings.useColors));
            frameRectangle(r, unitPen(c));
            break;
        case barVertical:
        case barHorizontal:
        case barRising:
        case barFalling:
        case barCrossedDiagonals:
        case barCrossed: {
            const PixelImage& t = hatchTile(barStyle, c);
            if (!t.empty()) device.fillRectTiled(r[0], r[1], w, h, t);
            frameRectangle(r, unitPen(c));
            break;
        }
        case barTransparent:
            frameRectangle(r, unitPen(c));
            break;
        default:
            break;
    }
    return true;
}

bool PixelSurface::rgbBar(double x1, double y1, double x2, double y2, int columns, int rows,
                          int keyRed, int keyGreen, int keyBlue, const uint8_t* pixels) {
    if (columns <= 0 || rows <= 0) return true;
    const double dx = (x2 - x1) / columns, dy = (y2 - y1) / rows;
    // Cell borders in pixels, each computed once.
    std::vector<int> left(size_t(columns) + 1), top(size_t(rows) + 1);
    for (int j = 0; j <= columns; j++) left[size_t(j)] = toDeviceX(x1 + j * dx);
    for (int i = 0; i <= rows; i++) top[size_t(i)] = toDeviceY(y1 + i * dy);
    const uint8_t* p = pixels;
    for (int i = 0; i < rows; i++) {
        const int a = std::min(top[size_t(i)], top[size_t(i) + 1]);
        const int b = std::max(top[size_t(i)], top[size_t(i) + 1]);
        for (int j = 0; j < columns; j++, p += 3) {
            if (p[0] == keyRed && p[1] == keyGreen && p[2] == keyBlue) continue;
            const int l = std::min(left[size_t(j)], left[size_t(j) + 1]);
            const int r = std::max(left[size_t(j)], left[size_t(j) + 1]);
            device.fillRect(l, a, r - l + 1, b - a + 1, Rgb{p[0], p[1], p[2]});
        }
    }
    return true;
}

bool PixelSurface::text(double x, double y, const char* text, ColorCode colour, int alignment,
                        double, TextDirection direction) {
    const double cx = device.width() * x / 1024, cy = device.height() * y / 1024;
    if (!withinLimit(cx, cy)) return true;
    std::string utf8;
    if (!deviceText(text, settings.codePageToUtf8, utf8)) return true;
    if (alignment < alignLeft || alignment > alignRight) alignment = alignLeft;
    device.drawText(int(cx), int(cy), utf8.c_str(), drawingColour(colour), alignment, direction);
    return true;
}

}  // namespace kalix
