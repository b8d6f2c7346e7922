// The headless graphics area.
#include "graphics/graphics_area.h"

#include <cmath>
#include <string>

#include "graphics/graphics_state.h"
#include "shell/settings.h"

namespace {

double fixedAspect = 0;  // 0: from the settings
int lineCount = 0;       // 0: not read yet
std::string fontName;

double settingsAspect() {
    if (!intSetting("cropsquare")) return 1;
    const double a = doubleSetting("aspect");
    return a >= 0.1 && a <= 10 ? a : 1;
}

void loadFontSettings() {
    lineCount = readIntSetting("graphicslines", 40);
    if (lineCount < 10 || lineCount > 200) lineCount = 40;
    fontName = readTextSetting("graphicsfontname", "Arial");
}

}  // namespace

double getAspectRatio() { return fixedAspect > 0 ? fixedAspect : settingsAspect(); }

int getGraphicsWidth() { return headlessGraphicsWidth; }

int getGraphicsHeight() {
    const int h = int(std::lround(headlessGraphicsWidth / getAspectRatio()));
    return h > 0 ? h : 1;
}

double setGraphicsAspect(double ratio) {
    const double previous = getAspectRatio();
    if (ratio == 0 || std::isnan(ratio)) {
        fixedAspect = 0;
    } else {
        fixedAspect = ratio < 0.1 ? 0.1 : ratio > 10 ? 10 : ratio;
    }
    layoutGraphicsArea();
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
        layoutGraphicsArea();
        return 40;
    }
    const int previous = lineCount;
    lineCount = n < 10 ? 10 : n > 200 ? 200 : n;
    if (name && *name) fontName = name;
    layoutGraphicsArea();
    return previous;
}

void layoutGraphicsArea() {
    // The font is min(width, height) / lines high; a headless area takes
    // half the height as the average character width.
    const int w = getGraphicsWidth(), h = getGraphicsHeight();
    const double fontHeight = (w < h ? w : h) / graphicsLineCount();
    textCellSize[0] = int(fontHeight / h * 1024);
    textCellSize[1] = int(fontHeight / 2 / w * 1024);
}

void showGraphicsWindow() {}

void redrawGraphics() {}
