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

// --- notebook files, exports and documentation ----------------------------------------------

void openNotebookFromMenu() { facilityNotAvailableYet("Opening notebooks"); }
void openNotebookInUserFiles() { facilityNotAvailableYet("Opening notebooks"); }
void openExamplesNotebook() { facilityNotAvailableYet("Opening notebooks"); }
void saveNotebookFromMenu() { facilityNotAvailableYet("Saving notebooks"); }
void saveNotebookAsFromMenu() { facilityNotAvailableYet("Saving notebooks"); }
void saveNotebookInUserFiles() { facilityNotAvailableYet("Saving notebooks"); }
void saveAndZipNotebook() { facilityNotAvailableYet("Zipping notebooks"); }
void deleteNotebookAndFiles() { facilityNotAvailableYet("Deleting notebooks"); }

int saveNotebookNow() {
    facilityNotAvailableYet("Saving notebooks");
    return 0;
}

int saveNotebookAsNow() {
    facilityNotAvailableYet("Saving notebooks");
    return 0;
}

void openNotebookFile(const char*) { facilityNotAvailableYet("Opening notebooks"); }
void exportHtmlDialog() { facilityNotAvailableYet("The export to HTML"); }
void exportMarkdownDialog() { facilityNotAvailableYet("The export to Markdown"); }
void exportPdfDialog() { facilityNotAvailableYet("The export to PDF"); }
void openExportedHtml() { facilityNotAvailableYet("The export to HTML"); }
void copyDefaultHtmlPattern() { facilityNotAvailableYet("Copying HTML pattern files"); }
void copyBlackWhiteHtmlPattern() { facilityNotAvailableYet("Copying HTML pattern files"); }
void copyWebFontHtmlPattern() { facilityNotAvailableYet("Copying HTML pattern files"); }
void createHtmlDocumentation() { facilityNotAvailableYet("HTML documentation of program files"); }
void openSecondWindow() { facilityNotAvailableYet("A second window"); }
void openDocumentation() { facilityNotAvailableYet("The documentation"); }
void openReference() { facilityNotAvailableYet("The reference"); }
void openMaximaReference() { facilityNotAvailableYet("The Maxima reference"); }
void showQuickTips() { facilityNotAvailableYet("The quick tips"); }
void searchWebSite() { facilityNotAvailableYet("Searching the web site"); }
void openChangesPage() { facilityNotAvailableYet("The list of changes"); }
void openHomepage() { facilityNotAvailableYet("The home page"); }
void checkForUpdatesNow() { facilityNotAvailableYet("The check for updates"); }

// --- help and spelling ------------------------------------------------------------------------

void showHelpForWord() { facilityNotAvailableYet("The help window"); }
void showHelpOverview() { facilityNotAvailableYet("The help window"); }
void showBrowserHelpForWord() { facilityNotAvailableYet("Help in the browser"); }
void showHelpTopic(const char*) { facilityNotAvailableYet("The help window"); }
void runSpellCheck() { facilityNotAvailableYet("The spell check"); }
void addMarkedWordsFromMenu() { facilityNotAvailableYet("The spell check"); }
void markMisspeltWordsAgain() {}
void wordListsChanged() {}
