// Painting drawing records as pixels. `PixelSurface` is the surface the
// metafile replays onto for the graphics window, PNG files, printing and
// notebook images: it maps the 1024 x 1024 virtual screen onto the
// device's pixels and turns each record into device primitives by the
// pixel rules below.
//
//   position    x * width / 1024 and y * height / 1024, truncated
//   rectangle   from the first corner's pixel to the second's, both
//               included (corners in any order)
//   line width  scaled with the device's width (scaleLineWidth), rounded;
//               thin lines leave out their last pixel
//   dashes      pen style patterns in pixels, times the export scale
//   markers     the marker size in pixels is width / size, rounded; each
//               kind has a thin and a thick shape (drawMarkerKind)
//   hatches     a square tile of hatchCellSize x export scale pixels on
//               white, repeated from the device's origin
#pragma once

#include <vector>

#include "graphics/pixel_device.h"
#include "graphics/surface.h"
#include "graphics/writer_output.h"

namespace kalix {

// Marker kinds of the device (`drawMarkerKind`).
enum MarkerKind {
    kindCross = 1,
    kindPlus = 2,
    kindDiamond = 3,
    kindStar = 4,
    kindSquare = 5,
    kindBoldStar = 8,
    kindDot = 10,
    kindCircle = 11,
    kindFilledCircle = 12,
    kindFilledSquare = 13,
    kindFilledDiamond = 14,
    kindVerticalBar = 16,
    kindHorizontalBar = 17,
};

class PixelSurface : public Surface {
  public:
    // `settings`: colours on or off, line scaling, marker count of arrows,
    // hatch cell size, text conversion; `exportScale`: the scale of dash
    // lengths and hatch cells.
    PixelSurface(PixelDevice& device, const WriterSettings& settings, double exportScale = 1);

    bool clear() override;
    // The window's surface: a clear also greys the bands outside the crop
    // area.
    void showCropBands(bool on) { cropBands = on; }
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

    int toDeviceX(double x) const;
    int toDeviceY(double y) const;
    double scaledLineWidth(double w) const;
    // Marker size in pixels (4 until the first marker sets it).
    int markerPixels() const { return markerSize; }
    void setMarkerPixels(int pixels) { markerSize = pixels; }
    // A marker kind centred on pixel (x, y): thin strokes for a line width
    // of 1 or less, thick ones above.
    void drawMarkerKind(int x, int y, int kind, int lineWidth, Rgb colour);

  private:
    Rgb drawingColour(ColorCode colour) const;
    PenSpec pen(Rgb colour, double width, int lineStyle);
    PenSpec unitPen(Rgb colour) const;
    void segment(int x1, int y1, int x2, int y2, const PenSpec& p);
    void paintSegment(double x1, double y1, double x2, double y2, const PenSpec& p);
    void mapPoints(const Point* points, int n);
    void strokeClosed(const PenSpec& p);
    void deviceRectangle(double x1, double y1, double x2, double y2, int r[4]) const;
    void frameRectangle(const int r[4], const PenSpec& p);
    const PixelImage& hatchTile(int style, Rgb colour);
    void diamond(int x, int y, int d, const PenSpec& p, const Rgb* fill);
    void square(int left, int top, int right, int bottom, const PenSpec& p);

    PixelDevice& device;
    WriterSettings settings;
    double exportScale;
    int markerSize = 4;
    bool cropBands = false;
    std::vector<DevicePoint> points;
    int dashes[6] = {};
    PixelImage tile;
    int tileStyle = -1, tileSide = 0, tilePenWidth = 0;
    Rgb tileColour{-1, -1, -1};
};

}  // namespace kalix
