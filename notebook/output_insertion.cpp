// The interpreter's output as output lines below its command.
#include "notebook/notebook_model.h"

namespace kalix {

void NotebookEditor::insertOutput(const char* text) {
    TextLockHold hold(*this, "inserttext");
    if (text[0] != '\n') deleteLineEnd();
    insertText(text);
}

void NotebookEditor::beginCommandOutput() {
    TextLockHold hold(*this, "inserttext");
    removeOutput();
    insertText("\n");
}

}  // namespace kalix
