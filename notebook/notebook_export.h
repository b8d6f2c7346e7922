// Exports of the notebook: an HTML page, a LaTeX document and a Markdown
// file; and the HTML page that documents a program file. Each export is
// built in memory under the "Text" lock and replaces its file only when it
// was written completely, so a failed export never leaves half a page.
#pragma once

#include <string>

namespace kalix {

class NotebookEditor;
class NotebookHost;

// The settings the exports read (the export dialogs write them).
struct ExportOptions {
    int htmlUtf = 1;             // "htmlutf": UTF-8 with a byte-order mark
    int generateXhtml = 0;       // "generatexhtml"
    int useColors = 1;           // "usecolors"
    int fixLineLength = 1;       // "fixlinelength": a page 700 pixels wide
    int useLargeImages = 1;      // "uselargeimagesforhtml"
    int latexAsMathJax = 0;      // "exportlatexasmathjax"
    int noReformat = 0;          // "noreformat": comments as preformatted text
    int respectFolding = 0;      // "respectfolding" ("respectfoldinglatex" for LaTeX)
    std::string mathJaxAddress;  // "mathjaxaddress": the MathJax script
    int textWindowWidth = 700;   // "wtext": the page is 150 pixels wider without fixlinelength
};

// The options as the settings hold them; `latex` reads the LaTeX export's
// folding setting.
ExportOptions exportOptionsFromSettings(int latex = 0);

// Each returns 1 when the file was written; 0 after a message through the
// editor's host ("Could not open this file!").
int exportHtml(NotebookEditor& editor, const char* path, const ExportOptions& options);
int exportMarkdown(NotebookEditor& editor, const char* path, const ExportOptions& options);
// "kalnb.sty" is copied beside the file from `styleDirectory` (the program
// directory) unless one is there already.
int exportLatex(NotebookEditor& editor, const char* path, const ExportOptions& options,
                const char* styleDirectory);

// The HTML page of a program file, written to its name with ".html"
// appended. 1 when written; 0 after "Could not open\n<path>".
int createHtmlDocumentation(const char* programFile, NotebookHost& host);

// Text for the exports.
std::string escapeHtml(const std::string& text);
// For LaTeX paragraphs and headings.
std::string escapeLatexText(const std::string& text);
// For the environments that keep lines and blanks (output, commands).
std::string escapeLatexVerbatim(const std::string& text);

}  // namespace kalix
