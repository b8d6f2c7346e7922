#include "gui/dialog_templates.h"

#include "gui/dialog.h"

namespace kalix {

namespace {

constexpr int L = controlLabel, T = controlText, E = controlEdit, M = controlMultiline,
              B = controlButton, D = controlDefaultButton, C = controlCheck, S = controlSwatch,
              X = controlStretch;
constexpr int lb = staticLabelId;

const DialogTemplate templates[] = {
    {1, "Edit Comment to Command", 400, 300},
    {2, "External Editor Setup", 480, 0},
    {3, "Kalix", 360, 0},
    {4, "Set Printer", 360, 260},
    {5, "Set Sizes", 340, 0},
    {6, "Internal Editor", 400, 400},
    {7, "Set Size", 340, 0},
    {8, "Set Fonts", 460, 0},
    {9, "Set Graphics and Text Colors", 460, 0},
    {10, "Print", 400, 320},
    {11, "Find", 360, 0},
    {12, "Maxima Call String", 520, 0},
    {13, "Define Browser", 520, 0},
    {14, "Set Latex Environment", 520, 0},
    {15, "Kalixbench - Help Window", 500, 300},
    {16, "Internal Editor", 400, 400},
    {17, "Export to HTML", 340, 0},
    {18, "Export to PDF", 340, 0},
    {19, "Set Aspect", 340, 0},
    {20, "Kalix", 400, 0},
    {21, "Export to Markdown", 340, 0},
    {22, "Codepage Setup", 400, 0},
};

// The buttons at the bottom of an option dialog.
#define OPTION_BUTTONS(t)                                                                         \
    {t, 30, B, "Help", buttonRow, 0}, {t, 0, X, "", buttonRow, 0}, {t, 1, D, "OK", buttonRow, 0}, \
    {                                                                                             \
        t, 2, B, "Cancel", buttonRow, 0                                                           \
    }

const DialogControl controls[] = {
    // 1: the comment above a command
    {1, 10, M, "", 0, 0, 3},
    {1, 1, D, "OK", buttonRow, 0},
    {1, 2, B, "Cancel", buttonRow, 0},
    {1, 0, X, "", buttonRow, 0},
    {1, 30, B, "Help", buttonRow, 0},

    // 2: the external editor
    {2, lb, L, "External Editor", 0, 0},
    {2, 10, E, "", 0, 1, 2},
    {2, lb, L, "Parameters for Editor", 1, 0},
    {2, 11, E, "", 1, 1, 2},
    {2, lb, L, "File Name", 2, 0},
    {2, 12, E, "", 2, 1, 2},
    {2, 30, B, "Help", buttonRow, 0},
    {2, 3, B, "Use Default", buttonRow, 0},
    {2, 0, X, "", buttonRow, 0},
    {2, 1, D, "OK", buttonRow, 0},
    {2, 2, B, "Cancel", buttonRow, 0},

    // 3: the about box
    {3, 500, T, "", 0, 0, 3},
    {3, 1, B, "Visit Homepage", buttonRow, 0},
    {3, 0, X, "", buttonRow, 0},
    {3, 2, D, "OK", buttonRow, 0},

    // 4: a printer
    {4, lb, L, "Printer", 0, 0},
    {4, 10, controlList, "", 1, 0, 3},
    OPTION_BUTTONS(4),

    // 5: memory sizes
    {5, lb, L, "Data Stack (in MB)", 0, 0},
    {5, 12, E, "", 0, 1},
    {5, lb, L, "Graphics Stack (in MB)", 1, 0},
    {5, 11, E, "", 1, 1},
    {5, lb, L, "Restart Kalix after Changes.", 2, 0, 3},
    {5, 30, B, "Help", buttonRow, 0},
    {5, 10, B, "Default", buttonRow, 0},
    {5, 0, X, "", buttonRow, 0},
    {5, 1, D, "OK", buttonRow, 0},
    {5, 2, B, "Cancel", buttonRow, 0},

    // 6 and 16: the internal editor
    {6, 12, M, "", 0, 0, 3},
    {6, 1, D, "OK", buttonRow, 0},
    {6, 2, B, "Cancel", buttonRow, 0},
    {6, 10, B, "Save", buttonRow, 0},
    {6, 13, B, "Load", buttonRow, 0},
    {6, 0, X, "", buttonRow, 0},
    {6, 30, B, "Help", buttonRow, 0},
    {16, 12, M, "", 0, 0, 3},
    {16, 1, D, "OK", buttonRow, 0},
    {16, 2, B, "Cancel", buttonRow, 0},
    {16, 10, B, "Save", buttonRow, 0},
    {16, 13, B, "Load", buttonRow, 0},
    {16, 0, X, "", buttonRow, 0},
    {16, 30, B, "Help", buttonRow, 0},

    // 7: the size of an exported picture
    {7, lb, L, "Width (pixels)", 0, 0},
    {7, 10, E, "", 0, 1},
    {7, 16, B, "Window", 0, 2},
    {7, lb, L, "Height (pixels)", 1, 0},
    {7, 11, E, "", 1, 1},
    {7, 17, B, "Keep Aspect", 1, 2},
    {7, 18, B, "For Print", 2, 2},
    {7, 20, C, "Anti-Alias PNG Graphics", 3, 0, 3},
    OPTION_BUTTONS(7),

    // 8: fonts
    {8, lb, L, "Text font", 0, 0},
    {8, 511, E, "", 0, 1},
    {8, 12, B, "Choose ...", 0, 2},
    {8, lb, L, "Size in pixels", 1, 0},
    {8, 10, E, "", 1, 1},
    {8, lb, L, "Graphics font", 2, 0},
    {8, 510, E, "", 2, 1},
    {8, 13, B, "Choose ...", 2, 2},
    {8, lb, L, "Lines per picture", 3, 0},
    {8, 11, E, "", 3, 1},
    {8, 30, B, "Help", buttonRow, 0},
    {8, 5, B, "Default", buttonRow, 0},
    {8, 0, X, "", buttonRow, 0},
    {8, 1, D, "OK", buttonRow, 0},
    {8, 2, B, "Cancel", buttonRow, 0},

    // 9: colours; a swatch above each button, eight to a row
    {9, lb, L, "Graphics colors", 0, 0, 8},
    {9, 100, S, "", 1, 0},
    {9, 101, S, "", 1, 1},
    {9, 102, S, "", 1, 2},
    {9, 103, S, "", 1, 3},
    {9, 104, S, "", 1, 4},
    {9, 105, S, "", 1, 5},
    {9, 106, S, "", 1, 6},
    {9, 107, S, "", 1, 7},
    {9, 200, B, "0", 2, 0},
    {9, 201, B, "1", 2, 1},
    {9, 202, B, "2", 2, 2},
    {9, 203, B, "3", 2, 3},
    {9, 204, B, "4", 2, 4},
    {9, 205, B, "5", 2, 5},
    {9, 206, B, "6", 2, 6},
    {9, 207, B, "7", 2, 7},
    {9, 108, S, "", 3, 0},
    {9, 109, S, "", 3, 1},
    {9, 110, S, "", 3, 2},
    {9, 111, S, "", 3, 3},
    {9, 112, S, "", 3, 4},
    {9, 113, S, "", 3, 5},
    {9, 114, S, "", 3, 6},
    {9, 115, S, "", 3, 7},
    {9, 208, B, "8", 4, 0},
    {9, 209, B, "9", 4, 1},
    {9, 210, B, "10", 4, 2},
    {9, 211, B, "11", 4, 3},
    {9, 212, B, "12", 4, 4},
    {9, 213, B, "13", 4, 5},
    {9, 214, B, "14", 4, 6},
    {9, 215, B, "15", 4, 7},
    {9, lb, L, "Text colors", 5, 0, 8},
    {9, 400, S, "", 6, 0},
    {9, 401, S, "", 6, 1},
    {9, 402, S, "", 6, 2},
    {9, 403, S, "", 6, 3},
    {9, 404, S, "", 6, 4},
    {9, 405, S, "", 6, 5},
    {9, 300, B, "Output", 7, 0},
    {9, 301, B, "Commands", 7, 1},
    {9, 302, B, "Comments", 7, 2},
    {9, 303, B, "Functions", 7, 3},
    {9, 304, B, "Background", 7, 4},
    {9, 305, B, "Selection", 7, 5},
    {9, 30, B, "Help", buttonRow, 0},
    {9, 10, B, "Default", buttonRow, 0},
    {9, 0, X, "", buttonRow, 0},
    {9, 1, D, "OK", buttonRow, 0},
    {9, 2, B, "Cancel", buttonRow, 0},

    // 10: printing
    {10, lb, L, "Printer", 0, 0},
    {10, 10, controlList, "", 1, 0, 3},
    {10, lb, L, "Comment", 2, 0},
    {10, 11, M, "", 3, 0, 3},
    OPTION_BUTTONS(10),

    // 11: search
    {11, lb, L, "Search for", 0, 0},
    {11, 10, E, "", 0, 1, 2},
    {11, 0, X, "", buttonRow, 0},
    {11, 1, D, "OK", buttonRow, 0},
    {11, 2, B, "Cancel", buttonRow, 0},

    // 12: Maxima
    {12, lb, L, "Maxima program", 0, 0},
    {12, 10, E, "", 0, 1},
    {12, 21, B, "Browse ...", 0, 2},
    {12, lb, L, "Maxima directory", 1, 0},
    {12, 11, E, "", 1, 1},
    {12, 22, B, "Browse ...", 1, 2},
    {12, 30, B, "Help", buttonRow, 0},
    {12, 20, B, "Default", buttonRow, 0},
    {12, 0, X, "", buttonRow, 0},
    {12, 1, D, "OK", buttonRow, 0},
    {12, 2, B, "Cancel", buttonRow, 0},

    // 13: the browser
    {13, lb, L, "Browser program", 0, 0},
    {13, 10, E, "", 0, 1},
    {13, 21, B, "Browse ...", 0, 2},
    {13, lb, L, "Documentation directory", 1, 0},
    {13, 11, E, "", 1, 1},
    {13, 22, B, "Browse ...", 1, 2},
    {13, 30, B, "Help", buttonRow, 0},
    {13, 20, B, "Default", buttonRow, 0},
    {13, 0, X, "", buttonRow, 0},
    {13, 1, D, "OK", buttonRow, 0},
    {13, 2, B, "Cancel", buttonRow, 0},

    // 14: LaTeX
    {14, lb, L, "Latex programs directory", 0, 0},
    {14, 10, E, "", 0, 1},
    {14, 21, B, "Browse ...", 0, 2},
    {14, lb, L, "Working directory", 1, 0},
    {14, 12, E, "", 1, 1},
    {14, 23, B, "Browse ...", 1, 2},
    {14, 30, B, "Help", buttonRow, 0},
    {14, 20, B, "Default", buttonRow, 0},
    {14, 0, X, "", buttonRow, 0},
    {14, 1, D, "OK", buttonRow, 0},
    {14, 2, B, "Cancel", buttonRow, 0},

    // 15: the help window
    {15, 11, E, "", 0, 0, 2},
    {15, 13, B, "Open Browser (F2)", 0, 2},
    {15, 12, M, "", 1, 0, 3},

    // 17: HTML export
    {17, 10, C, "Open HTML after Export", 0, 0, 3},
    {17, 11, C, "Link to Large Images", 1, 0, 3},
    {17, 12, C, "Export in UTF-8", 2, 0, 3},
    {17, 13, C, "Generate XML Header", 3, 0, 3},
    {17, 14, C, "Use MathJax for Latex formulas", 4, 0, 3},
    {17, 15, C, "Create and use SVG Images", 5, 0, 3},
    {17, 16, C, "Respect Folding", 6, 0, 3},
    {17, 17, C, "Do not reformat Comments", 7, 0, 3},
    OPTION_BUTTONS(17),

    // 18: PDF export
    {18, 10, C, "Open PDF after Export", 0, 0, 3},
    {18, 11, C, "Generate Latex File only", 1, 0, 3},
    {18, 16, C, "Respect Folding", 2, 0, 3},
    OPTION_BUTTONS(18),

    // 19: the aspect of the graphics
    {19, lb, L, "Width / Height", 0, 0},
    {19, 10, E, "", 0, 1, 2},
    {19, 11, B, "1:1", 1, 0},
    {19, 12, B, "3:2", 1, 1},
    {19, 13, B, "2:1", 1, 2},
    {19, 14, B, "16:9", 1, 3},
    {19, 15, C, "Follow the Size of the Graphics Window", 2, 0, 4},
    OPTION_BUTTONS(19),

    // 20: may a program run?
    {20, 500, T, "Allow?", 0, 0, 3},
    {20, 0, X, "", buttonRow, 0},
    {20, 1, D, "Yes", buttonRow, 0},
    {20, 2, B, "No", buttonRow, 0},
    {20, 3, B, "In this Notebook", buttonRow, 0},

    // 21: Markdown export
    {21, 10, C, "Open Markdown after Export", 0, 0, 3},
    {21, 11, C, "Link to Large Images", 1, 0, 3},
    {21, 12, C, "Export in UTF-8", 2, 0, 3},
    {21, 16, C, "Respect Folding", 3, 0, 3},
    OPTION_BUTTONS(21),

    // 22: the code page
    {22, lb, L, "Your Code Page (1250 = Central Europe)", 0, 0},
    {22, 10, E, "", 0, 1},
    OPTION_BUTTONS(22),
};

}  // namespace

const DialogTemplate* findDialogTemplate(int id) {
    for (const DialogTemplate& t : templates)
        if (t.id == id) return &t;
    return nullptr;
}

std::vector<const DialogControl*> templateControls(int id) {
    std::vector<const DialogControl*> out;
    for (const DialogControl& c : controls)
        if (c.templateId == id) out.push_back(&c);
    return out;
}

}  // namespace kalix
