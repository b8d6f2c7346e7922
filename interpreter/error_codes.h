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
    // Graphics builtins.
    errorMarkArguments = -1,          // "Illegal arguments for mark!"
    errorPlotArgument = 21,           // "Plot needs a real vector or matrix!"
    errorPlotFit = 22,                // "Matrices must fit for plot!"
    errorBarRgbArguments = 81,        // "barRGB needs three real matrices ..."
    errorBarRgbSize = 83,             // "Matrix dimensions for barRGB must agree!"
    errorGraphicsArgument = 90,       // "Argument for linestyle must be string!" ...
    errorTextArguments = 91,          // "Need a string, and a position in text!"
    errorSetplotVector = 2200,        // "Setplot needs a 1x4 vector!"
    errorGraphicsFlag = 2201,         // "Scaling needs a 1 or 0!" ...
    errorPlotareaArguments = 11000,   // "Wrong arguments for plotarea!"
    errorPlotSecondArgument = 11001,  // "Wrong arguments for plot!"
};
