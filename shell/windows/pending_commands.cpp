#include "shell/windows/pending_commands.h"

#include <string>

#include "shell/windows/dialogs.h"

void facilityNotAvailableYet(const char* facility) {
    std::string text = std::string(facility) + " is not available yet.";
    showMessage(text.c_str(), "Kalix");
}

// --- graphics -------------------------------------------------------------------------------

void saveGraphicsPngDialog() { facilityNotAvailableYet("Saving the graphics as PNG"); }
void copyGraphicsBitmap() { facilityNotAvailableYet("Copying the graphics to the clipboard"); }
void startCropMode() { facilityNotAvailableYet("Cropping the graphics"); }
void saveGraphicsSvgDialog() { facilityNotAvailableYet("Saving the graphics as SVG"); }
void copyGraphicsMetafile() { facilityNotAvailableYet("Copying the graphics to the clipboard"); }
void printGraphicsDialog() { facilityNotAvailableYet("Printing the graphics"); }
void saveGraphicsEpsDialog() { facilityNotAvailableYet("Saving the graphics as Postscript"); }
void showGraphicsFromMenu() { facilityNotAvailableYet("The graphics window"); }
void toggleGraphicsInTextWindow() { facilityNotAvailableYet("Graphics in the text window"); }
void setAspectDialog() { facilityNotAvailableYet("Setting the aspect of the graphics"); }
void toggleAntialias() { facilityNotAvailableYet("Antialiasing the graphics window"); }
void toggleFatterLines() { facilityNotAvailableYet("Fatter lines in the graphics window"); }
void toggleBoldFont() { facilityNotAvailableYet("A bold font in the graphics window"); }
void toggleFullScreen() { facilityNotAvailableYet("The full screen layout"); }
void toggleMagnify() { facilityNotAvailableYet("Magnifying for presentations"); }
void redrawGraphicsWindow() {}

// --- the update check ------------------------------------------------------------------------

void checkForUpdatesNow() { facilityNotAvailableYet("The check for updates"); }
