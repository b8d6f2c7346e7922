// The dialog templates: one table of the controls of all 22 dialogs (the
// template id, the control id, its kind, its text, and where it stands), and
// the captions. The toolkit side builds a dialog from its rows with layouts:
// rows 0, 1, 2, ... form a grid (column 0 labels, column 1 fields that
// stretch, column 2 buttons beside a field); the controls of row
// `buttonRow` form the row of buttons at the bottom, in table order.
#pragma once

#include <vector>

namespace kalix {

enum DialogControlKind : int {
    controlLabel,      // static text (id 65535)
    controlText,       // static text that shows a value (TextItem)
    controlEdit,       // one line of text
    controlMultiline,  // several lines of text
    controlButton,
    controlDefaultButton,  // Return presses it
    controlCheck,
    controlList,
    controlSwatch,   // owner-drawn (UserItem, ColorItem)
    controlStretch,  // space in the button row
};

constexpr int buttonRow = -1;

struct DialogControl {
    int templateId;
    int id;
    int kind;  // DialogControlKind
    const char* label;
    int row;
    int column;
    int span = 1;  // grid columns taken
};

struct DialogTemplate {
    int id;
    const char* caption;
    int width;   // the smallest width, pixels
    int height;  // the smallest height, pixels (0: as the controls need)
};

// The template with that id, or null.
const DialogTemplate* findDialogTemplate(int id);
// The controls of a template in table order.
std::vector<const DialogControl*> templateControls(int id);

}  // namespace kalix
