// The Help menu's pages in the browser and the second window of the File
// menu. GUI thread.
#pragma once

namespace kalix {

void openDocumentation();    // 6801
void openReference();        // 6003
void openMaximaReference();  // 6860
void showQuickTips();        // 6035
void searchWebSite();        // 7010
void openChangesPage();      // 7030
void openHomepage();         // 7981, and the about box's "Visit Homepage"
void openSecondWindow();     // 7930
void checkForUpdatesNow();   // 7201: says what it finds, on its own thread

}  // namespace kalix
