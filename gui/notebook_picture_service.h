// The interpreter's pictures go into the notebook of the text window; LaTeX
// renderings never block the GUI thread.
#pragma once

#include "interpreter/notebook_services.h"
#include "platform/latex_render.h"

class TextWindow;
class StandardWindow;

// Makes the window's notebook the place of inserted pictures (null: none).
void installNotebookPictureService(TextWindow* window);

// Renders a formula; called on the GUI thread it runs on a thread of its
// own while the GUI keeps handling events. The question after a long wait
// is asked in a box owned by `owner`; Escape ends the programs.
LatexResult renderFormulaAwayFromGui(const LatexRequest& request, const LatexOptions& options,
                                     StandardWindow* owner);
// 1 while the GUI thread waits for a rendering.
int formulaRendering();
