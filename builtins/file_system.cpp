// Builtins for files and directories: filecopy, fileexists, fileremove,
// makedir, changedir, dir and searchfile. The host does the work and
// reports success; the builtins report failures.
#include <string>
#include <vector>

#include "builtins/system_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace {

void builtinFilecopy(header* first) {
    header* from = resolveValue(first);
    if (errorCode) return;
    header* to = resolveValue(recordAt(endOf(first)));
    if (errorCode) return;
    if (from->kind != kindString || to->kind != kindString) {
        reportNeed("two strings", "filecopy");
        return;
    }
    if (!copyFile(stringOf(from), stringOf(to), 1)) {
        fail(errorFailed, "Error while copying\n%s to %s\n", stringOf(from), stringOf(to));
        return;
    }
    moveResult(first, pushMarker(markerNoResult));
}

void builtinFileexists(header* first) {
    header* name = stringArgument(first, "a string", "fileexists");
    if (!name) return;
    moveResult(first, pushReal(checkFileExists(stringOf(name))));
}

void builtinFileremove(header* first) {
    // The word "fileexists" of the message is the design's own.
    header* name = stringArgument(first, "a string", "fileexists");
    if (!name) return;
    // A file that is not there is removed already: no error. One that
    // stays is reported.
    if (!removeFile(stringOf(name)) && checkFileExists(stringOf(name))) {
        fail(errorFailed, "Could not remove %s!\n", stringOf(name));
        return;
    }
    moveResult(first, pushCString(""));
}

void builtinMakedir(header* first) {
    header* name = stringArgument(first, "string", "makedir");
    if (!name) return;
    moveResult(first, pushReal(makeDirectory(stringOf(name))));
}

// changedir() and changedir(dir, ...): only the first argument counts.
void builtinChangedir(header* first) {
    if (!first) {
        pushCString(changeDirectory(""));
        return;
    }
    header* name = stringArgument(first, "string", "cd");
    if (!name) return;
    std::string directory = changeDirectory(stringOf(name));
    moveResult(first, pushCString(directory.c_str()));
}

void builtinDir(header* first) {
    header* pattern = resolveValue(first);
    if (errorCode) return;
    if (pattern->kind != kindString) {
        fail(errorFailed, "Need a file pattern for dir!\n");
        return;
    }
    std::vector<std::string> names;
    for (const char* name = findNextFile(stringOf(pattern)); name; name = findNextFile(nullptr))
        names.emplace_back(name);
    moveResult(first, pushNameVector(names));
}

void builtinSearchfile(header* first) {
    const char* name;
    if (first) {
        header* pattern = stringArgument(first, "string", "searchfile");
        if (!pattern) return;
        name = findNextFile(stringOf(pattern));
    } else {
        name = findNextFile(nullptr);
    }
    header* result = pushCString(name ? name : "");
    if (first) moveResult(first, result);
}

const BuiltinRecord rows[] = {
    {"changedir", -1, 0, builtinChangedir},  {"dir", 1, 0, builtinDir},
    {"filecopy", 2, 0, builtinFilecopy},     {"fileexists", 1, 0, builtinFileexists},
    {"fileremove", 1, 0, builtinFileremove}, {"makedir", 1, 0, builtinMakedir},
    {"searchfile", 0, 0, builtinSearchfile}, {"searchfile", 1, 0, builtinSearchfile},
};

}  // namespace

KALIX_BUILTIN_FAMILY(fileSystemBuiltins, rows);
