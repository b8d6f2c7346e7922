#include "gui/kalix_menu.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "base/settings.h"
#include "gui/dialogs.h"
#include "gui/documentation_commands.h"
#include "gui/export_dialogs.h"
#include "gui/file_menu_commands.h"
#include "gui/graphics_commands.h"
#include "gui/graphics_window_commands.h"
#include "gui/gui_bridge.h"
#include "gui/help_window.h"
#include "gui/internal_editor.h"
#include "gui/notebook_commands.h"
#include "gui/option_dialogs.h"
#include "gui/spelling_commands.h"
#include "gui/text_window.h"
#include "notebook/notebook_model.h"
#include "notebook/recovery_copy.h"
#include "platform/host.h"

namespace kalix {

KalixMenu* mainMenu = nullptr;

namespace {

// One row of a popup: a submenu title (null: directly in the popup), the
// command id (0 with a null text: a separator), the text and the name of
// its key.
struct MenuRow {
    int popup;
    const char* submenu;
    int id;
    const char* text;
    const char* keys;
};

const char* const popupTitles[] = {"&File",    "&Recent",    "&Edit", "E&xtras",
                                   "&Options", "&User Menu", "Tasks", "&Help"};

constexpr const char* none = nullptr;
#define SEPARATOR(popup, submenu) \
    { popup, submenu, 0, nullptr, nullptr }

const MenuRow menuRows[] = {
    {popupFile, none, 2001, "&Restart Kalix", "Ctrl+N"},
    SEPARATOR(popupFile, none),
    {popupFile, none, 103, "&Open ...", "Ctrl+O"},
    {popupFile, none, 4006, "Open in Kalix Files ...", "Alt+O"},
    {popupFile, none, 4005, "Open Tutorials or Examples", none},
    SEPARATOR(popupFile, none),
    {popupFile, none, 7930, "Open a second window with KXW", "Ctrl+Shift+O"},
    SEPARATOR(popupFile, none),
    {popupFile, none, 104, "&Save", "Ctrl+S"},
    {popupFile, none, 105, "Save &as ...", "Shift+Ctrl+S"},
    {popupFile, none, 7920, "Save in Kalix Files ...", "Alt+S"},
    {popupFile, none, 6890, "Save and create &ZIP", none},
    SEPARATOR(popupFile, none),
    {popupFile, none, 113, "&Load and interpret *.k File", none},
    SEPARATOR(popupFile, none),
    {popupFile, none, 122, "Save Graphics as P&NG ...", none},
    {popupFile, none, 112, "&Copy Graphics to Clipboard as Bitmap", none},
    {popupFile, none, 6600, "Crop for Graphics Export ...", none},
    SEPARATOR(popupFile, none),
    {popupFile, none, 6402, "Save Graphics as S&VG ...", none},
    {popupFile, none, 6004, "Copy Graphics to Clipboard as &Metafile ", none},
    SEPARATOR(popupFile, none),
    {popupFile, none, 111, "&Print Graphics", none},
    SEPARATOR(popupFile, none),
    {popupFile, none, 101, "E&xit", "Alt+F4"},

    {popupRecent, none, 6400, "&Clear Recent", none},
    SEPARATOR(popupRecent, none),
    {popupRecent, none, 5000, "&Recent", none},

    {popupEdit, none, 6062, "Restore current Line", "Ctrl+Z"},
    {popupEdit, none, 7950, "Undo Restore", "Ctrl+Y"},
    SEPARATOR(popupEdit, none),
    {popupEdit, none, 6080, "Run Commands in Section", "Shift+Return"},
    {popupEdit, none, 7220, "Update Current Comment", "Alt+Return"},
    {popupEdit, none, 7221, "Run subsequent Commands and update Comments", "Ctrl+R"},
    SEPARATOR(popupEdit, none),
    {popupEdit, none, 118, "Copy", "Ctrl+C"},
    {popupEdit, none, 6041, "Cut", "Ctrl+X"},
    {popupEdit, none, 6032, "Copy as &formatted Output", "Ctrl+Shift+F"},
    {popupEdit, none, 124, "Copy Commands only", "Ctrl+Shift+C"},
    {popupEdit, none, 123, "Paste", "Ctrl+V"},
    {popupEdit, none, 6040, "Paste as Commands", "Ctrl+Shift+V"},
    {popupEdit, none, 120, "Select all", "Ctrl-A"},
    SEPARATOR(popupEdit, none),
    {popupEdit, none, 6060, "Search for ...", "Ctrl+F"},
    {popupEdit, none, 6061, "Search next", "F3"},
    SEPARATOR(popupEdit, none),
    {popupEdit, "Output", 119, "De&lete Output of selected Commands", none},
    {popupEdit, "Output", 127, "Delete all Outp&ut in the Notebook", none},
    {popupEdit, "Command Line", 7500, "&Join Line With Previous Line", "Ctrl+Back"},
    {popupEdit, "Command Line", 6034, "&Split Command at Cursor Position", "Ctrl+Return"},
    {popupEdit, "Command Line", 7940, "&Split Line at Cursor Position", "Shift+Ctrl+Return"},
    SEPARATOR(popupEdit, "Command Line"),
    {popupEdit, "Command Line", 116, "&Delete current Command", "Alt+Back"},
    {popupEdit, "Command Line", 2005, "&Undo: Insert deleted Commands", "Alt+U"},
    SEPARATOR(popupEdit, "Command Line"),
    {popupEdit, "Command Line", 117, "&Insert Command above", "Alt+Insert"},
    {popupEdit, "Command Line", 7501, "&Clear Current Command Line", "Ctrl+Delete"},
    {popupEdit, "Command History", 3002, "Insert previous Command from History", "Ctrl+Up"},
    {popupEdit, "Command History", 3003, "Insert next Command from History", "Ctrl+Down"},

    {popupExtras, none, 106, "Edit C&omment", "F5"},
    {popupExtras, none, 121, "Start internal &Editor", "F9"},
    {popupExtras, none, 130, "Start Exter&nal Editor", "F10"},
    SEPARATOR(popupExtras, none),
    {popupExtras, none, 2003, "Export current Notebook to HTM&L", "Ctrl+E"},
    {popupExtras, "Copy HTML Pattern File", 7610, "Kalix Default", none},
    {popupExtras, "Copy HTML Pattern File", 7611, "Black and White", none},
    {popupExtras, "Copy HTML Pattern File", 7612, "Web Font", none},
    {popupExtras, none, 7020, "Create HTML Documentation from Kalix File", none},
    {popupExtras, none, 7990, "Generate Markdown", "Ctrl+Shift+D"},
    {popupExtras, none, 7401, "Generate PDF with Latex", "Ctrl+P"},
    SEPARATOR(popupExtras, none),
    {popupExtras, none, 7420, "Delete Notebook and all Files from Disk", none},
    SEPARATOR(popupExtras, none),
    {popupExtras, none, 7470, "Spell Check", "Ctrl-T"},
    {popupExtras, none, 7471, "Add marked lines to Dictionary", "Ctrl+Shift+T"},
    {popupExtras, "Languages", 7601, "English", none},
    {popupExtras, "Languages", 7602, "German", none},
    SEPARATOR(popupExtras, none),
    {popupExtras, "Quick Inserts", 6036, "Insert Function &Definition", "Ctrl+D"},
    {popupExtras, "Quick Inserts", 6110, "Toggle Maxima Mode", "Ctrl+M"},
    {popupExtras, "Quick Inserts", 6111, "Toggle direct Maxima Mode", "Shift+Ctrl+M"},

    {popupOptions, none, 6810, "Show Graphics", "TAB"},
    {popupOptions, none, 7050, "Graphics in Te&xt Window", "Ctrl+G"},
    {popupOptions, none, 6880, "Set &Aspect", none},
    {popupOptions, none, 7450, "Fold all Multi-Lines", "Ctrl+L"},
    SEPARATOR(popupOptions, none),
    {popupOptions, "Other Graphics Settings", 2000, "Set Co&lors ...", none},
    {popupOptions, "Other Graphics Settings", 7311, "Use Co&lors", none},
    SEPARATOR(popupOptions, "Other Graphics Settings"),
    {popupOptions, "Other Graphics Settings", 7071, "Keep large images", none},
    {popupOptions, "Other Graphics Settings", 6700, "&Antialias the Graphics Window", none},
    {popupOptions, "Other Graphics Settings", 7901, "Anti-Alias Sharper", none},
    {popupOptions, "Other Graphics Settings", 6820, "Never A&nti-Alias at insimg()", none},
    {popupOptions, "Other Graphics Settings", 7900, "Use System Scaling for Images", none},
    SEPARATOR(popupOptions, "Other Graphics Settings"),
    {popupOptions, "Other Graphics Settings", 7000, "Fatter Lines", none},
    {popupOptions, "Other Graphics Settings", 7060, "Lines depend on font size", none},
    {popupOptions, "Other Graphics Settings", 4004, "&Scale Line Thickness for large Prints", none},
    {popupOptions, "Other Graphics Settings", 6881, "&Bold font", none},
    {popupOptions, "Other Graphics Settings", 125, "Set Fonts ...", none},
    SEPARATOR(popupOptions, "Other Graphics Settings"),
    {popupOptions, "Other Graphics Settings", 7430, "Save compressed SVG images", none},
    SEPARATOR(popupOptions, "Other Graphics Settings"),
    {popupOptions, "Other Graphics Settings", 4010, "Save &Images in Notebooks", none},
    {popupOptions, "Other Graphics Settings", 6037, "Save Notebook Images in Subdirectory \\images",
     none},
    {popupOptions, "Other Graphics Settings", 6001, "&Create bb file for LaTeX at PNG Export",
     none},
    {popupOptions, "Other Program Settings", 6802, "Set Browser and Documentation Directory", none},
    {popupOptions, "Other Program Settings", 131, "Set&up for external Editor", none},
    {popupOptions, "Other Program Settings", 8001, "Set Codepage", none},
    SEPARATOR(popupOptions, "Other Program Settings"),
    {popupOptions, "Other Program Settings", 7960, "Logging", none},
    {popupOptions, "Other Program Settings", 6000, "Always ask for Confirmations", none},
    {popupOptions, "Other Program Settings", 7090, "Ask before any exec Command", none},
    {popupOptions, "Other Program Settings", 6031, "Display Status Line Help", none},
    {popupOptions, "Other Program Settings", 6821, "Display Help in Window Title", none},
    {popupOptions, "Other Program Settings", 6033, "Restart Kalix with each new Notebook", none},
    {popupOptions, "Other Program Settings", 7970, "Use Python 2.7", none},
    SEPARATOR(popupOptions, "Other Program Settings"),
    {popupOptions, "Other Program Settings", 6800, "Fix Linewidth to 70", none},
    {popupOptions, "Other Program Settings", 125, "Set Fonts ...", none},
    SEPARATOR(popupOptions, "Other Program Settings"),
    {popupOptions, "Other Program Settings", 115, "Set Memory Sizes ...", none},
    SEPARATOR(popupOptions, "Other Program Settings"),
    {popupOptions, "Other Program Settings", 7211, "Save Notebooks as UTF-8", none},
    SEPARATOR(popupOptions, "Other Program Settings"),
    {popupOptions, "Other Program Settings", 7480, "Kalix runs in Linux under Wine", none},
    {popupOptions, "Symbolic Settings", 6030, "&Setup Maxima Call String ...", none},
    SEPARATOR(popupOptions, "Symbolic Settings"),
    {popupOptions, "Symbolic Settings", 6090, "&Start Kalix in Maxima Mode", none},
    {popupOptions, "Symbolic Settings", 6091, "&Always use direct Mode", none},
    {popupOptions, "Symbolic Settings", 7100, "&Answer Maxima Questions silently", none},
    SEPARATOR(popupOptions, "Symbolic Settings"),
    {popupOptions, "Symbolic Settings", 6830, "Allow >::e&xpression", none},
    SEPARATOR(popupOptions, "Symbolic Settings"),
    {popupOptions, "Symbolic Settings", 4011, "&Remove Maxima output Labels", none},
    SEPARATOR(popupOptions, "Symbolic Settings"),
    {popupOptions, "Symbolic Settings", 6050, "Start Maxima automatically", none},
    {popupOptions, "Symbolic Settings", 6052, "Enable direct Mode of Maxima", none},
    SEPARATOR(popupOptions, "Symbolic Settings"),
    {popupOptions, "Symbolic Settings", 6053, "Enable Yacas", none},
    {popupOptions, "Symbolic Settings", 6051, "Start Yacas automatically", none},
    {popupOptions, "Syntax Settings", 6070, "Require correct brackets () and []", none},
    {popupOptions, "Syntax Settings", 6071, "Require proper command separation", none},
    {popupOptions, "Syntax Settings", 6072, "Require := assignment", none},
    {popupOptions, "Syntax Settings", 6073, "Require commas in matrix lines", none},
    {popupOptions, "Syntax Settings", 6200, "Allow overwriting protected functions", none},
    {popupOptions, "Syntax Settings", 6201, "Always relax in Kalix files", none},
    {popupOptions, "Syntax Settings", 6202, "Report index out of bounds", none},
    {popupOptions, "Syntax Settings", 6500, "Allow vectors for conditions in if", none},
    {popupOptions, "Latex Settings", 6855, "Setup Latex executable and directory", none},
    {popupOptions, "Latex Settings", 7301, "Disable Latex", none},
    SEPARATOR(popupOptions, "Latex Settings"),
    {popupOptions, "Latex Settings", 6856, "Run Latex silently", none},
    SEPARATOR(popupOptions, "Latex Settings"),
    {popupOptions, "Latex Settings", 7302, "Display MathJax Formulas with Latex", none},
    SEPARATOR(popupOptions, "Latex Settings"),
    {popupOptions, "Latex Settings", 6850, "Use AMS package", none},
    {popupOptions, "Latex Settings", 6851, "Larger font", none},
    {popupOptions, "Latex Settings", 6852, "Scale with text font", none},
    {popupOptions, "Latex Settings", 7481, "Antialias Latex Formulas", none},
    {popupOptions, "Latex Settings", 7460, "Keep large Latex images", none},
    {popupOptions, "Latex Settings", 6853, "Green text", none},
    {popupOptions, "Latex Settings", 6870, "Transparent background", none},
    SEPARATOR(popupOptions, "Latex Settings"),
    {popupOptions, "Latex Settings", 6854, "Cleanup working directory", none},
    {popupOptions, "Beamer Settings", 7800, "Full Screen", "Ctrl+Shift+Q"},
    {popupOptions, "Beamer Settings", 6871, "Magnify for Presentation", "Ctrl+Q"},
    {popupOptions, "Beamer Settings", 7700, "Insert smaller Images", none},
    SEPARATOR(popupOptions, none),
    {popupOptions, none, 7080, "Reset default values for Kalix", none},

    {popupUser, none, userMenuFirstId, "Currently Empty", none},

    {popupTasks, "Syntax", 9002, "Variables", none},
    {popupTasks, "Syntax", 9003, "Data Types", none},
    {popupTasks, "Syntax", 9004, "Comments", none},
    {popupTasks, "Syntax", 9014, "Output Formats", none},
    {popupTasks, "Syntax", 9015, "Units", none},
    {popupTasks, "Plots", 9005, "Planar 2D Plots", none},
    {popupTasks, "Plots", 9006, "Stereometric 3D Plots", none},
    {popupTasks, "Plots", 9007, "Logarithmic Plots", none},
    {popupTasks, "Plots", 9025, "Plot Styles", none},
    {popupTasks, "Plots", 9026, "Basic Plots", none},
    {popupTasks, "Calculus", 9008, "Solve Equations", none},
    {popupTasks, "Calculus", 9009, "Differential Equations", none},
    {popupTasks, "Calculus", 9012, "Integrals", none},
    {popupTasks, "Symbolic Mathematics", 9011, "Algebraic Transformations", none},
    {popupTasks, "Symbolic Mathematics", 9022, "Symbolic Variables", none},
    {popupTasks, "Symbolic Mathematics", 9012, "Integrals", none},
    {popupTasks, "Symbolic Mathematics", 9009, "Differential Equations", none},
    {popupTasks, "Numerical Methods", 9009, "Differential Equations", none},
    {popupTasks, "Numerical Methods", 9008, "Solve Equations", none},
    {popupTasks, "Numerical Methods", 9016, "Interval Methods", none},
    {popupTasks, "Numerical Methods", 9017, "Polynomials and Splines", none},
    {popupTasks, "Optimization", 9010, "Optimization", none},
    {popupTasks, "Optimization", 9013, "Regression Analysis", none},
    {popupTasks, "Programs", 9018, "Programming Language", none},
    {popupTasks, "Programs", 9021, "Variables in Functions", none},
    {popupTasks, "Programs", 9023, "Parameters", none},
    {popupTasks, "Programs", 9019, "Symbolic Functions", none},
    {popupTasks, "Programs", 9020, "Scripts", none},
    {popupTasks, "Programs", 9024, "Vectorization (map)", none},
    {popupTasks, "Linear Algebra", 9027, "Matrices", none},
    {popupTasks, "Linear Algebra", 9028, "Matrix Language", none},
    {popupTasks, "Statistics", 9029, "Basics", none},
    {popupTasks, "Statistics", 9030, "Plots", none},
    {popupTasks, none, 9001, "Keyboard", none},
    {popupTasks, none, 9000, "Help on Help", none},

    {popupHelp, none, 7440, "Open help window", "F1"},
    {popupHelp, none, 7980, "Overview, &FAQ and Howto", none},
    SEPARATOR(popupHelp, none),
    {popupHelp, none, 6801, "Documentation", none},
    {popupHelp, none, 6003, "&Reference", none},
    {popupHelp, none, 6860, "&Maxima reference", none},
    {popupHelp, none, 4001, "&Help on current command", "Ctrl+H"},
    SEPARATOR(popupHelp, none),
    {popupHelp, none, 7981, "Homepage of KXW", none},
    {popupHelp, none, 7010, "&Search on the Kalix site", none},
    SEPARATOR(popupHelp, none),
    {popupHelp, none, 7201, "Check for Updates now", none},
    {popupHelp, none, 7200, "Check for Updates when Kalix starts", none},
    SEPARATOR(popupHelp, none),
    {popupHelp, none, 7030, "New in this version", none},
    {popupHelp, none, 109, "About Kalix", none},
};

void clearRecentFilesFromMenu() {
    if (mainMenu) mainMenu->clearRecentFiles();
}

// What each command id runs (the menu's items, the accelerators and the
// commands the program posts).
const std::pair<int, MenuHandler> handlers[] = {
    {2001, restartFromMenu},
    {103, openNotebookFromMenu},
    {4006, openNotebookInUserFiles},
    {4005, openExamplesNotebook},
    {7930, openSecondWindow},
    {104, saveNotebookFromMenu},
    {105, saveNotebookAsFromMenu},
    {7920, saveNotebookInUserFiles},
    {6890, saveAndZipNotebook},
    {113, loadAndInterpretFile},
    {122, saveGraphicsPngDialog},
    {112, copyGraphicsBitmap},
    {6600, startCropMode},
    {6402, saveGraphicsSvgDialog},
    {6004, copyGraphicsMetafile},
    {111, printGraphicsDialog},
    {101, exitFromMenu},
    {6400, clearRecentFilesFromMenu},
    {6062, restoreCurrentLine},
    {7950, undoRestoreLine},
    {6080, runCurrentSection},
    {7220, updateCurrentComment},
    {7221, runAndUpdateComments},
    {118, copySelectionFromMenu},
    {6041, cutSelection},
    {6032, copyFormattedOutput},
    {124, copyCommandsOnly},
    {123, pasteText},
    {6040, pasteAsCommandsFromMenu},
    {120, selectAllLines},
    {6060, searchDialog},
    {6061, searchNextFromMenu},
    {119, deleteSelectedOutputFromMenu},
    {127, deleteAllOutput},
    {7500, joinLineFromMenu},
    {6034, splitCommandAtCursor},
    {7940, splitLineAtCursor},
    {116, deleteCurrentCommand},
    {2005, undoDeleteCommands},
    {117, insertCommandAboveFromMenu},
    {7501, clearCommandLine},
    {3002, insertPreviousHistory},
    {3003, insertNextHistory},
    {106, editLineComment},
    {121, runInternalEditor},
    {130, runExternalEditor},
    {2003, exportHtmlDialog},
    {7610, copyDefaultHtmlPattern},
    {7611, copyBlackWhiteHtmlPattern},
    {7612, copyWebFontHtmlPattern},
    {7020, createHtmlDocumentation},
    {7990, exportMarkdownDialog},
    {7401, exportPdfDialog},
    {7420, deleteNotebookAndFiles},
    {7470, runSpellCheck},
    {7471, addMarkedWordsFromMenu},
    {6036, insertFunctionDefinition},
    {6110, toggleMaximaMode},
    {6111, toggleDirectMaximaMode},
    {6810, showGraphicsFromMenu},
    {7050, toggleGraphicsInTextWindow},
    {6880, setAspectDialog},
    {2000, setColorsDialog},
    {6700, toggleAntialias},
    {7000, toggleFatterLines},
    {6881, toggleBoldFont},
    {125, setFontsDialog},
    {6802, setBrowserDialog},
    {131, setupExternalEditorDialog},
    {8001, setCodepageDialog},
    {115, setMemorySizesDialog},
    {6030, setupMaximaDialog},
    {6855, setupLatexDialog},
    {7800, toggleFullScreen},
    {6871, toggleMagnify},
    {7080, showResetInfo},
    {7440, showHelpForWord},
    {7980, showHelpOverview},
    {6801, openDocumentation},
    {6003, openReference},
    {6860, openMaximaReference},
    {4001, showBrowserHelpForWord},
    {7981, openHomepage},
    {7010, searchWebSite},
    {7201, checkForUpdatesNow},
    {7030, openChangesPage},
    {109, showAboutBox},
    // not in the menu
    {102, newNotebook},
    {2002, runRemainingCommands},
    {2004, insertImageCommand},
    {3000, sendBackspaceKey},
    {3001, sendEscapeKey},
    {6035, showQuickTips},
    {6401, saveGraphicsEpsDialog},
    {6803, pasteImage},
    {7040, openExportedHtml},
    {userMenuFirstId, runUserMenuItem},
};

// The int settings the commands flip (the key table holds their defaults).
const std::pair<int, const char*> toggleSettings[] = {
    {7601, "english"},
    {7602, "german"},
    {7450, "foldallmultilines"},
    {7311, "usecolors"},
    {7071, "largeimages"},
    {7901, "sharper"},
    {6820, "neverantialiasinsimg"},
    {7900, "systemscaling"},
    {7060, "fontlines"},
    {4004, "scalelines"},
    {7430, "savecompressedsvg"},
    {4010, "saveimages"},
    {6037, "imagesindirectory"},
    {6001, "createbb"},
    {7960, "logging"},
    {6000, "askconfirmations"},
    {7090, "askexec"},
    {6031, "statushelp"},
    {6821, "helpintitle"},
    {6033, "alwaysrestart"},
    {7970, "python27"},
    {6800, "fixlinelength"},
    {7211, "utf"},
    {7480, "linux"},
    {6090, "startinmaximamode"},
    {6091, "usedirectmode"},
    {7100, "answermaxima"},
    {6830, "allowsymbolicdp"},
    {4011, "killo"},
    {6050, "startmaxima"},
    {6052, "enablemaxima"},
    {6053, "enableyacas"},
    {6051, "startyacas"},
    {6070, "brackets"},
    {6071, "spaces"},
    {6072, "assignments"},
    {6073, "commas"},
    {6200, "allowoverwrite"},
    {6201, "alwaysrelax"},
    {6202, "reportindex"},
    {6500, "conditionvectors"},
    {7301, "disablelatex"},
    {6856, "latexsilent"},
    {7302, "displaymathjaxaslatex"},
    {6850, "latexams"},
    {6851, "latexlarger"},
    {6852, "latexmagnify"},
    {7481, "latexantialias"},
    {7460, "latexkeeplarge"},
    {6853, "latexgreen"},
    {6870, "latextransparent"},
    {6854, "latexcleanup"},
    {7700, "insertsmaller"},
    {7200, "checkforupdates"},
    {6840, "allowvaroverwrite"},
    {7410, "generatexhtml"},
};

// Accelerator table 1 in its order (the second Alt+Insert is dropped: the
// first entry of a key wins).
const std::pair<const char*, int> accelerators[] = {
    {"Ctrl+A", 120},
    {"Ctrl+C", 118},
    {"Ctrl+Shift+C", 124},
    {"Ctrl+D", 6036},
    {"Ctrl+Shift+D", 7990},
    {"Ctrl+E", 2003},
    {"Ctrl+F", 6060},
    {"Ctrl+Shift+F", 6032},
    {"Ctrl+G", 7050},
    {"Ctrl+H", 4001},
    {"Ctrl+L", 7450},
    {"Ctrl+M", 6110},
    {"Ctrl+Shift+M", 6111},
    {"Ctrl+N", 2001},
    {"Ctrl+O", 103},
    {"Alt+O", 4006},
    {"Ctrl+Shift+O", 7930},
    {"Ctrl+P", 7401},
    {"Ctrl+Q", 6871},
    {"Ctrl+Shift+Q", 7800},
    {"Ctrl+R", 7221},
    {"Ctrl+S", 104},
    {"Alt+S", 7920},
    {"Ctrl+Shift+S", 105},
    {"Ctrl+T", 7470},
    {"Ctrl+Shift+T", 7471},
    {"Alt+U", 2005},
    {"Ctrl+V", 123},
    {"Ctrl+Shift+V", 6040},
    {"Ctrl+Backspace", 7500},
    {"Alt+Backspace", 116},
    {"Ctrl+Del", 7501},
    {"F1", 7440},
    {"F10", 130},
    {"F3", 6061},
    {"Alt+F4", 101},
    {"F5", 106},
    {"F9", 121},
    {"Alt+Ins", 117},
    {"Alt+Ins", 7960},
    {"Ctrl+Return", 6034},
    {"Alt+Return", 7220},
    {"Shift+Return", 6080},
    {"Ctrl+Shift+Return", 7940},
    {"Ctrl+X", 6041},
    {"Ctrl+Y", 7950},
    {"Ctrl+Z", 6062},
};

const char* const taskTopics[taskHelpCount] = {
    "Help",
    "Keyboard",
    "Variables",
    "Data Types",
    "Comments",
    "Plots in 2D",
    "Plots in 3D",
    "Logarithmic Plots",
    "Solve Equations",
    "Differential Equations",
    "Optimization",
    "Algebra",
    "Integrals",
    "Regression",
    "Formats",
    "Units",
    "Interval Arithmetic",
    "Polynomials and Splines",
    "Programming Language",
    "Symbolic Functions",
    "Scripts",
    "Variables in Functions",
    "Symbolic Variables",
    "parameters",
    "map",
    "Plot Styles",
    "Basic Plots",
    "Matrices",
    "Matrix Language",
    "Statistics",
    "Statistical Plots",
};

// The file name without directory and extension.
std::string shortName(const std::string& path) {
    std::string name = path.substr(path.rfind('/') + 1);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

}  // namespace

std::string menuEntryLabel(const std::string& text) {
    std::string label;
    for (char c : text) {
        if (c == '?' || c == '%') continue;
        if (label.size() == 255) break;
        label += c;
    }
    return label;
}

const char* taskHelpTopic(int id) {
    int index = id - taskHelpFirstId;
    return index >= 0 && index < taskHelpCount ? taskTopics[index] : "";
}

// --- building ------------------------------------------------------------------------------

KalixMenu::KalixMenu(StandardWindow& window) : Menu(window) {
    mainMenu = this;
    buildPopups();
    bindCommands();
    readToggles();
    for (const auto& [keys, id] : accelerators) addAccelerator(keys, id);
    // The placeholder of the Recent popup goes; the list takes its place.
    removeMenuItem(popupRecent, recentFirstId);
    loadRecentFiles();
    buildRecentMenu();
    attachMenu();
}

KalixMenu::~KalixMenu() {
    if (mainMenu == this) mainMenu = nullptr;
}

void KalixMenu::buildPopups() {
    for (const char* title : popupTitles) addSubmenu(title);
    std::map<std::pair<int, std::string>, int> submenus;
    for (const MenuRow& row : menuRows) {
        int handle = row.popup;
        if (row.submenu) {
            auto key = std::make_pair(row.popup, std::string(row.submenu));
            auto found = submenus.find(key);
            if (found == submenus.end())
                found = submenus.emplace(key, addSubmenu(row.popup, row.submenu)).first;
            handle = found->second;
        }
        if (!row.text) {
            addMenuSeparator(handle);
            continue;
        }
        std::string text = row.text;
        if (row.keys) text += std::string("\t") + row.keys;
        addMenuItem(handle, row.id, text.c_str(), nullptr);
    }
}

void KalixMenu::bindCommands() {
    for (const auto& [id, handler] : handlers) addMenuHandler(id, handler);
    for (int id = taskHelpFirstId; id < taskHelpFirstId + taskHelpCount; id++)
        addMenuHandler(id, openTaskHelp);
}

void KalixMenu::readToggles() {
    toggles.reserve(std::size(toggleSettings));
    for (const auto& [id, key] : toggleSettings)
        toggles.push_back(Toggle{id, key, intSetting(key)});
    for (Toggle& toggle : toggles) addMenuToggle(toggle.id, &toggle.value);
    setMenuCheck(6700, intSetting("antialiasgraphics"));
    setMenuCheck(7470, intSetting("spellcheck"));
}

void KalixMenu::notifyCommand(int id) {
    for (const Toggle& toggle : toggles)
        if (toggle.id == id) writeIntSetting(toggle.key, toggle.value);
    if (id == 7450 && textWindow) textWindow->invalidate();
    if (id == 7601 || id == 7602) {
        wordListsChanged();
        if (intSetting("spellcheck")) markMisspeltWordsAgain();
    }
}

// --- recent notebooks ------------------------------------------------------------------------

// A stored path counts when its file exists, no earlier slot holds it and
// it is no recovery copy; the settings keep only what counts.
void KalixMenu::loadRecentFiles() {
    recentFiles.clear();
    bool dropped = false;
    for (int slot = 0; slot < recentSlots; slot++) {
        char key[16];
        std::snprintf(key, sizeof key, "recent%d", slot);
        std::string path = textSetting(key);
        if (path.empty()) continue;
        bool kept = checkFileExists(path.c_str()) && !isRecoveryPath(path) &&
                    std::find(recentFiles.begin(), recentFiles.end(), path) == recentFiles.end();
        if (kept)
            recentFiles.push_back(path);
        else
            dropped = true;
    }
    if (dropped) writeRecentSettings();
}

void KalixMenu::addRecentFile(const char* path) {
    std::string copy = path ? path : "";
    if (!isGuiThread()) {
        postToGui([this, copy] { addRecentFile(copy.c_str()); });
        return;
    }
    // A recovery copy is no notebook of the user's.
    if (copy.empty() || isRecoveryPath(copy)) return;
    removeRecentMenuItems();
    std::erase(recentFiles, copy);
    if (int(recentFiles.size()) == recentSlots) recentFiles.erase(recentFiles.begin());
    recentFiles.push_back(copy);
    writeRecentSettings();
    buildRecentMenu();
}

void KalixMenu::clearRecentFiles() {
    removeRecentMenuItems();
    recentFiles.clear();
    for (int slot = 0; slot < recentSlots; slot++) {
        char key[16];
        std::snprintf(key, sizeof key, "recent%d", slot);
        settings.deleteSetting(key);
    }
}

std::vector<std::string> KalixMenu::getRecentFiles() const { return recentFiles; }

void KalixMenu::buildRecentMenu() {
    for (size_t slot = 0; slot < recentFiles.size(); slot++) {
        int id = recentFirstId + int(slot);
        addMenuItem(popupRecent, id, shortName(recentFiles[slot]).c_str(), openRecentFile);
    }
}

void KalixMenu::removeRecentMenuItems() {
    for (size_t slot = 0; slot < recentFiles.size(); slot++)
        removeMenuItem(popupRecent, recentFirstId + int(slot));
}

void KalixMenu::writeRecentSettings() {
    for (int slot = 0; slot < recentSlots; slot++) {
        char key[16];
        std::snprintf(key, sizeof key, "recent%d", slot);
        writeSetting(key, slot < int(recentFiles.size()) ? recentFiles[size_t(slot)].c_str() : "");
    }
}

void openRecentFile() {
    if (!mainMenu || getIntCell(inputWaiting) != 1 || inputBuiltinActive) return;
    int slot = mainMenu->getLastCommandId() - recentFirstId;
    std::vector<std::string> files = mainMenu->getRecentFiles();
    if (slot < 0 || slot >= int(files.size())) return;
    std::string path = files[size_t(slot)];
    if (!checkFileExists(path.c_str())) {
        showMessage("File does no longer exist!", "Load Recent");
        return;
    }
    NotebookEditor* editor = menuEditor();
    if (editor && editor->isNotebookChanged() && editor->countCommandLines() > 1) {
        if (!intSetting("askconfirmations") ||
            askYesNo("Save this Notebook\nbefore deleting it?", "Kalix") == answerYes)
            saveNotebookNow();
    }
    openNotebookFile(path.c_str());
}

// --- the user menu ---------------------------------------------------------------------------

void KalixMenu::addUserMenuEntry(const std::string& text, const std::string& submenuName) {
    if (userMenuEntries.empty()) removeMenuItem(popupUser, userMenuFirstId);
    int handle = -1;
    for (const UserSubmenu& submenu : userSubmenus)
        if (submenu.name == submenuName) handle = submenu.handle;
    if (handle < 0) {
        // A full menu takes no more entries.
        if (int(userSubmenus.size()) == userSubmenuCapacity) return;
        handle = addSubmenu(popupUser, menuEntryLabel(submenuName).c_str());
        userSubmenus.push_back(UserSubmenu{submenuName, handle});
    }
    for (const std::string& entry : userMenuEntries)
        if (entry == text) return;
    if (int(userMenuEntries.size()) == userMenuCapacity) return;
    int id = userMenuFirstId + int(userMenuEntries.size());
    addMenuItem(handle, id, menuEntryLabel(text).c_str(), runUserMenuItem);
    userMenuEntries.push_back(text);
}

void KalixMenu::addLoadedFileToMenu(const std::string& path) {
    size_t length = path.size();
    if (length >= 4 && path.compare(length - 4, 4, ".cfg") == 0) return;
    std::string entry = path;
    if (length < 2 || path.compare(length - 2, 2, ".k") != 0) entry += ".k";
    addUserMenuEntry(entry, "Loaded Kalix Files");
}

void KalixMenu::clearUserMenu() {
    if (userMenuEntries.empty()) return;
    for (int i = 0; i < int(userMenuEntries.size()); i++)
        for (const UserSubmenu& submenu : userSubmenus)
            removeMenuItem(submenu.handle, userMenuFirstId + i);
    for (const UserSubmenu& submenu : userSubmenus) removeSubmenu(popupUser, submenu.handle);
    userMenuEntries.clear();
    userSubmenus.clear();
    addMenuItem(popupUser, userMenuFirstId, "Currently empty!", runUserMenuItem);
    userSubmenuName = "Other";
}

// The entry's text goes into the cursor line: "%" is not inserted and the
// cursor stands where it was, a "?" gets the cursor; "::" and "&" entries
// need a symbolic line.
void runUserMenuItem() {
    if (!mainMenu || !readyForCommand()) return;
    int index = mainMenu->getLastCommandId() - userMenuFirstId;
    if (index < 0 || index >= mainMenu->getUserMenuCount()) return;
    std::string text = mainMenu->getUserMenuEntry(index);
    if (text.size() >= 2 && text.compare(text.size() - 2, 2, ".k") == 0) {
        showHelpTopic(text.c_str());
        return;
    }
    NotebookEditor& editor = *menuEditor();
    {
        TextLockHold hold(editor, "inserttext", std::try_to_lock);
        if (!hold.owns()) return;
        bool symbolic = text.compare(0, 2, "::") == 0 || text.compare(0, 1, "&") == 0;
        if (symbolic) {
            text.erase(0, text[0] == ':' ? 2 : 1);
            if (!text.empty() && text[0] == ' ') text.erase(0, 1);
            if (editor.cursor().getLine()->text.length() == 1) editor.insertText(":: ");
            if (!editor.cursor().getLine()->text.matchesAt(0, ">::")) return;
        }
        size_t mark = text.find('%');
        if (mark != std::string::npos) {
            editor.insertText(text.substr(0, mark).c_str());
            int column = editor.cursor().getColumn();
            editor.insertText(text.substr(mark + 1).c_str());
            editor.setCursorColumn(column);
        } else if ((mark = text.find('?')) != std::string::npos) {
            editor.insertText(text.substr(0, mark).c_str());
            int column = editor.cursor().getColumn();
            editor.insertText(text.substr(mark).c_str());
            editor.setCursorColumn(column);
        } else {
            editor.insertText(text.c_str());
        }
        editor.unmarkAll();
    }
    editor.getHost().invalidate();
}

// --- the help topics -------------------------------------------------------------------------

void openTaskHelp() {
    if (!mainMenu) return;
    const char* name = taskHelpTopic(mainMenu->getLastCommandId());
    if (!*name) return;
    showHelpTopic(withNoBreakSpaces(name).c_str());
}

}  // namespace kalix
