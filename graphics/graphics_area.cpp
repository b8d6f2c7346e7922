// The headless graphics area.
#include "graphics/graphics_area.h"

#include <cmath>
#include <string>

#include "base/settings.h"
#include "graphics/graphics_state.h"

namespace kalix {

namespace {

GraphicsAreaHost* areaHost = nullptr;
double fixedAspect = 0;  // 0: from the settings
int lineCount = 0;       // 0: not read yet
std::string fontName;

double settingsAspect() {
    if (!intSetting("cropsquare")) return 1;
    // The setting keeps what was entered; the picture uses it within
    // 0.1 .. 10.
    const double a = doubleSetting("aspect");
    if (!(a > 0)) return 1;
    return a < 0.1 ? 0.1 : a > 10 ? 10 : a;
}

void loadFontSettings() {
    lineCount = readIntSetting("graphicslines", 40);
    if (lineCount < 10 || lineCount > 200) lineCount = 40;
    fontName = readTextSetting("graphicsfontname", "Arial");
}

}  // namespace

void installGraphicsAreaHost(GraphicsAreaHost* host) { areaHost = host; }

bool aspectIsFixed() { return fixedAspect > 0 || intSetting("cropsquare") != 0; }

double getAspectRatio() {
    if (fixedAspect > 0) return fixedAspect;
    if (areaHost && !intSetting("cropsquare")) {
        const int w = areaHost->pictureWidth(), h = areaHost->pictureHeight();
        if (w > 0 && h > 0) return double(w) / h;
    }
    return settingsAspect();
}

int getGraphicsWidth() {
    if (areaHost) return areaHost->pictureWidth() > 0 ? areaHost->pictureWidth() : 1;
    return headlessGraphicsWidth;
}

int getGraphicsHeight() {
    if (areaHost) return areaHost->pictureHeight() > 0 ? areaHost->pictureHeight() : 1;
    const int h = int(std::lround(headlessGraphicsWidth / getAspectRatio()));
    return h > 0 ? h : 1;
}

static void layoutArea(bool force) {
    if (areaHost)
        areaHost->layout(force);
    else
        layoutGraphicsArea();
}

double setGraphicsAspect(double ratio) {
    const double previous = getAspectRatio();
    if (ratio == 0 || std::isnan(ratio)) {
        fixedAspect = 0;
    } else {
        fixedAspect = ratio < 0.1 ? 0.1 : ratio > 10 ? 10 : ratio;
    }
    layoutArea(true);
    showGraphicsWindow();
    return previous;
}

void getPixelSize(double* width, double* height) {
    *width = 1024.0 / getGraphicsWidth();
    *height = 1024.0 / getGraphicsHeight();
}

int graphicsLineCount() {
    if (!lineCount) loadFontSettings();
    return lineCount;
}

const char* graphicsFontName() {
    if (!lineCount) loadFontSettings();
    return fontName.c_str();
}

int setGraphicsFont(int n, const char* name) {
    if (!lineCount) loadFontSettings();
    if (n == 0) {
        loadFontSettings();
        layoutArea(true);
        return 40;
    }
    const int previous = lineCount;
    lineCount = n < 10 ? 10 : n > 200 ? 200 : n;
    if (name && *name) fontName = name;
    layoutArea(true);
    return previous;
}

void layoutGraphicsArea() {
    if (areaHost) return areaHost->layout(false);
    // The font is min(width, height) / lines high; a headless area takes
    // half the height as the average character width.
    const int w = getGraphicsWidth(), h = getGraphicsHeight();
    const double fontHeight = (w < h ? w : h) / graphicsLineCount();
    textCellSize[0] = int(fontHeight / h * 1024);
    textCellSize[1] = int(fontHeight / 2 / w * 1024);
}

void showGraphicsWindow() {
    if (areaHost) areaHost->show();
}

void redrawGraphics() {
    if (areaHost) areaHost->redraw();
}

}  // namespace kalix
