// Names of the interpreter's error codes (the values of `errorCode`).
// Codes are part of the language: `errorlevel` returns them, so a name only
// stands for its number and never changes it.
#pragma once

enum ErrorCode : int {
    errorNone = 0,
    errorFailed = 1,          // a computation failed; the message says why
    errorStackOverflow = 2,   // "Stack overflow!"
    errorWrongValue = 10,     // a wrong value; also a failed write to a file
    errorWrongArgument = 26,  // "Need %s for %s"
    errorMathLibrary = 51,    // "Floating point error!" and domain errors
    errorInterrupt = 53,      // Escape, or no input left to wait for
    errorOutOfMemory = 120,   // "Out of Memory!": no room on the stack for a result
    errorDumpFile = 200,      // "Error on dump file."
    errorNoFile = 800,        // "No file open in function %s"
};
