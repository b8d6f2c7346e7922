// The expression evaluator: one routine per operator level, loosest first.
#include "interpreter/evaluator.h"

#include <cstring>

#include "interpreter/arithmetic.h"
#include "interpreter/commands.h"
#include "interpreter/comparison.h"
#include "interpreter/concatenation.h"
#include "interpreter/control_flow.h"
#include "interpreter/element_functions.h"
#include "interpreter/function_calls.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/interval_operators.h"
#include "interpreter/linear_systems.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/scanner.h"
#include "interpreter/tracing.h"
#include "interpreter/value_helpers.h"
#include "interpreter/values.h"

namespace kalix {

int easyUnitsMode = 0;

namespace {

constexpr int quotedUnitLimit = 32766;
constexpr double degreeUnit = 0.017453292519943295;

// Before a right operand: only the first value of the left operand stays.
void dropExtraValues(char* entry) {
    if (newram > entry) newram = endOf(recordAt(entry));
}

// The same for "+", "-" and the products, which report several results.
void keepLeftOperand(char* entry) {
    if (newram > entry) keepResult(recordAt(entry));
}

// After the right operand: a left operand that kept its further results
// (several-results flag) leaves more than two values for the operator.
bool refuseSeveralResults(char* entry) {
    if (errorCode) return true;
    header* first = recordAt(entry);
    if (!(first->flags & flagResult)) return false;
    header* second = nextValue(first);
    if (!second || !nextValue(second)) return false;
    fail(errorWrongOperand, "Too many parameters for operator! (Multiple returns?)\n");
    return true;
}

// Skips an operator token and the blanks (and line ends) after it.
void skipOperator(int length) {
    scanPointer += length;
    skipBlanks(1);
}

bool isScalarOperand(char* operand) {
    char* top = newram;
    header* value = resolveValue(recordAt(operand));
    bool scalar = value && isScalarValue(value);
    newram = top;
    return scalar;
}

// The matlab operators call user functions; a missing one is error 1
// without a message.
void callMatlabFunction(const char* name, char* first) {
    header* function = findFunction(name);
    if (!function) {
        errorCode = errorFailed;
        return;
    }
    callUserFunction(function, recordAt(first), 2, 2);
}

// The word operators "and" and "or": the right operand is evaluated only
// when the left one does not decide.
void shortCircuit(char* entry, bool isOr, void (*level)()) {
    bool left = isConditionTrue(recordAt(entry));
    if (errorCode) return;
    newram = entry;
    if (left == isOr) {
        skipOperand();
        pushReal(isOr ? 1 : 0);
        return;
    }
    level();
    if (errorCode) return;
    bool right = isConditionTrue(recordAt(entry));
    if (errorCode) return;
    newram = entry;
    pushReal(right ? 1 : 0);
}

// The comparison operators in the order they are tested.
struct ComparisonToken {
    const char* text;
    void (*apply)(header* first);
};
const ComparisonToken comparisons[] = {
    {"<<=", testSubintervalOperator},
    {"<<", testProperSubintervalOperator},
    {"<=", compareLessEqual},
    {"<>", compareNotEqual},
    {"<", compareLess},
    {">=", compareGreaterEqual},
    {">", compareGreater},
    {"==", compareEqual},
    {"~=", compareAboutEqual},
    {"!=", compareNotEqual},
};

const ComparisonToken* findComparison() {
    char c = *scanPointer;
    if (c != '<' && c != '>' && c != '=' && c != '~' && c != '!') return nullptr;
    for (const ComparisonToken& token : comparisons) {
        if (!hasPrefix(scanPointer, token.text)) continue;
        if (token.apply == compareAboutEqual && scanPointer[2] == '=') return nullptr;
        return &token;
    }
    return nullptr;
}

// A ":" that starts a range (not ":=", "::", ":&=" or a colon that ends
// the line).
bool rangeColonFollows() {
    const char* p = scanPointer;
    if (p[0] != ':' || p[1] == '=' || p[1] == ':' || (p[1] == '&' && p[2] == '=')) return false;
    if (std::strcmp(p, ":") == 0 || std::strcmp(p, ": ") == 0) return false;
    return !hasPrefix(p, ": /");
}

// Puts a real 1 between start and end of a:b, where the step belongs.
void insertUnitStep(char* end) {
    header* one = pushReal(1);
    if (errorCode) return;
    char saved[64];
    std::memcpy(saved, one, 64);
    std::memmove(end + 64, end, reinterpret_cast<char*>(one) - end);
    std::memcpy(end, saved, 64);
}

bool startsUnitName(const char* p) { return isLetterAt(p) || *p == '$'; }

// After "/" or "./": a divisor written as 2x divides by x as well.
void divideByImplicitFactor(char* entry, int flag) {
    if (!flag || !startsUnitName(scanPointer)) return;
    int saved = easyUnitsMode;
    easyUnitsMode = 1;
    evaluatePower();
    easyUnitsMode = saved;
    if (!errorCode) divideValues(recordAt(entry));
}

}  // namespace

// expression: ["complex:"] ( "{{" collection "}}" | "{" conversion {"," conversion} "}" |
// conversion )
header* evaluateExpression() {
    skipBlanks();
    char* entry = newram;
    if (errorCode) return recordAt(entry);
    if (evaluateAssignedName()) return recordAt(entry);
    if (skipPrefix(scanPointer, "complex:")) {
        complexExpressionFlag = 1;
        evaluateExpression();
        complexExpressionFlag = 0;
    } else if (hasPrefix(scanPointer, "{{")) {
        evaluateToValues();
    } else if (*scanPointer == '{') {
        do {
            scanPointer++;
            evaluateConversion();
            if (errorCode) return recordAt(entry);
            skipBlanks();
        } while (*scanPointer == ',');
        if (*scanPointer == '}') {
            scanPointer++;
            skipBlanks();
        } else {
            fail(errorBraces, "Error in {}!\n");
        }
    } else {
        evaluateConversion();
    }
    return recordAt(entry);
}

// conversion: or [ "->" ( unit | '"' unit '"' ) ]
void evaluateConversion() {
    char* entry = newram;
    evaluateOr();
    if (errorCode) return;
    skipBlanks();
    if (!hasPrefix(scanPointer, "->")) return;
    skipOperator(2);
    dropExtraValues(entry);
    const char* unitText = nullptr;
    char* unitEnd = nullptr;
    if (*scanPointer == '"') {
        unitText = ++scanPointer;
        unitEnd = std::strchr(scanPointer, '"');
        if (!unitEnd || unitEnd - unitText > quotedUnitLimit) {
            fail(errorFailed, "End of string missing!\n");
            return;
        }
    }
    int saved = easyUnitsMode;
    easyUnitsMode = 1;
    const char* p = scanPointer;
    if (p[0] == '%' || (p[0] == ' ' && p[1] == '%')) {
        scanPointer += p[0] == '%' ? 1 : 2;
        skipBlanks();
        pushReal(0.01);
    } else if (int sign = degreeSignLength(p[0] == ' ' ? p + 1 : p)) {
        scanPointer += (p[0] == ' ') + sign;
        skipBlanks();
        pushReal(degreeUnit);
    } else {
        evaluateProduct();
    }
    easyUnitsMode = saved;
    if (errorCode) return;
    dropExtraValues(endOf(recordAt(entry)));
    divideValues(recordAt(entry));
    if (errorCode || !unitText) return;
    scanPointer = unitEnd + 1;
    skipBlanks();
    pushString(unitText, unitEnd - unitText);
    if (!errorCode) concatenateHorizontally(recordAt(entry));
}

// or: and { "||" or | "or " and | user operator }
void evaluateOr() {
    char* entry = newram;
    evaluateAnd();
    while (!errorCode) {
        skipBlanks();
        if (hasPrefix(scanPointer, "||")) {
            skipOperator(2);
            dropExtraValues(entry);
            evaluateOr();
            if (!errorCode) applyOr(recordAt(entry));
        } else if (hasPrefix(scanPointer, "or ")) {
            skipOperator(3);
            shortCircuit(entry, true, evaluateOr);
        } else if (!isLetterAt(scanPointer) || !applyUserOperator(entry, false)) {
            return;
        }
    }
}

// and: concatenation { "&&" and | "and " and }
void evaluateAnd() {
    char* entry = newram;
    evaluateConcatenation();
    while (!errorCode) {
        skipBlanks();
        if (hasPrefix(scanPointer, "&&") && scanPointer[2] != '=') {
            skipOperator(2);
            dropExtraValues(entry);
            evaluateAnd();
            if (!errorCode) applyAnd(recordAt(entry));
        } else if (hasPrefix(scanPointer, "and ")) {
            skipOperator(4);
            shortCircuit(entry, false, evaluateAnd);
        } else {
            return;
        }
    }
}

// concatenation: comparison { ("_" | "|") comparison }
void evaluateConcatenation() {
    char* entry = newram;
    evaluateComparison();
    while (!errorCode) {
        skipBlanks();
        char c = *scanPointer;
        if (c != '_' && !(c == '|' && scanPointer[1] != '|')) return;
        skipOperator(1);
        dropExtraValues(entry);
        evaluateComparison();
        if (errorCode) return;
        if (c == '_')
            concatenateVertically(recordAt(entry));
        else
            concatenateHorizontally(recordAt(entry));
    }
}

// comparison: "!" comparison | "not " comparison | range [ comparator range ]
void evaluateComparison() {
    skipBlanks();
    char* entry = newram;
    if (errorCode) return;
    if (*scanPointer == '!') {
        scanPointer++;
        evaluateComparison();
        if (!errorCode) applyNot(recordAt(entry));
        return;
    }
    if (skipPrefix(scanPointer, "not ")) {
        evaluateComparison();
        header* value = resolveValue(recordAt(entry));
        if (errorCode) return;
        double result;
        if (value->kind == kindString) {
            result = stringOf(value)[0] == 0 || stringOf(value)[0] == 1;
        } else if (value->kind == kindReal) {
            result = realOf(value) == 0;
        } else {
            reportNeed("real", "not");
            return;
        }
        newram = entry;
        pushReal(result);
        return;
    }
    evaluateRange();
    if (errorCode) return;
    skipBlanks();
    const ComparisonToken* token = findComparison();
    if (!token) return;
    skipOperator(std::strlen(token->text));
    dropExtraValues(entry);
    evaluateRange();
    if (!errorCode) token->apply(recordAt(entry));
}

// range: ":" | sum [ ":" sum [ ":" sum ] ]
void evaluateRange() {
    skipBlanks();
    char* entry = newram;
    if (errorCode) return;
    if (scanPointer[0] == ':' && scanPointer[1] != '=' && scanPointer[1] != ':') {
        scanPointer++;
        pushCommand(commandAllIndices);
        return;
    }
    evaluateSum();
    if (errorCode) return;
    skipBlanks();
    if (!rangeColonFollows()) return;
    skipOperator(1);
    dropExtraValues(entry);
    char* second = newram;
    evaluateSum();
    if (errorCode) return;
    dropExtraValues(second);
    skipBlanks();
    if (scanPointer[0] == ':' && scanPointer[1] != '=' && scanPointer[1] != ':') {
        skipOperator(1);
        char* third = newram;
        evaluateSum();
        if (errorCode) return;
        dropExtraValues(third);
    } else {
        insertUnitStep(second);
        if (errorCode) return;
    }
    buildRangeVector(recordAt(entry));
}

// sum: product { ("+" | "-" | plus-minus) product }
void evaluateSum() {
    char* entry = newram;
    evaluateProduct();
    while (!errorCode) {
        skipBlanks();
        char c = *scanPointer;
        void (*apply)(header*);
        int length = 1;
        if (c == '+')
            apply = addValues;
        else if (c == '-' && scanPointer[1] != '>')
            apply = subtractValues;
        else if ((length = plusMinusLength(scanPointer)))
            apply = applyPlusMinus;
        else
            return;
        skipOperator(length);
        keepLeftOperand(entry);
        evaluateProduct();
        if (!refuseSeveralResults(entry)) apply(recordAt(entry));
    }
}

// product: power { ("*" | ".*" | "/" | "./" | "." | "\") power | implicit product }
void evaluateProduct() {
    char* entry = newram;
    int flag = evaluatePower();
    while (!errorCode) {
        skipBlanks();
        const char* p = scanPointer;
        if ((p[0] == '*' && p[1] != '*') || (p[0] == '.' && p[1] == '*')) {
            bool matlab = p[0] == '*' && matlabMode;
            skipOperator(p[0] == '*' ? 1 : 2);
            keepLeftOperand(entry);
            char* second = newram;
            flag = evaluatePower();
            if (refuseSeveralResults(entry)) return;
            if (matlab && !isScalarOperand(entry) && !isScalarOperand(second))
                matrixProduct(recordAt(entry), recordAt(second));
            else
                multiplyValues(recordAt(entry));
        } else if (p[0] == '/' || (p[0] == '.' && p[1] == '/')) {
            bool matlab = p[0] == '/' && matlabMode;
            skipOperator(p[0] == '/' ? 1 : 2);
            keepLeftOperand(entry);
            char* second = newram;
            int divisorFlag = evaluatePower();
            if (refuseSeveralResults(entry)) return;
            if (matlab && !isScalarOperand(entry) && !isScalarOperand(second))
                callMatlabFunction("divideinto", entry);
            else
                divideValues(recordAt(entry));
            if (errorCode) return;
            divideByImplicitFactor(entry, divisorFlag);
            flag = 0;
        } else if (p[0] == '.' && p[1] != '.') {
            skipOperator(1);
            keepLeftOperand(entry);
            char* second = newram;
            evaluatePower();
            if (!refuseSeveralResults(entry)) matrixProduct(recordAt(entry), recordAt(second));
            flag = 0;
        } else if (p[0] == '\\') {
            skipOperator(1);
            dropExtraValues(entry);
            evaluatePower();
            if (errorCode) return;
            if (matlabMode)
                callMatlabFunction("fit", entry);
            else
                solveLeftDivision(recordAt(entry));
            flag = 0;
        } else if (flag && startsUnitName(p)) {
            keepLeftOperand(entry);
            int saved = easyUnitsMode;
            easyUnitsMode = 1;
            evaluateProduct();
            easyUnitsMode = saved;
            if (!refuseSeveralResults(entry)) multiplyValues(recordAt(entry));
            flag = 0;
        } else {
            return;
        }
    }
}

// power: {"-"} primary [ ("^" | "**" | ".^") power ]
int evaluatePower() {
    skipBlanks();
    int minus = 0;
    while (scanPointer[0] == '-' && scanPointer[1] != '>') {
        minus++;
        scanPointer++;
    }
    char* entry = newram;
    int flag = evaluatePrimary();
    if (errorCode) return 0;
    skipBlanks();
    const char* p = scanPointer;
    bool caret = p[0] == '^';
    if (caret || (p[0] == '*' && p[1] == '*') || (p[0] == '.' && p[1] == '^')) {
        skipOperator(caret ? 1 : 2);
        dropExtraValues(entry);
        evaluatePower();
        if (errorCode) return 0;
        if (caret && matlabMode && !isScalarOperand(entry))
            callMatlabFunction("matrixpower", entry);
        else
            raisePower(recordAt(entry));
        if (errorCode) return 0;
    }
    if (minus % 2) negateValue(recordAt(entry));
    return flag;
}

// Skips one operand of "and" or "or": up to "," or ";" outside brackets,
// an unmatched closing bracket, "then", or the end of the line.
void skipOperand() {
    bool stored = scanningStoredBody();
    int depth = 0;
    char* p = scanPointer;
    for (;;) {
        char c = *p;
        if (c == 0 || (c == endOfBody && stored)) break;
        if (c == numberToken && stored) {
            p += tokenSize;
            continue;
        }
        if (c == commandToken && stored) {
            int32_t index;
            std::memcpy(&index, p + 1, 4);
            p += tokenSize;
            if (index >= 0 && index < commandCount && commandTable[index].kind == commandThen)
                break;
            continue;
        }
        if (c == '"') {
            char* end = std::strchr(p + 1, '"');
            p = end ? end + 1 : p + std::strlen(p);
            continue;
        }
        if (c == '(' || c == '[') depth++;
        if (c == ')' || c == ']') {
            if (depth == 0) break;
            depth--;
        }
        if ((c == ',' || c == ';') && depth == 0) break;
        if (hasPrefix(p, "##") || hasPrefix(p, "..")) {
            p += std::strlen(p);
            break;
        }
        if (hasPrefix(p, "then ")) break;
        p++;
    }
    scanPointer = p;
}

}  // namespace kalix
