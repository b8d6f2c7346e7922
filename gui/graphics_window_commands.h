// The menu commands of the graphics window: show it, the aspect dialog,
// the toggles that change how it draws (smoothing, fatter lines, a bold
// font), the full-screen layout and the notebook's magnification. Menu
// handlers: GUI thread.
#pragma once

namespace kalix {

void showGraphicsFromMenu();
void toggleGraphicsInTextWindow();
// The picture drawn inside the notebook window (1) or in its own window:
// the screen's "intextwindow" setting, the check mark, the windows shown
// and laid out again.
void setGraphicsInTextWindow(int on);
void setAspectDialog();
void toggleAntialias();
void toggleFatterLines();
void toggleBoldFont();
void toggleFullScreen();
// Back to the windows where the user put them (at the end, so that their
// rectangles are stored).
void leaveFullScreen();
void toggleMagnify();
// The graphics window takes new fonts and sizes (nothing without one).
void redrawGraphicsWindow();

// The aspect dialog's answer: the width / height ratio as entered and
// whether the picture follows the window's shape instead.
struct AspectChoice {
    double aspect = 1;
    bool followWindow = false;
};
// Runs the "Set Aspect" dialog; false when it was cancelled.
bool runAspectDialog(AspectChoice& choice);
// Applies a choice of the dialog: the settings "cropsquare" and "aspect",
// the graphics drawn in their own window, the drawing area laid out again.
void applyAspectChoice(const AspectChoice& choice);

}  // namespace kalix
