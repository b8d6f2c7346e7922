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

// --- notebook files, exports and documentation
void openNotebookFromMenu();
void openNotebookInUserFiles();
void openExamplesNotebook();
void saveNotebookFromMenu();
void saveNotebookAsFromMenu();
void saveNotebookInUserFiles();
void saveAndZipNotebook();
void deleteNotebookAndFiles();
// Saves the notebook (asks for a name when it has none): 1 when saved.
int saveNotebookNow();
// Saves under a name the user chooses: 1 when saved.
int saveNotebookAsNow();
// Opens a notebook file: with "alwaysrestart" after a restart of the
// interpreter (at its next prompt), else at once.
void openNotebookFile(const char* path);
void exportHtmlDialog();
void exportMarkdownDialog();
void exportPdfDialog();
void openExportedHtml();
void copyDefaultHtmlPattern();
void copyBlackWhiteHtmlPattern();
void copyWebFontHtmlPattern();
void createHtmlDocumentation();
void openSecondWindow();
void openDocumentation();
void openReference();
void openMaximaReference();
void showQuickTips();
void searchWebSite();
void openChangesPage();
void openHomepage();
void checkForUpdatesNow();

// --- help and spelling
void showHelpForWord();
void showHelpOverview();
void showBrowserHelpForWord();
void showHelpTopic(const char* topic);
void runSpellCheck();
void addMarkedWordsFromMenu();
// After a comment changed or a word list was switched: the misspelt words
// are marked again (nothing while there is no spell check).
void markMisspeltWordsAgain();
void wordListsChanged();
