// The export commands: save, export, run pdflatex, open the result.
#include "notebook/export_commands.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#include "base/base_directory.h"
#include "base/file_reading.h"
#include "base/settings.h"
#include "base/text.h"
#include "platform/child_process.h"

namespace kalix {

static bool exists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0;
}

// "file://" and the absolute path.
static std::string fileAddress(const std::string& path) {
    if (!path.empty() && path[0] == '/') return "file://" + path;
    char current[4096];
    std::string folder = getcwd(current, sizeof current) ? current : "";
    return "file://" + folder + "/" + path;
}

void NotebookHost::openInBrowser(const char* page) {
    std::string browser = textSetting("browserstring");
    std::vector<std::string> arguments = {browser.empty() ? "xdg-open" : browser, page};
    std::string error;
    if (!startProgram(arguments, std::string(), error))
        showMessage(("Could not open the browser!\nTry editing the browser settings.\nCommand "
                     "Line was:\n" +
                     commandLineText(arguments))
                        .c_str());
}

void NotebookHost::openWithViewer(const char* path) {
    std::string viewer = locateProgram("", "xdg-open");
    std::string error;
    if (!viewer.empty()) startProgram({viewer, path}, std::string(), error);
}

// --- after the save ------------------------------------------------------------------------

int exportHtmlAfterSave(NotebookEditor& editor, int saved, int open) {
    std::string path = notebookPathWith(editor, ".html");
    if (!saved || path.empty()) return 0;
    if (!exportHtml(editor, path.c_str(), exportOptionsFromSettings())) return 0;
    if (open && intSetting("openexportedhtml"))
        editor.getHost().openInBrowser(fileAddress(path).c_str());
    return 1;
}

int exportMarkdownAfterSave(NotebookEditor& editor, int saved, int open) {
    std::string path = notebookPathWith(editor, ".md");
    if (!saved || path.empty()) return 0;
    if (!exportMarkdown(editor, path.c_str(), exportOptionsFromSettings())) return 0;
    if (open && intSetting("openexportedhtml"))
        editor.getHost().openInBrowser(fileAddress(path).c_str());
    return 1;
}

// The characters the log says no font had, each as itself and its code
// ("漢 (U+6F22)"), separated by commas: lualatex writes "Missing
// character: There is no X (U+XXXX)", pdflatex "Unicode character X
// (U+XXXX)" in its error.
static std::string missingCharacters(const std::string& log) {
    std::string list;
    for (const char* marker : {"There is no ", "Unicode character "}) {
        for (size_t at = log.find(marker); at != std::string::npos; at = log.find(marker, at + 1)) {
            size_t open = log.find(" (U+", at);
            size_t close = open == std::string::npos ? open : log.find(')', open);
            if (close == std::string::npos || close - at > 40) continue;
            std::string character = log.substr(at, close + 1 - at).substr(std::strlen(marker));
            if (list.find(character) == std::string::npos)
                list += (list.empty() ? "" : ", ") + character;
        }
    }
    std::string shown;
    utf8ToCodePage(list.c_str(), shown);
    return shown;
}

// lualatex (with Unicode fonts; pdflatex where it is missing) on the ".tex"
// file in its folder; its work files are removed afterwards (the log stays
// when it reported errors). Characters no font had are named.
static int runPdfLatex(NotebookHost& host, const std::string& tex) {
    std::string program = locateProgram(textSetting("latexbin"), "lualatex");
    if (program.empty()) program = locateProgram(textSetting("latexbin"), "pdflatex");
    if (program.empty()) {
        host.showMessage(
            "Program pdflatex could not be found.\nPlease configure Latex in the Menu!");
        return 0;
    }
    std::string folder = directoryOf(tex);
    std::vector<std::string> arguments = {program, "-interaction=nonstopmode",
                                          tex.substr(folder.size())};
    ProgramRun run = runProgram(arguments, folder, intSetting("latexsilent"));
    if (!run.started) {
        host.showMessage(("Could not start the Latex process!\nCommand Line was:\n" +
                          commandLineText(arguments) + "\n" + run.error)
                             .c_str());
        return 0;
    }
    std::string stem = tex.substr(0, tex.size() - 4);
    bool made = run.exitStatus == 0 && exists(stem + ".pdf");
    for (const char* extension : {".aux", ".toc", ".out", ".nav", ".snm"})
        deleteFileIfPresent((stem + extension).c_str());
    std::string log;
    readWholeFile((stem + ".log").c_str(), log);
    std::string missing = missingCharacters(log);
    if (!missing.empty()) missing = "No font at hand has the characters " + missing;
    if (!made) {
        host.showMessage(("Latex reported errors while making the PDF.\nSee the log file\n" + stem +
                          ".log" + (missing.empty() ? "" : "\n" + missing))
                             .c_str());
        return 0;
    }
    deleteFileIfPresent((stem + ".log").c_str());
    if (!missing.empty()) host.showMessage(("The PDF lacks characters.\n" + missing).c_str());
    if (intSetting("openexportedpdf")) host.openWithViewer((stem + ".pdf").c_str());
    return 1;
}

int exportPdfAfterSave(NotebookEditor& editor, int saved, int pdf) {
    std::string tex = notebookPathWith(editor, ".tex");
    if (!saved || tex.empty()) return 0;
    if (!exportLatex(editor, tex.c_str(), exportOptionsFromSettings(1), programDir.getText()))
        return 0;
    if (!pdf || intSetting("disablelatex") || intSetting("generatelatexfileonly")) return 1;
    return runPdfLatex(editor.getHost(), tex);
}

// --- the commands ----------------------------------------------------------------------

void exportHtmlCommand(NotebookEditor& editor, SaveWorker& worker) {
    worker.run([&editor] { return exportHtmlAfterSave(editor, saveNotebook(editor), 1); });
}

void exportMarkdownCommand(NotebookEditor& editor, SaveWorker& worker) {
    worker.run([&editor] { return exportMarkdownAfterSave(editor, saveNotebook(editor), 1); });
}

void exportPdfCommand(NotebookEditor& editor, SaveWorker& worker) {
    worker.run([&editor] { return exportPdfAfterSave(editor, saveNotebook(editor), 1); });
}

void startSaveAndExport(NotebookEditor& editor, SaveWorker& worker) {
    worker.run([&editor] { return exportHtmlAfterSave(editor, saveToCurrentFile(editor), 1); });
}

void openExportedHtml(NotebookEditor& editor) {
    if (!saveNotebook(editor)) return;
    editor.getHost().openInBrowser(fileAddress(notebookPathWith(editor, ".html")).c_str());
}

}  // namespace kalix
