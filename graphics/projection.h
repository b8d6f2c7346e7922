// The central projection of the 3D plots: a point of user space seen from
// the eye at distance d, turned by the view angle, the height angle and the
// anaglyph angle, onto the plot area of the virtual screen.
#pragma once

namespace kalix {

struct ViewRotation {
    double vc, vs;  // cos and sin of the view angle
    double hc, hs;  // of the height angle
    double gc, gs;  // of the anaglyph angle
};

struct Projection {
    ViewRotation rotation;
    double distance, tele;
    double center[3];
    int window[4];  // c0, r0, c1, r1 of the plot area
    double aspect;  // width / height of the picture
};

// view: distance, tele factor, view angle, height angle (radians).
Projection makeProjection(const double view[4], const double center[3], double anaglyphAngle,
                          const int window[4], double aspect);
// The projection of the graphics state (view, center, anaglyph angle, plot
// area and the picture's aspect ratio).
Projection currentProjection();

// p' = p c - q s, q' = p s + q c.
inline void rotatePair(double& p, double& q, double c, double s) {
    const double p0 = p;
    p = p0 * c - q * s;
    q = p0 * s + q * c;
}

// Screen column and row of (x, y, z); returns the depth (larger is
// farther; never below -0.9 d, so points at or behind the eye stay
// finite).
double project(const Projection& p, double x, double y, double z, double* column, double* row);

// The eye in user coordinates: the point that projects to depth -d on the
// axis, with the anaglyph angle and the centre taken into account.
void eyePoint(const Projection& p, double eye[3]);

}  // namespace kalix
