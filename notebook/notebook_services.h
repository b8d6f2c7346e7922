// What the interpreter asks of the notebook is declared with the interpreter;
// the text conversions are in shell/text.h.
#pragma once

#include "interpreter/notebook_services.h"
#include "shell/text.h"
