// The interpreter's pictures go into the notebook of the text window; LaTeX
// renderings and Maxima never block the GUI thread.
#pragma once

#include <functional>

#include "interpreter/notebook_services.h"
#include "platform/latex_render.h"

namespace kalix {

class TextWindow;
class StandardWindow;

// Makes the service that puts pictures into the window's notebook (null: drops
// it); the window host hands it out as its picture service.
void installNotebookPictureService(TextWindow* window);
// The service made for the window, null when none.
PictureService* notebookPictureService();

// Renders a formula; called on the GUI thread it runs on a thread of its
// own while the GUI keeps handling events. The question after a long wait
// is asked in a box owned by `owner`; Escape ends the programs.
LatexResult renderFormulaAwayFromGui(const LatexRequest& request, const LatexOptions& options,
                                     StandardWindow* owner);
// GUI thread: handles events until `done` holds; keys and the notebook's
// commands wait meanwhile (formulaRendering is 1), Escape is kept.
void handleEventsUntil(const std::function<bool()>& done);
// 1 while the GUI thread waits for a rendering or for Maxima.
int formulaRendering();

}  // namespace kalix
