// Cutting segments at a rectangle.
#pragma once

namespace kalix {

// The part of the segment a + t (b - a), 0 <= t <= 1, that lies in the box
// left <= x <= right, low <= y <= high, as its parameters *t0 <= *t1 (Liang
// and Barsky); false when no part does.
bool segmentInBox(double ax, double ay, double bx, double by, double left, double right, double low,
                  double high, double* t0, double* t1);

}  // namespace kalix
