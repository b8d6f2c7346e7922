// The live picture as a surface.
#include "graphics/live_surface.h"

#include "base/threads.h"
#include "graphics/graphics_store.h"

namespace kalix {

namespace {

class LiveSurface : public Surface {
  public:
    bool clear() override {
        emitClear();
        return true;
    }
    bool clip(double x1, double y1, double x2, double y2) override {
        emitClip(x1, y1, x2, y2);
        return true;
    }
    bool line(double x1, double y1, double x2, double y2, ColorCode colour, int lineStyle,
              double width) override {
        emitLine(x1, y1, x2, y2, colour, lineStyle, width);
        return true;
    }
    bool polyline(const Point* points, int n, ColorCode colour, int lineStyle,
                  double width) override {
        emitPolyline(points, n, colour, lineStyle, width);
        return true;
    }
    bool marker(double x, double y, ColorCode colour, int markerType, double size) override {
        emitMarker(x, y, colour, markerType, size);
        return true;
    }
    bool facet(const Point* points, const int32_t* edgeFlags, int n, ColorCode fillColour,
               ColorCode edgeColour) override {
        emitFacet(points, fillColour, edgeColour, n, edgeFlags);
        return true;
    }
    bool fillPolygon(const Point* points, int n, int fillStyle, ColorCode fillColour,
                     ColorCode frameColour) override {
        emitFillPolygon(points, n, fillStyle, fillColour, frameColour);
        return true;
    }
    bool huePolygon(const Point* points, int n, double hue, int scheme, int style) override {
        emitHuePolygon(points, n, hue, scheme, style);
        return true;
    }
    bool densityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                    int gridFlag) override {
        emitDensityBar(x1, y1, x2, y2, value, scheme, gridFlag);
        return true;
    }
    bool bar(double x1, double y1, double x2, double y2, ColorCode colour, int barStyle) override {
        emitBar(x1, y1, x2, y2, colour, barStyle);
        return true;
    }
    bool rgbBar(double x1, double y1, double x2, double y2, int columns, int rows, int keyRed,
                int keyGreen, int keyBlue, const uint8_t* pixels) override {
        GraphicsLockHold hold("liveSurface");
        graphicsStore().rgbBar(x1, y1, x2, y2, columns, rows, keyRed, keyGreen, keyBlue, pixels);
        return true;
    }
    bool text(double x, double y, const char* text, ColorCode colour, int alignment, double size,
              TextDirection direction) override {
        if (direction == TextDirection::down)
            emitTextDown(x, y, text, colour, alignment, size);
        else if (direction == TextDirection::up)
            emitTextUp(x, y, text, colour, alignment, size);
        else
            emitText(x, y, text, colour, alignment, size);
        return true;
    }
};

}  // namespace

Surface& liveSurface() {
    static LiveSurface surface;
    return surface;
}

}  // namespace kalix
