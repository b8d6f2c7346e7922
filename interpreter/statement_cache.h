// What the scan of a statement found, kept with its text so that a loop
// body does not scan the same text again on every pass.
//
// Only simple assignments are kept: a plain name, "=", and an expression of
// names, numbers, parentheses and + - * /, ended by ";". When every name
// stands for a real scalar and the target is a variable the statement
// would overwrite in place, the cached form computes the same value with
// the same operations and stores it as the statement executor would;
// anything else (another kind, a new variable, a division by zero, a
// prefix function, a full stack) runs the statement the ordinary way, and
// nothing of the cached attempt is left behind.
//
// An entry is found by the text position and used only while the text
// there is still the text it was made from, so text that changes (a new
// input line, a stored body that moved) simply misses.
#pragma once

#include "interpreter/stack.h"

namespace kalix {

// Runs the statement at the scan position from the cache when it can; then
// sets `*result` to what executeNextStatement returns and answers true.
// Called by the statement executor after the prefixes of the statement.
bool runCachedStatement(int* result);

// Tests compare the cached statements with the ordinary ones.
void setStatementCacheEnabled(bool enabled);
unsigned long long statementsRunFromCache();

struct StatementEntry;
constexpr int cachedStatementNames = 8;  // most names of one cached statement

// A loop body made only of cached simple assignments and its "end" runs a
// pass without the statement executor: the statements are checked once,
// the names looked up once while only such passes run (they change values
// in place, never which record a name stands for).
class CachedLoopBody {
  public:
    explicit CachedLoopBody(char* bodyStart) : bodyStart(bodyStart), firstStatement(bodyStart) {
        while (*firstStatement == ' ' || *firstStatement == '\t') firstStatement++;
    }

    // At the body's start: runs the statements and the "end" as the
    // executor would and answers true, the scan after the "end". False
    // when a statement must run the ordinary way: the scan then stands at
    // it, the statements before it done.
    bool runPass();

    static constexpr int maxStatements = 8;
    static constexpr int maxNames = 16;

  private:
    enum State { unread, unusable, checked, resolved };

    bool read();
    bool resolve();

    char* bodyStart;
    char* firstStatement;  // after the blanks the loop driver may have passed
    State state = unread;
    int count = 0;
    int nameCount = 0;
    int fallbacks = 0;
    unsigned long long fills = 0;  // the cache's fills when read
    char* afterEnd = nullptr;      // the scan after "end" and its separator
    const StatementEntry* entries[maxStatements];
    unsigned char nameIndex[maxStatements][cachedStatementNames];  // to body names
    const char* names[maxNames];
    bool blankAfter[maxNames];
    header* records[maxNames];
};

}  // namespace kalix
