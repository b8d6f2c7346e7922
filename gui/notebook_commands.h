// The menu commands that edit the notebook, move text through the
// clipboard, search, run commands and restart the interpreter. Each first
// asks whether it may act now (its guard) and does nothing, silently, when
// it may not; commands that change the notebook act only while the
// interpreter waits for a command line. GUI thread.
#pragma once

namespace kalix {

class NotebookEditor;

// The interpreter waits for a command line (not for an answer to input).
bool readyForCommand();
// ... and the cursor line is a command line.
bool readyOnCommandLine();
// The notebook of the text window (null before it exists).
NotebookEditor* menuEditor();

// Puts a command into the cursor line and lets the interpreter run it; a
// typed command stays: a new line below it takes the command.
void runCommandLine(const char* command);

void editLineComment();               // 106
void copySelectionFromMenu();         // 118
void cutSelection();                  // 6041
void copyFormattedOutput();           // 6032
void copyCommandsOnly();              // 124
void pasteText();                     // 123
void pasteAsCommandsFromMenu();       // 6040
void selectAllLines();                // 120
void deleteSelectedOutputFromMenu();  // 119
void deleteAllOutput();               // 127
void joinLineFromMenu();              // 7500
void splitCommandAtCursor();          // 6034
void splitLineAtCursor();             // 7940
void deleteCurrentCommand();          // 116
void undoDeleteCommands();            // 2005
void insertCommandAboveFromMenu();    // 117
void clearCommandLine();              // 7501
void restoreCurrentLine();            // 6062
void undoRestoreLine();               // 7950
void searchNextFromMenu();            // 6061
void searchDialog();                  // 6060
void sendBackspaceKey();              // 3000
void sendEscapeKey();                 // 3001
void insertPreviousHistory();         // 3002
void insertNextHistory();             // 3003
void toggleMaximaMode();              // 6110
void toggleDirectMaximaMode();        // 6111
void insertImageCommand();            // 2004
void loadAndInterpretFile();          // 113
void pasteImage();                    // 6803
void newNotebook();                   // 102
void restartFromMenu();               // 2001
void exitFromMenu();                  // 101
void runRemainingCommands();          // 2002
void runAndUpdateComments();          // 7221
void updateCurrentComment();          // 7220
void runCurrentSection();             // 6080

// The restart: asks first (with "askconfirmations") when `ask` is 1.
void restartInterpreter(int ask);

}  // namespace kalix
