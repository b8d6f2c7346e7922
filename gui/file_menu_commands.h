// The File menu's notebook commands: open (a chooser, the user files, the
// examples), save, save as, save in the user files, zip and delete. Saving
// runs on the save thread while the windows refuse input; what follows a
// save (opening another notebook, an export) runs when it has succeeded.
// GUI thread.
#pragma once

#include <functional>
#include <string>

namespace kalix {

class NotebookEditor;
class SaveWorker;

void openNotebookFromMenu();     // 103
void openNotebookInUserFiles();  // 4006
void openExamplesNotebook();     // 4005
void saveNotebookFromMenu();     // 104
void saveNotebookAsFromMenu();   // 105
void saveNotebookInUserFiles();  // 7920
void saveAndZipNotebook();       // 6890
void deleteNotebookAndFiles();   // 7420

// Saves the notebook now (asks for a name when it has none): 1 when saved.
int saveNotebookNow();
// Saves under a name the user chooses: 1 when saved.
int saveNotebookAsNow();
// Opens a notebook file: with "alwaysrestart" after a restart of the
// interpreter (at its next prompt), else at once.
void openNotebookFile(const char* path);
// A notebook file that the interpreter's next prompt loads (the window
// host takes it).
void setPendingNotebook(const std::string& path);
std::string takePendingNotebook();
// Reads a notebook into the window and marks its misspelt words (with
// "spellcheck"). 1 when read.
int loadNotebookIntoWindow(NotebookEditor& editor, const char* path);

// The notebook is changed and holds more than one command: closing it
// asks whether to save it first.
bool worthSaving(NotebookEditor& editor);

// The save thread of the window's notebook.
SaveWorker& windowSaveWorker(NotebookEditor& editor);
// Lets the save thread finish its work on the editor before the editor goes.
void endWindowSaveWorker(NotebookEditor& editor);
// Runs `job` on the save thread, then `completion` (GUI thread) with its
// result; nothing when a save job still runs.
void runSaveJob(std::function<int(NotebookEditor&)> job,
                std::function<void(int)> completion = nullptr);

}  // namespace kalix
