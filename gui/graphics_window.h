// The graphics window: shows the current picture. The graphics store draws
// each record at once onto the window's off-screen surface (three times
// larger in each direction while "antialiasgraphics" is on); painting only
// copies or reduces that surface. The window sizes the surface to its
// client area (keeping the aspect ratio while it is fixed), chooses the
// fonts, and turns mouse events into the position and state the mouse
// waits read, or in crop mode into the crop area.
//
// With the screen's "intextwindow" setting the window stays hidden: the
// picture takes its size from the notebook window and is painted over the
// notebook while `graphicsOverText` asks for it.
#pragma once

#include <atomic>
#include <memory>

#include "graphics/graphics_area.h"
#include "graphics/pixel_device.h"
#include "gui/window.h"

namespace kalix {

class PixelSurface;
class TextWindow;
class InterpreterLink;

constexpr const char* graphicsWindowTitle = "Kavrost - Kalixbench - Graphics";

// 1 while the picture is drawn inside the notebook window (the screen's
// "intextwindow" setting, menu 7050). Written by the GUI thread (start-up
// and the menu); read by any thread.
extern std::atomic<int> graphicsInTextWindow;
// With graphicsInTextWindow: 1 while the notebook window shows the picture
// instead of the notebook. Set by the computation thread's waits and by
// Tab and the menu (GUI thread), cleared when the notebook comes back; the
// two threads take turns (the computation thread writes only while the GUI
// thread has nothing to show).
extern std::atomic<int> graphicsOverText;

// The rectangle of the picture in the client area, in window pixels.
struct DrawingArea {
    int x = 0, y = 0, width = 1, height = 1;
};

// The drawing area of a client area w x h: a margin of 5% of the shorter
// side; with a fixed `aspect` (width / height) the largest rectangle of
// that ratio inside, centred; else the client area less the margin, from
// half the margin on. A smoothed surface is three times this size, so the
// exact 3:1 filter reduces it.
DrawingArea drawingAreaOf(int w, int h, bool keepAspect, double aspect);

// The mouse record: position in 0..1024 across and down the drawing area,
// the last event (1 pressed, 2 dragged, 3 released, 4 moved) and its time.
struct MouseRecord {
    double x = 0, y = 0;
    int event = 0;
    int time = 0;
};

class GraphicsWindow : public StandardWindow, public GraphicsAreaHost {
  public:
    // `textInFront`: the flag the notebook keeps while it is the front
    // window; a plot raises the graphics once and clears it.
    GraphicsWindow(TextWindow& text, InterpreterLink& link, std::atomic<int>& textInFront);
    ~GraphicsWindow() override;

    // --- window events
    // Also paints the picture over the notebook window (coversText).
    void onRedraw(WindowSurface& surface) override;
    void onSized() override;
    void onKey(int event, int character, int key) override;
    void onMouse(int x, int y, int event) override;
    int onClose() override { return 0; }
    void onTimer(int id) override;

    // --- GraphicsAreaHost
    int pictureWidth() override { return areaWidth.load(); }
    int pictureHeight() override { return areaHeight.load(); }
    void layout(bool force) override;
    void show() override;
    void redraw() override;

    // Rebuilds the surface for the current client size (GUI thread); unless
    // forced only when its size changes.
    void layoutGraphicsArea(bool force);
    // Asks for a paint (from any thread; several requests make one): of
    // this window, or of the notebook window while the picture is inside it.
    void repaintSoon();
    // The picture stands over the notebook: drawn inside the notebook
    // window, asked for there, and the notebook not brought back since.
    bool coversText() const {
        return graphicsInTextWindow.load() && graphicsOverText.load() && !textInFront.load();
    }
    // The client size the picture is laid out in: this window's, or the
    // notebook window's while the picture is inside it.
    int areaClientWidth() const;
    int areaClientHeight() const;
    // The surface's size in pixels (the picture's times the factor).
    int getSurfaceWidth() const { return image.width(); }
    int getSurfaceHeight() const { return image.height(); }
    int getAntialiasFactor() const { return factor; }
    DrawingArea getDrawingArea() const { return area; }

    // --- the mouse (the wait mode: 0 none, 1 a click, 2 drag events)
    void setMouseWaitMode(int mode) { mouseWaitMode = mode; }
    MouseRecord getMouseRecord() const;

    // Counts finished paints and raises (tests and benchmarks).
    int getPaintCount() const { return paintCount.load(); }
    int getRaiseCount() const { return raiseCount.load(); }

  private:
    void replayInto();
    // In crop mode a left drag chooses the crop area; (x, y) in pixels of
    // the drawing area.
    void cropMouse(int x, int y, int event);

    TextWindow& text;
    InterpreterLink& link;
    std::atomic<int>& textInFront;

    // Under the "Graphics" lock.
    PixelImage image;
    std::unique_ptr<PixelDevice> device;
    std::unique_ptr<PixelSurface> surface;
    PixelImage reduced;
    int factor = 1;
    DrawingArea area;
    std::atomic<int> areaWidth{0}, areaHeight{0};

    std::unique_ptr<WindowTimer> relayoutTimer;
    std::atomic<int> repaintQueued{0};
    std::atomic<int> paintCount{0};
    std::atomic<int> raiseCount{0};

    std::atomic<double> mouseX{0}, mouseY{0};
    std::atomic<int> mouseEvent{0}, mouseTime{0}, mouseWaitMode{0};
    int dragging = 0;
    bool cropDragging = false;
    int cropAnchorX = 0, cropAnchorY = 0;
};

// The window of the running program (null before it is made).
extern GraphicsWindow* graphicsWindow;

}  // namespace kalix
