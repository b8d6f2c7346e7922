// The SVG writer: one SVG 1.1 element (or a few) per drawing record.
// Hatched shapes use patterns defined once per colour and style; every
// element but texts, facet polygons, pixels and plain rectangles refers to
// the current clip path. Texts are written as UTF-8.
#pragma once

#include <algorithm>
#include <map>
#include <utility>

#include "graphics/surface.h"
#include "graphics/writer_output.h"

namespace kalix {

// Clip path numbers: never reused while the program runs, so pictures
// placed in one document keep distinct ids.
struct ClipNumbering {
    int last = 1;
};
extern ClipNumbering programClipNumbers;

class SvgWriter : public Surface {
  public:
    // Writes the header at once and the trailer on `finish`.
    SvgWriter(OutputSink& sink, const WriterSettings& settings,
              ClipNumbering& numbering = programClipNumbers);
    // Trailer and last flush; false when any write failed.
    bool finish();

    bool clear() override;
    bool clip(double x1, double y1, double x2, double y2) override;
    bool line(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
              double width) override;
    bool polyline(const Point* points, int n, ColorCode colour, int lineStyle,
                  double width) override;
    bool marker(double x, double y, ColorCode colour, int markerType, double size) override;
    bool facet(const Point* points, const int32_t* edgeFlags, int n, ColorCode fillColour,
               ColorCode edgeColour) override;
    bool fillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                     ColorCode frameColour) override;
    bool huePolygon(const Point* points, int n, double hue, int scheme, int style) override;
    bool densityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                    int gridFlag) override;
    bool bar(double x1, double y1, double x2, double y2, ColorCode colour, int barStyle) override;
    bool rgbBar(double x1, double y1, double x2, double y2, int columns, int rows, int keyRed,
                int keyGreen, int keyBlue, const uint8_t* pixels) override;
    bool text(double x, double y, const char* text, ColorCode colour, int alignment, double size,
              TextDirection direction) override;

  private:
    // Lines, markers and texts are drawn in colour 1 while colours are off.
    ColorCode drawingColour(ColorCode c) const { return settings.useColors ? c : 1; }
    double toX(double x) const { return x / 1024 * settings.width; }
    double toY(double y) const { return y / 1024 * settings.height; }
    // Markers are square in pixels, as on the pixel surfaces: the upright
    // extent, in picture units, of a width-wise extent `h`.
    double upright(double h) const { return h * settings.width / std::max(1, settings.height); }
    Rgb colourOf(ColorCode code) const { return resolveColorGrey(code, settings.useColors); }
    // Widths scale with the picture as on the pixel surfaces.
    double wideLineWidth(double w) const { return scaleLineWidth(settings, settings.width, w); }
    double hatchLineWidth() const;

    void writeHeader();
    void writeRgb(Rgb c);
    void writeClipReference();
    void writeRectangle(double x1, double y1, double x2, double y2);
    void writePoints(const Point* points, int n);
    void writeDashStyle(int style, Rgb colour, double width);
    void writeLineElement(double x1, double y1, double x2, double y2, Rgb colour);
    void writeEllipse(double x, double y, double r, ColorCode colour, bool filled);
    void writeFilledSquare(double x, double y, double half, ColorCode colour);
    void writeOutlinedSquare(double x, double y, double half, ColorCode colour);
    void writeDiamond(double x, double y, double half, ColorCode colour, bool filled);
    void writeStyledLine(double x1, double y1, double x2, double y2, Rgb colour, int style,
                         double width);
    int hatchPattern(ColorCode colour, int style);
    void writeShapeStyle(int style, ColorCode colour, bool isBar, bool framed, int pattern);
    void writeEscapedText(const char* text);

    WriterOutput out;
    WriterSettings settings;
    ClipNumbering& numbering;
    bool haveClip = false;
    double clipRect[4] = {0, 0, 0, 0};
    std::map<std::pair<ColorCode, int>, int> patterns;
};

}  // namespace kalix
