// The `help` command and the "?? " prefix: help on a name printed into the
// notebook, and the comments of program files.
#include <cstdio>
#include <cstring>
#include <string>

#include "interpreter/builtin_table.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/notebook_services.h"
#include "interpreter/output.h"
#include "interpreter/printing.h"
#include "interpreter/program_files.h"
#include "interpreter/scanner.h"
#include "notebook/help.h"
#include "notebook/help_database.h"
#include "notebook/help_user_functions.h"
#include "notebook/help_writer.h"
#include "notebook/maxima_help.h"
#include "platform/host.h"

namespace kalix {

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::string trimmed(const std::string& line) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos) return "";
    size_t end = line.find_last_not_of(" \t");
    return line.substr(start, end - start + 1);
}

// A topic of several words ("Complex numbers"): the rest of the statement
// up to ";" when it names a topic with a blank in it; empty otherwise.
std::string scanTopicOfWords() {
    size_t length = std::strcspn(scanPointer, ";");
    std::string words = trimmed(std::string(scanPointer, length));
    if (words.find(' ') == std::string::npos || !helpDatabase.findTopic(words)) return "";
    scanPointer += length;
    return words;
}

// The topic after `help`: a topic of several words, a name as the
// interpreter scans it, or an operator (the characters up to a blank or
// ";"); empty for none.
std::string scanHelpTopic() {
    if (*scanPointer == 0 || *scanPointer == ';' || *scanPointer == ',') return "";
    std::string words = scanTopicOfWords();
    if (!words.empty()) return words;
    char c = *scanPointer;
    bool operatorBackslash = c == '\\' && (scanPointer[1] == 0 || scanPointer[1] == ' ' ||
                                           scanPointer[1] == '\t' || scanPointer[1] == ';');
    if (!operatorBackslash &&
        (isLetterAt(scanPointer) || c == '_' || c == '%' || c == '\\' || c == '"')) {
        char name[32];
        scanName(name);
        return errorCode ? "" : name;
    }
    const char* start = scanPointer;
    while (*scanPointer && *scanPointer != ' ' && *scanPointer != '\t' && *scanPointer != ';')
        scanPointer++;
    return std::string(start, size_t(scanPointer - start));
}

// Step 2 of the help on a name: a user function.
bool printUserFunction(HelpWriter& out, const std::string& name) {
    header* function = findAnyFunction(name.c_str());
    if (!function) return false;
    if (function->flags & userFunctionPython)
        out.text(name + " is a Python function.\n\n");
    else if (function->flags & userFunctionHidden)
        out.text(name + " is a comment function or a maxima function.\n\n");
    else
        out.text(name + " is a Kalix function.\n\n");
    writeFunctionHeader(out, function, false);
    writeFunctionDefaults(out, function);
    out.text("\n");
    for (const std::string& line : functionHelpLines(function)) out.line(line);
    out.text("\n");
    return true;
}

bool isBuiltinName(const std::string& name) {
    const BuiltinRecord* row = findBuiltin(name.c_str(), -1);
    return row && name == row->name;
}

// The database entry of the name, or through one alias step.
bool printEntry(HelpWriter& out, const std::string& name) {
    const HelpEntry* entry = helpDatabase.findTopic(name);
    if (!entry) {
        const char* target = resolveAlias(name.c_str());
        if (!target || !(entry = helpDatabase.findTopic(target))) return false;
        out.text(name + " is an alias for " + target + "\n");
    }
    for (const std::string& line : entry->lines) out.line(line);
    out.text("\n");
    return true;
}

// The names in lines broken at the first blank after `lineLength` - 16
// characters.
void printNameLines(HelpWriter& out, const std::vector<std::string>& names) {
    size_t breakAt = lineLength > 16 ? size_t(lineLength - 16) : 0;
    std::string line;
    for (const std::string& name : names) {
        if (!line.empty() && line.size() >= breakAt) {
            out.line(line);
            line.clear();
        }
        if (!line.empty()) line += " ";
        line += name;
    }
    if (!line.empty()) out.line(line);
}

void printMaximaPart(HelpWriter& out, const std::string& name, bool maximaOnly, bool found) {
    if (!maximaOnly) out.text("\nSearch Maxima for help:\n\n");
    int listed = printMaximaFunctionHelp(out, name);
    if (listed) out.text("\n");
    if (!found && !listed) {
        out.text("\nOther Kalix Functions:\nTry \"help item\" for help.\n");
        listNames(name.c_str());
    }
    if (listed) return;
    std::vector<std::string> names = maximaNamesStarting(name);
    if (names.empty()) return;
    out.text("\nOther Maxima functions.\nTry \"??item\" for help.\n\n");
    printNameLines(out, names);
}

}  // namespace

void runHelpCommand(int searchMaxima) {
    while (*scanPointer == ' ' || *scanPointer == '\t') scanPointer++;
    // "&name" asks Maxima only; "&&" is the operator.
    bool maximaOnly = scanPointer[0] == '&' && scanPointer[1] != '&';
    if (maximaOnly) scanPointer++;
    std::string name = scanHelpTopic();
    HelpWriter out;
    if (errorCode) {
        // The name's error was reported; the rest of the line is not run.
        scanPointer += std::strlen(scanPointer);
        errorCode = 0;
        return;
    }
    // Without a name: the list of topics.
    if (name.empty() && !maximaOnly) name = "Topics";
    bool found = false;
    if (!maximaOnly) {
        found = printUserFunction(out, name);
        if (isBuiltinName(name)) {
            out.text(name +
                     (found ? " is also a builtin function.\n" : " is a builtin function.\n"));
            found = true;
        }
        found = printEntry(out, name) || found;
        if (!found && printFileComments(out, name)) {
            errorCode = 0;
            return;
        }
        if (!found) out.text("No Kalix help found for " + name + ".\n");
    }
    if ((searchMaxima || maximaOnly) && !name.empty())
        printMaximaPart(out, name, maximaOnly, found);
    errorCode = 0;
}

// --- comments of program files --------------------------------------------------

namespace {

// Reads the comments of a program file line by line.
class FileComments {
  public:
    FileComments(FILE* file, HelpWriter& out) : file(file), out(out) {}

    void run() {
        std::string line;
        while (next(line)) {
            if (startsWith(line, "comment") && !startsWith(line, "comments")) {
                while (next(line) && !startsWith(line, "endcomment")) write(line);
            } else if (startsWith(line, "// ")) {
            } else if (trimmed(line).empty()) {
                if (written && !lastEmpty) write("");
            } else if (startsWith(line, "function %")) {
                skipToEndfunction();
            } else if (startsWith(line, "function") || startsWith(line, "maximafunction")) {
                functionHeader(line);
            } else if (line.find(":=") != std::string::npos &&
                       line.find('?') == std::string::npos) {
                write(line);
            }
        }
        out.text("\n");
    }

  private:
    FILE* file;
    HelpWriter& out;
    bool written = false;
    bool lastEmpty = false;

    bool next(std::string& line) {
        line.clear();
        int c;
        while ((c = std::fgetc(file)) != EOF && c != '\n') line += char(c);
        if (c == EOF && line.empty()) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    }

    void write(const std::string& line) {
        out.line(line);
        written = true;
        lastEmpty = line.empty();
    }

    void skipToEndfunction() {
        std::string line;
        while (next(line) && !startsWith(trimmed(line), "endfunction")) {}
    }

    // The header lines up to the one ending in ")", then the first help
    // line of the body; a one-line definition (":=") is written alone.
    void functionHeader(std::string line) {
        write(line);
        if (line.find(":=") != std::string::npos) return;
        while (trimmed(line).empty() || trimmed(line).back() != ')') {
            if (!next(line)) return;
            write(line);
        }
        bool helpWritten = false;
        while (next(line) && !startsWith(trimmed(line), "endfunction")) {
            if (!helpWritten && trimmed(line)[0] == '#') {
                write(line);
                helpWritten = true;
            }
        }
    }
};

}  // namespace

bool printFileComments(HelpWriter& out, const std::string& name) {
    FILE* file = openFileInPath(name.c_str(), "r", 1, 1);
    if (!file) return false;
    addHelpHistory(name, 0);
    FileComments(file, out).run();
    std::fclose(file);
    return true;
}

void installHelp() {
    loadHelpFilesLater(getProgramDir());
    setHelpHandler(runHelpCommand);
}

}  // namespace kalix
