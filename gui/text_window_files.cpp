// What the notebook's file commands ask of the window: questions, the
// notebook file chooser, the windows refusing input while the save thread
// writes, and the steps that follow a save on the GUI thread.
#include <QApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QWidget>

#include <memory>
#include <vector>

#include "gui/dialogs.h"
#include "gui/gui_bridge.h"
#include "gui/program_launch.h"
#include "gui/qt_window_parts.h"
#include "gui/text_window.h"

namespace kalix {

void TextWindow::showTitledMessage(const char* text, const char* title) {
    kalix::showMessage(text, title);
}

int TextWindow::askYesNo(const char* text, const char* title, int unattended) {
    // Nobody can be asked while the windows do not run.
    if (!isGuiRunning()) return unattended;
    return kalix::askYesNo(text, title, this) == answerYes;
}

std::string TextWindow::chooseNotebookFile(const char* folder) {
    if (!isGuiRunning()) return std::string();
    saveNotebookSelector.setSelectorDirectory(folder ? folder : "");
    return saveNotebookSelector.chooseFile(this);
}

namespace {

// Holds the keys typed into the notebook while a save runs and swallows
// its clicks; the keys are typed in order once the save is done. The
// notebook keeps the focus meanwhile, so nothing typed is lost. GUI thread.
class KeyHolder : public QObject {
  public:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
            case QEvent::KeyPress:
            case QEvent::KeyRelease:
                held.emplace_back(static_cast<QKeyEvent*>(event)->clone());
                return true;
            case QEvent::ShortcutOverride:
            case QEvent::MouseButtonPress:
            case QEvent::MouseButtonRelease:
            case QEvent::MouseButtonDblClick:
            case QEvent::Wheel:
                return true;
            default:
                return false;
        }
    }
    void release(QWidget* client) {
        for (std::unique_ptr<QKeyEvent>& key : held)
            QCoreApplication::postEvent(client, key.release());
        held.clear();
    }

  private:
    std::vector<std::unique_ptr<QKeyEvent>> held;
};

KeyHolder* keyHolder = nullptr;  // GUI thread

}  // namespace

// The notebook and its menu take no commands while a save runs; the frame
// stays enabled, so the choosers and questions a save job asks stay
// usable. Keys typed meanwhile are kept and typed after the save.
void TextWindow::setWindowsEnabled(int flag) {
    postToWindow([this, flag] {
        if (parts().menuBar) parts().menuBar->setEnabled(flag != 0);
        QWidget* client = clientWidgetOf(this);
        if (!client) return;
        if (!keyHolder) keyHolder = new KeyHolder;
        if (!flag) {
            client->installEventFilter(keyHolder);
            return;
        }
        client->removeEventFilter(keyHolder);
        if (isActiveWindow() && !QApplication::activeModalWidget()) client->setFocus();
        keyHolder->release(client);
    });
}

void TextWindow::runOnGuiThread(const std::function<void()>& action) {
    if (isGuiThread() || !sendToGui(action)) action();
}

void TextWindow::openInBrowser(const char* page) { kalix::openInBrowser(page); }

}  // namespace kalix
