// Menu commands whose facilities are not in the program yet: each says so
// in a message box ("... is not available yet.") and does nothing else.
// The menu binds them like every other handler, so filling one in is all
// that the facility's arrival needs.
#pragma once

// Shows "<facility> is not available yet." (GUI thread).
void facilityNotAvailableYet(const char* facility);

// --- graphics export, printing, the clipboard and the graphics window
void saveGraphicsPngDialog();
void copyGraphicsBitmap();
void startCropMode();
void saveGraphicsSvgDialog();
void copyGraphicsMetafile();
void printGraphicsDialog();
void saveGraphicsEpsDialog();
void showGraphicsFromMenu();
void toggleGraphicsInTextWindow();
void setAspectDialog();
void toggleAntialias();
void toggleFatterLines();
void toggleBoldFont();
void toggleFullScreen();
void toggleMagnify();
// The graphics window takes new fonts and sizes (nothing without one).
void redrawGraphicsWindow();

// --- the update check
void checkForUpdatesNow();
