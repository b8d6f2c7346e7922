// Names of the interpreter's error codes (the values of `errorCode`).
// Codes are part of the language: `errorlevel` returns them, so a name only
// stands for its number and never changes it.
#pragma once

enum ErrorCode : int {
    errorNone = 0,
    errorFailed = 1,          // a computation failed; the message says why
    errorStackOverflow = 2,   // "Stack overflow!"
    errorWrongArgument = 26,  // "Need %s for %s"
    errorMathLibrary = 51,    // "Floating point error!" and domain errors
    errorInterrupt = 53,      // Escape, or no input left to wait for
    errorDumpFile = 200,      // "Error on dump file."
    errorBadParameter = 10,   // a wrong parameter (simplex's arguments ...)
    errorOutOfMemory = 120,   // "Out of Memory!": no work space for a kernel
    errorSimplexStop = 301,   // Escape during the simplex iterations
};
