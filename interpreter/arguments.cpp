// Declared arguments of the builtins: resolving and checking by signature.
#include "interpreter/arguments.h"

#include <algorithm>

#include "interpreter/arithmetic.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

int countArguments(header* first) {
    int n = 0;
    for (char* p = reinterpret_cast<char*>(first); p && p < newram; p += recordAt(p)->size) n++;
    return n;
}

namespace {

int requiredCount(const Signature& s) {
    int n = 0;
    while (n < maxDeclaredArguments && s.rules[n].kinds &&
           s.rules[n].presence == Presence::required)
        n++;
    return n;
}

int declaredCount(const Signature& s) {
    int n = 0;
    while (n < maxDeclaredArguments && s.rules[n].kinds) n++;
    return n;
}

bool sizeFits(int size, int wanted) { return wanted == anySize || size == wanted; }

}  // namespace

// Records are all taken before any is resolved: a resolution may push
// above the last one, where counting would go on.
Arguments::Arguments(header* first, const Signature& signature) : signature_(signature) {
    if (errorCode) return;
    count_ = countArguments(first);
    if (count_ < requiredCount(signature)) {
        refuse();
        return;
    }
    const int n = std::min(count_, declaredCount(signature));
    if (signature.sameFamily && n > 1) {
        promoteConsecutive(first, n);
        if (errorCode) return;
    }
    header* records[maxDeclaredArguments];
    header* record = first;
    for (int k = 0; k < n; k++, record = nextValue(record)) records[k] = record;
    const bool checkAtOnce = signature.order == CheckOrder::asResolved;
    for (int k = 0; k < n; k++) {
        values_[k] = resolveValue(records[k]);
        if (errorCode || (checkAtOnce && !check(k))) return;
    }
    if (!checkAtOnce)
        for (int k = 0; k < n; k++)
            if (!check(k)) return;
    accepted_ = true;
}

// An optional `none` is taken as not given.
bool Arguments::fits(int k) {
    const ArgumentRule& rule = signature_.rules[k];
    header* value = values_[k];
    if (rule.presence == Presence::optionalOrNone && isNoneMarker(value)) {
        values_[k] = nullptr;
        return true;
    }
    if (value->kind < 0 || value->kind >= kindCount || !(rule.kinds & kindBit(value->kind)))
        return false;
    if (rule.rows == anySize && rule.columns == anySize) return true;
    MatrixValue m;
    return !readMatrixValue(value, &m) ||
           (sizeFits(m.rows, rule.rows) && sizeFits(m.columns, rule.columns));
}

bool Arguments::check(int k) {
    if (fits(k)) return true;
    refuse();
    return false;
}

MatrixValue Arguments::matrix(int k) const {
    MatrixValue m{};
    readMatrixValue(values_[k], &m);
    return m;
}

void Arguments::refuse() const {
    if (signature_.refusal.message)
        fail(signature_.refusal.code, "%s", signature_.refusal.message);
    else
        reportNeed(signature_.need, signature_.builtin);
}

void Arguments::need(const char* what) const { reportNeed(what, signature_.builtin); }

}  // namespace kalix
