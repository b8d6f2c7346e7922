// The interpreter's entries of the Python bridge and the C functions.
#include "engines/foreign_engines.h"

#include "engines/dll_functions.h"
#include "engines/python_bridge.h"
#include "engines/tcc_compiler.h"
#include "interpreter/engine_services.h"

namespace kalix {

namespace {

void closeEngines() {
    python::unload();
    dll::unloadAll();
}

}  // namespace

void installForeignEngines() {
    foreignEngines = ForeignEngines{
        python::runLine,          python::runBlock,     python::runFile,   python::defineFunction,
        python::callUserFunction, python::callFunction, dll::callFunction, tinyc::defineFunction,
        tinyc::compileCommand,    closeEngines,
    };
}

}  // namespace kalix
