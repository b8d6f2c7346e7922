// The graphics area: the size of the picture in pixels, its aspect ratio,
// the graphics font and showing the picture. Until a window exists the
// area is headless: 1024 pixels wide, its height from the aspect ratio.
// The graphics window replaces these answers.
#pragma once

constexpr int headlessGraphicsWidth = 1024;

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
