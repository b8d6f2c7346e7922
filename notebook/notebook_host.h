// What the notebook asks of the window that shows it: text metrics, the
// options it reads from the settings, and notifications. The notebook has
// no window of its own; a window fills these in, tests use fixed values.
//
// Every host call may come from any thread and while the "Text" lock is
// held, so none may wait for the GUI thread: a window posts them on. The
// one exception, showMessage, is always called after the lock was left.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "platform/latex_render.h"

namespace kalix {

class NotebookPicture;

// Sizes in pixels of the text font of the notebook and of its text area.
class NotebookMetrics {
  public:
    virtual ~NotebookMetrics() = default;
    // Height of one text row.
    virtual int lineHeight() = 0;
    // Height of the text area.
    virtual int visibleHeight() = 0;
    // Width of the text area.
    virtual int clientWidth() = 0;
    // Width of the first `length` bytes of a line's text as drawn in the
    // notebook font (the marker bytes EF BB BF of UTF-8 take no room).
    virtual int textWidth(const char* text, int length) = 0;
    // Width of one full text line (the widest a picture may be is 0.8 of it).
    virtual int textPixelWidth() = 0;
};

// Every character as wide as every other (a UTF-8 sequence is one
// character where the text holds UTF-8); a text area of fixed size.
class FixedMetrics : public NotebookMetrics {
  public:
    int rowHeight = 20;
    int characterWidth = 8;
    int areaHeight = 600;
    int areaWidth = 600;
    int fullLineWidth = 500;

    int lineHeight() override { return rowHeight; }
    int visibleHeight() override { return areaHeight; }
    int clientWidth() override { return areaWidth; }
    int textWidth(const char* text, int length) override;
    int textPixelWidth() override { return fullLineWidth; }
};

// The settings the notebook acts on, read when they are needed.
struct NotebookOptions {
    int utf = 1;                    // "utf": notebook files in UTF-8 with mark
    int imagesInDirectory = 1;      // "imagesindirectory": images in "images/"
    int saveImages = 1;             // "saveimages"
    int foldAllMultilines = 0;      // "foldallmultilines"
    int disableLatex = 0;           // "disablelatex"
    int displayMathjaxAsLatex = 1;  // "displaymathjaxaslatex"
    int latexAntialias = 1;         // "latexantialias"
    int latexKeepLarge = 1;         // "latexkeeplarge"
    int magnifyMode = 0;            // pictures drawn 1.2 times larger
};

// Reads NotebookOptions from the settings store.
NotebookOptions notebookOptionsFromSettings();

class NotebookHost {
  public:
    virtual ~NotebookHost() = default;

    virtual NotebookOptions options() { return notebookOptionsFromSettings(); }

    // The notebook needs repainting.
    virtual void invalidate() {}
    // The changed flag took a new value (the title shows it).
    virtual void changedFlagShown(int) {}
    // The file path of the notebook changed (the title names it).
    virtual void filePathChanged(const char*) {}
    // The scroll position changed (the bars follow it).
    virtual void scrollChanged() {}
    virtual void showStatus(const char*) {}
    // A message box titled "Kalix"; called after the text lock was left.
    virtual void showMessage(const char*) {}
    // Text in the program's code page, lines ended by "\r\n".
    virtual void setClipboardText(const char*) {}
    virtual void setClipboardPicture(const NotebookPicture&) {}
    // Lets the waiting interpreter take the cursor line.
    virtual void resumeInterpreter() {}
    // Brings the notebook to the front (when it is not).
    virtual void showTextWindow() {}
    // Tab outside a function: the graphics to the front, or the notebook
    // back when the graphics are in front.
    virtual void toggleGraphicsWindow() {}
    virtual void stopStatusHelpTimer() {}
    // A notebook's first line names a Maxima mode (1 compatibility, 2 direct).
    virtual void setMaximaMode(int) {}

    // A picture from an image file; null when it cannot be read. The default
    // keeps the PNG file's bytes.
    virtual std::shared_ptr<NotebookPicture> loadPicture(const char* path);
    // Renders a formula (size, colours and background from the settings)
    // into a PNG file of its own and returns its path; empty when nothing
    // was rendered, after a message box said why. `unavailable` (when
    // given) is 1 when LaTeX could not run at all (missing, stopped), not
    // for an error in the formula. The caller removes the file once it has
    // read it.
    std::string renderFormula(const char* formula, int mathJax, int fontSize,
                              int* unavailable = nullptr);
    // Runs latex and dvipng for renderFormula; Escape stops them, a long
    // wait asks whether to wait on. A window runs them away from its GUI
    // thread.
    virtual LatexResult runLatex(const LatexRequest& request, const LatexOptions& options);
    // Maxima's whole answer to "tex(" expression ");"; ok 0 when Maxima
    // could not answer (it cannot start, it was stopped). Maxima belongs
    // to the computation thread: the default runs there, nothing of the
    // exchange is printed and the error code is left as it was.
    virtual std::string maximaTex(const char* expression, int& ok);

    // --- the file commands and the exports ------------------------------
    // A message box with its own title; called after the text lock was left.
    virtual void showTitledMessage(const char* text, const char*) { showMessage(text); }
    // A Yes/No question (1 Yes); `unattended` is the answer when nobody can
    // be asked.
    virtual int askYesNo(const char*, const char*, int unattended) { return unattended; }
    // The notebook file to save to, chosen by the user ("*.kn"); "" when
    // cancelled or nobody can be asked.
    virtual std::string chooseNotebookFile(const char*) { return std::string(); }
    // Both windows refuse input while a save job runs (0) and take it again
    // afterwards (1).
    virtual void setWindowsEnabled(int) {}
    // Runs an action on the GUI thread and returns when it has run.
    virtual void runOnGuiThread(const std::function<void()>& action) { action(); }
    // Opens a page ("http..." or "file://...") in the browser: the setting
    // "browserstring", else the desktop's choice; without waiting.
    virtual void openInBrowser(const char* page);
    // Opens a file with the desktop's program for its kind, without waiting;
    // nothing when there is none.
    virtual void openWithViewer(const char* path);
};

}  // namespace kalix
