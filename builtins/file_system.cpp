// Builtins for files and directories: filecopy, fileexists, fileremove,
// makedir, changedir, dir and searchfile. The host does the work and
// reports success; the builtins report failures.
#include <string>
#include <vector>

#include "builtins/builtin_helpers.h"
#include "builtins/system_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

namespace {

constexpr Signature filecopySignature = {"filecopy", "two strings", {{takesString}, {takesString}}};
// The word "fileexists" in fileremove's message is the design's own.
constexpr Signature fileexistsSignature = {"fileexists", "a string", {{takesString}}};
constexpr Signature makedirSignature = {"makedir", "string", {{takesString}}};
// changedir(dir, ...): only the first argument counts.
constexpr Signature changedirSignature = {"cd", "string", {{takesString}}};
constexpr Signature dirSignature = {.rules = {{takesString}},
                                    .refusal = {errorFailed, "Need a file pattern for dir!\n"}};
constexpr Signature searchfileSignature = {"searchfile", "string", {{takesString}}};

void builtinFilecopy(header* first) {
    const Arguments a(first, filecopySignature);
    if (!a) return;
    if (!copyFile(a.text(0), a.text(1), 1)) {
        fail(errorFailed, "Error while copying\n%s to %s\n", a.text(0), a.text(1));
        return;
    }
    moveResult(first, pushMarker(markerNoResult));
}

void builtinFileexists(header* first) {
    const Arguments a(first, fileexistsSignature);
    if (!a) return;
    moveResult(first, pushReal(checkFileExists(a.text(0))));
}

void builtinFileremove(header* first) {
    const Arguments a(first, fileexistsSignature);
    if (!a) return;
    // A file that is not there is removed already: no error. One that
    // stays is reported.
    if (!removeFile(a.text(0)) && checkFileExists(a.text(0))) {
        fail(errorFailed, "Could not remove %s!\n", a.text(0));
        return;
    }
    moveResult(first, pushCString(""));
}

void builtinMakedir(header* first) {
    const Arguments a(first, makedirSignature);
    if (!a) return;
    moveResult(first, pushReal(makeDirectory(a.text(0))));
}

void builtinChangedir(header* first) {
    if (!first) {
        pushCString(changeDirectory(""));
        return;
    }
    const Arguments a(first, changedirSignature);
    if (!a) return;
    std::string directory = changeDirectory(a.text(0));
    moveResult(first, pushCString(directory.c_str()));
}

void builtinDir(header* first) {
    const Arguments a(first, dirSignature);
    if (!a) return;
    std::vector<std::string> names;
    for (const char* name = findNextFile(a.text(0)); name; name = findNextFile(nullptr))
        names.emplace_back(name);
    moveResult(first, pushNameVector(names));
}

void builtinSearchfile(header* first) {
    const char* name;
    if (first) {
        const Arguments a(first, searchfileSignature);
        if (!a) return;
        name = findNextFile(a.text(0));
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

}  // namespace kalix
