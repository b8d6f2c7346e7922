// A drawing surface that keeps the facets, hue polygons and lines it
// receives with their points, for the tests of the 3D pictures.
#pragma once

#include <vector>

#include "recording_surface.h"

namespace kalix {

class FacetSurface : public RecordingSurface {
  public:
    struct Face {
        std::vector<Point> points;
        std::vector<int> flags;
        ColorCode fill, edge;
    };
    std::vector<Face> faces;
    std::vector<std::vector<Point>> hues;
    std::vector<std::pair<Point, Point>> lines;

    bool facet(const Point* p, const int32_t* f, int n, ColorCode fill, ColorCode edge) override {
        faces.push_back({std::vector<Point>(p, p + n), std::vector<int>(f, f + n), fill, edge});
        return RecordingSurface::facet(p, f, n, fill, edge);
    }
    bool huePolygon(const Point* p, int n, double hue, int scheme, int style) override {
        hues.emplace_back(p, p + n);
        return RecordingSurface::huePolygon(p, n, hue, scheme, style);
    }
    bool line(double x1, double y1, double x2, double y2, ColorCode colour, int style,
              double width) override {
        lines.push_back({{x1, y1}, {x2, y2}});
        return RecordingSurface::line(x1, y1, x2, y2, colour, style, width);
    }
};

}  // namespace kalix
