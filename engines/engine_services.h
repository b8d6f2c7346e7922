// What the interpreter asks of the external engines is declared with the
// interpreter.
#pragma once

#include "interpreter/engine_services.h"
