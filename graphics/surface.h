// The one drawing interface. The metafile records through it and replays
// into it; every writer (EPS, SVG) and every pixel surface implements it.
//
// Coordinates and sizes are in virtual-screen units: 1024 across and 1024
// down, y growing downwards; each implementation scales them to its own
// width and height. Rectangles are given by two opposite corners. Colours
// are `ColorCode`s (graphics/colors.h).
#pragma once

#include <cstdint>

#include "graphics/colors.h"

namespace kalix {

struct Point {
    double x, y;
};

// Line styles: "i" "-" "." "--" "-." "-.-" ".-." "->".
enum LineStyle : int32_t {
    lineInvisible = 0,
    lineSolid = 1,
    lineDotted = 2,
    lineDashed = 3,
    lineDashDot = 4,
    lineDashDotDash = 5,
    lineDotDashDot = 6,
    lineArrow = 7,
};

// Marker types: "x" "o" "<>" "." "+" "[]" "*" ".." "o#" "<>#" "..." "[]#"
// "|" "-" "<>w" "[]w" "ow".
enum MarkerType : int32_t {
    markerCross = 0,
    markerCircle = 1,
    markerDiamond = 2,
    markerDot = 3,
    markerPlus = 4,
    markerSquare = 5,
    markerStar = 6,
    markerSmallSquare = 7,
    markerFilledCircle = 8,
    markerFilledDiamond = 9,
    markerLargeDot = 10,
    markerFilledSquare = 11,
    markerVerticalBar = 12,
    markerHorizontalBar = 13,
    markerWhiteDiamond = 14,
    markerWhiteSquare = 15,
    markerWhiteCircle = 16,
};

// Bar styles, also the fill styles of polygons: "#" "O#" "O" "|" "-" "/"
// "\" "\/" "+" "t".
enum BarStyle : int32_t {
    barFilled = 0,
    barFilledFramed = 1,
    barFramed = 2,
    barVertical = 3,
    barHorizontal = 4,
    barRising = 5,
    barFalling = 6,
    barCrossedDiagonals = 7,
    barCrossed = 8,
    barTransparent = 9,
};

enum TextAlignment : int32_t { alignLeft = 0, alignCenter = 1, alignRight = 2 };
enum class TextDirection { horizontal, down, up };

// A text beginning with these bytes is UTF-8; any other is in the
// program's code page.
constexpr char utf8Mark[] = "\xEF\xBB\xBF";

class Surface {
  public:
    virtual ~Surface() = default;

    // Each returns false when it refused the call (nothing drawn).
    virtual bool clear() = 0;
    virtual bool clip(double x1, double y1, double x2, double y2) = 0;
    virtual bool line(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
                      double width) = 0;
    virtual bool polyline(const Point* points, int n, ColorCode colour, int lineStyle,
                          double width) = 0;
    // size: the marker size operand (markers across the width).
    virtual bool marker(double x, double y, ColorCode colour, int markerType, double size) = 0;
    // A 3D face: filled, then the edges whose flag is set (edge i runs from
    // point i to point i + 1, the last one back to point 0).
    virtual bool facet(const Point* points, const int32_t* edgeFlags, int n, ColorCode fillColour,
                       ColorCode edgeColour) = 0;
    // frameColour 0: no frame.
    virtual bool fillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                             ColorCode frameColour) = 0;
    virtual bool huePolygon(const Point* points, int n, double hue, int scheme, int style) = 0;
    virtual bool densityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                            int gridFlag) = 0;
    virtual bool bar(double x1, double y1, double x2, double y2, ColorCode colour,
                     int barStyle) = 0;
    // rows x columns pixels of three bytes (red, green, blue), the first row
    // drawn at y1; pixels equal to the key are left out (keyRed -1: no key).
    virtual bool rgbBar(double x1, double y1, double x2, double y2, int columns, int rows,
                        int keyRed, int keyGreen, int keyBlue, const uint8_t* pixels) = 0;
    // (x, y) is the top of the text at its alignment point.
    virtual bool text(double x, double y, const char* text, ColorCode colour, int alignment,
                      double size, TextDirection direction) = 0;
};

}  // namespace kalix
