// Level lines and bands on triangles.
#include "graphics/level_sets.h"

#include <cmath>
#include <initializer_list>

namespace kalix {

double levelFraction(double v, double a, double b) {
    if (a == b) return v == a ? 0.5 : 1e20;
    return (v - a) / (b - a);
}

namespace {

constexpr double sameLevel = 1e-8;

// The point at t on from -> to, a vertex when t is 0 or 1.
EdgePoint edgePoint(int from, int to, double t) {
    if (t == 0) return {from, from, 0};
    if (t == 1) return {to, to, 0};
    return {from, to, t};
}

template <typename Vertex>
Vertex interpolate(const Vertex* v, const EdgePoint& e);

template <>
Vertex3 interpolate(const Vertex3* v, const EdgePoint& e) {
    const Vertex3 &a = v[e.from], &b = v[e.to];
    if (e.from == e.to) return a;
    return {a.x + e.t * (b.x - a.x), a.y + e.t * (b.y - a.y), a.z + e.t * (b.z - a.z),
            a.v + e.t * (b.v - a.v)};
}

template <>
Vertex2 interpolate(const Vertex2* v, const EdgePoint& e) {
    const Vertex2 &a = v[e.from], &b = v[e.to];
    if (e.from == e.to) return a;
    return {a.v + e.t * (b.v - a.v), a.x + e.t * (b.x - a.x), a.y + e.t * (b.y - a.y)};
}

template <typename Vertex>
Vertex centreOf(const Vertex c[4]);

template <>
Vertex3 centreOf(const Vertex3 c[4]) {
    return {(c[0].x + c[1].x + c[2].x + c[3].x) / 4, (c[0].y + c[1].y + c[2].y + c[3].y) / 4,
            (c[0].z + c[1].z + c[2].z + c[3].z) / 4, (c[0].v + c[1].v + c[2].v + c[3].v) / 4};
}

Point projected(const Projection& p, const Vertex3& v) {
    Point s;
    project(p, v.x, v.y, v.z, &s.x, &s.y);
    return s;
}

// The four triangles of a cell around its centre, in order.
template <typename Each>
void cellTriangles(const Vertex3 c[4], Each each) {
    const Vertex3 m = centreOf(c);
    for (int k = 0; k < 4; k++) {
        const Vertex3 t[3] = {c[k], c[(k + 1) % 4], m};
        each(t);
    }
}

}  // namespace

int levelSegmentInTriangle(const double v[3], double level, EdgePoint segment[2]) {
    const double a = v[0], b = v[1], c = v[2];
    // An edge lying at the level is the piece.
    for (int k = 0; k < 3; k++) {
        const double p = v[k], q = v[(k + 1) % 3];
        if (std::fabs(p - q) < sameLevel && std::fabs(level - p) < sameLevel) {
            segment[0] = {k, k, 0};
            segment[1] = {(k + 1) % 3, (k + 1) % 3, 0};
            return 1;
        }
    }
    // Where the level crosses each edge, when it does (weights in [0, 1]).
    const EdgePoint candidates[3] = {edgePoint(1, 0, levelFraction(level, b, a)),
                                     edgePoint(2, 1, levelFraction(level, c, b)),
                                     edgePoint(0, 2, levelFraction(level, a, c))};
    int n = 0;
    for (const EdgePoint& e : candidates) {
        if (!(e.t >= 0 && e.t <= 1)) continue;
        if (n == 1 && e == segment[0]) continue;  // a vertex met on two edges
        segment[n++] = e;
        if (n == 2) return 1;
    }
    return 0;
}

void orderByValue(const double v[3], int order[3]) {
    const double a = v[0], b = v[1], c = v[2];
    auto set = [&](int i, int j, int k) { order[0] = i, order[1] = j, order[2] = k; };
    if (a > b) {
        if (b > c)
            set(2, 1, 0);
        else if (a <= c)
            set(1, 0, 2);
        else
            set(1, 2, 0);
    } else if (a <= c) {
        if (b <= c)
            set(0, 1, 2);
        else
            set(0, 2, 1);
    } else {
        set(2, 0, 1);
    }
}

int bandPolygon(double d, double e, double f, double lo, double hi, EdgePoint out[5]) {
    const double value[3] = {d, e, f};
    auto at = [&](int i, int j, double level) {
        return EdgePoint{i, j, levelFraction(level, value[i], value[j])};
    };
    const EdgePoint v0{0, 0, 0}, v1{1, 1, 0}, v2{2, 2, 0};
    int n = 0;
    auto put = [&](std::initializer_list<EdgePoint> points) {
        for (const EdgePoint& p : points) out[n++] = p;
    };
    if (f <= hi) {
        if (d >= lo)
            put({v0, v1, v2});
        else if (lo < e)
            put({at(0, 1, lo), at(0, 2, lo), v2, v1});
        else if (lo < f)
            put({at(1, 2, lo), at(0, 2, lo), v2});
    } else if (e > hi) {
        if (d >= hi) {
        } else if (d < lo) {
            put({at(0, 1, hi), at(0, 2, hi), at(0, 2, lo), at(0, 1, lo)});
        } else {
            put({at(0, 1, hi), at(0, 2, hi), v0});
        }
    } else if (d >= lo) {
        put({at(0, 2, hi), at(1, 2, hi), v1, v0});
    } else if (e <= lo) {
        put({at(0, 2, hi), at(1, 2, hi), at(1, 2, lo), at(0, 2, lo)});
    } else {
        put({at(0, 2, hi), at(1, 2, hi), v1, at(0, 1, lo), at(0, 2, lo)});
    }
    return n;
}

void lineInSpace(const Projection& p, const Vertex3& a, const Vertex3& b, ColorCode colour,
                 double width, Surface& out) {
    const Point s = projected(p, a), t = projected(p, b);
    out.line(s.x, s.y, t.x, t.y, colour, lineSolid, width);
}

void levelLinesInCell3d(const Projection& p, const Vertex3 c[4], const double* levels, int n,
                        const LevelStyle& style, Surface& out) {
    cellTriangles(c, [&](const Vertex3 t[3]) {
        const double v[3] = {t[0].v, t[1].v, t[2].v};
        for (int k = 0; k < n; k++) {
            EdgePoint segment[2];
            if (!levelSegmentInTriangle(v, levels[k], segment)) continue;
            lineInSpace(p, interpolate(t, segment[0]), interpolate(t, segment[1]),
                        style.contourColour, style.lineWidth, out);
        }
    });
}

void bandsInCell3d(const Projection& p, const Vertex3 c[4], const double* lo, const double* hi,
                   int n, double hue, int scheme, const LevelStyle& style, Surface& out) {
    static const int32_t noEdges[5] = {0, 0, 0, 0, 0};
    cellTriangles(c, [&](const Vertex3 t[3]) {
        const double v[3] = {t[0].v, t[1].v, t[2].v};
        int order[3];
        orderByValue(v, order);
        const Vertex3 sorted[3] = {t[order[0]], t[order[1]], t[order[2]]};
        for (int k = 0; k < n; k++) {
            if (!(lo[k] < hi[k])) continue;
            EdgePoint piece[5];
            const int count =
                bandPolygon(sorted[0].v, sorted[1].v, sorted[2].v, lo[k], hi[k], piece);
            if (count == 0) continue;
            Point points[5];
            for (int i = 0; i < count; i++) points[i] = projected(p, interpolate(sorted, piece[i]));
            if (std::isnan(hue) || hue != 0)
                out.huePolygon(points, count, hue, scheme, 0);
            else
                out.facet(points, noEdges, count, style.contourColour, 0);
        }
    });
}

void bandInTriangle2d(const Vertex2 t[3], double lo, double hi, int fillStyle, ColorCode colour,
                      Surface& out) {
    const double v[3] = {t[0].v, t[1].v, t[2].v};
    if (std::isnan(v[0]) || std::isnan(v[1]) || std::isnan(v[2])) return;
    int order[3];
    orderByValue(v, order);
    const Vertex2 sorted[3] = {t[order[0]], t[order[1]], t[order[2]]};
    EdgePoint piece[5];
    const int count = bandPolygon(sorted[0].v, sorted[1].v, sorted[2].v, lo, hi, piece);
    if (count == 0) return;
    Point points[5];
    for (int i = 0; i < count; i++) {
        const Vertex2 q = interpolate(sorted, piece[i]);
        points[i] = {q.x, q.y};
    }
    out.fillPolygon(points, count, fillStyle, colour, 0);
}

}  // namespace kalix
