// Program files: `load` runs a file's lines through the statement executor
// exactly as if they were typed; the file is searched along the path.
// Also the comment blocks of program files, `stopload`, `relax`, `path`
// and `cd`.
#include "interpreter/program_files.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "base/settings.h"
#include "interpreter/commands.h"
#include "interpreter/engine_services.h"
#include "interpreter/evaluator.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/stack.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

char loadFileName[1024];
char* pathList[maxPathEntries];
int pathCount = 0;
int commentsOn = 1;
int relaxMode = 0;

static void freePathEntries() {
    for (int i = 0; i < maxPathEntries; i++) {
        std::free(pathList[i]);
        pathList[i] = nullptr;
    }
    pathCount = 0;
}

void resetSearchPath() {
    freePathEntries();
    pathList[0] = strdup(".");
}

// --- the search -----------------------------------------------------------

static bool isDirectory(FILE* file) {
    struct stat status;
    return fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
}

// Whether the last component of the path has an extension.
static bool hasExtension(const std::string& name) {
    size_t slash = name.rfind('/');
    size_t start = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = name.rfind('.');
    return dot != std::string::npos && dot > start;
}

// A name without an extension is a program file with ".k"; a name with
// one is tried as given, then with ".k" appended.
static FILE* openCandidate(const std::string& name, const char* mode, int tryExtension) {
    if (tryExtension && !hasExtension(name)) return openCandidate(name + ".k", mode, 0);
    FILE* file = std::fopen(name.c_str(), mode);
    if (file && isDirectory(file)) {
        std::fclose(file);
        file = nullptr;
    }
    if (!file && tryExtension) return openCandidate(name + ".k", mode, 0);
    return file;
}

// A path entry beginning with a backslash is relative to the program
// directory.
static std::string pathEntry(int i) {
    const char* entry = pathList[i] ? pathList[i] : "";
    if (entry[0] == '\\') return std::string(getProgramDir()) + (entry + 1);
    return entry;
}

// The candidates after the current directory: program directory, the name
// as given, each path entry (an absolute name only as given). Stops at
// the first for which `found` is true.
template <typename Found>
static bool searchCandidates(const char* name, Found found) {
    bool absolute = name[0] == '/';
    if (!absolute && found(std::string(getProgramDir()) + name)) return true;
    if (found(name)) return true;
    for (int i = 0; i < pathCount && !absolute; i++) {
        if (found(pathEntry(i) + "/" + name)) return true;
    }
    return false;
}

FILE* openFileInPath(const char* name, const char* mode, int tryCurrentFirst, int tryExtension) {
    FILE* file = nullptr;
    if (tryCurrentFirst && !std::strchr(name, '/'))
        file = openCandidate(std::string("./") + name, mode, tryExtension);
    if (file) return file;
    searchCandidates(name, [&](const std::string& candidate) {
        file = openCandidate(candidate, mode, tryExtension);
        return file != nullptr;
    });
    return file;
}

const char* findFileInPath(const char* name, const char* extension) {
    static std::string result;
    bool found = searchCandidates(name, [&](const std::string& candidate) {
        if (checkFileExists(candidate.c_str())) {
            result = candidate;
            return true;
        }
        if (extension && checkFileExists((candidate + extension).c_str())) {
            result = candidate + extension;
            return true;
        }
        return false;
    });
    return found ? result.c_str() : nullptr;
}

bool programFileExists(const char* name) {
    FILE* file = openFileInPath(name, "r", 1, 1);
    if (file) std::fclose(file);
    return file != nullptr;
}

// --- arguments ------------------------------------------------------------

// A string argument, as in load("file"), cd(home()) or path "a;b".
// Returns false with the error set.
static bool evaluateStringArgument(char* buffer, size_t size, const char* tooLong) {
    char* top = newram;
    header* value = resolveValue(evaluateExpression());
    if (errorCode) return false;
    if (!value || value->kind != kindString) {
        fail(errorFailed, "String value expected!\n");
    } else if (std::strlen(stringOf(value)) >= size) {
        fail(errorFailed, "%s", tooLong);
    } else {
        std::strcpy(buffer, stringOf(value));
    }
    newram = top;
    return errorCode == 0;
}

static bool atStatementEnd() {
    char c = *scanPointer;
    return c == 0 || c == ';' || c == ',';
}

// --- load -----------------------------------------------------------------

// Runs the statements of the open file until it ends, fails, Escape is
// pressed, or the interpreter is to stop.
static void runLoadedFile() {
    while (!errorCode && loadFile && runState == runStateRun) {
        if (checkEscape()) {
            fail(errorFailed, "User interrupted!\n");
            return;
        }
        topStartLocal = startlocal;
        topEndLocal = endlocal;
        executeNextStatement();
    }
}

namespace {
std::string addmenuSubmenu = "Other";  // computation thread
}

void setAddmenuSubmenu(const std::string& name) {
    addmenuSubmenu = name;
    setUserSubmenuName(name.c_str());
}

void resetAddmenuSubmenu() { addmenuSubmenu = "Other"; }

// Editors, and the notebook's own files, begin UTF-8 text with a byte-order
// mark; it is no command. A stream that cannot seek back is not looked at.
static void skipByteOrderMark(FILE* file) {
    if (std::ftell(file) != 0) return;
    char mark[3];
    if (std::fread(mark, 1, sizeof mark, file) == sizeof mark &&
        std::memcmp(mark, "\xEF\xBB\xBF", 3) == 0)
        return;
    std::rewind(file);
}

// Opens the program file and runs it; the current line, the scan position
// and the outer file are restored afterwards.
static void runProgramFile(const char* name, bool quiet) {
    FILE* outerFile = loadFile;
    FILE* file = openFileInPath(name, "r", 1, 1);
    if (!file) {
        fail(errorOpenFile, "Could not open %s!\n", name);
        return;
    }
    skipByteOrderMark(file);
    writeLog("load %s", name);
    std::string savedLine = inputLine;
    ptrdiff_t savedScan = scanPointer - inputLine;
    std::string savedName = loadFileName;
    inputLine[0] = 0;
    scanPointer = inputLine;
    std::snprintf(loadFileName, sizeof loadFileName, "%s", name);
    addLoadedFileToMenu(name);
    int savedComments = commentsOn;
    if (quiet) commentsOn = 0;

    loadFile = file;
    runLoadedFile();

    relaxMode = 0;
    commentsOn = savedComments;
    // The end of the file and `stopload` have closed it already.
    if (loadFile == file) std::fclose(file);
    std::snprintf(loadFileName, sizeof loadFileName, "%s", savedName.c_str());
    loadFile = outerFile;
    std::memcpy(inputLine, savedLine.c_str(), savedLine.size() + 1);
    scanPointer = inputLine + savedScan;
}

static void runPythonFile(const char* name) {
    const char* text = callPyRunFile(name);
    if (!errorCode && *text && *scanPointer != ';') printFormatted("%s\n", text);
    if (*scanPointer == ';') scanPointer++;
}

static bool isPythonFile(const char* name) {
    size_t length = std::strlen(name);
    return length > 3 && std::strcmp(name + length - 3, ".py") == 0;
}

// File names are Linux paths: ".." there is the parent directory, not a
// continuation, so only blanks and tabs are skipped before them.
static void loadCommand() {
    skipSpaces();
    // "load over" may overwrite protected functions while the file runs.
    bool over = std::strncmp(scanPointer, "over ", 5) == 0;
    int savedOverwrite = 0;
    if (over) {
        scanPointer += 5;
        skipSpaces();
        savedOverwrite = intSetting("allowoverwrite");
        writeIntSetting("allowoverwrite", 1);
    }
    char name[256];
    if (*scanPointer == '(')
        evaluateStringArgument(name, sizeof name, "File name too long!\n");
    else
        scanFileName(name, sizeof name);
    if (!errorCode) {
        if (isPythonFile(name)) {
            runPythonFile(name);
        } else {
            // The file's addmenu entries go to a submenu of its name; after
            // it, addmenu goes where it went before.
            std::string outerSubmenu = addmenuSubmenu;
            setAddmenuSubmenu(name);
            relaxMode = intSetting("alwaysrelax");
            bool quiet = *scanPointer == ';';
            skipSeparator();
            runProgramFile(name, quiet);
            setAddmenuSubmenu(outerSubmenu);
        }
    }
    if (over) writeIntSetting("allowoverwrite", savedOverwrite);
}

// The running load ends after the current statement.
static void stopLoadCommand() {
    if (!loadFile) return;
    std::fclose(loadFile);
    loadFile = nullptr;
}

static void relaxCommand() {
    if (!loadFile || functionState != functionTopLevel) {
        fail(errorRelax, "\"relax\" only in Kalix files!\n");
        return;
    }
    relaxMode = 1;
}

// --- comment blocks -------------------------------------------------------

// Reads file lines up to one beginning with "endcomment" (or "*/" when
// skipping); they are printed when `show` is set.
static void readCommentBlock(const char* command, bool skipping, bool show) {
    if (!loadFile || functionState != functionTopLevel) {
        fail(errorRelax, "\"%s\" illegal at this place!\n", command);
        return;
    }
    char line[fileLineLimit + 1];
    for (;;) {
        readFileLine(line);
        if (errorCode) return;
        if (!loadFile) {
            fail(errorCommentEnd, "\"endcomment\" missing!\n");
            return;
        }
        if (std::strncmp(line, "endcomment", 10) == 0) break;
        if (skipping && std::strncmp(line, "*/", 2) == 0) break;
        if (show) printFormatted("%s\n", line);
    }
    inputLine[0] = 0;
    scanPointer = inputLine;
}

void skipCommentBlock() { readCommentBlock("skipcomment", true, false); }

static void commentCommand() { readCommentBlock("comment", false, commentsOn != 0); }

// --- path -----------------------------------------------------------------

// Sets the entries from a text of entries separated by ";". Only the first
// maxPathEntries are kept.
static void setSearchPath(const char* text) {
    freePathEntries();
    bool truncated = false;
    while (*text) {
        const char* end = std::strchr(text, ';');
        size_t length = end ? size_t(end - text) : std::strlen(text);
        if (pathCount == maxPathEntries) {
            truncated = true;
            break;
        }
        if (length > 0 && (text[length - 1] == '/' || text[length - 1] == '\\')) length--;
        pathList[pathCount++] = strndup(text, length);
        if (!end) break;
        text = end + 1;
    }
    if (pathCount == 0) pathList[0] = strdup(".");
    if (truncated)
        printFormatted("The path has more than %d entries; only the first %d are used.\n",
                       maxPathEntries, maxPathEntries);
}

static void pathCommand() {
    skipBlanks();
    if (!atStatementEnd()) {
        static char text[0x8000];
        if (!evaluateStringArgument(text, sizeof text, "String too large!\n")) return;
        setSearchPath(text);
        if (*scanPointer == ';') return;
    }
    for (int i = 0; i < pathCount; i++) printFormatted("%s;", pathList[i]);
    printText("\n");
}

// --- cd and tccompile -------------------------------------------------------

// A directory or file name: a string expression in parentheses, else the
// name as written.
static bool readNameArgument(char* buffer, size_t size) {
    if (*scanPointer == '(') return evaluateStringArgument(buffer, size, "String too large!\n");
    scanFileName(buffer, int(size));
    return errorCode == 0;
}

static void cdCommand() {
    skipSpaces();
    if (atStatementEnd()) {
        printFormatted("%s\n", changeDirectory(""));
        return;
    }
    static char directory[0x8000];
    if (!readNameArgument(directory, sizeof directory)) return;
    const char* current = changeDirectory(directory);
    if (*scanPointer != ';') printFormatted("%s\n", current);
    skipSeparator();
}

// "tccompile name": the C file name.c compiled into the library name.so.
static void tccompileCommand() {
    skipSpaces();
    static char name[0x8000];
    if (!readNameArgument(name, sizeof name)) return;
    compileTinyc(name);
}

static const CommandRecord rows[] = {
    {"load", commandTopLevel, 0, loadCommand},
    {"stopload", commandTopLevel, 0, stopLoadCommand},
    {"comment", commandTopLevel, 0, commentCommand},
    {"skipcomment", commandTopLevel, 0, skipCommentBlock},
    {"relax", commandAssignable, 0, relaxCommand},
    {"path", commandAssignable, 0, pathCommand},
    {"cd", commandAssignable, 0, cdCommand},
    {"tccompile", commandAssignable, 0, tccompileCommand},
};
KALIX_COMMAND_FAMILY(programFileCommands, rows);

}  // namespace kalix
