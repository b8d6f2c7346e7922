#include "gui/notebook_recovery.h"

#include <cstdlib>
#include <mutex>
#include <utility>

#include "gui/dialogs.h"
#include "gui/file_menu_commands.h"
#include "notebook/notebook_file_operations.h"
#include "notebook/recovery_copy.h"

namespace kalix {

namespace {

std::mutex chosenMutex;
FoundRecoveryCopy chosen;  // GUI thread sets it, computation thread takes it
bool hasChosen = false;

}  // namespace

int recoveryCopyInterval() {
    const char* shortened = std::getenv("KALIX_RECOVERY_INTERVAL_MS");
    int milliseconds = shortened ? std::atoi(shortened) : 0;
    return milliseconds > 0 ? milliseconds : 30000;
}

RecoveryCopy& windowRecoveryCopy() {
    // Lives as long as the process: the save thread may use it to the end.
    static RecoveryCopy* copy = new RecoveryCopy;
    return *copy;
}

void keepRecoveryCopy(NotebookEditor& editor) {
    if (!editor.isNotebookChanged() && windowRecoveryCopy().copyPath().empty()) return;
    windowSaveWorker(editor).runQuietly([&editor] {
        bool worth;
        {
            TextLockHold hold(editor, "recovery copy");
            worth = worthSaving(editor);
        }
        return windowRecoveryCopy().keep(editor, worth);
    });
}

void dropRecoveryCopyWhenSaved(NotebookEditor& editor) {
    if (!worthSaving(editor)) windowRecoveryCopy().remove();
}

void endRecoveryCopy(NotebookEditor& editor, bool renew) {
    windowSaveWorker(editor).wait();
    if (!editor.isNotebookChanged())
        windowRecoveryCopy().remove();
    else if (renew)
        windowRecoveryCopy().keep(editor, true);
}

void offerRecoveryCopies(StandardWindow* owner) {
    std::vector<FoundRecoveryCopy> found = findRecoveryCopies();
    for (FoundRecoveryCopy& copy : found) {
        // Cancel (or a question that cannot be shown) keeps the copy for a
        // later start; only No deletes it.
        int answer = askYesNoCancel(copy.question().c_str(), "Kalix", owner);
        if (answer == answerCancel) continue;
        if (answer == answerYes) {
            std::lock_guard<std::mutex> lock(chosenMutex);
            chosen = std::move(copy);
            hasChosen = true;
            return;
        }
        copy.deleteCopy();
    }
}

int loadChosenRecoveryCopy(NotebookEditor& editor) {
    FoundRecoveryCopy copy;
    {
        std::lock_guard<std::mutex> lock(chosenMutex);
        if (!hasChosen) return 0;
        copy = std::move(chosen);
        hasChosen = false;
    }
    if (!loadCopyOf(editor, copy.copyPath, copy.notebookPath)) return 0;
    uint64_t changes;
    {
        TextLockHold hold(editor, "recovered");
        changes = editor.changeCount();
    }
    windowRecoveryCopy().takeOver(copy, changes);
    return 1;
}

}  // namespace kalix
