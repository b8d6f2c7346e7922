#include "gui/internal_editor.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/file_reading.h"
#include "base/settings.h"
#include "gui/dialogs.h"
#include "gui/notebook_commands.h"
#include "gui/option_dialogs.h"
#include "gui/program_launch.h"
#include "gui/quit_request.h"
#include "gui/text_window.h"
#include "interpreter/program_files.h"
#include "interpreter/state_hand_over.h"
#include "platform/child_process.h"
#include "platform/host.h"
#include "platform/processes.h"

namespace kalix {

namespace {

// Lines of 32,768 characters and more do not go back into the notebook.
constexpr size_t notebookLineLimit = 32768;

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

bool hasAssignment(const std::string& text) {
    return text.find(":=") != std::string::npos || text.find("&=") != std::string::npos ||
           text.find("&&=") != std::string::npos;
}

bool hasExtension(const std::string& name) {
    size_t slash = name.rfind('/');
    size_t dot = name.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// A file's lines, each ended by "\r\n" (as the edit field keeps them).
std::string textForField(const std::string& bytes) {
    std::string text;
    for (size_t start = 0; start < bytes.size();) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos) end = bytes.size();
        size_t stop = end > start && bytes[end - 1] == '\r' ? end - 1 : end;
        text.append(bytes, start, stop - start).append("\r\n");
        start = end + 1;
    }
    return text;
}

// The field's text with the line ends of this system.
bool writeFromField(const std::string& path, const std::string& text) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    bool written = std::fwrite(out.data(), 1, out.size(), file) == out.size();
    return std::fclose(file) == 0 && written;
}

// The lines of an edited text: a run of line breaks is one break, so empty
// lines are dropped.
std::vector<std::string> editedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

std::string afterPrompt(const NotebookLine* line) {
    const char* text = line->text.getText();
    return text[0] ? text + 1 : "";
}

enum EditMode { editTemporaryFile, editLoadedFile, editFunction, editCommandLines };

// What the editor was opened on.
struct EditSource {
    EditMode mode = editCommandLines;
    std::string text;
    std::string file;
    uint64_t firstLine = 0;              // the command (first line of it)
    std::vector<uint64_t> commandLines;  // the lines of a continued command
    bool hadAssignment = false;
};

bool tooLong(const std::string& line) {
    if (line.size() < notebookLineLimit) return false;
    showMessage("Line too long!", "Editor");
    return true;
}

// The edited text as a function: the header in the command line, the body
// as "$" lines below it (the old body goes).
void writeFunction(NotebookEditor& editor, NotebookLine* header,
                   const std::vector<std::string>& lines) {
    if (lines.empty() ||
        !(startsWith(lines[0], "function ") || startsWith(lines[0], "%+ function "))) {
        showMessage("Function definition missing!", "Editor");
        return;
    }
    if (tooLong(lines[0])) return;
    header->text.assign((">" + lines[0]).c_str());
    header->kind = lineCommand;
    editor.setCursorLine(header, 1);
    while (header->next && header->next->kind == lineFunctionBody)
        editor.deleteNotebookLine(header->next);
    NotebookLine* last = header;
    for (size_t i = 1; i < lines.size(); i++) {
        if (tooLong(lines[i])) break;
        last = editor.newLineAfter(last, ("$" + lines[i]).c_str(), lineFunctionBody);
    }
    if (last != header) {
        if (!header->text.endsWith("...")) header->text.append(" ...");
        if (!std::strstr(last->text.getText(), "endfunction"))
            editor.newLineAfter(last, "$endfunction", lineFunctionBody);
    }
}

// The edited lines over the old lines of a continued command; more lines
// than before go into new command lines, fewer leave the rest as it was.
void writeCommandLines(NotebookEditor& editor, NotebookLine* first, const EditSource& source,
                       const std::vector<std::string>& lines) {
    std::vector<std::string> texts = lines.empty() ? std::vector<std::string>{""} : lines;
    NotebookLine* last = nullptr;
    std::vector<NotebookLine*> written;
    for (size_t i = 0; i < texts.size(); i++) {
        if (tooLong(texts[i])) break;
        NotebookLine* line = nullptr;
        if (i == 0)
            line = first;
        else if (i < source.commandLines.size())
            line = editor.findLine(source.commandLines[i]);
        std::string text = ">" + texts[i];
        if (line) {
            line->text.assign(text.c_str());
            line->kind = lineCommand;
        } else {
            line = editor.newLineAfter(last, text.c_str(), lineCommand);
        }
        written.push_back(line);
        last = line;
    }
    for (size_t i = 0; i + 1 < written.size(); i++)
        if (!written[i]->text.endsWith("...")) written[i]->text.append(" ...");
}

// Looks at the cursor line and collects what the editor shows. False
// when there is nothing to edit (a message was shown).
bool collectSource(NotebookEditor& editor, EditSource& source) {
    std::string line;
    {
        TextLockHold hold(editor, "edit", std::try_to_lock);
        if (!hold.owns()) return false;
        line = editor.cursor().getLine()->text.getText();
    }
    std::string after = line.empty() ? "" : line.substr(1);
    if (after.empty()) {
        source.mode = editTemporaryFile;
        source.file = temporaryProgramFile();
    } else if (startsWith(line, ">load ")) {
        source.mode = editLoadedFile;
        source.file = parseLoadName(line.c_str() + 6);
        if (source.file.empty()) return false;
        if (!hasExtension(source.file)) source.file += ".k";
    }
    if (source.mode == editTemporaryFile || source.mode == editLoadedFile) {
        std::string bytes;
        if (readWholeFile(source.file.c_str(), bytes)) source.text = textForField(bytes);
        return true;
    }
    TextLockHold hold(editor, "edit");
    NotebookLine* cursor = editor.cursor().getLine();
    source.hadAssignment = hasAssignment(line);
    if (!NotebookEditor::isFunctionStart(line.c_str())) {
        source.mode = editCommandLines;
        NotebookLine* first = cursor;
        while (first->previous && first->previous->kind == lineCommand &&
               first->previous->text.endsWith("..."))
            first = first->previous;
        editor.setCursorLine(first, 1);
        source.firstLine = first->id;
        source.text = afterPrompt(first);
        source.commandLines.push_back(first->id);
        for (NotebookLine* at = first;
             at->text.endsWith("...") && at->next && at->next->kind == lineCommand &&
             !NotebookEditor::isFunctionStart(at->next->text.getText());) {
            at = at->next;
            source.text += "\r\n" + afterPrompt(at);
            source.commandLines.push_back(at->id);
        }
    } else {
        source.mode = editFunction;
        editor.removeOutput();
        source.firstLine = cursor->id;
        source.text = after;
        for (NotebookLine* body = cursor->next; body && body->kind == lineFunctionBody;
             body = body->next)
            source.text += "\r\n" + afterPrompt(body);
    }
    return true;
}

void writeBack(NotebookEditor& editor, const EditSource& source, const std::string& text) {
    if (source.mode == editTemporaryFile || source.mode == editLoadedFile) {
        if (!writeFromField(source.file, text)) {
            showFormattedMessage("Interpret", "Could not open %s !", source.file.c_str());
            return;
        }
        if (source.mode == editTemporaryFile)
            editor.setCursorCommand(("load \"" + source.file + "\"").c_str(), 1);
        return;
    }
    std::vector<std::string> lines = editedLines(text);
    {
        TextLockHold hold(editor, "edit");
        NotebookLine* first = editor.findLine(source.firstLine);
        if (!first) return;
        bool function =
            source.mode == editFunction || (!lines.empty() && startsWith(lines[0], "function ") &&
                                            !source.hadAssignment && !hasAssignment(lines[0]));
        if (function)
            writeFunction(editor, first, lines);
        else
            writeCommandLines(editor, first, source, lines);
        editor.setNotebookChanged(1);
        editor.showCursorLine();
    }
    editor.getHost().invalidate();
}

// The program ends on a signal while the editor is open: an edited
// command goes into the notebook (its recovery copy keeps it), an edited
// file into the temporary program file, never into the user's file.
void keepAtSignal(NotebookEditor& editor, const EditSource& source, const std::string& text) {
    if (source.mode == editTemporaryFile || source.mode == editLoadedFile) {
        writeFromField(temporaryProgramFile(), text);
        return;
    }
    writeBack(editor, source, text);
}

// Opens the editor on the cursor command and writes back on OK.
void editCursorCommand() {
    NotebookEditor& editor = textWindow->getEditor();
    EditSource source;
    if (!collectSource(editor, source)) return;
    Dialog dialog(textWindow, 6);
    MultilineItem field(12, dialog, source.text);
    field.setItemFont(textWindow->getFonts().normal);
    SaveButton save(10, dialog, field);
    LoadButton load(13, dialog, field);
    HelpButton help(dialog, "documentation/gui.html#Internal_Editor");
    dialog.setFocusItem(12);
    placeDialogFromSettings(dialog, "edit", 400, 400);
    int result = dialog.runModal();
    storeDialogGeometry(dialog, "edit");
    if (result == dialogOk || result == 11)
        writeBack(editor, source, field.getItemString());
    else if (endingOnSignal && field.getItemString() != source.text)
        keepAtSignal(editor, source, field.getItemString());
    editor.getHost().invalidate();
}

}  // namespace

std::string temporaryProgramFile() { return std::string(getUserWorkDir()) + "KalixTemp.k"; }

std::string parseLoadName(const char* text) {
    while (*text == ' ') text++;
    std::string name;
    if (*text == '"') {
        for (text++; *text && *text != '"'; text++) name += *text;
    } else {
        for (; *text && *text != ' ' && *text != ',' && *text != ';'; text++) name += *text;
    }
    if (name.empty()) {
        showMessage("Name expected!", "load");
        return name;
    }
    if (name.size() > 499) {
        showMessage("Name too long!", "load");
        return std::string();
    }
    return name;
}

void runInternalEditor() {
    if (!readyOnCommandLine()) return;
    editCursorCommand();
}

void insertFunctionDefinition() {
    if (!readyForCommand()) return;
    NotebookEditor& editor = textWindow->getEditor();
    {
        TextLockHold hold(editor, "insertline", std::try_to_lock);
        if (!hold.owns()) return;
        if (editor.cursor().getLine()->text.length() > 1) editor.insertLine();
        editor.cursor().getLine()->kind = lineCommand;
        editor.cursor().getLine()->text.assign(">function f(x)");
        editor.cursor().setColumn(1);
        editor.setNotebookChanged(1);
    }
    editCursorCommand();
    editor.getHost().invalidate();
}

std::vector<std::string> externalEditorCommand(const std::string& file) {
    std::vector<std::string> words;
    std::string editor = textSetting("externaleditor");
    if (!editor.empty()) {
        words.push_back(editor);
    } else {
        for (const char* variable : {"VISUAL", "EDITOR"}) {
            const char* value = std::getenv(variable);
            if (value && *value) {
                words = splitCommandWords(value);
                break;
            }
        }
        if (words.empty()) words.push_back("xdg-open");
    }
    for (const std::string& word : splitCommandWords(textSetting("externalparameters")))
        words.push_back(word);
    words.push_back(file);
    return words;
}

void runExternalEditor() {
    if (!readyForCommand()) return;
    NotebookEditor& editor = textWindow->getEditor();
    std::string line;
    {
        TextLockHold hold(editor, "edit", std::try_to_lock);
        if (!hold.owns()) return;
        line = afterPrompt(editor.cursor().getLine());
    }
    std::string file;
    if (startsWith(line, "load ")) {
        file = parseLoadName(line.c_str() + 5);
        if (file.empty()) return;
        if (!hasExtension(file) && !checkFileExists(file.c_str())) file += ".k";
        // The interpreter's path, read while it is handed over.
        StateHandOverHold state;
        const char* found =
            stateReadableByCaller() ? findFileInPath(file.c_str(), nullptr) : nullptr;
        if (found) file = found;
    } else if (startsWith(line, "tccompile ")) {
        file = parseLoadName(line.c_str() + 10);
        if (file.empty()) return;
        if (!endsWith(file, ".c") && !checkFileExists(file.c_str())) file += ".c";
    } else {
        file = textSetting("externalfile");
        if (file.empty()) {
            file = temporaryProgramFile();
            if (line.empty()) editor.setCursorCommand(("load \"" + file + "\"").c_str(), 1);
        }
    }
    std::string error;
    startProgram(externalEditorCommand(file), std::string(), error);
}

// --- the editor's buttons --------------------------------------------------------------------

int SaveButton::onItemCommand(int) {
    field.readBack();
    std::string name = saveEditorSelector.chooseFile();
    if (!name.empty() && !writeFromField(name, field.getItemString()))
        showMessage("Could not open this file!", "Save");
    return 1;
}

int LoadButton::onItemCommand(int) {
    field.readBack();
    std::string name = loadEditorSelector.chooseFile();
    if (name.empty()) return 1;
    FILE* file = nullptr;
    {
        // The interpreter's path, read while it is handed over; else the
        // name as chosen.
        StateHandOverHold state;
        file = stateReadableByCaller() ? openFileInPath(name.c_str(), "rb", 1, 1)
                                       : std::fopen(name.c_str(), "rb");
    }
    std::string bytes;
    bool read = file && readWholeDescriptor(fileno(file), bytes);
    if (file) std::fclose(file);
    if (!read) {
        showMessage("Could not open this file!", "Load");
        return 1;
    }
    field.setItemString(textForField(bytes));
    return 1;
}

}  // namespace kalix
