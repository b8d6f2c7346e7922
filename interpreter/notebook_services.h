// Services of the notebook and help that the interpreter calls: images in
// the notebook, help, the output line length and the function-key texts.
// The text conversions between UTF-8 and the program's code page are in
// shell/text.h.
#pragma once

#include "interpreter/state.h"
#include "shell/text.h"

void clearFunctionKeys();

// Inserts the current graphics after the current command as an image of
// `lineCount` text lines.
// antialias 1; crop rectangle top, bottom, left, right (0, 1, 0, 1 whole).
void insertGraphicsImage(int lineCount, const char* text, int antialias, double top, double bottom,
                         double left, double right);
// Loads a PNG file into the notebook as an image of `lineCount` lines.
void insertImageFile(int lineCount, const char* path, double scale, int mode, const char* text,
                     int flags);
// Help on the name at the scan position (prefix "?? ", command `help`).
// The help installs its handler at start; until then help is not
// available.
void showHelp(int flag);
void setHelpHandler(void (*handler)(int flag));
