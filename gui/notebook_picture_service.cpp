// Pictures of the interpreter in the notebook window, and formulas of
// comments rendered by LaTeX away from the GUI thread.
#include "gui/notebook_picture_service.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <thread>

#include "graphics/colors.h"
#include "notebook/notebook_pictures.h"
#include "platform/host.h"
#include "platform/latex_render.h"
#include "base/settings.h"
#include "gui/dialogs.h"
#include "gui/gui_bridge.h"
#include "gui/text_window.h"

namespace {

// The window's notebook; the question after a long wait in a box.
class WindowPictureService : public EditorPictureService {
  public:
    explicit WindowPictureService(TextWindow& window)
        : EditorPictureService(window.getEditor()), window(window) {}
    int askKeepWaiting(const char* question) override {
        return askYesNo(question, "KXW", &window) == answerYes;
    }

  private:
    TextWindow& window;
};

std::unique_ptr<WindowPictureService> service;
std::atomic<int> latexMissingShown{0};
std::atomic<int> renderingOnGui{0};

LatexColour latexColourOf(const RgbColor& c) {
    return LatexColour{c.redOf(), c.greenOf(), c.blueOf()};
}

}  // namespace

int formulaRendering() { return renderingOnGui.load(); }

void installNotebookPictureService(TextWindow* window) {
    if (!window) {
        service.reset();
        return;
    }
    service = std::make_unique<WindowPictureService>(*window);
}

PictureService* notebookPictureService() { return service.get(); }

LatexResult renderFormulaAwayFromGui(const LatexRequest& request, const LatexOptions& options,
                                     StandardWindow* owner) {
    auto keepWaiting = [owner](const char* question) {
        return askYesNo(question, "KXW", owner) == answerYes;
    };
    auto stop = [] { return checkEscape() != 0; };
    if (!isGuiThread()) return renderLatexToPng(request, options, stop, keepWaiting);
    // On the GUI thread the rendering runs on a thread of its own while the
    // window goes on handling its events (Escape, repaints, the question).
    LatexResult result;
    std::atomic<int> done{0};
    std::thread worker([&] {
        result = renderLatexToPng(request, options, stop, keepWaiting);
        done = 1;
        // Wakes the waiting loop below.
        postToGui([] {});
    });
    renderingOnGui = 1;
    while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    renderingOnGui = 0;
    worker.join();
    return result;
}

std::string TextWindow::renderFormula(const char* formula, int, int fontSize) {
    LatexRequest request;
    request.formula = formula;
    request.scaleWithFont = intSetting("latexmagnify");
    request.fontSize = fontSize;
    if (intSetting("latextransparent") >= 1) {
        request.transparent = 1;
    } else {
        request.background = latexColourOf(textColors[4]);
    }
    if (intSetting("latexgreen")) {
        request.hasForeground = 1;
        request.foreground = latexColourOf(textColors[2]);
    }
    LatexResult result = renderFormulaAwayFromGui(request, latexOptionsFromSettings(), this);
    noteDeclinedWait(result);
    if (!result.png.empty()) latexMissingShown = 0;
    if (result.png.empty() && !result.message.empty()) reportLatexFailure(result);
    return result.png;
}

void TextWindow::reportLatexFailure(const LatexResult& result) {
    // A missing LaTeX is said once (until LaTeX is found again); every
    // formula of a notebook would otherwise ask for the same box.
    if (result.latexMissing && latexMissingShown.exchange(1)) return;
    if (!result.latexMissing) latexMissingShown = 0;
    ::showMessage(result.message.c_str(), "Kalix");
}
