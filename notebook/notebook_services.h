// What the interpreter asks of the notebook is declared with the interpreter;
// the text conversions are in base/text.h.
#pragma once

#include "base/text.h"
#include "interpreter/notebook_services.h"
