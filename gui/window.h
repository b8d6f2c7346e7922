// The window layer: top-level windows that receive their events as calls of
// virtual operations with small integer codes (keys, mouse, scroll bars,
// timers, sizes, user messages), the caret, the surfaces painted on and the
// off-screen images painted into. Qt stays behind this header (the qt_*.cpp
// files of this folder); windows built on it never see Qt.
//
// Everything here runs on the GUI thread; other threads reach it through
// gui/gui_bridge.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "graphics/colors.h"

namespace kalix {

// --- events -------------------------------------------------------------------------

// onKey's first argument: bit 1 key released, 2 key pressed or character,
// 4 virtual key, 8 character.
enum KeyEvent : int {
    keyEventReleased = 5,
    keyEventPressed = 6,
    keyEventCharacter = 10,
};

// onKey's virtual keys: keys that type no character (Return, Escape, Tab
// and the printable keys arrive as characters 13, 27, 9, ...).
enum WindowKey : int {
    windowKeyNone = 0,
    windowKeyShift,
    windowKeyControl,
    windowKeyUp,
    windowKeyDown,
    windowKeyLeft,
    windowKeyRight,
    windowKeyHome,
    windowKeyEnd,
    windowKeyPageUp,
    windowKeyPageDown,
    windowKeyInsert,
    windowKeyDelete,
    windowKeyBackspace,
    windowKeyCancel,  // Ctrl+Break
    windowKeyF1,      // F1 .. F12 follow one after another
    windowKeyF12 = windowKeyF1 + 11,
    windowKeyOther,
};

// onMouse's events.
enum MouseEvent : int {
    mouseLeftUp = 0,
    mouseLeftDown = 1,
    mouseLeftDouble = 2,
    mouseRightUp = 3,
    mouseRightDown = 4,
    mouseRightDouble = 5,
    mouseMiddleUp = 6,
    mouseMiddleDown = 7,
    mouseMiddleDouble = 8,
    mouseMove = 9,
};

// onScroll's bars and codes; a wheel notch is six vertical line steps.
enum ScrollBarKind : int { scrollHorizontal = 0x100000, scrollVertical = 0x200000 };
enum ScrollCode : int {
    scrollLineUp = 0,
    scrollLineDown = 1,
    scrollPageUp = 2,
    scrollPageDown = 3,
    scrollThumb = 4,
};

// onSizeState's states.
enum SizeState : int { sizeRestored = 0, sizeMinimized = 1, sizeMaximized = 2 };

// --- fonts, images, surfaces -----------------------------------------------------------

// A font by face and cell height (ascent plus descent) in pixels; weight 400
// normal, 700 bold. Faces reach installed fonts through fontconfig.
struct WindowFont {
    std::string face;
    int height = 16;
    int weight = 400;
    bool operator==(const WindowFont&) const = default;
};

// Sizes of a font: its cell, ascent and the advance of each byte of the
// program's code page; texts are measured on any thread.
struct FontMeasure {
    WindowFont font;
    int height = 0;
    int ascent = 0;
    int widths[256] = {};
    // The width of the first `length` bytes of a text of the code page as
    // drawn: whole characters (UTF-8 in code page 65001 and after the
    // marker bytes EF BB BF, which take no room).
    int width(const char* text, int length) const;
};
FontMeasure measureFont(const WindowFont& font);

// Pixels to draw; shared by whoever shows them.
class WindowImage {
  public:
    virtual ~WindowImage() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
};
// A PNG (or any image format the toolkit reads) from its bytes; null when
// the bytes are no readable image.
std::shared_ptr<WindowImage> decodeImage(const std::string& bytes);

// What a window paints on. Texts are UTF-8; a text's y is the top of its
// cell.
class WindowSurface {
  public:
    virtual ~WindowSurface() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    virtual void fill(int x, int y, int w, int h, Rgb colour) = 0;
    virtual void setFont(const WindowFont& font) = 0;
    virtual int textWidth(const std::string& text) = 0;
    virtual void drawText(int x, int y, const std::string& text, Rgb colour) = 0;
    // With the cell behind the text filled in `background`.
    virtual void drawTextOpaque(int x, int y, const std::string& text, Rgb colour,
                                Rgb background) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, Rgb colour) = 0;
    // The image scaled to w x h.
    virtual void drawImage(const WindowImage& image, int x, int y, int w, int h) = 0;
    // Pixels 0xffRRGGBB, rows top-down, scaled to w x h.
    virtual void drawPixels(const uint32_t* /*pixels*/, int /*width*/, int /*height*/, int /*x*/,
                            int /*y*/, int /*w*/, int /*h*/) {}
    virtual void setClip(int x, int y, int w, int h) = 0;
    virtual void resetClip() = 0;
};

// An off-screen image with a surface to paint into it.
class OffscreenImage : public WindowImage {
  public:
    static std::unique_ptr<OffscreenImage> make(int width, int height);
    // Painting into the image; one surface at a time, ended by its deletion.
    virtual std::unique_ptr<WindowSurface> paint() = 0;
    // The colour of one pixel (for tests and benchmarks).
    virtual Rgb pixel(int x, int y) const = 0;
    // Writes the image as a PNG file; false on failure.
    virtual bool savePng(const char* path) const = 0;
};

// --- windows --------------------------------------------------------------------------

struct WindowStyle {
    bool verticalBar = false;
    bool horizontalBar = false;
    bool statusBar = false;
};

class Menu;
class StatusBar;
struct WindowParts;  // the toolkit's widgets

class StandardWindow {
  public:
    // Title in the program's code page; width and height of the client
    // area (0: the toolkit's choice). The window exists hidden.
    StandardWindow(const char* title, int width, int height, WindowStyle style);
    virtual ~StandardWindow();
    StandardWindow(const StandardWindow&) = delete;
    StandardWindow& operator=(const StandardWindow&) = delete;

    // --- what subclasses override (defaults do nothing)
    // Paint the client area; the caret is drawn over it afterwards.
    virtual void onRedraw(WindowSurface&) {}
    // The client width or height changed.
    virtual void onSized() {}
    virtual void onMinimized() {}
    virtual void onSizeState(int) {}
    // A character arrives as its code: a code point in code page 65001,
    // else its byte in the code page; one event for each character.
    virtual void onKey(int /*event*/, int /*character*/, int /*key*/) {}
    // Client coordinates less the offsets.
    virtual void onMouse(int /*x*/, int /*y*/, int /*event*/) {}
    // A close request; nonzero ends the message loop (the window stays).
    virtual int onClose() { return 1; }
    virtual void onUserMessage(int /*code*/, const char* /*text*/) {}
    virtual void onTimer(int /*id*/) {}
    virtual void onScroll(int /*bar*/, int /*code*/, int /*position*/) {}
    // Fill the client area in a colour, or in the toolkit's window colour.
    virtual void clearWindow(Rgb colour);
    virtual void eraseWindow();

    // --- operations
    void showWindow();
    void hideWindow();
    // Shown, or kept hidden when the start-hidden flag is set.
    void showAtStart();
    void setStartHidden(int flag) { startHidden = flag; }
    // Brings the window to the front and gives it the keyboard.
    void raiseWindow();
    bool isActiveWindow() const;
    bool isVisible() const;
    // Paints at once; invalidateWindow paints at the next chance.
    void redrawNow();
    void invalidateWindow();
    // Bar position 0..100.
    void setScrollPosition(int bar, int position);
    void setMinimumClientSize(int width, int height);
    void setTitle(const char* title);
    const std::string& getTitle() const { return title; }
    int getClientWidth() const { return clientWidth; }
    int getClientHeight() const { return clientHeight; }
    int getXOffset() const { return 0; }
    int getYOffset() const { return 0; }
    int hasClientOffset() const { return 0; }
    // Screen rectangle with the frame.
    void getWindowRectangle(int& x, int& y, int& width, int& height) const;
    // sizeRestored, sizeMinimized or sizeMaximized (also for a window the
    // window manager shows full screen).
    int getSizeState() const;
    // Without frame and menu bar (0) or with them again (1); the
    // accelerators stay.
    void setFrameAndMenuShown(int shown);
    void setWindowRectangle(int x, int y, int width, int height);
    // The placement kept between runs: the frame's position and the size
    // inside the frame, which the toolkit gives back exactly even before
    // the window shows (the frame's own size is known only after that).
    void getPlacement(int& x, int& y, int& width, int& height) const;
    void setPlacement(int x, int y, int width, int height);
    // The size with the frame, the position left to the window manager.
    void resizeWindow(int width, int height);
    void getWindowSize(int& width, int& height) const;

    // The caret: wanted by windows that show one; drawn while the window
    // has the keyboard and the caret is shown.
    void setCaretWanted(int flag);
    void moveCaret(int x, int y);
    void resizeCaret(int width, int height);
    void showCaret();
    void hideCaret();
    int isCaretShown() const { return caretShown; }
    int getCaretX() const { return caretX; }
    int getCaretY() const { return caretY; }

    // Runs `job` on the GUI thread soon (from any thread); dropped when the
    // window is gone by then.
    void postToWindow(std::function<void()> job);
    // Calls onUserMessage on the GUI thread (from any thread); `send` waits
    // until it ran, post does not.
    void sendUserMessage(int code, const char* text = nullptr);
    void postUserMessage(int code, const char* text = nullptr);

    Menu* getMenu() const { return menu; }
    StatusBar* getStatusBar() const { return statusBar; }
    WindowParts& parts() { return *widgets; }

  private:
    friend class Menu;
    friend class StatusBar;
    friend class SurfaceWidget;

    std::unique_ptr<WindowParts> widgets;
    Menu* menu = nullptr;
    StatusBar* statusBar = nullptr;
    std::string title;
    int clientWidth = 0;
    int clientHeight = 0;
    int startHidden = 0;
    int caretWanted = 0, caretShown = 0;
    int caretX = 0, caretY = 0, caretWidth = 1, caretHeight = 8;
};

// The keyboard modifiers of the event being handled.
int isShiftDown();
int isControlDown();
// The Shift key's state now, whatever event is handled (GUI thread).
int queryShiftKey();

// A timer of a window: ticks arrive as onTimer(id) until it is deleted.
class WindowTimer {
  public:
    WindowTimer(StandardWindow& window, int milliseconds, int id);
    ~WindowTimer();
    WindowTimer(const WindowTimer&) = delete;
    WindowTimer& operator=(const WindowTimer&) = delete;

  private:
    struct Ticker;
    std::unique_ptr<Ticker> ticker;
};

// --- the clipboard (GUI thread) ------------------------------------------------------------

void putClipboardText(const std::string& utf8);
std::string clipboardText();
void putClipboardImage(const WindowImage& image);
// The picture on the clipboard, or null.
std::shared_ptr<WindowImage> clipboardImage();

// --- the application ------------------------------------------------------------------

// Makes the toolkit's application for the windows (once, on the main
// thread); false when no display could be opened.
bool initApplication(int argc, char** argv);
// Runs the message loop until postQuitMessage; returns its code.
int runMessageLoop();
void postQuitMessage(int code);
// 1 from initApplication until the message loop has ended: jobs sent to
// the GUI thread will run.
int isGuiRunning();
// The size of the screen's work area (without panels).
void getScreenWorkArea(int& width, int& height);

}  // namespace kalix
