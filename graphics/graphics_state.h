// The graphics state every graphics builtin reads: where the plot area lies
// on the virtual screen (1024 x 1024 units, y downwards) and which user
// coordinates it shows, the current colours and styles, the hold flag and
// the 3D settings. Written by the computation thread only, except
// textCellSize (see there).
#pragma once

#include <atomic>

#include "graphics/colors.h"

namespace kalix {

// User coordinates shown by the plot area: x0, x1, y0, y1 (x0 at the left,
// y1 at the top), with the margin added.
extern double plotWindow[4];
// The range as computed or set, without the margin.
extern double plotRange[4];
// The plot area on the virtual screen: c0, r0, c1, r1.
extern int screenWindow[4];
extern int clipRect[4];
// Fraction of the range added around an autoscaled or set range.
extern double plotMargin;

constexpr int maxRowColors = 256;
extern ColorCode currentColor;
extern int rowColorCount;
extern ColorCode rowColors[maxRowColors];
extern int currentLineStyle;
extern double currentLineWidth;
extern int currentMarkerStyle;
// Markers across the picture width: 1024 / markersize.
extern int currentMarkerSize;
extern int currentBarStyle;
extern ColorCode currentBarColor;
extern ColorCode currentTextColor;
extern ColorCode currentFrameColor;  // 0: no frame
extern ColorCode currentFrame3dColor;
extern ColorCode currentWireColor;
extern ColorCode currentContourColor;
extern int currentHueColor;  // a shading scheme
extern ColorCode fillColors[2];
extern int hatchCellSize;
// Text lines an inserted graphics image takes.
extern int imageLineCount;
// Character height and average width in virtual-screen units; set by the
// layout of the graphics area, which the GUI thread does when the window
// changes size, and read by the computation thread's text drawing.
extern std::atomic<int> textCellSize[2];

// Keeps the current picture for the next plot.
extern int holdFlag;
// What a bare `hold` saved; -1 when nothing is saved.
extern int savedHoldFlag;
extern int autoScaleFlag;
extern int keepSquareFlag;
extern int antialiasFlag;
extern int twoSidesFlag;
extern int subgridSteps[2];
extern int hueGridFlag;
extern double meshScale;
extern double view3d[4];  // distance, tele factor, angle, height angle
extern double center3d[3];
extern double anaglyphAngle;

// Plot window and range (-1, 1, -1, 1), clip rectangle and screen window,
// then the style defaults. At every interpreter start and by
// `resetgraphics`.
void restoreGraphicsDefaults();
// Styles, colours and flags back to their defaults; after a failed
// statement. Leaves the plot range, areas, margin, row colours, marker
// size, saved hold flag, text cell and anaglyph angle alone.
void restoreStyleDefaults();

// User coordinates to the virtual screen and back (no clamping; a plot
// area of zero width or height maps to its left or top edge).
double screenColumn(double x);
double screenRow(double y);
double columnToUser(double c);
double rowToUser(double r);

// Makes plotWindow usable: margin, clamping to the finite doubles and a
// nonzero width; 0 when its x1 or y1 is NaN (nothing changed then).
int applyPlotRange(bool addMargin);
// Range from data: min and max of x and of y (NaN and infinite elements
// skipped; none left gives NaN), keepsquare, then applyPlotRange(true).
int rangeFromData(const double* x, long long nx, const double* y, long long ny);

}  // namespace kalix
