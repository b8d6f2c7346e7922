// Common dialogs and message boxes: file choosers with fixed titles, filters
// and default extensions that remember the last choice, the folder chooser,
// the colour chooser, and the message-box family. Texts are in the program's
// code page. Each may be called from any thread: from another thread it runs
// on the GUI thread through the bridge while the caller waits (never while
// the caller holds the "Text" or "Graphics" lock: the box is then not shown
// and the answer is the cautious one).
#pragma once

#include <string>
#include <vector>

#include "graphics/colors.h"
#include "gui/window.h"

namespace kalix {

class StandardWindow;

// Answers of the message boxes.
enum MessageAnswer : int { answerOk = 1, answerCancel = 2, answerYes = 6, answerNo = 7 };

void showMessage(const char* text, const char* title);
void showFormattedMessage(const char* title, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void showWarningBox(const char* text, const char* title, StandardWindow* owner = nullptr);
// answerYes or answerNo (answerNo when the box cannot be shown).
int askYesNo(const char* text, const char* title, StandardWindow* owner = nullptr);
// answerYes, answerNo or answerCancel (answerCancel when it cannot be shown).
int askYesNoCancel(const char* text, const char* title, StandardWindow* owner = nullptr);

// The permission question with "Yes", "No" and "In this Notebook": an
// AllowAnswer of platform/allow_question.h (allowNo when it cannot be shown).
int askAllowBox(const char* question, StandardWindow* owner = nullptr);

// One open or save dialog. The filter is pairs of description and
// patterns ("Kalix Files", "*.k", "All Files", "*.*"), closed by null.
class FileSelector {
  public:
    FileSelector(StandardWindow* owner, const char* fileName, int save, const char* title,
                 const char* extension, const char* const* filter);

    // The chosen file, or "" when cancelled (the last choice is kept and
    // offered next time).
    std::string chooseFile(StandardWindow* owner = nullptr);
    // A folder, starting in the selector's directory; "" when cancelled.
    std::string chooseFolder(StandardWindow* owner = nullptr);
    void setSelectorDirectory(const char* directory) { directory_ = directory; }
    void setSelectorFileName(const char* name) { fileName = name ? name : ""; }
    const std::string& getFileName() const { return fileName; }
    const std::string& getTitle() const { return title; }
    const std::string& getExtension() const { return extension; }
    // The filter as the toolkit writes it ("Kalix Files (*.k);;All Files (*)").
    std::string filterText() const;

  private:
    StandardWindow* owner;
    std::string fileName;
    int save;
    std::string title;
    std::string extension;
    const char* const* filter;
    std::string directory_;
};

extern FileSelector loadProgramSelector;
extern FileSelector loadNotebookSelector;
extern FileSelector savePngSelector;
extern FileSelector saveEditorSelector;
extern FileSelector exportHtmlSelector;
extern FileSelector saveNotebookSelector;
extern FileSelector saveEpsSelector;
extern FileSelector saveSvgSelector;
extern FileSelector browserExeSelector;
extern FileSelector loadEditorSelector;
extern FileSelector printPdfSelector;

// The colour chooser: `chosen` 1 when the user chose, 2 when cancelled (the
// colour is then the initial one).
struct ColorChoice {
    Rgb colour;
    int result;
};
ColorChoice pickColor(StandardWindow* owner, Rgb initial);

// The font chooser, starting on `initial`: fixed-pitch faces only, or any
// scalable face. `height` is the chosen font's cell in pixels; `result` 1
// when the user chose, 2 when cancelled (face and height are then the
// initial ones).
struct FontChoice {
    std::string face;
    int height;
    int result;
};
FontChoice pickFont(StandardWindow* owner, const WindowFont& initial, int fixedPitchOnly);

// The names of the printers the system knows, and its default printer
// ("" when there is none).
std::vector<std::string> printerNames();
std::string defaultPrinterName();

}  // namespace kalix
