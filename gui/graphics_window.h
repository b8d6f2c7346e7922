// The graphics window: shows the current picture. The graphics store draws
// each record at once onto the window's off-screen surface (three times
// larger in each direction while "antialiasgraphics" is on); painting only
// copies or reduces that surface. The window sizes the surface to its
// client area (keeping the aspect ratio while it is fixed), chooses the
// fonts, and turns mouse events into the position and state the mouse
// waits read, or in crop mode into the crop area.
#pragma once

#include <atomic>
#include <memory>

#include "graphics/graphics_area.h"
#include "graphics/pixel_device.h"
#include "gui/window.h"

class PixelSurface;
class TextWindow;
class InterpreterLink;

constexpr const char* graphicsWindowTitle = "Kavrost - Kalixbench - Graphics";

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
    // Asks for a paint (from any thread; several requests make one).
    void repaintSoon();
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
