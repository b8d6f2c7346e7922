// Starting other programs from the windows (the browser, the external
// editor): without a shell, without waiting, detached from the program.
#pragma once

#include <string>

namespace kalix {

// The system's opener of web addresses (xdg-open on the search path), ""
// when there is none.
std::string registeredBrowser();
// The browser: "browserstring", else the registered one.
std::string systemBrowser();
// Opens a page in the browser: an address ("http...", "file..."), a help
// reference ("See: name | label"), or a page of the documentation (below
// "browserdir", else the program's "docs/" folder).
void openInBrowser(const char* page);
// A help button: opens the documentation page, or says that it is missing.
void openDocumentationPage(const char* page);

}  // namespace kalix
