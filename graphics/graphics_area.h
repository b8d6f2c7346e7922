// The graphics area: the size of the picture in pixels, its aspect ratio,
// the graphics font and showing the picture. Until a window exists the
// area is headless: 1024 pixels wide, its height from the aspect ratio.
// The graphics window replaces these answers (installGraphicsAreaHost).
#pragma once

namespace kalix {

constexpr int headlessGraphicsWidth = 1024;

// The window that shows the picture.
class GraphicsAreaHost {
  public:
    virtual ~GraphicsAreaHost() = default;
    // The picture's size in window pixels.
    virtual int pictureWidth() = 0;
    virtual int pictureHeight() = 0;
    // Lays the drawing area out again (sizes, fonts, the text cell size)
    // and paints the picture anew; unless forced, only when its size
    // changed. From any thread; returns when done.
    virtual void layout(bool force) = 0;
    // Brings the picture to the front (once after the notebook was) and
    // shows what was drawn.
    virtual void show() = 0;
    // Paints the whole picture again from the store and shows it.
    virtual void redraw() = 0;
};
// Null returns to the headless area.
void installGraphicsAreaHost(GraphicsAreaHost* host);

// True while the picture keeps a fixed width / height ratio: set by
// aspect(r), else by the setting "cropsquare".
bool aspectIsFixed();

// Width and height in pixels of the drawing surface.
int getGraphicsWidth();
int getGraphicsHeight();
// The fixed width/height ratio when one is set, else the area's own.
double getAspectRatio();
// 0 returns to the settings; otherwise fixes the ratio (clamped to
// 0.1..10). Returns the previous ratio.
double setGraphicsAspect(double ratio);
// The size of one displayed pixel in virtual-screen units.
void getPixelSize(double* width, double* height);
// n = 0 reloads the line count and font name from the settings and returns
// 40; otherwise stores n clamped to 10..200 and a non-empty name and
// returns the previous line count.
int setGraphicsFont(int n, const char* name);
// Text lines per picture height and the font face of graphics texts.
int graphicsLineCount();
const char* graphicsFontName();
// Lays the area out again: the text cell size follows the font.
void layoutGraphicsArea();

// Brings the picture to the front once a drawing builtin accepted its
// arguments (nothing to show while headless).
void showGraphicsWindow();
// Paints the whole picture again from the store.
void redrawGraphics();

}  // namespace kalix
