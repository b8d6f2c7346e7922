// libkalix-alglib.so (numerics/alglib_functions.h), opened on first use.
#pragma once

#include "numerics/alglib_functions.h"

namespace kalix {

// The module's functions; null, after the error "Could not open ALGLIB:
// <reason>", when the module cannot be opened.
const AlglibFunctions* alglibFunctions();

}  // namespace kalix
