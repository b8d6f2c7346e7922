// The metafile that draws through: each record it takes is also painted at
// once onto its paint target (the graphics window's surface), so a picture
// appears stroke by stroke. What is painted is the record as stored, read
// back from the stream, so the target shows exactly what a later replay
// shows. While `replay` runs (recording off) each operation only paints.
#pragma once

#include "graphics/metafile.h"

namespace kalix {

class DrawingMetafile : public Metafile {
  public:
    explicit DrawingMetafile(uint64_t capacity) : Metafile(capacity) {}
    // A frozen copy that draws through onto the same target.
    DrawingMetafile(const DrawingMetafile& other)
        : Metafile(other), target(other.target), drawThrough(true) {}

    // Null: records are not painted.
    void setPaintTarget(Surface* surface) { target = surface; }
    Surface* paintTarget() const { return target; }
    // Off: records are kept but not painted (a stored page is shown).
    void setDrawThrough(bool on) { drawThrough = on; }
    bool drawsThrough() const { return drawThrough; }

    // As the metafile's operations; a refused record paints nothing.
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
    // Paints what the last operation recorded after `mark`; when it
    // recorded nothing (replaying, or the store is full) calls `direct`.
    template <typename Direct>
    bool paint(uint64_t mark, Direct direct);

    Surface* target = nullptr;
    bool drawThrough = true;
};

}  // namespace kalix
