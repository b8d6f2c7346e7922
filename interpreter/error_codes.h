// Names of the interpreter's error codes (the values of `errorCode`).
// Codes are part of the language: `errorlevel` returns them, so a name only
// stands for its number and never changes it. Where one number serves
// unrelated failures, each use has its own name.
#pragma once

namespace kalix {

enum ErrorCode : int {
    // --- general ---
    errorNone = 0,
    errorFailed = 1,          // a computation failed; the message says why
    errorStackOverflow = 2,   // "Stack overflow!"
    errorWrongFamily = 3,     // "This function can only use %s values!"
    errorWrongOperand = 10,   // an operand or argument of the wrong kind or count
    errorWrongArgument = 26,  // "Need %s for %s"
    errorMathLibrary = 51,    // "Floating point error!" and domain errors
    errorSizeMismatch = 52,   // "Matrix %dx%d and %dx%d not compatible in size!"
    errorInterrupt = 53,      // Escape, or no input left to wait for
    errorOpenFile = 53,       // "Could not open %s!"

    // --- syntax ---
    errorClosingBracket = 5,       // "Closing bracket ) missing!"
    errorName = 11,                // a name expected or too long
    errorRangeOperand = 15,        // "The : allows only real arguments!"
    errorCallBracket = 19,         // "Closing bracket missing in function call!"
    errorLineTooLong = 50,         // a program file line too long
    errorSuperfluousText = 55,     // "Error in Evaluate, superfluous characters found."
    errorBraces = 104,             // "Error in {}!"
    errorAssignmentSyntax = 1000,  // a malformed assignment or bracket
    errorBraceMissing = 1010,      // "} missing!"
    errorStringNotClosed = 2300,   // "Line ended inside a string!"
    errorArgumentList = 2700,      // named arguments, semicolons in argument lists

    // --- values, indices and matrices ---
    errorStringVectorElement = 12,  // assignments to string vector elements
    errorMatrixLiteral = 16,        // an illegal element of a matrix literal
    errorMatrixColumns = 17,        // a matrix literal with too many columns
    errorMatrixRows = 18,           // a matrix literal with too many rows
    errorNotVariable = 24,          // "%s is not a variable!"
    errorTranspose = 24,            // "' not defined for this value!"
    errorSubstringVector = 27,      // "Cannot generate this type of substring vector."
    errorIndexCount = 30,           // "Need one or two indices for a matrix reference!"
    errorNotMatrix = 31,            // "%s is not a matrix!"
    errorIllegalIndex = 41,         // "Illegal index!"
    errorInternalVariable = 43,     // "Internal variable error!"
    errorIllegalAssignment = 45,    // a value that does not fit the assigned element
    errorMultipleAssignment = 102,  // "Illegal multiple assignment!"
    errorLogDomain = 50,            // "log defined only for positive numbers!"
    errorListIndex = 100,           // a list index not an integer or out of range
    errorTooManyVariables = 100,    // more variables than values in a multiple assignment
    errorTooManyValues = 101,       // more values than variables in a multiple assignment
    errorAssignmentTarget = 101,    // "Illegal assignment!" to a target that takes no value
    errorZeroStep = 401,            // "A step size of 0 is not allowed in : "
    errorVectorTooLong = 402,       // "A vector can only have %d elements"
    errorBraceVariable = 1011,      // "%s not a variable of proper type for {}!"
    errorBraceNotVariable = 1012,   // "%s not a variable!"
    errorBraceIndex = 1013,         // "Index must be a number!"
    errorMatrixSize = 1,            // "Illegal matrix size %dx%d!" (a negative size)
    errorEmptyMatrix = 1030,        // "Matrix is empty!" (indexing a value)
    errorEmptyView = 1031,          // "Matrix is empty!" (a view of a matrix)
    errorCommandAsVariable = 5000,  // "Command name \"%s\" used as variable!"

    // --- memory ---
    errorOutOfMemory = 120,       // "Out of Memory!"
    errorMemoryOverflow = 180,    // "Memory overflow!" while a record grows
    errorFunctionMemory = 210,    // memory overflow defining a function; assigning to a value
    errorAssignMemory = 500,      // "Memory overflow assigning to %s"
    errorReplaceMemory = 501,     // "Memory overflow in assignment."
    errorOutOfStackMemory = 710,  // "Out of memory!" for an index selection

    // --- statements, functions and commands ---
    errorRaised = 56,             // the builtin `error`; also return outside functions
    errorNotInLoop = 57,          // break and continue outside loops
    errorCallInterrupt = 58,      // Escape in a function call; getarg outside functions
    errorArguments = 59,          // args and getarg with arguments that do not exist
    errorDefinition = 60,         // "Error \"=\" in definition of function %s"
    errorForSyntax = 71,          // "Syntax error in for!"
    errorLoopStart = 72,          // "Illegal start value for loop!"
    errorLoopEnd = 73,            // a loop's end value missing or not real
    errorMissing = 110,           // a statement's closing word missing
    errorGlobalNotFound = 160,    // a global variable not found by global or setglobal
    errorNoSuchName = 173,        // "No such function or variable!"
    errorDumpFile = 200,          // "Error on dump file."
    errorDumpName = 201,          // "Dump needs a filename!"
    errorEndMissing = 401,        // a block's end missing
    errorGlobalOutside = 500,     // "It makes no sense to use \"global\" outside of functions."
    errorParameterType = 701,     // "Illegal parameter type %s!"
    errorForgetInFunction = 720,  // "Cannot forget functions in a function!"
    errorFunctionValue = 320,     // "Cannot assign a UDF to a variable!"
    errorFunctionEnd = 2200,      // a function definition that does not end
    errorRelax = 1001,            // "relax" and file-only commands out of place
    errorCommentEnd = 1002,       // "\"endcomment\" missing!"
    errorRecursion = 8888,        // "Stack overflow. Too many recursions?"

    // --- graphics ---
    errorMarkArguments = -1,          // "Illegal arguments for mark!"
    errorPlotArgument = 21,           // "Plot needs a real vector or matrix!"
    errorPlotFit = 22,                // "Matrices must fit for plot!"
    errorBarRgbArguments = 81,        // "barRGB needs three real matrices ..."
    errorBarRgbSize = 83,             // "Matrix dimensions for barRGB must agree!"
    errorGraphicsArgument = 90,       // "Argument for linestyle must be string!" ...
    errorMeshParameter = 80,          // "Illegal parameter for mesh!" (and meshbar)
    errorContourMatrix = 81,          // "Contour needs a real matrix!", "Density needs ..."
    errorContourLevels = 82,          // "Second parameter of contour must be a vector!"
    errorSolidParameter = 83,         // "Illegal parameter for solid!" ...
    errorPlotMemory = 85,             // "Out of memory in mesh!" ... (3D plot work space)
    errorMeshfactor = 150,            // "Meshfactor needs a real!"
    errorTextArguments = 91,          // "Need a string, and a position in text!"
    errorSetplotVector = 2200,        // "Setplot needs a 1x4 vector!"
    errorGraphicsFlag = 2201,         // "Scaling needs a 1 or 0!" ...
    errorPlotareaArguments = 11000,   // "Wrong arguments for plotarea!"
    errorPlotSecondArgument = 11001,  // "Wrong arguments for plot!"

    // --- strings and files ---
    errorWriteFailed = 10,  // a failed write to a file ("Error in writeln." ...)
    errorNoFile = 800,      // "No file open in function %s"

    // --- linear algebra ---
    errorSingular = 131,  // "Determinant zero!"

    // --- solvers ---
    errorSimplexStop = 301,  // Escape during the simplex iterations

    // --- polynomials ---
    errorDivisionScratch = 190,  // "Out of memory!": no room for polydiv's working copy
    errorRootArgument = 300,     // "Need a starting value!", "Need a complex polynomial"
    errorRootFailed = 311,       // "Bauhuber-Iteration failed!"
    errorRootInterrupted = 700,  // Escape during the root iteration

    // --- Maxima ---
    errorMaximaSaid = 10,    // Maxima answered without an output label
    errorMaximaPath = 4000,  // "Need a path to Maxima!"

    // --- tracing ---
    errorTraceInterrupted = 11010,      // "Trace interrupted"
    errorTraceUnknownFunction = 11021,  // `trace` of a name that is no function
    errorAlreadyReported = 12345688,    // the trace-errors inspector has run
};

}  // namespace kalix
