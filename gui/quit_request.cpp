#include "gui/quit_request.h"

#include "gui/dialogs.h"
#include "notebook/notebook_file_operations.h"
#include "notebook/notebook_model.h"

namespace kalix {

std::atomic<int> endingOnSignal{0};

int askBeforeQuitting(NotebookEditor& editor, StandardWindow* owner) {
    // A changed notebook is never dropped without the question.
    if (!editor.isNotebookChanged()) return 1;
    // The computation goes on meanwhile: it is never suspended from outside.
    switch (askYesNoCancel("Save Notebook before quitting?", "Kalix", owner)) {
        case answerYes:
            return saveNotebook(editor) ? 1 : 0;
        case answerNo:
            return 1;
        default:
            return 0;
    }
}

}  // namespace kalix
