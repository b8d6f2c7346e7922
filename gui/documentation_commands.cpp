#include "gui/documentation_commands.h"

#include <string>
#include <vector>

#include "base/base_directory.h"
#include "gui/dialogs.h"
#include "gui/program_launch.h"
#include "platform/child_process.h"
#include "platform/update_check.h"

namespace kalix {

void openDocumentation() { openDocumentationPage("documentation.html"); }
void openReference() { openDocumentationPage("reference/index.html"); }
void openMaximaReference() { openDocumentationPage("reference/maximacore.html"); }
void showQuickTips() { openDocumentationPage("documentation/quicktips.html"); }
void searchWebSite() { openDocumentationPage("search.html"); }
void openChangesPage() { openDocumentationPage("Programs/Changes.html"); }
// The front page of the documentation ("browserdir" may name a web site).
void openHomepage() { openDocumentationPage("index.html"); }

// Another instance of the program that leaves the settings of this one alone.
void openSecondWindow() {
    std::vector<std::string> arguments = {std::string(programDir.getText()) + "kalix", "-second"};
    std::string error;
    if (!startProgram(arguments, std::string(), error))
        showFormattedMessage("Kalix", "Could not open KXW!\nCommand Line was:\n%s",
                             commandLineText(arguments).c_str());
}

void checkForUpdatesNow() { startUpdateCheck(false, reportUpdateCheck); }

}  // namespace kalix
