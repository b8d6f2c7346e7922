// What the three notebook exports share: the text of a file being built,
// the names derived from the export path, image links, line tests that
// look past the mark of a decoded comment line, and the final write.
#pragma once

#include <string>

#include "notebook/notebook_export.h"
#include "notebook/notebook_model.h"

namespace kalix {

// The pieces of an export file.
class ExportText {
  public:
    explicit ExportText(int utf) : utf(utf) {}
    // A text in the program's code page, converted for a UTF-8 file; a text
    // that begins with the UTF-8 mark is UTF-8 already and goes in without
    // the mark.
    void put(const std::string& text);
    // As put, with "&", "<", ">" escaped.
    void putEscaped(const std::string& text) { put(escapeHtml(text)); }
    // Bytes as they are.
    void putRaw(const std::string& text) { data += text; }

    std::string data;

  private:
    int utf;
};

// The text lock for an export's whole run; unless the export respects
// folding, multi-line commands are unfolded for it.
class ExportHold {
  public:
    ExportHold(NotebookEditor& editor, const char* place, int respectFolding)
        : hold(editor, place), editor(editor) {
        if (!respectFolding) oldFolding = editor.setHeldFolding(0);
    }
    ~ExportHold() {
        if (oldFolding >= 0) editor.setHeldFolding(oldFolding);
    }
    ExportHold(const ExportHold&) = delete;
    ExportHold& operator=(const ExportHold&) = delete;

  private:
    TextLockHold hold;
    NotebookEditor& editor;
    int oldFolding = -1;
};

// Names derived from the export path P.
struct ExportNames {
    std::string base;       // P's file name without directory and extension
    std::string directory;  // P's directory with its "/", or ""
    std::string title;      // the base, or the text of a first heading (markup)
    NotebookLine* start;    // the first line to export (after a title heading)
};
ExportNames exportNames(NotebookEditor& editor, const char* path, int markdown);

// The UTF-8 mark of a decoded comment line.
constexpr char utf8Mark[] = "\xEF\xBB\xBF";

// A line's text past the mark of a decoded comment line.
const char* plainText(const NotebookLine* line);
int plainStartsWith(const NotebookLine* line, const char* prefix);
// A comment line with nothing but blanks.
int isBlankComment(const NotebookLine* line);
// A comment line "mathjax: ", or "latex: " when `latexAsMathJax`.
int isFormulaComment(const NotebookLine* line, int latexAsMathJax);
// The line as HTML (markdown 0) or Markdown from `skip` characters past
// its mark on; UTF-8 text keeps the mark, so that ExportText::put takes it
// as it is.
std::string lineMarkup(const NotebookLine* line, int skip, int markdown);
// A command that exports nothing: ">" alone, ">//" or "> //".
int isEmptyCommand(const NotebookLine* line);
// A comment line with a marker that has a block of its own (a heading,
// "---", "** ", "mathjax: ", "latex: ").
int isMarkedComment(const NotebookLine* line);
// A comment line that may continue a block of comment text.
int continuesComment(const NotebookLine* line);
// The last row of the picture that `line` is a row of.
NotebookLine* lastRowOf(NotebookLine* line);

// The file an image row's picture was saved to, relative to the export's
// directory: the file the last save wrote when it lies in that directory,
// else the name the notebook writer gives it. `large` names the large
// variant. With `encode`, blanks and characters that end a link are
// percent-encoded.
std::string imageLink(const NotebookLine* line, const ExportNames& names,
                      const NotebookOptions& options, int large, int encode = 1);
// The image folder beside the export, made when images are saved there.
void makeImageFolder(const ExportNames& names, const NotebookOptions& options);

int fileExists(const std::string& path);
// The page pattern of exports in `directory`: "pattern.html", or the
// "Pattern.html" that the pattern commands copy when there is no
// lower-case one.
std::string patternFile(const std::string& directory);
// Replaces the file by `data` (through a temporary in its folder); 0 when
// it could not be written, the old file then unchanged.
int replaceFile(const std::string& path, const std::string& data);
// replaceFile, or "Could not open this file!" through the editor's host.
int writeExport(NotebookEditor& editor, const char* path, const std::string& data);

// Builds an export with the exporter class under the text lock (its place
// label `place`) and writes it.
template <class Exporter>
int buildAndWrite(NotebookEditor& editor, const char* path, const ExportOptions& options,
                  const char* place) {
    std::string data;
    {
        ExportHold hold(editor, place, options.respectFolding);
        Exporter exporter(editor, path, options);
        data = exporter.build();
    }
    return writeExport(editor, path, data);
}

}  // namespace kalix
