#include "builtins/alglib_library.h"

#include <mutex>
#include <string>

#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "numerics/shared_library.h"
#include "platform/host.h"

namespace kalix {

namespace {

const AlglibFunctions* functions = nullptr;  // written once, under `opened`
std::string error;
std::once_flag opened;

// The module beside the program; else by the dynamic linker's search (the
// test programs find it in the build directory through their run path).
void open() {
    const std::string beside = std::string(getProgramDir()) + alglibModuleFile;
    AlglibModuleEntry entry = nullptr;
    if (openSharedLibrary({beside.c_str(), alglibModuleFile},
                          {librarySymbol(alglibModuleEntry, entry)}, error))
        functions = entry();
}

}  // namespace

const AlglibFunctions* alglibFunctions() {
    std::call_once(opened, open);
    if (!functions) fail(errorFailed, "Could not open ALGLIB: %s\n", error.c_str());
    return functions;
}

}  // namespace kalix
