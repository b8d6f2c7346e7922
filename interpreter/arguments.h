// Declared arguments of the builtins.
//
// A builtin declares its arguments once, in a `Signature`: the name its
// messages use, what its refusal "Need <need> for <builtin>" (error 26)
// says is needed and, for each argument, the kinds it may have, whether it
// may be left out and its default. `Arguments` resolves the arguments and
// refuses them with that message, so that the builtin's body starts with
// values that fit. Beside the builtin, in the family's anonymous namespace:
//
//   // savepng(filename, width, height, antialias)
//   constexpr Signature savepngSignature = {
//       "savepng", "filename, x, y, flag",
//       {{takesString}, {takesReal}, {takesReal}, {takesReal}}};
//
//   void builtinSavepng(header* first) {
//       const Arguments a(first, savepngSignature);
//       if (!a) return;  // refused or not resolved: message printed, errorCode set
//       save(a.text(0), a.real(1), a.real(2), a.real(3) != 0);
//   }
//
// A rule is {kinds}, or designated when it says more: {.kinds =
// takesNumeric, .rows = 1} is a row vector (a scalar is 1 x 1); {.kinds =
// takesReal, .presence = Presence::optional, .fallback = 600} may be left
// out, and a.real(k) then gives 600; Presence::optionalOrNone also takes
// `none` as left out. Optional arguments come last. Kinds combine with |:
// takesReal | takesString. A signature with more than the three first
// fields is designated throughout (C++ allows no mixing): {.builtin = ...,
// .need = ..., .rules = {...}, .order = CheckOrder::asResolved}.
//
// Order of messages. Either every argument is resolved before any is
// checked (`CheckOrder::afterResolvingAll`, the default: an argument that
// cannot be resolved is reported even after a wrong one), or each is
// checked as soon as it is resolved (`CheckOrder::asResolved`: the first
// wrong argument is reported and the later ones are never resolved). Keep
// the order the builtin had; pin it with a transcript ("f(a,,)" passes an
// empty last argument, which cannot be resolved).
//
// What no rule says (a positive count, equal lengths, a string of one
// character, finite elements, several messages in an order of their own)
// the builtin checks after the reader, refusing with `a.refuse()` (the
// signature's message) or `a.need(what)` ("Need <what> for <builtin>"). A
// builtin whose refusal is no Need message declares it as `refusal`:
// {errorSolidParameter, "Illegal parameter for solid!\n"}. A builtin with
// several forms by the number of its arguments picks one signature per form
// by `countArguments(first)`.
//
// A check of one argument's kind is a rule ({takesString}, {takesReal});
// a resolve-and-check helper of a family is a signature. What no signature
// declares a builtin reads itself: a size given as n, m or [n, m]
// (readSizeArguments), or values of any number (size, the values passed to
// Python or a library). `sameFamily` does for declared arguments what
// `convertToCommonKind` does for two values. Builtin families get this
// header through builtins/builtin_helpers.h.
#pragma once

#include <cstdint>

#include "interpreter/matrix_views.h"
#include "interpreter/stack.h"

namespace kalix {

// Sets of kinds of resolved values, one bit (1 << kind) a kind. A resolved
// value is never a reference or a view, and a 1 x 1 real or complex matrix
// resolves to a scalar, so a set of matrices includes the scalar kind.
using KindSet = uint32_t;
constexpr KindSet kindBit(int kind) { return KindSet(1) << kind; }
constexpr KindSet takesReal = kindBit(kindReal);
constexpr KindSet takesComplex = kindBit(kindComplex);
constexpr KindSet takesInterval = kindBit(kindInterval);
constexpr KindSet takesRealMatrix = takesReal | kindBit(kindRealMatrix);
constexpr KindSet takesComplexMatrix = takesComplex | kindBit(kindComplexMatrix);
constexpr KindSet takesIntervalMatrix = takesInterval | kindBit(kindIntervalMatrix);
constexpr KindSet takesNumeric = takesRealMatrix | takesComplexMatrix | takesIntervalMatrix;
constexpr KindSet takesString = kindBit(kindString);
constexpr KindSet takesStringVector = kindBit(kindStringMatrix);
constexpr KindSet takesCompressed = kindBit(kindCompressedMatrix);
constexpr KindSet takesAnything = ~KindSet(0);

enum class Presence : uint8_t {
    required,        // given, in front of every optional argument
    optional,        // may be left out at the end
    optionalOrNone,  // may be left out, or given as `none`
};

constexpr int anySize = -1;

struct ArgumentRule {
    KindSet kinds = 0;  // 0 ends the list
    Presence presence = Presence::required;
    // A numeric value must have these (a scalar is 1 x 1); other kinds
    // have no size.
    int rows = anySize;
    int columns = anySize;
    double fallback = 0;  // real(k) of an argument not given
};

enum class CheckOrder : uint8_t { afterResolvingAll, asResolved };

// A refusal of the builtin's own instead of the Need message.
struct Refusal {
    int code = 0;
    const char* message = nullptr;  // printed as it is
};

constexpr int maxDeclaredArguments = 8;

struct Signature {
    const char* builtin = nullptr;  // the name in the message
    const char* need = nullptr;     // what the Need message says is needed
    ArgumentRule rules[maxDeclaredArguments] = {};
    CheckOrder order = CheckOrder::afterResolvingAll;
    // Numeric arguments are first brought to one number family in place
    // (real < interval, real < complex), as the arithmetic does.
    bool sameFamily = false;
    Refusal refusal = {};
};

// The number of argument records from `first` up to the stack top (0 for
// none).
int countArguments(header* first);

// The arguments from `first`, resolved and checked by the signature; false
// (converted to bool) after the refusal or a resolving error. Arguments
// beyond the declared ones are neither resolved nor checked. The values
// are good until the next push that moves records (moveResult).
class Arguments {
  public:
    Arguments(header* first, const Signature& signature);
    // The reader keeps the signature: it must outlive the reader.
    Arguments(header* first, const Signature&& signature) = delete;
    Arguments(const Arguments&) = delete;
    Arguments& operator=(const Arguments&) = delete;

    explicit operator bool() const { return accepted_; }
    // How many arguments were given, declared or not.
    int count() const { return count_; }
    // Whether argument k (declared) was given, and not as an optional `none`.
    bool given(int k) const { return values_[k] != nullptr; }
    // The resolved value of argument k, null when not given.
    header* operator[](int k) const { return values_[k]; }
    // A real argument's value, or the rule's fallback when not given.
    double real(int k) const {
        return given(k) ? realOf(values_[k]) : signature_.rules[k].fallback;
    }
    const char* text(int k) const { return stringOf(values_[k]); }
    // A numeric argument seen as a matrix.
    MatrixValue matrix(int k) const;

    // The signature's refusal: "Need <need> for <builtin>" or its own.
    void refuse() const;
    // "Need <what> for <builtin>" (error 26).
    void need(const char* what) const;

  private:
    bool fits(int k);
    bool check(int k);  // fits, or refused

    const Signature& signature_;
    header* values_[maxDeclaredArguments] = {};
    int count_ = 0;
    bool accepted_ = false;
};

}  // namespace kalix
