#include "gui/graphics_window.h"

#include <algorithm>
#include <cstring>

#include "base/settings.h"
#include "base/text.h"
#include "base/threads.h"
#include "graphics/antialias.h"
#include "graphics/crop_area.h"
#include "graphics/graphics_export.h"
#include "graphics/graphics_state.h"
#include "graphics/graphics_store.h"
#include "graphics/pages.h"
#include "graphics/pixel_surface.h"
#include "graphics/png_export.h"
#include "graphics/writer_output.h"
#include "gui/graphics_commands.h"
#include "gui/gui_bridge.h"
#include "gui/qt_pixels.h"
#include "gui/text_window.h"
#include "platform/host.h"

namespace kalix {

GraphicsWindow* graphicsWindow = nullptr;
std::atomic<int> graphicsInTextWindow{0};
std::atomic<int> graphicsOverText{0};

namespace {

constexpr int relayoutTimerId = 3;
constexpr int relayoutDelay = 250;
constexpr int smoothingFactor = 3;

}  // namespace

DrawingArea drawingAreaOf(int w, int h, bool keepAspect, double aspect) {
    const int margin = int(0.05 * std::min(w, h) + 0.5);
    DrawingArea a;
    if (keepAspect && aspect > 0) {
        const int byWidth = int((w - margin) / aspect + 0.5);
        a.height = byWidth < h - margin ? byWidth : h - margin;
        a.width = int(a.height * aspect + 0.5);
    } else {
        a.width = w - margin;
        a.height = h - margin;
    }
    a.width = std::max(a.width, 10);
    a.height = std::max(a.height, 10);
    if (keepAspect) {
        a.x = (w - a.width) / 2;
        a.y = (h - a.height) / 2;
    } else {
        a.x = a.y = margin / 2;
    }
    return a;
}

GraphicsWindow::GraphicsWindow(TextWindow& text, InterpreterLink& link,
                               std::atomic<int>& textInFront)
    : StandardWindow(graphicsWindowTitle, 0, 0, WindowStyle{}),
      text(text),
      link(link),
      textInFront(textInFront) {
    graphicsWindow = this;
    installGraphicsAreaHost(this);
}

GraphicsWindow::~GraphicsWindow() {
    {
        GraphicsLockHold hold("close graphics window");
        if (surface && graphicsStore().paintTarget() == surface.get())
            graphicsStore().setPaintTarget(nullptr);
        surface.reset();
        device.reset();
    }
    installGraphicsAreaHost(nullptr);
    if (graphicsWindow == this) graphicsWindow = nullptr;
}

// --- layout ----------------------------------------------------------------------------------

void GraphicsWindow::layout(bool force) {
    if (isGuiThread()) return layoutGraphicsArea(force);
    // Away from the GUI thread only a forced layout (aspect, fonts) waits;
    // the size follows the window by itself.
    if (!force) return;
    sendToGui([this] { layoutGraphicsArea(true); });
}

int GraphicsWindow::areaClientWidth() const {
    return graphicsInTextWindow ? text.getClientWidth() : getClientWidth();
}

int GraphicsWindow::areaClientHeight() const {
    return graphicsInTextWindow ? text.getClientHeight() : getClientHeight();
}

void GraphicsWindow::layoutGraphicsArea(bool force) {
    relayoutTimer.reset();
    const int w = std::max(areaClientWidth(), 1), h = std::max(areaClientHeight(), 1);
    const int newFactor = intSetting("antialiasgraphics") ? smoothingFactor : 1;
    // Inside the notebook the picture keeps its ratio, centred.
    const bool keepAspect = aspectIsFixed() || graphicsInTextWindow;
    const DrawingArea a = drawingAreaOf(w, h, keepAspect, getAspectRatio());
    const int surfaceWidth = a.width * newFactor, surfaceHeight = a.height * newFactor;
    if (!force && surface && image.width() == surfaceWidth && image.height() == surfaceHeight &&
        a.x == area.x && a.y == area.y)
        return;
    PixelBackend* backend = pixelBackend();
    if (!backend) return;

    FontSpec font;
    font.face = graphicsFontName();
    font.cellHeight = std::min(surfaceWidth, surfaceHeight) / graphicsLineCount();
    font.bold = intSetting("boldfont") != 0;
    const FontCell cell = qtFontCell(font);
    {
        GraphicsLockHold hold("layoutGraphicsArea");
        DrawingMetafile& store = graphicsStore();
        if (surface && store.paintTarget() == surface.get()) store.setPaintTarget(nullptr);
        surface.reset();
        device.reset();
        image.release();
        reduced.release();
        area = a;
        factor = newFactor;
        areaWidth = a.width;
        areaHeight = a.height;
        if (!image.allocate(surfaceWidth, surfaceHeight)) return;
        device = backend->deviceOn(image, font);
        if (!device) return;
        WriterSettings settings = pictureSettings(surfaceWidth, surfaceHeight);
        settings.codePageToUtf8 = codePageToUtf8;
        const double exportScale = scaleLineWidth(settings, a.width, 1) / 2 * factor;
        surface = std::make_unique<PixelSurface>(*device, settings, exportScale);
        surface->showCropBands(true);
        textCellSize[0] = int(double(cell.height) / surfaceHeight * 1024);
        textCellSize[1] = int(double(cell.averageWidth) / surfaceWidth * 1024);
        store.setPaintTarget(surface.get());
        replayInto();
    }
    repaintSoon();
}

// Under the "Graphics" lock: the picture shown (the live one, a page, or
// the anaglyph of pages 1 and 2) painted anew onto the surface.
void GraphicsWindow::replayInto() {
    KALIX_CHECK_HELD(graphicsLock);
    if (!surface) return;
    surface->clear();
    if (anaglyphShown) {
        PixelImage merged;
        if (renderAnaglyph(image.width(), image.height(), false, codePageToUtf8, nullptr, merged) ==
            ExportResult::written) {
            for (int y = 0; y < image.height(); y++)
                std::memcpy(image.row(y), merged.row(y), size_t(image.width()) * 4);
            return;
        }
    }
    if (shownPage > 0 && paintPage(shownPage - 1)) return;
    graphicsStore().replay(*surface, true);
    device->flush();
}

void GraphicsWindow::redraw() {
    {
        GraphicsLockHold hold("redrawGraphics");
        replayInto();
    }
    repaintSoon();
}

void GraphicsWindow::show() {
    if (textInFront.exchange(0)) {
        raiseCount++;
        // Inside the notebook the picture shows when it is asked for over
        // the text (a wait, Tab); the hidden window stays hidden.
        if (!graphicsInTextWindow)
            postToWindow([this] {
                if (graphicsInTextWindow) return;  // moved inside meanwhile
                if (!isVisible()) showWindow();
                raiseWindow();
            });
    }
    repaintSoon();
}

void GraphicsWindow::repaintSoon() {
    if (repaintQueued.exchange(1)) return;
    postToWindow([this] {
        repaintQueued = 0;
        if (graphicsInTextWindow)
            text.invalidateWindow();
        else
            invalidateWindow();
    });
}

// --- events ----------------------------------------------------------------------------------

void GraphicsWindow::onSized() {
    relayoutTimer = std::make_unique<WindowTimer>(*this, relayoutDelay, relayoutTimerId);
}

void GraphicsWindow::onTimer(int id) {
    if (id == relayoutTimerId) layoutGraphicsArea(false);
}

void GraphicsWindow::onKey(int event, int character, int key) { text.onKey(event, character, key); }

void GraphicsWindow::onRedraw(WindowSurface& p) {
    const int w = p.width(), h = p.height();
    const Rgb background = paletteIndexRgb(0);
    if (!surface) {
        p.fill(0, 0, w, h, background);
        onSized();
        return;
    }
    GraphicsLockHold hold("paint graphics window");
    const DrawingArea a = area;
    if (a.x > 0) p.fill(0, 0, a.x, h, background);
    if (a.x + a.width < w) p.fill(a.x + a.width, 0, w - a.x - a.width, h, background);
    if (a.y > 0) p.fill(0, 0, w, a.y, background);
    if (a.y + a.height < h) p.fill(0, a.y + a.height, w, h - a.y - a.height, background);
    if (image.empty()) return;
    device->flush();
    if (factor == 1) {
        p.drawPixels(image.data(), image.width(), image.height(), a.x, a.y, a.width, a.height);
    } else {
        if (reduced.width() != a.width || reduced.height() != a.height)
            reduced.allocate(a.width, a.height);
        if (reduced.empty()) return;
        reduceInto(image, reduced, intSetting("systemscaling") == 0, intSetting("sharper") == 1);
        p.drawPixels(reduced.data(), reduced.width(), reduced.height(), a.x, a.y, a.width,
                     a.height);
    }
    paintCount++;
}

MouseRecord GraphicsWindow::getMouseRecord() const {
    return {mouseX.load(), mouseY.load(), mouseEvent.load(), mouseTime.load()};
}

void GraphicsWindow::onMouse(int x, int y, int event) {
    const DrawingArea a = area;
    if (cropMode) return cropMouse(x - a.x, y - a.y, event);
    const double u = double(x - a.x) / a.width, v = double(y - a.y) / a.height;
    const int mode = mouseWaitMode.load();
    if (event != mouseLeftDown && event != mouseLeftUp && event != mouseMove) return;
    mouseX = u * 1024;
    mouseY = v * 1024;
    mouseTime = int(getClockSeconds() * 1000);
    bool resume = false;
    if (event == mouseLeftUp) {
        mouseEvent = 3;
        dragging = 0;
        resume = mode == 2;
    } else if (event == mouseLeftDown) {
        mouseEvent = 1;
        dragging = 1;
        resume = mode == 1 || mode == 2;
    } else if (dragging) {
        mouseEvent = 2;
        resume = mode == 2;
    } else {
        mouseEvent = 4;
    }
    if (resume) {
        mouseWaitMode = 0;
        link.resumeInterpreter();
    }
}

void GraphicsWindow::cropMouse(int x, int y, int event) {
    if (event == mouseLeftDown) {
        cropAnchorX = x;
        cropAnchorY = y;
        cropDragging = true;
        return;
    }
    if (!cropDragging || (event != mouseMove && event != mouseLeftUp)) return;
    if (event == mouseLeftUp) cropDragging = false;
    const CropRectangle before = currentCrop();
    const DrawingArea a = area;
    cropToRectangle(cropAnchorX, cropAnchorY, x, y, a.width, a.height);
    const CropRectangle after = currentCrop();
    if (after.left != before.left || after.top != before.top || after.right != before.right ||
        after.bottom != before.bottom)
        redraw();
}

}  // namespace kalix
