// The graphics state the interpreter resets. Drawing does not exist yet,
// so only the state the interpreter itself reads is kept here.
#include "graphics/graphics_state.h"

int holdFlag = 0;
int imageLineCount = 35;

void restoreGraphicsDefaults() { restoreStyleDefaults(); }

void restoreStyleDefaults() { imageLineCount = 35; }

void emitClear() {}
