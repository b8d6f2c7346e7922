// The entry of the windows' library (libkalix-windows.so beside the
// program). The program opens the library when its windows open or when a
// picture is first drawn in pixels, so that a start on the terminal does
// not load the window toolkit. The library holds the window layer alone:
// the layers below it are the program's own, found in the program.
#pragma once

namespace kalix {

class WindowHost;
class PixelBackend;

struct WindowLibrary {
    WindowHost* host;      // the notebook window
    PixelBackend* pixels;  // pixel devices painted with the toolkit
};

constexpr const char* windowLibraryFile = "libkalix-windows.so";
constexpr const char* windowLibraryEntry = "kalixWindowLibrary";

extern "C" const WindowLibrary* kalixWindowLibrary();

}  // namespace kalix
