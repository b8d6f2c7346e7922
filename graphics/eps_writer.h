// The EPS writer: each drawing record becomes a call of a small PostScript
// procedure, whose definition is written once, just before its first use.
// Consecutive lines of one colour, style and width are joined into paths
// of a bounded length. The page is the picture's size in points.
#pragma once

#include <string>

#include "graphics/surface.h"
#include "graphics/writer_output.h"

namespace kalix {

class EpsWriter : public Surface {
  public:
    // Writes the header at once and the trailer on `finish`.
    EpsWriter(OutputSink& sink, const WriterSettings& settings);
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
    double toX(double x) const { return x * settings.width / 1024; }
    double toY(double y) const { return (1024 - y) * settings.height / 1024; }
    double sizeX(double s) const { return s * settings.width / 1024; }
    double sizeY(double s) const { return s * settings.height / 1024; }
    // The colour as the procedures take it: a palette index 0..15, or an
    // RGB code of the resolved colour.
    int colourOperand(ColorCode code) const;
    static int rgbOperand(Rgb c);

    void writeHeader();
    void use(int procedure);
    void point(double x, double y);
    void number(double v);
    void flushPath();
    void rectangleOperands(double x1, double y1, double x2, double y2);
    void markerCall(double x, double y, double ms, int colour, const char* name);

    WriterOutput out;
    WriterSettings settings;
    uint64_t pending = 0;  // procedures still to be written
    bool clipActive = false;
    bool pathOpen = false;
    // A path holds at most this many points: its array lies on the operand
    // stack while it is read, and long arrays overflow that stack.
    static constexpr int maxPathPoints = 500;
    int pathPoints = 0;
    int pathColour = 0, pathStyle = 0;
    double pathWidth = 0;
    double lastX = -1, lastY = -1;
};

}  // namespace kalix
