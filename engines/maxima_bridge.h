// Installs the Maxima bridge for the interpreter (interpreter/maxima_services.h)
// and ends it at exit.
#pragma once

namespace kalix {

// Loads "maxima.txt" and "maximastartup.txt" from the program directory,
// installs the bridge and makes the automatic start a start-up job.
void installMaximaBridge();
// Ends the Maxima process (program exit).
void endMaximaBridge();

}  // namespace kalix
