// The central projection of the 3D plots.
#include <gtest/gtest.h>

#include <cmath>

#include "graphics/projection.h"

namespace kalix {

namespace {

const double defaultView[4] = {5, 2.6, 2, 0.4};
const double origin[3] = {0, 0, 0};
const int defaultWindow[4] = {10, 30, 1010, 1010};

Projection projection(const double view[4] = defaultView, const double center[3] = origin,
                      double anaglyph = 0, double aspect = 1) {
    return makeProjection(view, center, anaglyph, defaultWindow, aspect);
}

TEST(Projection, TheCentreLandsInTheMiddleOfThePlotAreaForEveryView) {
    for (double a : {0.0, 1.0, 2.0, -2.5})
        for (double h : {0.0, 0.4, 1.2}) {
            const double view[4] = {5, 2.6, a, h};
            double c, r;
            EXPECT_DOUBLE_EQ(project(projection(view), 0, 0, 0, &c, &r), 0);
            EXPECT_DOUBLE_EQ(c, 510);
            EXPECT_DOUBLE_EQ(r, 520);
        }
    // Halves of an odd plot area are whole units: (11 + 1010) / 2 = 510.
    const int odd[4] = {11, 31, 1010, 1010};
    double c, r;
    project(makeProjection(defaultView, origin, 0, odd, 1), 0, 0, 0, &c, &r);
    EXPECT_DOUBLE_EQ(c, 510);
    EXPECT_DOUBLE_EQ(r, 520);
}

TEST(Projection, PerspectiveOfAxisPoints) {
    // View angle 0, height 0: x runs across, y away from the eye, z up.
    const double view[4] = {4, 2, 0, 0};
    const Projection p = projection(view);
    double c, r;
    EXPECT_DOUBLE_EQ(project(p, 1, 0, 0, &c, &r), 0);
    EXPECT_DOUBLE_EQ(c, 510 + 500 * (1.0 / 4) * 2);
    EXPECT_DOUBLE_EQ(r, 520);
    EXPECT_DOUBLE_EQ(project(p, 0, 1, 0, &c, &r), 1);
    EXPECT_DOUBLE_EQ(c, 510);
    EXPECT_DOUBLE_EQ(project(p, 0, 0, 1, &c, &r), 0);
    EXPECT_DOUBLE_EQ(r, 520 - 490 * (1.0 / 4) * 2);
    // Farther points come closer to the middle.
    double c1, c2, r1;
    project(p, 1, 0, 0, &c1, &r1);
    project(p, 1, 2, 0, &c2, &r1);
    EXPECT_LT(c2, c1);
}

TEST(Projection, PointsAtOrBehindTheEyeAreClampedToNineTenthsOfTheDistance) {
    const double view[4] = {5, 1, 0, 0};
    const Projection p = projection(view);
    double c1, r1, c2, r2;
    EXPECT_DOUBLE_EQ(project(p, 1, -4.5, 0, &c1, &r1), -4.5);
    EXPECT_DOUBLE_EQ(project(p, 1, -20, 0, &c2, &r2), -4.5);
    EXPECT_DOUBLE_EQ(c1, c2);
    EXPECT_TRUE(std::isfinite(c2));
}

TEST(Projection, AnAspectRatioNarrowsColumnsAboutTheMiddleOfTheScreen) {
    // Column 712 at ratio 1 becomes 512 + 200 / 2.
    const int window[4] = {12, 30, 1012, 1010};
    const double view[4] = {4, 2, 0, 0};
    const double x = 200.0 / 500 * 4 / 2;
    double c, r;
    project(makeProjection(view, origin, 0, window, 1), x, 0, 0, &c, &r);
    EXPECT_DOUBLE_EQ(c, 712);
    project(makeProjection(view, origin, 0, window, 2), x, 0, 0, &c, &r);
    EXPECT_DOUBLE_EQ(c, 612);
}

TEST(Projection, TheAnaglyphAngleIsARotation) {
    // (1, 0, 0) turned by g about the vertical axis: depth -sin g, across
    // cos g, so its distance from the axis stays 1.
    const double view[4] = {5, 1, 0, 0};
    for (double g : {0.05, 0.3, -0.7}) {
        const Projection p = projection(view, origin, g);
        double c, r;
        const double depth = project(p, 1, 0, 0, &c, &r);
        EXPECT_DOUBLE_EQ(depth, -std::sin(g));
        EXPECT_NEAR(c, 510 + 500 * std::cos(g) / (5 - std::sin(g)), 1e-9);
    }
}

TEST(Projection, TheEyeLooksThroughTheCentreAtTheMiddleOfTheScreen) {
    // Every point between the eye and the point shown in the middle (the
    // negated centre) projects to the middle, whatever the angles.
    const double center[3] = {0.5, -1, 2};
    for (double g : {0.0, 0.1})
        for (double a : {0.3, 2.0})
            for (double h : {0.4, -0.2}) {
                const double view[4] = {6, 2, a, h};
                const Projection p = projection(view, center, g);
                double eye[3];
                eyePoint(p, eye);
                for (double s : {0.2, 0.5, 0.9}) {
                    double q[3], c, r;
                    for (int k = 0; k < 3; k++) q[k] = eye[k] + s * (-center[k] - eye[k]);
                    project(p, q[0], q[1], q[2], &c, &r);
                    EXPECT_NEAR(c, 510, 1e-9);
                    EXPECT_NEAR(r, 520, 1e-9);
                }
            }
    // Without centre and anaglyph angle: (d sin a cos h, -d cos a cos h, d sin h).
    const Projection p = projection();
    double eye[3];
    eyePoint(p, eye);
    EXPECT_NEAR(eye[0], 5 * std::sin(2.0) * std::cos(0.4), 1e-12);
    EXPECT_NEAR(eye[1], -5 * std::cos(2.0) * std::cos(0.4), 1e-12);
    EXPECT_NEAR(eye[2], 5 * std::sin(0.4), 1e-12);
}

}  // namespace

}  // namespace kalix
