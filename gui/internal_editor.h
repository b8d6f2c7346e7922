// Editing more than one line at a time. The internal editor (F9) opens a
// dialog on the text of the cursor command: a function definition with its
// body lines, a command continued over several lines with " ...", the file
// of a "load" command, or the temporary program file "KalixTemp.k"; OK puts
// the edited text back into the notebook or the file. The external editor
// (F10) starts the user's own editor on a file without waiting. GUI thread.
#pragma once

#include <string>

#include "gui/dialog.h"

namespace kalix {

void runInternalEditor();         // 121
void insertFunctionDefinition();  // 6036
void runExternalEditor();         // 130

// The temporary program file of the user's work directory.
std::string temporaryProgramFile();

// The name a "load" command names at `text` (in double quotes, or up to a
// blank, ',' or ';'): "" with the message shown ("Name expected!", "Name
// too long!", caption "load") when there is none.
std::string parseLoadName(const char* text);

// The external editor's command: "externaleditor", else $VISUAL, else
// $EDITOR, else xdg-open, split into words, then the words of
// "externalparameters" and the file.
std::vector<std::string> externalEditorCommand(const std::string& file);

// The editor's buttons: Save writes the field to a file the user chooses,
// Load reads one into it; the dialog stays open.
class SaveButton : public ButtonItem {
  public:
    SaveButton(int id, Dialog& dialog, MultilineItem& field)
        : ButtonItem(id, dialog), field(field) {}
    int onItemCommand(int code) override;

  private:
    MultilineItem& field;
};

class LoadButton : public ButtonItem {
  public:
    LoadButton(int id, Dialog& dialog, MultilineItem& field)
        : ButtonItem(id, dialog), field(field) {}
    int onItemCommand(int code) override;

  private:
    MultilineItem& field;
};

}  // namespace kalix
