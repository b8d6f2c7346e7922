#include "gui/spelling_commands.h"

#include "base/settings.h"
#include "gui/kalix_menu.h"
#include "gui/notebook_commands.h"
#include "gui/text_window.h"
#include "notebook/spell_check.h"

namespace kalix {

namespace {

// Runs `pass` while the notebook's lock is free (the GUI never waits).
template <class Pass>
void whileNotebookFree(Pass pass) {
    NotebookEditor* editor = menuEditor();
    if (!editor) return;
    {
        TextLockHold hold(*editor, "spellcheck", std::try_to_lock);
        if (!hold.owns()) return;
        pass(*editor);
    }
    editor->getHost().invalidate();
}

}  // namespace

void runSpellCheck() {
    int on = !intSetting("spellcheck");
    writeIntSetting("spellcheck", on);
    if (mainMenu) mainMenu->setMenuCheck(7470, on);
    if (on)
        markMisspeltWordsAgain();
    else
        whileNotebookFree(clearSpellingMarks);
}

void addMarkedWordsFromMenu() {
    whileNotebookFree(
        [](NotebookEditor& editor) { addMarkedWordsToDictionary(editor, userWordsPath()); });
}

void markMisspeltWordsAgain() { whileNotebookFree(spellCheck); }

void wordListsChanged() { freeDictionary(); }

}  // namespace kalix
