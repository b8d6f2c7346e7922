#include "gui/window_library.h"

#include "gui/notebook_window_host.h"
#include "gui/qt_pixels.h"

namespace kalix {

const WindowLibrary* kalixWindowLibrary() {
    static const WindowLibrary library{&notebookWindowHost(), &qtPixelBackend()};
    return &library;
}

}  // namespace kalix
