// Cutting segments at a rectangle.
#include "graphics/segment_clip.h"

#include <algorithm>

namespace kalix {

bool segmentInBox(double ax, double ay, double bx, double by, double left, double right, double low,
                  double high, double* t0, double* t1) {
    *t0 = 0, *t1 = 1;
    const double dx = bx - ax, dy = by - ay;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {ax - left, right - ax, ay - low, high - ay};
    for (int i = 0; i < 4; i++) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            *t0 = std::max(*t0, t);
        else
            *t1 = std::min(*t1, t);
        if (*t0 > *t1) return false;
    }
    return true;
}

}  // namespace kalix
