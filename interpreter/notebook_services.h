// Services of the notebook and help that the interpreter calls: images in
// the notebook, help, the output line length and the function-key texts.
// The text conversions between UTF-8 and the program's code page are in
// base/text.h.
#pragma once

#include <string>

#include "base/text.h"
#include "interpreter/state.h"
#include "platform/host.h"

namespace kalix {

void clearFunctionKeys();

// Inserts the current graphics after the current command as an image of
// `lineCount` text lines.
// antialias 1; crop rectangle top, bottom, left, right (0, 1, 0, 1 whole).
void insertGraphicsImage(int lineCount, const char* text, int antialias, double top, double bottom,
                         double left, double right);
// A picture of columns x rows RGB codes (row by row); 1 when shown.
int insertRgbImage(int lineCount, const char* text, const double* values, int columns, int rows);
// Loads a PNG file into the notebook as an image of `lineCount` lines;
// mode 1 and 2 show it at a third of its size (2 also keeps the full
// size), `formula` (may be null) is attached to it. 1 when it was loaded.
int insertImageFile(int lineCount, const char* path, double scale, int mode, const char* formula,
                    int mathJax);
// The red/cyan anaglyph of two PNG files; 1 when shown. When the two do
// not fit, `message` says why.
int loadAnaglyphImage(int lineCount, const char* left, const char* right, std::string& message);
// Asked while an outside program runs longer than expected: 1 waits on.
int askKeepWaiting(const char* question);

// The operations above go to the installed host's PictureService
// (platform/host.h); without one (the terminal) pictures are only checked,
// not shown.

// Help on the name at the scan position (prefix "?? ", command `help`).
// The help installs its handler at start; until then help is not
// available.
void showHelp(int flag);
void setHelpHandler(void (*handler)(int flag));

}  // namespace kalix
