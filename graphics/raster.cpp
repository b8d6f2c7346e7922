// Shapes set pixel by pixel.
#include "graphics/raster.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <vector>

#include "graphics/parallel.h"
#include "graphics/segment_clip.h"

namespace kalix {

namespace {

// Which pixels of a dash pattern are on, by position in the pattern.
class DashMask {
  public:
    DashMask(const int* dashes, int count) {
        for (int i = 0; i < count; i++)
            mask.insert(mask.end(), size_t(std::max(0, dashes[i])), i % 2 == 0);
    }
    bool solid() const { return mask.empty(); }
    bool on(uint64_t position) const { return mask[size_t(position % mask.size())]; }

  private:
    std::vector<bool> mask;
};

// The steps k in [0, steps) of a segment whose pixels may lie in the box:
// the part of the segment inside the box widened by one pixel.
bool stepsInside(const DevicePoint& a, const DevicePoint& b, PixelBox box, long long steps,
                 long long* first, long long* last) {
    double t0, t1;
    if (!segmentInBox(a.x, a.y, b.x, b.y, box.left - 1.0, box.right + 1.0, box.top - 1.0,
                      box.bottom + 1.0, &t0, &t1))
        return false;
    *first = std::max(0LL, (long long)(t0 * steps) - 1);
    *last = std::min(steps, (long long)(t1 * steps) + 2);
    return *first < *last;
}

// The box within the image.
PixelBox inside(const PixelImage& image, PixelBox box) {
    return {std::max(box.left, 0), std::max(box.top, 0), std::min(box.right, image.width()),
            std::min(box.bottom, image.height())};
}

// Sets pixels x0 .. x1 (included) of row y inside the box.
void span(PixelImage& image, const PixelBox& box, long long x0, long long x1, long long y,
          uint32_t value) {
    if (y < box.top || y >= box.bottom) return;
    x0 = std::max<long long>(x0, box.left);
    x1 = std::min<long long>(x1, box.right - 1);
    if (x0 <= x1) std::fill(image.row(int(y)) + x0, image.row(int(y)) + x1 + 1, value);
}

// The half-widths of the midpoint circle's rows: half[|dy|] = the largest
// |dx| of the circle's pixels in that row.
std::vector<int> circleHalfWidths(int r) {
    std::vector<int> half(size_t(r) + 1, 0);
    int x = r, y = 0, decision = 1 - r;
    while (x >= y) {
        half[size_t(y)] = std::max(half[size_t(y)], x);
        half[size_t(x)] = std::max(half[size_t(x)], y);
        y++;
        if (decision < 0) {
            decision += 2 * y + 1;
        } else {
            x--;
            decision += 2 * (y - x) + 1;
        }
    }
    return half;
}

}  // namespace

void drawThinPolyline(PixelImage& image, PixelBox box, const DevicePoint* points, int n,
                      uint32_t value, const int* dashes, int dashCount) {
    box = inside(image, box);
    const DashMask dash(dashes, dashCount);
    const bool solid = dash.solid();
    uint64_t travelled = 0;  // pixels of the polyline before this segment
    for (int i = 0; i + 1 < n; i++) {
        const DevicePoint a = points[i], b = points[i + 1];
        const long long dx = (long long)b.x - a.x, dy = (long long)b.y - a.y;
        const long long adx = std::llabs(dx), ady = std::llabs(dy);
        const bool xMajor = adx >= ady;
        const long long steps = xMajor ? adx : ady, minor = xMajor ? ady : adx;
        const int majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
        const int minorStep = (xMajor ? dy : dx) < 0 ? -1 : 1;
        long long k, end;
        if (steps > 0 && box.left < box.right && box.top < box.bottom &&
            stepsInside(a, b, box, steps, &k, &end)) {
            // Pixel k is minor offset floor((2 k minor + steps) / (2 steps)).
            const long long twice = 2 * steps;
            long long numerator = 2 * k * minor + steps;
            long long offset = numerator / twice, rest = numerator % twice;
            for (; k < end; k++) {
                const long long x = a.x + (xMajor ? k * majorStep : offset * minorStep);
                const long long y = a.y + (xMajor ? offset * minorStep : k * majorStep);
                if (x >= box.left && x < box.right && y >= box.top && y < box.bottom &&
                    (solid || dash.on(travelled + uint64_t(k))))
                    image.row(int(y))[x] = value;
                rest += 2 * minor;
                if (rest >= twice) rest -= twice, offset++;
            }
        }
        travelled += uint64_t(steps);
    }
}

void drawCircleOutline(PixelImage& image, PixelBox box, int x, int y, int r, uint32_t value) {
    box = inside(image, box);
    if (r <= 0) return span(image, box, x, x, y, value);
    const std::vector<int> half = circleHalfWidths(r);
    // Each row: the circle's pixels from the outer half-width in to the
    // next row's, so that steep parts stay connected.
    for (int dy = -r; dy <= r; dy++) {
        const int outer = half[size_t(std::abs(dy))];
        const int next = std::abs(dy) < r ? half[size_t(std::abs(dy) + 1)] : -1;
        const int inner = std::min(outer, next + 1);
        span(image, box, (long long)x - outer, (long long)x - inner, (long long)y + dy, value);
        span(image, box, (long long)x + inner, (long long)x + outer, (long long)y + dy, value);
    }
}

void fillDisk(PixelImage& image, PixelBox box, int x, int y, int r, uint32_t value) {
    box = inside(image, box);
    if (r < 0) return;
    const std::vector<int> half = circleHalfWidths(r);
    for (int dy = -r; dy <= r; dy++) {
        const int h = half[size_t(std::abs(dy))];
        span(image, box, (long long)x - h, (long long)x + h, (long long)y + dy, value);
    }
}

void fillBox(PixelImage& image, PixelBox box, int x, int y, int w, int h, uint32_t value) {
    box = inside(image, box);
    const int top = int(std::max<long long>(y, box.top));
    const int bottom = int(std::min<long long>((long long)y + h, box.bottom));
    if (top >= bottom) return;
    // Large areas (a whole picture cleared) are filled by several threads.
    const long long width = std::max(1LL, std::min<long long>(w, box.right - box.left));
    const int minimumRows = int(std::max(1LL, (1LL << 21) / width));
    if (rowBandCount(bottom - top, minimumRows) == 1) {
        // Most boxes are small: filled here, without building the work.
        for (int row = top; row < bottom; row++)
            span(image, box, x, (long long)x + w - 1, row, value);
        return;
    }
    forRowBands(bottom - top, minimumRows, [&](int, int first, int end) {
        for (int row = top + first; row < top + end; row++)
            span(image, box, x, (long long)x + w - 1, row, value);
    });
}

void fillBoxTiled(PixelImage& image, PixelBox box, int x, int y, int w, int h,
                  const PixelImage& tile) {
    if (tile.empty()) return;
    box = inside(image, box);
    const long long left = std::max<long long>(x, box.left);
    const long long right = std::min<long long>((long long)x + w, box.right);
    const long long bottom = std::min<long long>((long long)y + h, box.bottom);
    for (long long row = std::max<long long>(y, box.top); row < bottom; row++) {
        const uint32_t* pattern = tile.row(int(row % tile.height()));
        uint32_t* out = image.row(int(row));
        for (long long column = left; column < right; column++)
            out[column] = pattern[column % tile.width()];
    }
}

namespace {

constexpr double unbounded = std::numeric_limits<double>::infinity();

// The x-interval [low, high] where lo <= (x - origin) * factor <= hi
// (all x when factor is 0 and 0 lies in [lo, hi], else none).
bool solveBetween(double lo, double hi, double factor, double origin, double* low, double* high) {
    if (factor == 0) {
        *low = -unbounded, *high = unbounded;
        return lo <= 0 && 0 <= hi;
    }
    double a = lo / factor, b = hi / factor;
    if (a > b) std::swap(a, b);
    *low = origin + a, *high = origin + b;
    return true;
}

// The points within r of the segment a-b, row by row.
void fillCapsule(PixelImage& image, const PixelBox& box, double ax, double ay, double bx, double by,
                 double r, uint32_t value) {
    const double top = std::ceil(std::min(ay, by) - r), bottom = std::floor(std::max(ay, by) + r);
    const int first = int(std::max(top, double(box.top)));
    const int last = int(std::min(bottom, double(box.bottom - 1)));
    const double dx = bx - ax, dy = by - ay, squared = dx * dx + dy * dy;
    const double reach = r * std::sqrt(squared);
    for (int y = first; y <= last; y++) {
        double low = unbounded, high = -unbounded;
        for (const double* end : {&ax, &bx}) {
            const double ey = end == &ax ? ay : by;
            const double h = r * r - (y - ey) * (y - ey);
            if (h < 0) continue;
            const double half = std::sqrt(h);
            low = std::min(low, *end - half), high = std::max(high, *end + half);
        }
        if (squared > 0) {
            // Projection onto the segment in [0, squared], distance from
            // its line at most r.
            const double along = (y - ay) * dy, across = (y - ay) * dx;
            double l1, h1, l2, h2;
            if (solveBetween(-along, squared - along, dx, ax, &l1, &h1) &&
                solveBetween(across - reach, across + reach, dy, ax, &l2, &h2)) {
                const double l = std::max(l1, l2), h = std::min(h1, h2);
                if (l <= h) low = std::min(low, l), high = std::max(high, h);
            }
        }
        if (low <= high && low < box.right && high >= box.left)
            span(image, box, (long long)std::ceil(std::max(low, -1.0 + box.left)),
                 (long long)std::floor(std::min(high, double(box.right))), y, value);
    }
}

}  // namespace

void drawWidePolyline(PixelImage& image, PixelBox box, const DevicePoint* points, int n, int width,
                      uint32_t value, const int* dashes, int dashCount) {
    box = inside(image, box);
    if (box.left >= box.right || box.top >= box.bottom) return;
    const double r = width / 2.0, shift = width % 2 == 0 ? 0.5 : 0;
    // Dashes: the pattern as lengths along the path, on and off in turn.
    std::vector<double> pattern;
    double period = 0;
    for (int i = 0; i < dashCount; i++) {
        pattern.push_back(std::max(0, dashes[i]));
        period += pattern.back();
    }
    const bool solid = period <= 0;
    int phase = 0;                         // the entry of the pattern running
    double left = solid ? 0 : pattern[0];  // what remains of it
    for (int i = 0; i + 1 < n; i++) {
        const double ax = points[i].x + shift, ay = points[i].y + shift;
        const double bx = points[i + 1].x + shift, by = points[i + 1].y + shift;
        if (solid) {
            fillCapsule(image, box, ax, ay, bx, by, r, value);
            continue;
        }
        const double length = std::hypot(bx - ax, by - ay);
        double at = 0;
        while (at < length) {
            const double step = std::min(left, length - at);
            if (phase % 2 == 0) {
                const double t0 = at / length, t1 = (at + step) / length;
                fillCapsule(image, box, ax + (bx - ax) * t0, ay + (by - ay) * t0,
                            ax + (bx - ax) * t1, ay + (by - ay) * t1, r, value);
            }
            at += step;
            left -= step;
            if (left <= 0) {
                phase = (phase + 1) % int(pattern.size());
                left = pattern[size_t(phase)];
            }
        }
    }
}

void drawRing(PixelImage& image, PixelBox box, int x, int y, int r, int width, uint32_t value) {
    box = inside(image, box);
    // Pixels at distance d from the centre with r - w / 2 <= d < r + w / 2.
    const double inner = r - width / 2.0, outer = r + width / 2.0;
    const int reach = int(std::ceil(outer));
    for (int dy = -reach; dy <= reach; dy++) {
        const double o = outer * outer - double(dy) * dy;
        if (o <= 0) continue;
        const double so = std::sqrt(o);
        const long long outerLow = (long long)std::floor(x - so) + 1;
        const long long outerHigh = (long long)std::ceil(x + so) - 1;
        const double i = inner * inner - double(dy) * dy;
        if (inner <= 0 || i <= 0) {
            span(image, box, outerLow, outerHigh, (long long)y + dy, value);
            continue;
        }
        const double si = std::sqrt(i);
        span(image, box, outerLow, (long long)std::floor(x - si), (long long)y + dy, value);
        span(image, box, (long long)std::ceil(x + si), outerHigh, (long long)y + dy, value);
    }
}

}  // namespace kalix
