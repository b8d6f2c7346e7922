// The export commands of the menu, after their dialogs have stored the
// settings: each saves the notebook and exports it on the save thread, so
// the windows stay responsive while pdflatex runs; opening the result in
// the browser or viewer follows when its setting asks for it.
#pragma once

#include "notebook/notebook_export.h"
#include "notebook/notebook_file_operations.h"

namespace kalix {

// "Export to HTML": save, then "<notebook>.html".
void exportHtmlCommand(NotebookEditor& editor, SaveWorker& worker);
// "Export to Markdown": save, then "<notebook>.md".
void exportMarkdownCommand(NotebookEditor& editor, SaveWorker& worker);
// "Export to PDF": save, then "<notebook>.tex" and, unless "generatelatexfileonly"
// or "disablelatex" is on, pdflatex makes "<notebook>.pdf".
void exportPdfCommand(NotebookEditor& editor, SaveWorker& worker);
// The end of a run-and-export: save to the notebook's own file, then HTML.
void startSaveAndExport(NotebookEditor& editor, SaveWorker& worker);

// The steps after a successful save (`saved` 1); each returns 1 when its
// file was written. `open` 0 keeps the result from being opened.
int exportHtmlAfterSave(NotebookEditor& editor, int saved, int open);
int exportMarkdownAfterSave(NotebookEditor& editor, int saved, int open);
// With `pdf` 0 only the ".tex" file is written.
int exportPdfAfterSave(NotebookEditor& editor, int saved, int pdf);

// Save, then open the exported file in the browser.
void openExportedHtml(NotebookEditor& editor);

}  // namespace kalix
