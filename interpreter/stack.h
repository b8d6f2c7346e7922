// Value records and the interpreter stack.
//
// Every value is one `header` record; records lie one after another in one
// contiguous block from `ramstart` to `ramend`. Records are made only at the
// top (`newram`) and results are copied down over their arguments, so a
// pointer into the stack is good only until the next push, move or removal:
// keep offsets from `ramstart` across anything that may move records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "interpreter/state.h"
#include "interpreter/type_names.h"

// The record head, fixed to the byte: external libraries and compiled C
// functions receive records in this layout.
//   0  size   whole record in bytes, a multiple of 8; the next record follows
//   8  name   NUL-terminated variable or argument name; empty for temporaries
//  40  hash   XOR of the name's bytes, each sign-extended (`hashName`)
//  44  kind   `ValueKind`
//  48  flags  `HeaderFlags`; 0 when pushed
//  52  extra  not written by the stack operations
//  56  data   layout by kind (see ValueKind)
struct header {
    int64_t size;
    char name[32];
    int32_t hash;
    int32_t kind;
    int32_t flags;
    int32_t extra;
};

namespace kalix {

static_assert(sizeof(header) == 56);
static_assert(offsetof(header, size) == 0);
static_assert(offsetof(header, name) == 8);
static_assert(offsetof(header, hash) == 40);
static_assert(offsetof(header, kind) == 44);
static_assert(offsetof(header, flags) == 48);
static_assert(offsetof(header, extra) == 52);

constexpr int headerSize = 56;

// Value kinds; the number indexes the type-name table (`typeNames`).
// Data from byte 56:
//   real: double | complex: re, im | interval: lower, upper
//   real/complex/interval matrix: int32 columns, int32 rows, elements row by
//     row from byte 64 (complex and interval elements as pairs)
//   reference: pointer to the referenced record (null while unbound)
//   command: int32 code (code 20 is the index ":")
//   submatrix views: pointer to base, int32 columns, int32 rows, then int32
//     row indices and int32 column indices, 0-based into the base
//   string: NUL-terminated bytes padded with zeros
//   function: a user function (stored body offset, parameters, ...)
//   string matrix: NUL-terminated strings one after another, closed by byte 1
//   compressed sparse: int32 columns, rows, entries, then 16-byte entries
//   string subvector: pointer to a string vector, int32 index
//   collection: named records nested up to the record's own size
//   binary: int32 byte count, raw data
enum ValueKind : int32_t {
    kindReal = 0,
    kindComplex = 1,
    kindRealMatrix = 2,
    kindComplexMatrix = 3,
    kindReference = 4,
    kindCommand = 5,
    kindSubmatrix = 6,
    kindComplexSubmatrix = 7,
    kindString = 8,
    kindFunction = 9,
    kindInterval = 10,
    kindIntervalMatrix = 11,
    kindIntervalSubmatrix = 12,
    kindStringMatrix = 13,
    kindCompressedMatrix = 14,
    kindStringSubvector = 15,
    kindCollection = 16,
    kindBinary = 17,
    kindOverflow = 1000,  // 8-byte marker written at the top when a push fails
};
constexpr int kindCount = 18;
static_assert(std::size(typeNames) == kindCount, "a name for every kind");

// Bits of the flags word. Function records use further bits (user functions).
enum HeaderFlags : int32_t {
    flagReferenceArgument = 0x2,     // argument written as "=name": the variable itself
    flagProtected = 0x4,             // protected variable or global
    flagAfterSemicolon = 0x20,       // argument stood after the ";" of an argument list
    flagSymbolic = 0x40,             // string: symbolic expression; function: symbolic function
    flagSetGlobal = 0x80,            // top-level variable marked by `setglobal`
    flagFormula = 0x2000,            // string shown as a formula
    flagResult = 0x8000,             // one of several results of one return
    flagUtf8 = 0x40000,              // string or string vector text is UTF-8
    flagColonNamed = 0x80000,        // named argument given with ":="
    flagGlobalCommand = 0x100000,    // reference made by the command `global`
    flagGlobalReference = 0x200000,  // reference resolved through the global store
    flagZeroBased = 0x800000,        // variable indexed from 0 (command `zerobase`)
};

// Kind predicates.
inline bool isScalarKind(int kind) {
    return kind == kindReal || kind == kindComplex || kind == kindInterval;
}
inline bool isMatrixKind(int kind) {
    return kind == kindRealMatrix || kind == kindComplexMatrix || kind == kindIntervalMatrix;
}
inline bool isNumericKind(int kind) { return isScalarKind(kind) || isMatrixKind(kind); }
inline bool isViewKind(int kind) {
    return kind == kindSubmatrix || kind == kindComplexSubmatrix || kind == kindIntervalSubmatrix;
}

// Record sizes: a scalar of `dataBytes` (8 real, 16 complex or interval); a
// matrix with `elementBytes` per element (the element data starts at byte
// 64), or a size that cannot fit when the dimensions are negative or too
// large.
constexpr int matrixDataOffset = headerSize + 8;
constexpr int64_t scalarRecordSize(int dataBytes) { return headerSize + dataBytes; }
inline int64_t matrixRecordSize(int rows, int columns, int elementBytes) {
    if (rows < 0 || columns < 0) return INT64_MAX;
    int64_t elements = int64_t(rows) * columns;
    if (elements > (INT64_MAX - matrixDataOffset) / elementBytes) return INT64_MAX;
    return matrixDataOffset + elements * elementBytes;
}

// Command code of the all-indices marker ":".
constexpr int32_t commandAllIndices = 20;

// Marker string codes.
constexpr int markerNone = 1;      // the value of `none`
constexpr int markerNoResult = 2;  // nothing was returned

// Room kept beyond `ramend` in the allocated block so that the overflow
// marker can always be written.
constexpr size_t stackGuardBytes = 64;

// --- record access -------------------------------------------------------

inline char* dataOf(header* h) { return reinterpret_cast<char*>(h) + headerSize; }
inline const char* dataOf(const header* h) { return reinterpret_cast<const char*>(h) + headerSize; }
inline header* recordAt(char* p) { return reinterpret_cast<header*>(p); }
inline char* endOf(header* h) { return reinterpret_cast<char*>(h) + h->size; }

inline double realOf(const header* h) {
    double x;
    std::memcpy(&x, dataOf(h), 8);
    return x;
}
inline double* complexOf(header* h) { return reinterpret_cast<double*>(dataOf(h)); }
inline double* intervalOf(header* h) { return reinterpret_cast<double*>(dataOf(h)); }
inline char* stringOf(header* h) { return dataOf(h); }
inline const char* stringOf(const header* h) { return dataOf(h); }

// Matrices (kinds 2, 3, 11): columns before rows, elements from byte 64.
inline int32_t& matrixColumns(header* h) { return *reinterpret_cast<int32_t*>(dataOf(h)); }
inline int32_t& matrixRows(header* h) { return *reinterpret_cast<int32_t*>(dataOf(h) + 4); }
inline double* matrixData(header* h) { return reinterpret_cast<double*>(dataOf(h) + 8); }

inline header*& referenceTarget(header* h) { return *reinterpret_cast<header**>(dataOf(h)); }
inline int32_t& commandCode(header* h) { return *reinterpret_cast<int32_t*>(dataOf(h)); }

// Views (kinds 6, 7, 12).
inline header*& viewBase(header* h) { return *reinterpret_cast<header**>(dataOf(h)); }
inline int32_t& viewColumns(header* h) { return *reinterpret_cast<int32_t*>(dataOf(h) + 8); }
inline int32_t& viewRows(header* h) { return *reinterpret_cast<int32_t*>(dataOf(h) + 12); }
inline int32_t* viewRowIndices(header* h) { return reinterpret_cast<int32_t*>(dataOf(h) + 16); }
inline int32_t* viewColumnIndices(header* h) { return viewRowIndices(h) + viewRows(h); }

// String subvectors (kind 15).
inline header*& subvectorBase(header* h) { return *reinterpret_cast<header**>(dataOf(h)); }
inline int32_t& subvectorIndex(header* h) { return *reinterpret_cast<int32_t*>(dataOf(h) + 8); }

// Compressed sparse matrices (kind 14): entries of int32 column, int32 row,
// double value, sorted by row then column.
inline int32_t& sparseColumns(header* h) { return *reinterpret_cast<int32_t*>(dataOf(h)); }
inline int32_t& sparseRows(header* h) { return *reinterpret_cast<int32_t*>(dataOf(h) + 4); }
inline int32_t& sparseEntryCount(header* h) { return *reinterpret_cast<int32_t*>(dataOf(h) + 8); }
inline char* sparseEntries(header* h) { return dataOf(h) + 12; }

// --- where a record lies ---------------------------------------------------
//
// A record lies on the interpreter stack or outside it (a global's heap
// copy, a fixed marker). The C library puts heap blocks below or above the
// stack as it likes, so only the stack's own bounds tell the two apart: a
// record is never compared by order with a place on the stack (`newram`,
// `endlocal`, a mark) before it is known to lie on the stack.

// Whether `p` lies in [from, to), compared as addresses.
inline bool inArea(const void* p, const void* from, const void* to) {
    auto a = reinterpret_cast<uintptr_t>(p);
    return a >= reinterpret_cast<uintptr_t>(from) && a < reinterpret_cast<uintptr_t>(to);
}
inline bool isOnStack(const void* p) { return inArea(p, ramstart, ramend); }

#ifdef KALIX_CHECK_RECORDS
// Aborts unless a record taken to be on the stack ends inside it and a
// record taken to be outside does not overlap it.
void checkRecordPlace(const header* record, bool onStack);
#endif

// Whether the record lies on the stack (false for null).
inline bool recordOnStack(const header* record) {
    bool on = isOnStack(record);
#ifdef KALIX_CHECK_RECORDS
    if (record) checkRecordPlace(record, on);
#endif
    return on;
}

// Whether the record lies on the stack in [from, to); `from` and `to` are
// places on the stack.
inline bool recordInArea(const header* record, const char* from, const char* to) {
    return inArea(record, from, to) && recordOnStack(record);
}

// --- stack operations ----------------------------------------------------

// Writes a record head at `newram` for `size` bytes (head included, rounded
// up to 8) and returns its data, or null with "Stack overflow!" and error 2.
// Every push below returns its record, or null with the error set.
char* pushHeader(int kind, int64_t size, const char* name);

header* pushReal(double x, const char* name = "");
header* pushComplex(double re, double im, const char* name = "");
header* pushRealMatrix(int rows, int columns, const char* name = "");
header* pushComplexMatrix(int rows, int columns, const char* name = "");
header* pushReference(header* target, const char* name = "");
header* pushCommand(int32_t code);
header* pushSubmatrix(header* base, int linearIndex, const char* name = "");
header* pushComplexSubmatrix(header* base, int linearIndex, const char* name = "");
header* pushString(const char* bytes, int64_t length, const char* name = "");
header* pushCString(const char* text, const char* name = "");
header* pushMarker(int code);
header* pushFunction(const char* name = "");
header* pushInterval(double lower, double upper, const char* name = "");
header* pushIntervalMatrix(int rows, int columns, const char* name = "");
header* pushIntervalSubmatrix(header* base, int linearIndex, const char* name = "");
header* pushStringVector(const char* name = "");
header* pushCompressedMatrix(int rows, int columns, int entries, const char* name = "");
header* pushStringSubvector(header* vector, int index, const char* name = "");
header* pushCollection(const char* name = "");

// Views and copies of selections. `origin` is 0 for 1-based indexing, 1 for
// zero-based indexing.
header* pushView(header* base, header* rowSelector, header* columnSelector, int kind, int origin);
header* extractSubmatrix(header* base, header* rowSelector, header* columnSelector, int origin);
header* selectSubmatrix(header* base, header* rowSelector, header* columnSelector, int origin);
header* selectStringItem(header* vector, double index, const char* name = "");

char* reserveStack(int64_t bytes, const char* requester);
char* moveResult(header* destination, header* result);
void moveResults(header* destination, header* firstResult);
char* keepResult(header* record);
header* nextValue(header* record);

int32_t hashName(const char* text);
int hasSuffix(const char* text, const char* suffix);
void removeFunction(const char* name);

bool isNoneMarker(const header* record);
bool isScalarValue(header* record);
double getElementReal(header* record, int64_t i);
double getElementImag(header* record, int64_t i);
header* readSizeArguments(header* first, int* rows, int* columns, const char* builtinName);

// Whether out-of-range indices are reported (setting "reportindex" and the
// running function not relaxed); otherwise they are skipped.
bool indexErrorsReported();

// Copies a name into a record's 32-byte name field and sets its hash.
void setRecordName(header* record, const char* name);

// Data size of a string record for a text of length n (head excluded).
inline int64_t stringDataSize(int64_t n) { return ((n + 1) & ~int64_t(7)) + 8; }

// Closes a gap of `size` bytes at `at`: the records above it move down to
// the stack top, and every area bound above `at` and every live StackRef
// into the moved records is lowered with them.
void closeStackGap(char* at, int64_t size);

// Moves the records from `from` up to `newram` by `delta` bytes (the caller
// has checked the room); `newram` and every live StackRef into the moved
// records move with them.
void moveStackRegion(char* from, int64_t delta);

// A record held across moves of the stack: an offset from `ramstart` that
// the moving operations above keep on the same record while the StackRef
// lives. A record outside the stack (a global) is held as it is.
class StackRef {
  public:
    explicit StackRef(header* record = nullptr) : previous(nullptr), next(live) {
        if (next) next->previous = this;
        live = this;
        set(record);
    }
    ~StackRef() {
        if (previous)
            previous->next = next;
        else
            live = next;
        if (next) next->previous = previous;
    }
    StackRef(const StackRef&) = delete;
    StackRef& operator=(const StackRef&) = delete;

    void set(header* record) {
        onStack = isOnStack(record);
        offset = onStack ? reinterpret_cast<char*>(record) - ramstart : 0;
        outside = onStack ? nullptr : record;
    }
    header* get() const { return onStack ? recordAt(ramstart + offset) : outside; }

    // Moves every live reference into [from, end) by `delta` bytes.
    static void moveAll(char* from, char* end, int64_t delta);

    // The newest live reference; after a jump that abandoned the frames of
    // the references made since, `forgetNewerThan` drops them.
    static StackRef* newest() { return live; }
    static void forgetNewerThan(StackRef* kept) {
        live = kept;
        if (kept) kept->previous = nullptr;
    }

  private:
    static inline StackRef* live = nullptr;  // newest first
    StackRef* previous;
    StackRef* next;
    bool onStack = false;
    int64_t offset = 0;
    header* outside = nullptr;
};
// The first record named `name` between `from` and `to`, or null; stops at
// a record whose size would leave the area.
header* findNamedRecord(char* from, char* to, const char* name);

}  // namespace kalix
