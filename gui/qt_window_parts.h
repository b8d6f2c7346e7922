// The Qt widgets behind a StandardWindow (for the Qt side of the window
// layer only: qt_window.cpp, qt_menus.cpp, qt_dialogs.cpp).
#pragma once

#include <QFont>
#include <QLabel>
#include <QMenuBar>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>
#include <memory>

#include "gui/window.h"

namespace kalix {

class SurfaceWidget;

// The top-level frame: asks its window before it closes and reports
// minimising and maximising.
class FrameWidget : public QWidget {
  public:
    explicit FrameWidget(StandardWindow& owner) : owner(owner) {}

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    StandardWindow& owner;
};

struct WindowParts {
    FrameWidget* frame = nullptr;
    QVBoxLayout* layout = nullptr;
    SurfaceWidget* surface = nullptr;
    QScrollBar* verticalBar = nullptr;
    QScrollBar* horizontalBar = nullptr;
    QLabel* status = nullptr;
    QMenuBar* menuBar = nullptr;
    QTimer* caretBlink = nullptr;
    bool caretPhase = true;
};

// The QString of a text in the program's code page.
QString fromCodePage(const char* text);
// The code-page text of a QString.
std::string toCodePage(const QString& text);
// The window's frame, or null.
QWidget* frameOf(StandardWindow* window);

// Runs `job` on the GUI thread soon, unless `receiver` is gone by then.
void postToObject(QObject* receiver, std::function<void()> job);
// The widget of the window's client area (events go there).
QWidget* clientWidgetOf(StandardWindow* window);

}  // namespace kalix
// A surface over a painter (owner-drawn controls).
class QPainter;

namespace kalix {

std::unique_ptr<WindowSurface> makePainterSurface(QPainter& painter, int width, int height);
// The toolkit's font for a window font (faces through fontconfig).
QFont qtFontOf(const WindowFont& font);

}  // namespace kalix
