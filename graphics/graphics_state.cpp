// The graphics state, its defaults and the coordinate mapping.
#include "graphics/graphics_state.h"

#include <cfloat>
#include <cmath>

namespace kalix {

double plotWindow[4] = {-1, 1, -1, 1};
double plotRange[4] = {-1, 1, -1, 1};
int screenWindow[4] = {10, 30, 1010, 1010};
int clipRect[4] = {0, 0, 1023, 1023};
double plotMargin = 0.1;

ColorCode currentColor = 1;
int rowColorCount = 0;
ColorCode rowColors[maxRowColors];
int currentLineStyle = 1;
double currentLineWidth = 1.0;
int currentMarkerStyle = 15;
int currentMarkerSize = 140;
int currentBarStyle = 1;
ColorCode currentBarColor = 3;
ColorCode currentTextColor = 0x031A1A1A;
ColorCode currentFrameColor = 0x031A1A1A;
ColorCode currentFrame3dColor = 0x031A1A1A;
ColorCode currentWireColor = 9;
ColorCode currentContourColor = 8;
int currentHueColor = 1;
ColorCode fillColors[2] = {11, 3};
int hatchCellSize = 16;
int imageLineCount = 35;
std::atomic<int> textCellSize[2] = {1, 1};

int holdFlag = 0;
int savedHoldFlag = -1;
int autoScaleFlag = 1;
int keepSquareFlag = 0;
int antialiasFlag = 0;
int twoSidesFlag = 1;
int subgridSteps[2] = {1, 1};
int hueGridFlag = 0;
double meshScale = 1.0;
double view3d[4] = {5.0, 2.6, 2.0, 0.4};
double center3d[3] = {0, 0, 0};
double anaglyphAngle = 0;

void restoreGraphicsDefaults() {
    const double unit[4] = {-1, 1, -1, 1};
    for (int i = 0; i < 4; i++) plotWindow[i] = plotRange[i] = unit[i];
    const int clip[4] = {0, 0, 1023, 1023}, screen[4] = {10, 30, 1010, 1010};
    for (int i = 0; i < 4; i++) {
        clipRect[i] = clip[i];
        screenWindow[i] = screen[i];
    }
    restoreStyleDefaults();
}

void restoreStyleDefaults() {
    currentColor = 1;
    currentLineStyle = 1;
    currentLineWidth = 1.0;
    currentMarkerStyle = 15;
    currentBarStyle = 1;
    currentBarColor = 3;
    currentTextColor = 0x031A1A1A;
    currentFrameColor = 0x031A1A1A;
    currentFrame3dColor = 0x031A1A1A;
    currentWireColor = 9;
    currentContourColor = 8;
    currentHueColor = 1;
    fillColors[0] = 11;
    fillColors[1] = 3;
    hatchCellSize = 16;
    imageLineCount = 35;
    holdFlag = 0;
    autoScaleFlag = 1;
    keepSquareFlag = 0;
    antialiasFlag = 0;
    twoSidesFlag = 1;
    subgridSteps[0] = subgridSteps[1] = 1;
    hueGridFlag = 0;
    meshScale = 1.0;
    const double view[4] = {5.0, 2.6, 2.0, 0.4};
    for (int i = 0; i < 4; i++) view3d[i] = view[i];
    center3d[0] = center3d[1] = center3d[2] = 0;
}

// --- mapping -----------------------------------------------------------------

double screenColumn(double x) {
    const double w = plotWindow[1] - plotWindow[0];
    return screenWindow[0] + (x - plotWindow[0]) / w * (screenWindow[2] - screenWindow[0]);
}

double screenRow(double y) {
    const double h = plotWindow[3] - plotWindow[2];
    return screenWindow[3] - (y - plotWindow[2]) / h * (screenWindow[3] - screenWindow[1]);
}

double columnToUser(double c) {
    const int c0 = screenWindow[0], c1 = screenWindow[2];
    if (c1 == c0) return plotWindow[0];
    return ((c1 - c) * plotWindow[0] + (c - c0) * plotWindow[1]) / (c1 - c0);
}

double rowToUser(double r) {
    const int r0 = screenWindow[1], r1 = screenWindow[3];
    if (r1 == r0) return plotWindow[3];
    return ((r0 - r) * plotWindow[2] + (r - r1) * plotWindow[3]) / (r0 - r1);
}

// --- ranges ------------------------------------------------------------------

namespace {

void addMargin(double* low, double* high) {
    const double middle = (*low + *high) / 2, half = (*high - *low) * (1 + plotMargin) / 2;
    *high = middle + half;
    *low = middle - half;
}

// Clamps one axis (ends at index i, i + 1) to the finite doubles and gives
// it a nonzero width; clamped ends are copied into the range.
void settleAxis(int i) {
    double& low = plotWindow[i];
    double& high = plotWindow[i + 1];
    if (high > DBL_MAX) high = plotRange[i + 1] = DBL_MAX;
    if (low < -DBL_MAX) low = plotRange[i] = -DBL_MAX;
    if (low >= high) high = plotRange[i + 1] = low + 1;
}

}  // namespace

int applyPlotRange(bool withMargin) {
    if (std::isnan(plotWindow[1]) || std::isnan(plotWindow[3])) return 0;
    for (int i = 0; i < 4; i++) plotRange[i] = plotWindow[i];
    if (withMargin && plotMargin != 0) {
        addMargin(&plotWindow[0], &plotWindow[1]);
        addMargin(&plotWindow[2], &plotWindow[3]);
    }
    if (std::isnan(plotWindow[1]) || std::isnan(plotWindow[3])) return 0;
    settleAxis(0);
    settleAxis(2);
    return 1;
}

namespace {

// The smallest and largest finite element into low and high (both NaN
// when there is none; 0 and 0 for no elements): infinite values cannot be
// shown and would leave no room for the others.
void finiteRange(const double* v, long long n, double* low, double* high) {
    *low = *high = n == 0 ? 0 : NAN;
    for (long long i = 0; i < n; i++) {
        if (!std::isfinite(v[i])) continue;
        if (std::isnan(*low) || v[i] < *low) *low = v[i];
        if (std::isnan(*high) || v[i] > *high) *high = v[i];
    }
}

}  // namespace

int rangeFromData(const double* x, long long nx, const double* y, long long ny) {
    finiteRange(x, nx, &plotWindow[0], &plotWindow[1]);
    finiteRange(y, ny, &plotWindow[2], &plotWindow[3]);
    if (keepSquareFlag) {
        const double middle = (plotWindow[2] + plotWindow[3]) / 2;
        const double half = (plotWindow[1] - plotWindow[0]) / 2;
        plotWindow[3] = middle + half;
        plotWindow[2] = middle - half;
    }
    return applyPlotRange(true);
}

}  // namespace kalix
