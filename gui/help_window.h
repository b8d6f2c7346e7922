// The help window: a window beside the notebook in which the user types a
// topic and reads the help's answer (HelpWindowModel does the looking up).
// A text field (control 11) bound to the query, the answer read-only below
// it (control 12), a button that opens the documentation page (control
// 13). There is at most one; it is made on first use, hidden by Escape in
// an empty field and forgotten when closed. GUI thread.
#pragma once

#include <string>

class QWidget;

namespace kalix {

void showHelpForWord();         // 7440, F1 on the notebook
void showHelpOverview();        // 7980
void showBrowserHelpForWord();  // 4001, Ctrl+H
// Opens the help window (when there is none) and shows the topic.
void showHelpTopic(const char* topic);
// Opens the help window on the status-line help, or shows it.
void openHelpWindow();

// The window while it exists (tests), else null.
QWidget* helpWindowWidget();

}  // namespace kalix
