// The pictures of the windows that the README shows, made of the real
// window driven as the window tests drive it (tests/windows/window_fixture.h).
// They are no tests: main runs the one picture named on its command line
// (scripts/screenshots runs it under Xvfb).
#pragma once

#include <QImage>
#include <QScreen>

#include <string>

#include "gui/graphics_window.h"
#include "window_fixture.h"

namespace kalix {

// The folder named on the command line.
extern std::string screenshotFolder;

class Screenshot : public WindowTest {
  protected:
    // The file of that name in the folder.
    static QString destination(const char* name) {
        return QString::fromStdString(screenshotFolder + "/" + name);
    }

    GraphicsWindow& graphics() { return *host.getGraphicsWindow(); }
    bool graphicsShown() {
        return waitFor([&] { return graphics().getSurfaceWidth() > 0; });
    }
};

}  // namespace kalix
