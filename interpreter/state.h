// The interpreter's state: every global it keeps, grouped by concern. The
// headers of the modules that own a group include this file, so their
// users see the state as before. Constant tables (type names, builtin and
// command tables, annotation words) stay with the code that reads them.
//
// Owners: every value here belongs to the computation thread (the thread
// that runs the interpreter loop), which alone reads and writes it, except
// those of the last section, which another thread writes or reads; they
// are atomic. The GUI thread reads the copy the computation thread
// publishes when it begins to wait for a line (state_snapshot.h); what it
// must read or write beyond that, it does only while the parked computation
// thread has handed the state over, inside a hold that is asserted where
// the state is read (state_hand_over.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "numerics/accumulators.h"

struct header;

namespace kalix {

constexpr int inputLineSize = 65536;
extern char inputLine[inputLineSize];

// Where statements come from: the top level, a running user function
// (until a return has been executed), or a string being evaluated.
enum FunctionState : int {
    functionTopLevel = 0,
    functionRunning = 1,
    functionReturned = 2,
    functionEvaluatingString = 3,
};

// The relative tolerance of comparisons at start (see currentEpsilon).
constexpr double defaultEpsilon = 2.220446049250313e-12;  // 10000 * 2^-52

// --- the call context ------------------------------------------------------

// What a user-function call saves and puts back when it returns, as one
// value: the frame, the scan position, the call and its modes. Each field
// is also reached by its own name (the references in the sections below).
struct CallContext {
    char* startlocal = nullptr;
    char* endlocal = nullptr;
    char* scanPointer = inputLine;
    char* lineStart = inputLine;  // start of the current body line
    FunctionState functionState = functionTopLevel;
    header* currentFunction = nullptr;
    const char* currentFunctionName = "";
    int argumentCount = 0;
    int argumentSplit = 0;
    int relaxedFunctionMode = 0;
    int matlabMode = 0;
    int useGlobalMode = 0;
    int indexCopyMode = 0;
    int loopIndex = 0;
    double currentEpsilon = defaultEpsilon;
    int traceState = 0;
};
extern CallContext callContext;

// --- the stack -------------------------------------------------------------

// Stack areas, bottom to top:
//   ramstart .. functionsEnd      user functions, newest first
//   functionsEnd .. topEndLocal   top-level variables kept on the stack ("%")
//   startlocal .. endlocal        the current frame
//   endlocal .. newram            temporaries
//   newram .. ramend              free
extern char* ramstart;
extern char* ramend;
extern char* newram;
inline constexpr char*& startlocal = callContext.startlocal;
inline constexpr char*& endlocal = callContext.endlocal;
extern char* functionsEnd;
extern char* topStartLocal;
extern char* topEndLocal;
extern int64_t stackSize;  // bytes of the interpreter stack

// The interpreter's error code (see error_codes.h): 0 when all is well.
// Every routine returns at once when it is set.
extern int errorCode;

// --- the statement loop ------------------------------------------------------

// 0 run, 1 quit, 2 restart; set to 0 at the start of every statement.
enum RunState { runStateRun = 0, runStateQuit = 1, runStateRestart = 2 };
extern int runState;

inline constexpr FunctionState& functionState = callContext.functionState;

extern int lastCommandKind;     // kind of the command that ran last
extern int matlabModeSetting;   // command `matlab`; copied after each top-level statement
extern int inLoop;              // a loop body statement runs
extern int usenanPending;       // prefix "usenan " is active
extern char** interpreterArgs;  // command-line words after the program file
extern int interpreterArgCount;
extern int scriptFailed;  // a script ended through an error
// The value of `loopIndex` when `return` left a `loop` command; a
// user-function call evaluates its return values with this index.
extern int returnLoopIndex;

// --- line sources and the scanner --------------------------------------------

inline constexpr char*& scanPointer = callContext.scanPointer;
inline constexpr char*& lineStart = callContext.lineStart;  // start of the current body line
extern FILE* loadFile;                                      // program file being loaded, or null
extern int evaluatingString;                                // `evaluate` and friends run a string
extern int readingDefinitionLine;                           // the host reads a line without joining
extern int inputAnswerFlag;                                 // an input builtin awaits its answer
extern int inputEvaluating;                                 // an input builtin evaluates its answer
extern char hardSpaceCode;                                  // no-break space of the code page

// Program files.
constexpr int maxPathEntries = 32;
extern char loadFileName[1024];  // file being loaded, empty when none
extern char* pathList[maxPathEntries];
extern int pathCount;
extern int commentsOn;  // `comment` blocks are printed
extern int relaxMode;   // relaxed redefinition checks during a load

// --- the running call --------------------------------------------------------

// The running function's record, or null.
inline constexpr header*& currentFunction = callContext.currentFunction;
// Shown in hints of unknown names.
inline constexpr const char*& currentFunctionName = callContext.currentFunctionName;
// Positional arguments of the call, arguments bound to parameters.
inline constexpr int& argumentCount = callContext.argumentCount;
inline constexpr int& argumentSplit = callContext.argumentSplit;
// The running function is relaxed.
inline constexpr int& relaxedFunctionMode = callContext.relaxedFunctionMode;
extern int callDepth;  // active calls
// The number of arguments before the semicolon of the call being made (0 =
// none); set just before a builtin, DLL or map call.
extern int semicolonPosition;
// Set while the command `maximafunction` runs.
extern int definingMaximaFunction;
// 0 off; -1 starts with the next top-level line; positive while tracing.
inline constexpr int& traceState = callContext.traceState;
// 1 after "trace errors": a failed call lets the user inspect its frame.
extern int traceErrorsMode;

// --- values, numbers and modes -----------------------------------------------

// On while call arguments, plain right-hand sides and collection elements
// are evaluated: indexing then yields copies instead of views.
inline constexpr int& indexCopyMode = callContext.indexCopyMode;

// Relative tolerance of comparisons and zero tests; both are reset to
// `defaultEpsilon` at each (re)start of the interpreter
// loop. A user-function call starts with `globalEpsilon`; `localepsilon`
// changes only the current value.
inline constexpr double& currentEpsilon = callContext.currentEpsilon;
extern double globalEpsilon;
// Command `errors`: while 1, element functions return NaN on domain errors
// without a message or error code.
extern int errorsOff;
// Command `underflows`: while 1, underflow in exp and ^ is an error.
extern int underflowsOn;
// 1 while an expression after the prefix "complex:" is evaluated: log, sqrt
// and ^ then work in complex arithmetic.
extern int complexExpressionFlag;
// Counter of the innermost running `loop` (builtin `index`); saved and
// restored by `loop` and by user-function calls.
inline constexpr int& loopIndex = callContext.loopIndex;

// Matlab operators between matrices.
inline constexpr int& matlabMode = callContext.matlabMode;
extern int easyUnitsMode;  // unknown names are looked up again with "$" appended
// Command `useglobal`: functions see the globals.
inline constexpr int& useGlobalMode = callContext.useGlobalMode;
extern int yacasMode;          // command `yacasmode`
extern int currentPythonMode;  // 0 off, 1 on

// The exact accumulators of the builtins `accuload`, `accuadd`, `accu` ...:
// `accuReal` is the real part or the lower bound, `accuImag` the imaginary
// part or the upper bound, meaningful while `accuKind` is accuKindComplex or
// accuKindInterval. Emptied at each (re)start of the interpreter loop.
extern LongAccumulator accuReal;
extern LongAccumulator accuImag;
extern int accuKind;

// --- output ----------------------------------------------------------------

extern int outputOn;              // results and messages reach the notebook
extern int outputSuppressed;      // nothing is printed at all
extern char* captureDestination;  // capture buffer position, or null
extern char* captureLimit;
extern int captureOverflow;
extern FILE* dumpFile;
extern int errorShown;
// The column entry that printPadded builds piece by piece.
constexpr int paddedLineSize = 1024;
extern char paddedLine[paddedLineSize];
// Full printing of large matrices (command `largematrices`); off: a summary
// of at most 20 rows.
extern int largeMatricesOn;
// Function-key texts: slot k for function key k (1..10; slot 0 unused).
constexpr int functionKeyCount = 10;
constexpr int functionKeyTextSize = 64;
extern char functionKeyTexts[functionKeyCount + 1][functionKeyTextSize];

// --- number formats ------------------------------------------------------------

// Patterns are printf patterns for one double with no width ("%0.6g").
struct FormatState {
    int formatMode = 0;       // 1 format, 2 goodformat, 3 expformat, 4 fixedformat, 5 fracformat
    int formatTotal = 0;      // total width given to the last mode builtin
    double formatDigits = 0;  // its digits (fracformat: the tolerance)
    int fieldWidth = 14;      // width of a real column entry; complex entries take twice
    char normalFormat[16] = "%0.6g";    // numbers inside the limits, and 0
    char extremeFormat[16] = "%0.12g";  // nonzero numbers outside the limits
    char joinFormat[16] = "%0.12g";     // parts of complex and interval numbers joined to strings
    double smallLimit = 1e-5;
    double largeLimit = 1e6;
    int columnWidth = 16;        // width that counts the real columns per line
    int realColumns = 5;         // real entries per output line
    int intervalFormat = 42;     // 0: two digits; positive: the digits the interval supports
    int intervalWidth = 42;      // width of an interval column entry
    int intervalColumns = 1;     // interval entries per output line
    double fractionEpsilon = 0;  // positive: reals print as fractions within it
    int scalarFormatOn = 1;      // a 1x1 real in dense output uses the scalar format
    int scalarDigits = 12;
    char scalarFormat[16] = "%0.12g";  // also the pattern of a real joined to a string
    double scalarSmallLimit = 1e-10;
    double scalarLargeLimit = 1e10;
    int denseOutput = 2;       // 0: rows in columns; 1..10: dense rows, blanks between entries
    int zeroRounding = 0;      // tiny values print as 0
    char userFormat[40] = "";  // user function formatting each number, or empty
    // The [total, digits] pair each mode builtin set last; returned by its
    // next call.
    double formatPair[2] = {10, 5};
    double goodFormatPair[2] = {10, 5};
    double expFormatPair[2] = {10, 5};
    double fixedFormatPair[2] = {10, 5};
};
extern FormatState formatState;

// --- shared with the GUI thread ----------------------------------------------

// Characters per output line. Written by the GUI thread when the text
// window changes size (and at start); read while output is formatted.
extern std::atomic<int> lineLength;
// 0 off, 1 compatibility mode, 2 direct mode. Written by the computation
// thread (command `maximamode`, each statement's start); read by the GUI
// thread's menus, help window and line editor.
extern std::atomic<int> currentMaximaMode;

// --- a copy of it all --------------------------------------------------------

// Every value of this file, copied by save() and put back by restore():
// tests start each case from the state the one before found. Computation
// thread only.
class InterpreterState {
  public:
    static InterpreterState save();
    void restore() const;

  private:
    std::vector<char> bytes;  // the plain values, one after the other
    int savedLineLength = 0;
    int savedMaximaMode = 0;
};

}  // namespace kalix
