// The graphics state the interpreter resets: plot window, clip and screen
// rectangles, style defaults, the hold flag and the image size of pictures
// inserted into the notebook.
#pragma once

// Keeps the current picture for the next plot.
extern int holdFlag;
// Text lines an inserted graphics image takes.
extern int imageLineCount;

// Plot window (-1, 1, -1, 1), clip rectangle and screen window, then the
// style defaults. At every interpreter start and by `resetgraphics`.
void restoreGraphicsDefaults();
// Line style, colours, markers, widths, fills, 3D view; after a failed
// statement.
void restoreStyleDefaults();
// Clears the current graphics (command `clg`).
void emitClear();
