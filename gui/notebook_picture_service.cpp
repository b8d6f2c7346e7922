// Pictures of the interpreter in the notebook window, and formulas of
// comments: LaTeX runs away from the GUI thread, Maxima on the computation
// thread, while the window goes on handling its events.
#include "gui/notebook_picture_service.h"

#include <QCoreApplication>
#include <QEventLoop>

#include <atomic>
#include <thread>

#include "gui/dialogs.h"
#include "gui/gui_bridge.h"
#include "gui/text_window.h"
#include "notebook/notebook_pictures.h"
#include "platform/host.h"
#include "platform/latex_render.h"

namespace kalix {

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
std::atomic<int> renderingOnGui{0};

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
    std::thread worker;
    try {
        worker = std::thread([&] {
            result = renderLatexToPng(request, options, stop, keepWaiting);
            done = 1;
            // Wakes the waiting loop.
            postToGui([] {});
        });
    } catch (const std::exception&) {
        return renderLatexToPng(request, options, stop, keepWaiting);  // no thread to be had
    }
    handleEventsUntil([&] { return done.load() != 0; });
    worker.join();
    return result;
}

void handleEventsUntil(const std::function<bool()>& done) {
    // Nested waits (a box asked during the wait) keep the flag up.
    const int outer = renderingOnGui.exchange(1);
    while (!done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    renderingOnGui = outer;
}

LatexResult TextWindow::runLatex(const LatexRequest& request, const LatexOptions& options) {
    return renderFormulaAwayFromGui(request, options, this);
}

std::string TextWindow::maximaTex(const char* expression, int& ok) {
    if (!isGuiThread()) return NotebookHost::maximaTex(expression, ok);
    // A comment updated from a menu or the comment dialog: Maxima is the
    // computation thread's, which waits at its prompt meanwhile.
    std::string answer;
    ok = 0;
    const std::string text = expression;
    std::function<void()> work = [this, text, &answer, &ok] {
        answer = NotebookHost::maximaTex(text.c_str(), ok);
    };
    if (!link.runOnComputationThread(work)) ok = 0;
    return ok ? answer : std::string();
}

}  // namespace kalix
