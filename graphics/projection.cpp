// The central projection of the 3D plots.
#include "graphics/projection.h"

#include <cmath>
#include <cstring>

#include "graphics/graphics_area.h"
#include "graphics/graphics_state.h"

namespace kalix {

Projection makeProjection(const double view[4], const double center[3], double anaglyphAngle,
                          const int window[4], double aspect) {
    Projection p;
    p.distance = view[0];
    p.tele = view[1];
    p.rotation = {std::cos(view[2]), std::sin(view[2]),       std::cos(view[3]),
                  std::sin(view[3]), std::cos(anaglyphAngle), std::sin(anaglyphAngle)};
    std::memcpy(p.center, center, sizeof p.center);
    std::memcpy(p.window, window, sizeof p.window);
    p.aspect = aspect;
    return p;
}

Projection currentProjection() {
    return makeProjection(view3d, center3d, anaglyphAngle, screenWindow, getAspectRatio());
}

double project(const Projection& p, double x, double y, double z, double* column, double* row) {
    const ViewRotation& r = p.rotation;
    x += p.center[0];
    y += p.center[1];
    z += p.center[2];
    rotatePair(y, x, r.vc, r.vs);
    rotatePair(y, z, r.hc, r.hs);
    rotatePair(y, x, r.gc, r.gs);
    const double d = p.distance;
    if (y < -0.9 * d) y = -0.9 * d;
    x /= y + d;
    z /= y + d;
    // Halves of the plot area in whole units, as the area is given.
    const long long c0 = p.window[0], r0 = p.window[1], c1 = p.window[2], r1 = p.window[3];
    double c = double((c0 + c1) / 2) + double((c1 - c0) / 2) * x * p.tele;
    if (p.aspect != 1) c = 512 + (c - 512) / p.aspect;
    *column = c;
    *row = double((r0 + r1) / 2) - double((r1 - r0) / 2) * z * p.tele;
    return y;
}

void eyePoint(const Projection& p, double eye[3]) {
    // The eye sits at depth -d on the axis: turn that point back.
    const ViewRotation& r = p.rotation;
    double x = 0, y = -p.distance, z = 0;
    rotatePair(y, x, r.gc, -r.gs);
    rotatePair(y, z, r.hc, -r.hs);
    rotatePair(y, x, r.vc, -r.vs);
    eye[0] = x - p.center[0];
    eye[1] = y - p.center[1];
    eye[2] = z - p.center[2];
}

}  // namespace kalix
