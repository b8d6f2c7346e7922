// The Extras menu's exports: the dialogs that set the export options and
// start the export on the save thread, opening the exported page, the HTML
// pattern files and the HTML documentation of a program file. GUI thread.
#pragma once

namespace kalix {

void exportHtmlDialog();           // 2003
void exportMarkdownDialog();       // 7990
void exportPdfDialog();            // 7401
void openExportedHtml();           // 7040
void copyDefaultHtmlPattern();     // 7610
void copyBlackWhiteHtmlPattern();  // 7611
void copyWebFontHtmlPattern();     // 7612
void createHtmlDocumentation();    // 7020

}  // namespace kalix
