// A drawing surface that writes each call it receives as one line of text.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "graphics/surface.h"

namespace kalix {

class RecordingSurface : public Surface {
  public:
    std::vector<std::string> calls;

    bool clear() override { return add("clear"); }
    bool clip(double x1, double y1, double x2, double y2) override {
        return add("clip %g %g %g %g", x1, y1, x2, y2);
    }
    bool line(double x1, double y1, double x2, double y2, ColorCode colour, int style,
              double width) override {
        return add("line %g %g %g %g %d %d %g", x1, y1, x2, y2, colour, style, width);
    }
    bool polyline(const Point* p, int n, ColorCode colour, int style, double width) override {
        return add("polyline %d from %g %g to %g %g %d %d %g", n, p[0].x, p[0].y, p[n - 1].x,
                   p[n - 1].y, colour, style, width);
    }
    bool marker(double x, double y, ColorCode colour, int type, double size) override {
        return add("marker %g %g %d %d %g", x, y, colour, type, size);
    }
    bool facet(const Point*, const int32_t*, int n, ColorCode fill, ColorCode edge) override {
        return add("facet %d %d %d", n, fill, edge);
    }
    bool fillPolygon(const Point*, int n, int style, ColorCode fill, ColorCode frame) override {
        return add("fillPolygon %d %d %d %d", n, style, fill, frame);
    }
    bool huePolygon(const Point*, int n, double hue, int scheme, int style) override {
        return add("huePolygon %d %g %d %d", n, hue, scheme, style);
    }
    bool densityBar(double x1, double y1, double x2, double y2, double value, int scheme,
                    int grid) override {
        return add("densityBar %g %g %g %g %g %d %d", x1, y1, x2, y2, value, scheme, grid);
    }
    bool bar(double x1, double y1, double x2, double y2, ColorCode colour, int style) override {
        return add("bar %g %g %g %g %d %d", x1, y1, x2, y2, colour, style);
    }
    bool rgbBar(double x1, double y1, double x2, double y2, int columns, int rows, int r, int g,
                int b, const uint8_t*) override {
        return add("rgbBar %g %g %g %g %dx%d key %d %d %d", x1, y1, x2, y2, columns, rows, r, g, b);
    }
    bool text(double x, double y, const char* t, ColorCode colour, int alignment, double size,
              TextDirection direction) override {
        static const char* const names[] = {"horizontal", "down", "up"};
        return add("text %g %g %s %d %d %g %s", x, y, t, colour, alignment, size,
                   names[int(direction)]);
    }

  private:
    template <typename... Args>
    bool add(const char* format, Args... args) {
        char line[512];
        std::snprintf(line, sizeof line, format, args...);
        calls.push_back(line);
        return true;
    }
};

}  // namespace kalix
