#include "gui/file_menu_commands.h"

#include <memory>
#include <mutex>
#include <string>

#include "base/base_directory.h"
#include "base/settings.h"
#include "gui/dialogs.h"
#include "gui/notebook_commands.h"
#include "gui/notebook_recovery.h"
#include "gui/text_window.h"
#include "notebook/notebook_file_operations.h"
#include "notebook/spell_check.h"
#include "platform/host.h"

namespace kalix {

namespace {

std::mutex pendingMutex;
std::string pendingNotebook;

std::unique_ptr<SaveWorker> worker;
NotebookEditor* workerEditor = nullptr;

// The file chooser of 4005 and 4006: starts in `folder`.
std::string chooseNotebookIn(const std::string& folder) {
    static const char* const filter[] = {"Kalix Notebooks", "*.kn", nullptr};
    FileSelector selector(textWindow, (folder + "*.kn").c_str(), 0, "Load Notebook", "kn", filter);
    selector.setSelectorDirectory(folder.c_str());
    return selector.chooseFile(textWindow);
}

// Open: a changed notebook may be saved first; then the chooser.
void openWith(std::function<std::string()> choose, bool saveUnlessNo) {
    if (!readyOnCommandLine()) return;
    NotebookEditor& editor = textWindow->getEditor();
    auto continuation = [choose](int saved) {
        if (!saved) return;
        std::string path = choose();
        if (!path.empty()) openNotebookFile(path.c_str());
    };
    if (worthSaving(editor)) {
        // A changed notebook is never dropped without the question; with
        // confirmations off "Open in Kalix Files" saves it unasked.
        bool ask = intSetting("askconfirmations") || !saveUnlessNo;
        bool save = !ask || askYesNo("Save this Notebook\nbefore deleting it?", "Kalix",
                                     textWindow) == answerYes;
        if (save) {
            runSaveJob(saveNotebook, continuation);
            return;
        }
    }
    continuation(1);
}

}  // namespace

bool worthSaving(NotebookEditor& editor) {
    return editor.isNotebookChanged() && editor.countCommandLines() > 1;
}

void setPendingNotebook(const std::string& path) {
    std::lock_guard<std::mutex> lock(pendingMutex);
    pendingNotebook = path;
}

std::string takePendingNotebook() {
    std::lock_guard<std::mutex> lock(pendingMutex);
    std::string path;
    path.swap(pendingNotebook);
    return path;
}

SaveWorker& windowSaveWorker(NotebookEditor& editor) {
    if (!worker || workerEditor != &editor) {
        worker = std::make_unique<SaveWorker>(editor);
        workerEditor = &editor;
        worker->setAfterEachJob([&editor] { dropRecoveryCopyWhenSaved(editor); });
    }
    return *worker;
}

void endWindowSaveWorker(NotebookEditor& editor) {
    if (workerEditor != &editor) return;
    worker.reset();  // waits for the save thread
    workerEditor = nullptr;
}

void runSaveJob(std::function<int(NotebookEditor&)> job, std::function<void(int)> completion) {
    NotebookEditor* editor = menuEditor();
    if (!editor) return;
    windowSaveWorker(*editor).run([job, editor] { return job(*editor); }, std::move(completion));
}

int loadNotebookIntoWindow(NotebookEditor& editor, const char* path) {
    int read = loadNotebook(editor, path);
    if (read && intSetting("spellcheck")) spellCheck(editor);
    return read;
}

void openNotebookFile(const char* path) {
    if (!textWindow) return;
    if (intSetting("alwaysrestart")) {
        setPendingNotebook(path);
        restartInterpreter(0);
        return;
    }
    loadNotebookIntoWindow(textWindow->getEditor(), path);
}

void openNotebookFromMenu() {
    openWith([] { return loadNotebookSelector.chooseFile(textWindow); }, false);
}

void openNotebookInUserFiles() {
    std::string folder = userFilesDir.getText();
    openWith([folder] { return chooseNotebookIn(folder); }, true);
}

void openExamplesNotebook() {
    std::string folder = std::string(programDir.getText()) + "docs/Programs/";
    openWith([folder] { return chooseNotebookIn(folder); }, true);
}

int saveNotebookNow() {
    NotebookEditor* editor = menuEditor();
    return editor ? saveNotebook(*editor) : 0;
}

int saveNotebookAsNow() {
    NotebookEditor* editor = menuEditor();
    return editor ? saveNotebookAs(*editor) : 0;
}

// The saves need no prompt: while a command runs the writer reads the
// notebook under its lock between the command's changes.
void saveNotebookFromMenu() { runSaveJob(saveCurrentNotebook); }

void saveNotebookAsFromMenu() { runSaveJob(saveNotebookAs); }

void saveNotebookInUserFiles() {
    // The user's own files folder: in the home directory unless the user
    // made one beside the program (never made there).
    std::string folder = userFilesDir.getText();
    makeDirectory(folder.c_str());
    saveNotebookSelector.setSelectorDirectory(folder.c_str());
    saveNotebookSelector.setSelectorFileName((folder + "*.kn").c_str());
    runSaveJob([](NotebookEditor& editor) {
        std::string path =
            chooseFileToSave(editor, [] { return saveNotebookSelector.chooseFile(textWindow); });
        return path.empty() ? 0 : saveNotebookTo(editor, path);
    });
}

void saveAndZipNotebook() { runSaveJob(zipNotebook); }

void deleteNotebookAndFiles() {
    if (!readyOnCommandLine()) return;
    deleteNotebookFiles(textWindow->getEditor());
}

}  // namespace kalix
