// tinyc definitions and the tcc compiler as a child process.
#include "engines/tcc_compiler.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engines/dll_functions.h"
#include "engines/foreign_calls.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "platform/host.h"
#include "platform/processes.h"

namespace kalix {

namespace {

// The head of every generated file, formatted with the function's name.
const char* const prologue[] = {
    "#include \"dlldef.h\"",
    "#include <stdio.h>",
    "#include <math.h>",
    " ",
    "EXPORT char *%s (header *hd[], int np, char *ramstart, char *ramend)",
    "{",
    "\tint argn=0;",
    "\tstart(ramstart,ramend);",
    " ",
};

// The command line as text, for messages.
std::string commandText(const std::vector<std::string>& words) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty()) text += ' ';
        text += '"' + word + '"';
    }
    return text;
}

// The lines of name.c strictly within 5 of the line tcc reported.
void printSourceAround(const std::string& source, int line) {
    FILE* file = std::fopen(source.c_str(), "r");
    if (!file) return;
    printText("\n...\n");
    char text[4096];
    for (int number = 1; number < line + 5 && std::fgets(text, sizeof text, file); number++)
        if (number > line - 5) printFormatted("%d: %s", number, text);
    std::fclose(file);
    printText("...\n\n");
}

// tcc's output begins with "<source>:" and the line number of an error. It
// names the file without the directory, as the user wrote it.
void reportCompilerOutput(const std::string& directory, const char* name, std::string output) {
    std::string source = directory + name + ".c";
    if (!directory.empty())
        for (size_t at = output.find(directory); at != std::string::npos;
             at = output.find(directory, at))
            output.erase(at, directory.size());
    std::string mark = std::string(name) + ".c:";
    if (output.compare(0, mark.size(), mark) == 0) {
        int line = std::atoi(output.c_str() + mark.size());
        if (line > 0) printSourceAround(source, line);
    }
    fail(errorFailed, "%s\n%s.so was not generated.\n", output.c_str(), name);
}

// Compiles directory/name.c into directory/name.so (`directory` empty or
// ending in "/").
void compileTinyc(const std::string& directory, const char* name) {
    std::string source = directory + name + ".c";
    std::string library = directory + name + ".so";
    std::remove(library.c_str());
    std::string support = std::string(getProgramDir()) + "dll";
    // -Bsymbolic: the helpers of dlldef.c bind inside the library, not to
    // equal names elsewhere in the process.
    std::vector<std::string> words = {
        "tcc",   "-shared", "-Wl,-Bsymbolic",      "-I", support, "-o",
        library, source,    support + "/dlldef.c", "-lm"};
    std::string output;
    int status = runProgramCollectingOutput(words, output);
    if (status == programNotStarted) {
        std::string text = "Could not call command\n" + commandText(words);
        showWarning(text.c_str(), "Kalix");
        fail(errorFailed, "Could not call tcc.\n");
        return;
    }
    if (status != programInterrupted && access(library.c_str(), F_OK) == 0) return;
    reportCompilerOutput(directory, name, output);
}

// Kalix's own per-user directory for the files of tinyc definitions
// ($XDG_CACHE_HOME/kalix/, else ~/.cache/kalix/), made when missing; the
// user's working directory is theirs. Empty when it cannot be made.
std::string tinycDirectory() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    const char* home = std::getenv("HOME");
    std::string directory;
    if (cache && cache[0] == '/')
        directory = cache;
    else if (home && *home)
        directory = std::string(home) + "/.cache";
    else
        return "";
    directory += "/kalix/";
    for (size_t slash = directory.find('/', 1); slash != std::string::npos;
         slash = directory.find('/', slash + 1))
        mkdir(directory.substr(0, slash).c_str(), 0700);
    return access(directory.c_str(), W_OK) == 0 ? directory : "";
}

void compileAndUnload(const std::string& directory, const char* name) {
    dll::unloadLibrary(name);
    compileTinyc(directory, name);
}

}  // namespace

void tinyc::compileCommand(const char* name) { compileAndUnload("", name); }

void tinyc::defineFunction(const char* name, int parameterCount) {
    std::string directory = tinycDirectory();
    if (directory.empty()) {
        fail(errorFailed, "Could not open %s\n", "~/.cache/kalix/");
        return;
    }
    std::string source = directory + name + ".c";
    FILE* file = std::fopen(source.c_str(), "w");
    if (!file) {
        fail(errorFailed, "Could not open %s\n", source.c_str());
        return;
    }
    for (const char* line : prologue) {
        std::fprintf(file, line, name);
        std::fputc('\n', file);
    }
    bool read =
        readForeignBody(false, [&](const char* line) { std::fprintf(file, "\t%s\n", line); });
    std::fputs("\treturn newram;\n}\n", file);
    bool written = std::fclose(file) == 0;
    if (!read) return;
    if (!written) {
        fail(errorFailed, "Could not write %s\n", source.c_str());
        return;
    }
    compileAndUnload(directory, name);
    if (errorCode) return;
    bool added = false;
    std::string library = directory + name + ".so";
    dll::bindFunction(name, name, parameterCount, &added, library.c_str());
}

}  // namespace kalix
