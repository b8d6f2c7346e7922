#include "gui/graphics_window_commands.h"

#include <algorithm>

#include "base/settings.h"
#include "graphics/crop_area.h"
#include "graphics/graphics_area.h"
#include "gui/dialogs.h"
#include "gui/graphics_window.h"
#include "gui/kalix_menu.h"
#include "gui/menus.h"
#include "gui/text_window.h"
#include "notebook/notebook_model.h"
#include "platform/host.h"

namespace kalix {

namespace {

enum MenuId : int {
    menuAntialias = 6700,
    menuMagnify = 6871,
    menuBoldFont = 6881,
    menuFatterLines = 7000,
};

void setCheck(int id, int on) {
    if (textWindow && textWindow->getMenu()) textWindow->getMenu()->setMenuCheck(id, on);
}

// Flips an int setting and keeps its check mark in step; the new value.
int flipSetting(const char* key, int id) {
    const int value = intSetting(key) ? 0 : 1;
    writeIntSetting(key, value);
    setCheck(id, value);
    return value;
}

// Full screen: 0 the windows where the user put them; 1 (a work area lower
// than 800 pixels) the notebook alone over the whole work area, without
// frame and menu bar, the picture inside it; 2 the notebook on the left
// over the whole height and a square picture beside it.
int fullScreenState = 0;
struct Rectangle {
    int x = 0, y = 0, w = 0, h = 0;
};
Rectangle savedText, savedGraphics;
int savedInTextWindow = 0;  // "intextwindow" before full screen

}  // namespace

void showGraphicsFromMenu() {
    if (!getIntCell(inputWaiting) || !graphicsWindow) return;
    // Inside the notebook the picture is shown over it, as Tab does.
    if (graphicsInTextWindow && textWindow && textWindow->getLink().isTextInFront())
        graphicsOverText = 1;
    showGraphicsWindow();
}

void setGraphicsInTextWindow(int on) {
    graphicsInTextWindow = on;
    if (!on) graphicsOverText = 0;
    writeIntSetting(makeScreenKey("intextwindow"), on);
    setCheck(menuGraphicsInTextWindow, on);
    if (graphicsWindow) {
        if (on)
            graphicsWindow->hideWindow();
        else
            graphicsWindow->showWindow();
        graphicsWindow->layoutGraphicsArea(true);
    }
    if (textWindow) {
        textWindow->onSized();
        textWindow->invalidateWindow();
    }
}

void toggleGraphicsInTextWindow() {
    // Not while a crop area is dragged over the notebook.
    if (cropMode && graphicsInTextWindow) return;
    setGraphicsInTextWindow(!graphicsInTextWindow);
}

void applyAspectChoice(const AspectChoice& choice) {
    writeIntSetting("cropsquare", choice.followWindow ? 0 : 1);
    writeDoubleSetting("aspect", choice.aspect);
    setGraphicsInTextWindow(0);
    // Back to the settings just written; lays the area out and shows it.
    setGraphicsAspect(0);
}

void setAspectDialog() {
    if (!getIntCell(inputWaiting) || inputBuiltinActive) return;
    AspectChoice choice;
    choice.aspect = readDoubleSetting("aspect", 1.0);
    choice.followWindow = intSetting("cropsquare") == 0;
    if (runAspectDialog(choice)) applyAspectChoice(choice);
}

void redrawGraphicsWindow() {
    if (graphicsWindow) graphicsWindow->layoutGraphicsArea(true);
}

void toggleAntialias() {
    flipSetting("antialiasgraphics", menuAntialias);
    redrawGraphicsWindow();
}

void toggleFatterLines() {
    flipSetting("fatterlines", menuFatterLines);
    redrawGraphicsWindow();
}

void toggleBoldFont() {
    flipSetting("boldfont", menuBoldFont);
    redrawGraphicsWindow();
}

void leaveFullScreen() {
    if (fullScreenState != 0) toggleFullScreen();
}

void toggleMagnify() {
    if (!textWindow) return;
    textWindow->magnifyMode = !textWindow->magnifyMode;
    setCheck(menuMagnify, textWindow->magnifyMode);
    textWindow->onSized();
}

void toggleFullScreen() {
    if (!textWindow || !graphicsWindow) return;
    if (fullScreenState == 0) {
        Rectangle& t = savedText;
        Rectangle& g = savedGraphics;
        textWindow->getWindowRectangle(t.x, t.y, t.w, t.h);
        graphicsWindow->getWindowRectangle(g.x, g.y, g.w, g.h);
        savedInTextWindow = graphicsInTextWindow;
        int width, height;
        getScreenWorkArea(width, height);
        if (height < 800) {
            textWindow->setFrameAndMenuShown(0);
            textWindow->setWindowRectangle(0, 0, width, height);
            if (!graphicsInTextWindow) setGraphicsInTextWindow(1);
            fullScreenState = 1;
        } else {
            if (graphicsInTextWindow) setGraphicsInTextWindow(0);
            const int textWidth = std::max(t.w, width / 2);
            textWindow->setWindowRectangle(0, 0, textWidth, height);
            const int side = std::max(100, std::min(height, width - textWidth - 10));
            graphicsWindow->setWindowRectangle(textWidth + 10, (height - side) / 2, side, side);
            fullScreenState = 2;
        }
    } else {
        if (fullScreenState == 1) textWindow->setFrameAndMenuShown(1);
        if (graphicsInTextWindow != savedInTextWindow) setGraphicsInTextWindow(savedInTextWindow);
        textWindow->setWindowRectangle(savedText.x, savedText.y, savedText.w, savedText.h);
        if (fullScreenState == 2)
            graphicsWindow->setWindowRectangle(savedGraphics.x, savedGraphics.y, savedGraphics.w,
                                               savedGraphics.h);
        fullScreenState = 0;
    }
    textWindow->onSized();
}

}  // namespace kalix
