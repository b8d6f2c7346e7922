// What the scan of a simple assignment found, and running it from there.
//
// The reader below accepts only text that the ordinary path reads as
// "name = expression;" without any of its other turns: no command word at
// the start, no postfix operator, call, index, comment, continuation,
// unit, range, comparison or string, nothing that depends on a setting.
// What the ordinary path decides at run time (the kinds of the values, the
// target, prefix functions, strict assignments, room on both stacks) is
// asked again on every run.
#include "interpreter/statement_cache.h"

#include <locale.h>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include "interpreter/arithmetic.h"
#include "interpreter/assignment.h"
#include "interpreter/commands.h"
#include "interpreter/engine_services.h"
#include "interpreter/function_index.h"
#include "interpreter/globals.h"
#include "interpreter/machine_stack.h"
#include "interpreter/main_loop.h"
#include "interpreter/output.h"
#include "interpreter/primaries.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

// The cached form of one statement.
struct StatementEntry {
    static constexpr int textLimit = 128;  // bytes of a statement that can be cached
    static constexpr int nameLimit = 30;   // the longest name the scanner takes
    static constexpr int maxNames = cachedStatementNames;
    static constexpr int maxCode = 40;

    enum Op : uint8_t { opName, opNumber, opAdd, opSubtract, opMultiply, opDivide };
    struct Instruction {
        Op op;
        uint8_t index;  // of the name or the number
    };

    // All zero is an empty slot (`Entry{}`); without member initializers
    // the table is zeroed memory that no start-up code has to fill.
    const char* at;       // the text position; null: an empty slot
    int length;           // bytes of `text` the reader looked at
    bool stored;          // read inside a stored body (tokens)
    bool simple;          // false: the statement runs the ordinary way
    bool prefixWord;      // begins with a word the executor's prefixes act on
    int statementLength;  // bytes up to and including the ";"
    int nameCount, codeLength, numberCount;
    int target;           // the name assigned to
    unsigned operands;    // bit k: name k is read
    unsigned blankAfter;  // bit k: a blank followed name k somewhere
    char names[maxNames][nameLimit + 2];
    double numbers[maxCode];
    Instruction code[maxCode];
    char text[textLimit];
};
static_assert(std::is_trivially_default_constructible_v<StatementEntry>,
              "the table must need no start-up code");

namespace {

using Entry = StatementEntry;
using Op = Entry::Op;
using Instruction = Entry::Instruction;
constexpr int textLimit = Entry::textLimit;
constexpr int nameLimit = Entry::nameLimit;
constexpr int maxNames = Entry::maxNames;
constexpr int maxCode = Entry::maxCode;
constexpr int maxDepth = 8;  // nested parentheses
constexpr int slotCount = 256;

// Room the ordinary path may need for such a statement on the interpreter
// stack and on the machine stack: with less the statement runs the
// ordinary way, which reports the shortage as it always did.
constexpr int64_t interpreterStackRoom = 16384;
constexpr int64_t machineStackRoom = 262144;

Entry entries[slotCount];
unsigned long long entryFills = 0;  // entries filled so far
unsigned long long cachedRuns = 0;  // statements run from the cache
bool cacheEnabled = true;

// The command the executor finds at `position`: a command token inside a
// stored body, else a command word; its length in `*length`.
const CommandRecord* commandAt(char* position, int* length) {
    if (functionState != functionTopLevel && *position == commandToken) {
        int32_t index;
        std::memcpy(&index, position + 1, sizeof index);
        *length = tokenSize;
        return index >= 0 && index < commandCount ? &commandTable[index] : nullptr;
    }
    char* saved = scanPointer;
    scanPointer = position;
    const CommandRecord* row = findCommand(length);
    scanPointer = saved;
    return row;
}

// --- reading a statement ------------------------------------------------------

// Reads the text at `start` into an entry. Every byte is read through at(),
// so that the entry knows how far the decision looked.
class Reader {
  public:
    Reader(Entry& entry, const char* start) : e(entry), p(start), start(start), far(start) {}

    // Fills the entry; false when the statement is not a simple assignment.
    bool read() {
        // The executor's prefixes have acted before: a loop pass must not
        // skip them.
        for (const char* word : {"restart", "quit", "kalix ", "usenan "}) {
            const char* q = start;
            while (*word && at(q) == *word) q++, word++;
            if (!*word) e.prefixWord = true;
        }
        if (!noCommandAtStart()) return false;
        const char* nameStart = p;
        int n = 0;
        while (isAsciiLetter(at(p)) || isDigit(at(p))) {
            if (++n > nameLimit) return false;
            p++;
        }
        // "not " is read before any name.
        if (n == 0 || !isAsciiLetter(*nameStart) || (n == 3 && hasPrefix(nameStart, "not")))
            return false;
        bool blank = skipBlanks();
        if (at(p) != '=' || at(p + 1) == '=') return false;
        e.target = internName(nameStart, n, blank, false);
        if (e.target < 0) return false;
        p++;
        if (!sum() || at(p) != ';') return false;
        // After ";" the executor wants the line end or a blank (or, in a
        // body, the next token) before the next statement.
        char next = at(p + 1);
        if (next != 0 && next != endOfBody && next != ' ' && next != '\t' && next != commandToken)
            return false;
        e.statementLength = int(p + 1 - start);
        return !tooLong;
    }

    // The bytes looked at, from the start.
    int lengthRead() const { return int(far - start) + 1; }

  private:
    Entry& e;
    const char* p;
    const char* start;
    const char* far;
    int depth = 0;

    bool tooLong = false;

    // A statement longer than the entry's text is not cached: its bytes
    // beyond are read as the end.
    char at(const char* q) {
        if (q - start >= textLimit - 1) {
            tooLong = true;
            return 0;
        }
        if (q > far) far = q;
        return *q;
    }

    // The executor runs a command when the word at the start names one.
    bool noCommandAtStart() {
        const char* q = start;
        if (at(q) == commandToken) at(q + tokenSize - 1);
        for (;;) {
            auto c = static_cast<unsigned char>(at(q));
            // A test of a wider character reads up to three bytes more.
            if (c >= 0x80)
                for (int k = 1; k < 4 && at(q + k); k++) {}
            int length = c ? letterLength(q) : 0;
            if (!length) break;
            q += length;
        }
        int length;
        return commandAt(const_cast<char*>(start), &length) == nullptr;
    }

    bool skipBlanks() {
        const char* q = p;
        while (at(p) == ' ' || at(p) == '\t') p++;
        return p != q;
    }

    int internName(const char* name, int n, bool blank, bool operand) {
        int k = 0;
        while (k < e.nameCount && !(std::strncmp(e.names[k], name, n) == 0 && e.names[k][n] == 0))
            k++;
        if (k == e.nameCount) {
            if (k == maxNames) return -1;
            std::memcpy(e.names[k], name, n);
            e.names[k][n] = 0;
            e.nameCount++;
        }
        if (blank) e.blankAfter |= 1u << k;
        if (operand) e.operands |= 1u << k;
        return k;
    }

    bool emit(Op op, int index) {
        if (e.codeLength == maxCode) return false;
        e.code[e.codeLength++] = {op, uint8_t(index)};
        return true;
    }

    bool number(double value) {
        if (e.numberCount == maxCode) return false;
        e.numbers[e.numberCount] = value;
        return emit(Entry::opNumber, e.numberCount++);
    }

    // The operators in the order of ArithmeticOperator.
    bool emit(ArithmeticOperator op) { return emit(Op(Entry::opAdd + int(op)), 0); }
    static_assert(Entry::opAdd + int(ArithmeticOperator::subtract) == Entry::opSubtract &&
                  Entry::opAdd + int(ArithmeticOperator::multiply) == Entry::opMultiply &&
                  Entry::opAdd + int(ArithmeticOperator::divide) == Entry::opDivide);

    // sum: product { ("+" | "-") product }
    bool sum() {
        if (!product()) return false;
        for (;;) {
            ArithmeticOperator op;
            if (at(p) == '+')
                op = ArithmeticOperator::add;
            else if (at(p) == '-' && at(p + 1) != '>')
                op = ArithmeticOperator::subtract;
            else
                return true;
            p++;
            if (!product() || !emit(op)) return false;
        }
    }

    // product: operand { ("*" | "/") operand }
    bool product() {
        if (!operand()) return false;
        for (;;) {
            ArithmeticOperator op;
            if (at(p) == '*' && at(p + 1) != '*')
                op = ArithmeticOperator::multiply;
            else if (at(p) == '/' && at(p + 1) != '/')
                op = ArithmeticOperator::divide;
            else
                return true;
            p++;
            if (!operand() || !emit(op)) return false;
        }
    }

    // operand: name | number | "(" sum ")", then blanks and what may follow.
    bool operand() {
        skipBlanks();
        char c = at(p);
        if (isAsciiLetter(c)) {
            const char* name = p;
            int n = 0;
            while (isAsciiLetter(at(p)) || isDigit(at(p))) {
                if (++n > nameLimit) return false;
                p++;
            }
            // "not " is an operator where a comparison starts.
            if (n == 3 && hasPrefix(name, "not")) return false;
            int k = internName(name, n, at(p) == ' ' || at(p) == '\t', true);
            if (k < 0 || !emit(Entry::opName, k)) return false;
        } else if (isDigit(c) || (c == '.' && isDigit(at(p + 1)))) {
            double value;
            if (!readNumber(&value) || !number(value)) return false;
        } else if (c == numberToken && e.stored) {
            double value;
            at(p + tokenSize - 1);
            if (tooLong) return false;
            std::memcpy(&value, p + 1, sizeof value);
            p += tokenSize;
            if (!number(value)) return false;
        } else if (c == '(') {
            if (++depth > maxDepth) return false;
            p++;
            if (!sum() || at(p) != ')') return false;
            p++;
            depth--;
        } else {
            return false;
        }
        return follows();
    }

    // After an operand only blanks and an operator of this grammar, or the
    // closing bracket or ";" where they belong, may come.
    bool follows() {
        skipBlanks();
        switch (at(p)) {
            case '+':
                return true;
            case '-':
                return at(p + 1) != '>';
            case '*':
                return at(p + 1) != '*';
            case '/':
                return at(p + 1) != '/';
            case ')':
                return depth > 0;
            case ';':
                return depth == 0;
            default:
                return false;
        }
    }

    // The number text as the evaluator reads it: digits with one ".", an
    // exponent; converted in the C locale.
    bool readNumber(double* value) {
        char text[textLimit + 2];
        int n = 0;
        bool point = false;
        for (;; p++) {
            char c = at(p);
            if (isDigit(c)) {
                text[n++] = c;
            } else if (c == '.') {
                if (isAsciiLetter(at(p + 1))) break;
                if (point) return false;
                point = true;
                text[n++] = c;
            } else {
                break;
            }
        }
        if (at(p) == 'e' || at(p) == 'E') {
            text[n++] = 'e';
            p++;
            if (at(p) == '+' || at(p) == '-') text[n++] = *p++;
            if (!isDigit(at(p))) return false;
            while (isDigit(at(p))) text[n++] = *p++;
        }
        text[n] = 0;
        static locale_t cLocale = newlocale(LC_ALL_MASK, "C", nullptr);
        *value = strtod_l(text, nullptr, cLocale);
        return true;
    }
};

Entry& slotOf(const char* position) {
    auto bits = reinterpret_cast<uintptr_t>(position);
    return entries[(bits ^ (bits >> 8)) % slotCount];
}

// Whether the text at the entry's position is still the text it was read
// from (compared byte by byte: the text may be shorter).
bool sameText(const Entry& e, const char* position) {
    for (int i = 0; i < e.length; i++)
        if (e.text[i] != position[i]) return false;
    return true;
}

const Entry& entryAt(char* position) {
    Entry& e = slotOf(position);
    bool stored = inArea(position, ramstart, functionsEnd);
    if (e.at == position && e.stored == stored && sameText(e, position)) return e;
    e = Entry{};
    e.at = position;
    e.stored = stored;
    Reader reader(e, position);
    e.simple = reader.read();
    e.length = reader.lengthRead();
    std::memcpy(e.text, position, size_t(e.length));
    entryFills++;
    return e;
}

// --- running a statement ------------------------------------------------------

// The real scalar a variable stands for, as the resolution of values finds
// it; null for anything else.
header* realScalarOf(header* record) {
    header* value = resolveWithoutCopy(record);
    return value && value->kind == kindReal ? value : nullptr;
}

// The conditions under which the ordinary path takes no other turn and
// which stay as they are while a loop body runs from the cache.
bool ordinaryPathAgrees() {
    if (functionState != functionTopLevel && functionState != functionRunning) return false;
    if (ramend - newram < interpreterStackRoom) return false;
    return getUsedStackSize() <= expressionStackLimit - machineStackRoom;
}

// The operator on the two values at the top of the `n` on the stack.
template <ArithmeticOperator op>
void operate(double* stack, int& n) {
    n--;
    stack[n - 1] = applyRealOperator(op, stack[n - 1], stack[n]);
}

// Computes the statement's value from the variables the names stand for
// (`records`, in the entry's order) and stores it; false, nothing changed,
// when the ordinary path would take another turn.
bool computeAndStore(const Entry& e, header* const* records, bool topLevel) {
    if (topLevel && strictAssignments()) return false;
    double values[maxNames];
    for (int k = 0; k < e.nameCount; k++) {
        if (!(e.operands >> k & 1)) continue;
        header* value = realScalarOf(records[k]);
        if (!value) return false;
        values[k] = realOf(value);
    }
    double stack[maxCode];
    stack[0] = 0;  // the code always leaves one value there
    int n = 0;
    for (int i = 0; i < e.codeLength; i++) {
        const Instruction& in = e.code[i];
        switch (in.op) {
            case Entry::opName:
                stack[n++] = values[in.index];
                break;
            case Entry::opNumber:
                stack[n++] = e.numbers[in.index];
                break;
            case Entry::opAdd:
                operate<ArithmeticOperator::add>(stack, n);
                break;
            case Entry::opSubtract:
                operate<ArithmeticOperator::subtract>(stack, n);
                break;
            case Entry::opMultiply:
                operate<ArithmeticOperator::multiply>(stack, n);
                break;
            case Entry::opDivide:
                // The ordinary path reports a division by zero.
                if (dividesByZero(ArithmeticOperator::divide, stack[n - 1])) return false;
                operate<ArithmeticOperator::divide>(stack, n);
                break;
        }
    }
    if (!storeRealInPlace(records[e.target], stack[0], topLevel)) return false;
    clearMaximaStatementFlags();
    return true;
}

// What the executor does after an assignment that ended in ";".
void finishStatement(const Entry& e, bool topLevel) {
    indexCopyMode = 0;
    scanPointer = const_cast<char*>(e.at) + e.statementLength;
    if (topLevel) releaseRetiredGlobals();
    newram = endlocal;
    if (usenanPending) {
        errorsOff = 0;
        usenanPending = 0;
    }
}

// Whether a name is taken by a prefix function where a blank follows it.
bool takenByPrefixFunction(const char* name, bool blank) {
    return blank && isPrefixFunction(findFunction(name));
}

}  // namespace

bool runCachedStatement(int* result) {
    // A simple assignment begins with a letter; commands in a stored body
    // begin with their token and need no look at the table.
    if (!cacheEnabled || !isAsciiLetter(*scanPointer)) return false;
    const Entry& e = entryAt(scanPointer);
    if (!e.simple || !ordinaryPathAgrees()) return false;
    header* records[maxNames];
    for (int k = 0; k < e.nameCount; k++) {
        if (takenByPrefixFunction(e.names[k], e.blankAfter >> k & 1)) return false;
        records[k] = findVariable(e.names[k]);
        if (!records[k]) return false;
    }
    bool topLevel = functionState == functionTopLevel;
    if (!computeAndStore(e, records, topLevel)) return false;
    finishStatement(e, topLevel);
    cachedRuns++;
    *result = statementDone;
    return true;
}

void setStatementCacheEnabled(bool enabled) { cacheEnabled = enabled; }

unsigned long long statementsRunFromCache() { return cachedRuns; }

// --- loop bodies ----------------------------------------------------------------

// The statements up to the body's "end", each a cached simple assignment,
// all on the body's line.
bool CachedLoopBody::read() {
    count = nameCount = 0;
    char* p = bodyStart;
    const char* starts[maxStatements];
    for (;;) {
        while (*p == ' ' || *p == '\t') p++;
        int length;
        const CommandRecord* row = commandAt(p, &length);
        if (row) {
            if (row->kind != commandEnd || count == 0) return false;
            p += length;
            if (*p == ';' || *p == ',') p++;
            afterEnd = p;
            fills = entryFills;
            // A later statement may have taken an earlier one's slot.
            for (int j = 0; j < count; j++)
                if (entries[j]->at != starts[j]) return false;
            return true;
        }
        if (count == maxStatements) return false;
        const Entry& e = entryAt(p);
        if (!e.simple || e.prefixWord) return false;
        for (int k = 0; k < e.nameCount; k++) {
            int b = 0;
            while (b < nameCount && std::strcmp(names[b], e.names[k]) != 0) b++;
            if (b == nameCount) {
                if (nameCount == maxNames) return false;
                names[nameCount] = e.names[k];
                blankAfter[nameCount++] = false;
            }
            blankAfter[b] = blankAfter[b] || (e.blankAfter >> k & 1);
            nameIndex[count][k] = static_cast<unsigned char>(b);
        }
        starts[count] = p;
        entries[count++] = &e;
        p = const_cast<char*>(e.at) + e.statementLength;
    }
}

// Looks the names up; they stay valid while only cached passes run.
bool CachedLoopBody::resolve() {
    if (!ordinaryPathAgrees()) return false;
    for (int b = 0; b < nameCount; b++) {
        if (takenByPrefixFunction(names[b], blankAfter[b])) return false;
        records[b] = findVariable(names[b]);
        if (!records[b]) return false;
    }
    return true;
}

bool CachedLoopBody::runPass() {
    // A pass that keeps falling back is left to the executor.
    constexpr int fallbackLimit = 3;
    if (!cacheEnabled || (scanPointer != bodyStart && scanPointer != firstStatement) ||
        state == unusable)
        return false;
    // Other statements (of a pass run by the executor) may have taken the
    // entries' slots.
    if (state != unread && fills != entryFills) state = unread;
    if (state == unread) {
        if (!read()) {
            state = unusable;
            return false;
        }
        state = checked;
    }
    if (state == checked) {
        if (!resolve()) {
            if (++fallbacks == fallbackLimit) state = unusable;
            return false;
        }
        state = resolved;
    }
    bool topLevel = functionState == functionTopLevel;
    beginStatementOutput();
    functionEntryActive = 0;
    for (int j = 0; j < count; j++) {
        const Entry& e = *entries[j];
        header* statementRecords[maxNames];
        for (int k = 0; k < e.nameCount; k++) statementRecords[k] = records[nameIndex[j][k]];
        if (!computeAndStore(e, statementRecords, topLevel)) {
            // The executor runs this statement; what it does may change
            // what the names stand for.
            scanPointer = const_cast<char*>(e.at);
            state = checked;
            if (++fallbacks == fallbackLimit) state = unusable;
            return false;
        }
        finishStatement(e, topLevel);
        cachedRuns++;
    }
    // The "end": the loop driver acts on the command kind.
    scanPointer = afterEnd;
    lastCommandKind = commandEnd;
    newram = endlocal;
    return true;
}

}  // namespace kalix
