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
    // Polynomial builtins and their root iteration.
    errorRootScratch = 120,      // "Out of Memory!": no room for the root search
    errorDivisionScratch = 190,  // "Out of memory!": no room for polydiv's working copy
    errorRootArgument = 300,     // "Need a starting value!", "Need a complex polynomial"
    errorRootFailed = 311,       // "Bauhuber-Iteration failed!"
    errorRootInterrupted = 700,  // Escape during the root iteration
};
