// Constant and state builtins, the tolerance builtins and magic.
#include <cstdint>
#include <cstring>

#include "builtins/builtin_helpers.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"
#include "platform/host.h"

namespace kalix {

namespace {

void builtinE(header*) { pushReal(2.718281828459045); }
void builtinPi(header*) { pushReal(3.141592653589793); }
void builtinI(header*) { pushComplex(0, 1); }
void builtinTrue(header*) { pushReal(1); }
void builtinFalse(header*) { pushReal(0); }

// A quiet NaN with the sign bit set.
void builtinNan(header*) {
    const uint64_t bits = 0xFFF8000000000000ull;
    double x;
    std::memcpy(&x, &bits, sizeof x);
    pushReal(x);
}

void builtinNone(header*) { pushMarker(markerNone); }
void builtinEpsilon(header*) { pushReal(currentEpsilon); }
void builtinIndex(header*) { pushReal(loopIndex); }
// The code of the hard space: a signed byte in a single-byte code page
// (0xA0 gives -96), its code point in UTF-8, where char() builds it back.
void builtinHardspace(header*) {
    pushReal(systemCodePageIsUtf8 ? 0xA0 : static_cast<signed char>(hardSpaceCode));
}
void builtinTime(header*) { pushReal(getClockSeconds()); }

constexpr Signature setepsilonSignature = {"setepsilon", "real", {{takesReal}}};
constexpr Signature localepsilonSignature = {"localepsilon", "real", {{takesReal}}};

// Sets the tolerance from a real argument and returns the previous one.
void replaceEpsilon(header* first, const Signature& signature, bool global) {
    const Arguments a(first, signature);
    if (!a) return;
    // A negative or NaN tolerance would make ranges and comparisons
    // meaningless.
    if (!(a.real(0) >= 0)) return a.need("nonnegative real");
    double previous = currentEpsilon;
    currentEpsilon = a.real(0);
    if (global) globalEpsilon = currentEpsilon;
    header* result = pushReal(previous);
    if (errorCode) return;
    moveResult(first, result);
}

void builtinSetepsilon(header* first) { replaceEpsilon(first, setepsilonSignature, true); }
void builtinLocalepsilon(header* first) { replaceEpsilon(first, localepsilonSignature, false); }

constexpr Signature magicSignature = {"magic", "an integer", {{takesReal}}};

void builtinMagic(header* first) {
    const Arguments a(first, magicSignature);
    if (!a) return;
    int n;
    if (!truncateToInt(a.real(0), &n) || n != a.real(0)) return a.refuse();
    if (n <= 2) return a.need("an integer greater or equal to 3");
    header* result = pushMatrixOfKind(kindRealMatrix, n, n);
    if (!result) return;
    buildMagicSquare(matrixData(result), n);
    if (errorCode) return;
    moveResult(first, result);
}

const BuiltinRecord rows[] = {
    {"E", 0, 0, builtinE},         {"I", 0, 0, builtinI},
    {"NAN", 0, 0, builtinNan},     {"epsilon", 0, 0, builtinEpsilon},
    {"false", 0, 0, builtinFalse}, {"hardspace", 0, 0, builtinHardspace},
    {"index", 0, 0, builtinIndex}, {"localepsilon", 1, 0, builtinLocalepsilon},
    {"magic", 1, 0, builtinMagic}, {"none", 0, 0, builtinNone},
    {"pi", 0, 0, builtinPi},       {"setepsilon", 1, 0, builtinSetepsilon},
    {"time", 0, 0, builtinTime},   {"true", 0, 0, builtinTrue},
};

}  // namespace

KALIX_BUILTIN_FAMILY(constantBuiltins, rows);

}  // namespace kalix
