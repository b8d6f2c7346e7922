// The program's side of the windows' library (gui/window_library.h): opened
// once, on first need, from the program's directory.
#pragma once

namespace kalix {

class WindowHost;
class PixelBackend;

// The notebook window, null (with a message on standard error) when the
// library cannot be opened.
WindowHost* loadedWindowHost();

// A pixel backend that opens the library at the first picture drawn and
// hands everything to the toolkit's; without the library it cannot paint.
PixelBackend& loadingPixelBackend();

}  // namespace kalix
