#include "gui/export_dialogs.h"

#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "base/base_directory.h"
#include "base/settings.h"
#include "gui/dialogs.h"
#include "gui/file_menu_commands.h"
#include "gui/notebook_commands.h"
#include "gui/option_dialogs.h"
#include "gui/text_window.h"
#include "notebook/export_commands.h"
#include "notebook/line_editor.h"
#include "notebook/notebook_file_operations.h"

namespace kalix {

namespace {

struct CheckSetting {
    int id;
    const char* key;
};

// Runs an export dialog with one check box per setting; on OK the settings
// are written and the export starts.
void runExportDialog(int templateId, std::vector<CheckSetting> checks,
                     void (*start)(NotebookEditor&, SaveWorker&)) {
    if (!readyOnCommandLine()) return;
    Dialog dialog(textWindow, templateId);
    std::vector<std::unique_ptr<CheckItem>> items;
    for (const CheckSetting& check : checks)
        items.push_back(std::make_unique<CheckItem>(check.id, dialog, intSetting(check.key)));
    HelpButton help(dialog, "documentation/export.html");
    if (dialog.runModal() != dialogOk) return;
    for (size_t i = 0; i < checks.size(); i++) writeIntSetting(checks[i].key, items[i]->getValue());
    NotebookEditor& editor = textWindow->getEditor();
    start(editor, windowSaveWorker(editor));
}

// Copies a pattern file of the program's "docs" folder to "Pattern.html"
// in the current directory.
void copyHtmlPattern(const char* name) {
    std::string source = std::string(programDir.getText()) + "docs/" + name + ".html";
    std::error_code error;
    std::filesystem::copy_file(source, "Pattern.html",
                               std::filesystem::copy_options::overwrite_existing, error);
    if (error)
        showFormattedMessage("Kalix", "Could not copy\n%s\nto Pattern.html\n%s", source.c_str(),
                             error.message().c_str());
}

// With "createsvg": save, then run every command from the first so that
// each plot is written again as an SVG file; the end of the run saves and
// exports the page.
void saveRunAllAndExportHtml(NotebookEditor& editor, SaveWorker& worker) {
    if (!intSetting("createsvg")) return exportHtmlCommand(editor, worker);
    if (!saveNotebook(editor)) return;
    {
        TextLockHold hold(editor, "run all");
        NotebookLine* first = editor.document().getFirstLine();
        while (first && first->kind != lineCommand) first = first->next;
        if (first) editor.setCursorLine(first, 1);
    }
    assignIntCell(commandsToRun, 1000);
    assignIntCell(runThroughSections, 1);
    assignIntCell(updateCommentsWhileRunning, 0);
    textWindow->requestSvgExportRun();
    textWindow->resumeInterpreter();
}

}  // namespace

void exportHtmlDialog() {
    runExportDialog(17,
                    {{10, "openexportedhtml"},
                     {11, "uselargeimagesforhtml"},
                     {12, "htmlutf"},
                     {13, "generatexhtml"},
                     {14, "exportlatexasmathjax"},
                     {15, "createsvg"},
                     {16, "respectfolding"},
                     {17, "noreformat"}},
                    saveRunAllAndExportHtml);
}

void exportMarkdownDialog() {
    runExportDialog(21,
                    {{10, "openexportedhtml"},
                     {11, "uselargeimagesforhtml"},
                     {12, "htmlutf"},
                     {16, "respectfolding"}},
                    exportMarkdownCommand);
}

void exportPdfDialog() {
    runExportDialog(
        18, {{10, "openexportedpdf"}, {11, "generatelatexfileonly"}, {16, "respectfoldinglatex"}},
        exportPdfCommand);
}

void openExportedHtml() {
    if (!readyOnCommandLine()) return;
    runSaveJob([](NotebookEditor& editor) {
        openExportedHtml(editor);
        return 1;
    });
}

void copyDefaultHtmlPattern() { copyHtmlPattern("KalixDefault"); }
void copyBlackWhiteHtmlPattern() { copyHtmlPattern("KalixBlackAndWhite"); }
void copyWebFontHtmlPattern() { copyHtmlPattern("KalixWebFont"); }

void createHtmlDocumentation() {
    if (!readyForCommand()) return;
    std::string path = loadProgramSelector.chooseFile(textWindow);
    if (!path.empty()) createHtmlDocumentation(path.c_str(), *textWindow);
}

}  // namespace kalix
