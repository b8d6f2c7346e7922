// User-defined functions: the `UserFunction` record, the `function`
// command that builds it, and the readers that turn it back into text.
//
// A user function is one record of kind `kindFunction` in the function
// area (`ramstart` .. `functionsEnd`). Its data part is fixed to the byte:
//   56  int64  body offset from the start of the record
//   64  int32  parameter count
//   68  int32  minimum argument count of a call
//   72  int32  parameters before the ";" of the parameter list (0: none)
//   76  parameter entries, one after another:
//         int32 flags (ParameterFlags and annotation bits), char name[32],
//         int32 name hash, then with parameterHasDefault a whole record
//         holding the default value (named as the parameter)
//       text lines, each ending in 0: the origin line, "## ", the comment
//       of a one-line definition, the help lines
//   body offset: the stored body, a byte stream of lines ending in 0 and
//       closed by `endOfBody`; `numberToken` + 8-byte double and
//       `commandToken` + int32 command index + int32 jump cache stand for
//       numbers and command words, every other byte is itself.
// Entries and default records lie at any byte offset: read their fields
// with memcpy and copy a default to the stack top before using it.
#pragma once

#include <cstdint>
#include <cstring>

#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// Properties in the flags word of a function record.
enum UserFunctionFlags : int32_t {
    userFunctionTraced = 0x1,
    userFunctionProtected = 0x4,
    userFunctionRelaxed = 0x8,  // runs with `relaxedFunctionMode`
    userFunctionMap = 0x10,     // applied element by element
    userFunctionSymbolic = 0x40,
    userFunctionMatlab = 0x100,    // runs with `matlabMode`
    userFunctionOperator = 0x200,  // infix, two parameters
    userFunctionPostfix = 0x400,   // one parameter
    userFunctionPrefix = 0x800,    // one parameter
    userFunctionStrong = 0x1000,   // the operator binds strongly
    userFunctionHidden = 0x4000,   // `findFunction` does not see it
    userFunctionArgs = 0x8000,     // results pass on as separate arguments
    userFunctionPython = 0x10000,
    userFunctionExtraArguments = 0x20000,  // ", ...)" closed the parameters
    userFunctionAllowAssigned = 0x400000,  // named arguments beyond parameters
    userFunctionPrefixLine = 0x1000000,    // prefix taking the rest of the line
};

// Flags of a parameter entry below the annotation bits.
enum ParameterFlags : int32_t {
    parameterHasDefault = 0x1,
    parameterGroupStart = 0x2,  // "[" before the name
    parameterGroupEnd = 0x4,    // "]" after the name
};

// Annotation bits of a parameter entry, checked at call time.
enum ParameterAnnotations : int32_t {
    annotationReal = 0x8,
    annotationComplex = 0x10,
    annotationInterval = 0x20,
    annotationString = 0x40,
    annotationNumerical = 0x80,
    annotationVector = 0x100,
    annotationColumn = 0x200,
    annotationScalar = 0x400,
    annotationCompressed = 0x800,  // "cpx"
    annotationInteger = 0x1000,
    annotationPositive = 0x2000,
    annotationNonnegative = 0x4000,
    annotationNone = 0x8000,
    annotationCall = 0x10000,
};

// The annotation words in table order; composite words name several bits.
struct AnnotationWord {
    const char* word;
    int32_t bits;
};
constexpr int annotationWordCount = 18;
extern const AnnotationWord annotationWords[annotationWordCount];

// --- the record -------------------------------------------------------------

constexpr int functionParametersOffset = 76;
constexpr int parameterEntryHeadSize = 40;  // flags, name, hash

inline int64_t functionBodyOffset(const header* f) {
    int64_t v;
    std::memcpy(&v, dataOf(f), 8);
    return v;
}
inline int32_t functionParameterCount(const header* f) {
    int32_t v;
    std::memcpy(&v, dataOf(f) + 8, 4);
    return v;
}
inline int32_t functionMinimumArguments(const header* f) {
    int32_t v;
    std::memcpy(&v, dataOf(f) + 12, 4);
    return v;
}
inline int32_t functionSemicolonPosition(const header* f) {
    int32_t v;
    std::memcpy(&v, dataOf(f) + 16, 4);
    return v;
}
inline char* functionBody(header* f) { return reinterpret_cast<char*>(f) + functionBodyOffset(f); }
inline char* functionParameters(header* f) {
    return reinterpret_cast<char*>(f) + functionParametersOffset;
}

// One parameter entry as read from a record.
struct Parameter {
    int32_t flags;
    const char* name;  // inside the record
    int32_t hash;
    char* defaultRecord;  // a whole record at any alignment, or null
    int64_t defaultSize;
    char* next;  // the next entry
};
Parameter readParameter(char* entry);

// The text lines between the parameters and the body.
char* functionTextLines(header* f);

// --- definition ---------------------------------------------------------------

// The `function` command: reads a definition from `scanPointer` (and the
// lines after it) and stores the record in the function area.
void defineFunction();

// --- readers (function_listing.cpp) -------------------------------------------

// One stored line as text (numbers "%g", commands by name), in a static
// buffer of 32766 bytes.
const char* detokenizeLine(const char* line);
// The rest of the line at a scan position as the user wrote it: inside a
// stored body detokenized (static buffer), elsewhere the position itself.
// For messages that show what was found.
const char* textAtPosition(const char* position);
// The usage line: flags words, name, parameters in parentheses; with help
// also the first help text. Static buffer.
const char* buildFunctionHeader(header* function, int withHelp);
// ": word word" for the annotation bits of a parameter; "" without any.
const char* getParameterTypeName(int32_t flags);
// Prints one stored line (cut into pieces of about 60 characters ending in
// " ..."); returns the position after what was printed.
char* printFunctionLine(char* line, int skipBlanks);
// The command `type`: what a name stands for.
void describeName(const char* name);
void typeCommand();
// The message for a builtin name called with an argument count no row takes.
void reportBuiltinArity(const char* name, int count);

}  // namespace kalix
