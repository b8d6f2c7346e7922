// What the notebook's file commands ask of the window: questions, the
// notebook file chooser, the windows refusing input while the save thread
// writes, and the steps that follow a save on the GUI thread.
#include <QMenuBar>
#include <QWidget>

#include "gui/dialogs.h"
#include "gui/gui_bridge.h"
#include "gui/program_launch.h"
#include "gui/qt_window_parts.h"
#include "gui/text_window.h"

void TextWindow::showTitledMessage(const char* text, const char* title) {
    ::showMessage(text, title);
}

int TextWindow::askYesNo(const char* text, const char* title, int unattended) {
    // Nobody can be asked while the windows do not run.
    if (!isGuiRunning()) return unattended;
    return ::askYesNo(text, title, this) == answerYes;
}

std::string TextWindow::chooseNotebookFile(const char* folder) {
    if (!isGuiRunning()) return std::string();
    saveNotebookSelector.setSelectorDirectory(folder ? folder : "");
    return saveNotebookSelector.chooseFile(this);
}

// The notebook and its menu refuse input; the frame stays enabled, so the
// choosers and questions a save job asks stay usable.
void TextWindow::setWindowsEnabled(int flag) {
    postToWindow([this, flag] {
        if (QWidget* client = clientWidgetOf(this)) client->setEnabled(flag != 0);
        if (parts().menuBar) parts().menuBar->setEnabled(flag != 0);
    });
}

void TextWindow::runOnGuiThread(const std::function<void()>& action) {
    if (isGuiThread() || !sendToGui(action)) action();
}

void TextWindow::openInBrowser(const char* page) { ::openInBrowser(page); }
