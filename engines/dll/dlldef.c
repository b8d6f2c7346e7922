/* Kalix C functions: the helpers declared in dlldef.h. Compiled into every
   C function's library beside the function itself. */
#include "dlldef.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

char* newram;
static char* callStart;
static char* callEnd;
static int stackFull;

typedef int (*CallFunction)(const char* name, header* first, char** top);
static void (*printTextFunction)(const char* text);
static void (*waitKeyFunction)(void);
static int (*escapeFunction)(void);
static CallFunction callFunction;

/* Called once when the library is loaded. */
EXPORT void init(void (*printText)(const char*), void (*printFormatted)(const char*, ...),
                 void (*waitKey)(void), int (*checkEscape)(void), CallFunction call) {
    (void)printFormatted;
    printTextFunction = printText;
    waitKeyFunction = waitKey;
    escapeFunction = checkEscape;
    callFunction = call;
}

void start(char* ramstart, char* ramend) {
    newram = callStart = ramstart;
    callEnd = ramend;
    stackFull = 0;
}

/* --- reading arguments ------------------------------------------------ */

static char* dataOf(header* h) { return (char*)h + HEADER_SIZE; }

static double readDouble(const char* p) {
    double x;
    memcpy(&x, p, sizeof x);
    return x;
}

static int readInt(const char* p) {
    int x;
    memcpy(&x, p, sizeof x);
    return x;
}

int getreal(header* h, double* x) {
    if (h->kind == kindReal) {
        *x = readDouble(dataOf(h));
        return 1;
    }
    if (h->kind == kindMatrix && readInt(dataOf(h)) == 1 && readInt(dataOf(h) + 4) == 1) {
        *x = readDouble(dataOf(h) + 8);
        return 1;
    }
    return 0;
}

/* A pair of doubles: the kind's own, or a real widened with `other`. */
static int getpair(header* h, int kind, int realAsLower, double* a, double* b) {
    double x;
    if (h->kind == kind) {
        *a = readDouble(dataOf(h));
        *b = readDouble(dataOf(h) + 8);
        return 1;
    }
    if (!getreal(h, &x)) return 0;
    *a = x;
    *b = realAsLower ? x : 0.0;
    return 1;
}

int getcomplex(header* h, double* re, double* im) { return getpair(h, kindComplex, 0, re, im); }

int getinterval(header* h, double* lower, double* upper) {
    return getpair(h, kindInterval, 1, lower, upper);
}

static int getanymatrix(header* h, int matrixKind, int scalarKind, int* rows, int* columns,
                        double** data) {
    if (h->kind == matrixKind) {
        *columns = readInt(dataOf(h));
        *rows = readInt(dataOf(h) + 4);
        *data = (double*)(dataOf(h) + 8);
        return 1;
    }
    if (h->kind == scalarKind) {
        *rows = *columns = 1;
        *data = (double*)dataOf(h);
        return 1;
    }
    return 0;
}

int getmatrix(header* h, int* rows, int* columns, double** data) {
    return getanymatrix(h, kindMatrix, kindReal, rows, columns, data);
}

int getcomplexmatrix(header* h, int* rows, int* columns, double** data) {
    return getanymatrix(h, kindComplexMatrix, kindComplex, rows, columns, data);
}

int getintervalmatrix(header* h, int* rows, int* columns, double** data) {
    return getanymatrix(h, kindIntervalMatrix, kindInterval, rows, columns, data);
}

int getstring(header* h, char** text) {
    if (h->kind != kindString) return 0;
    *text = dataOf(h);
    return 1;
}

int getstringvector(header* h, int* count, char** first) {
    char *p, *end;
    int n = 0;
    if (h->kind != kindStringVector) return 0;
    p = dataOf(h);
    end = (char*)h + h->size;
    *first = p;
    while (p < end && *p != 1) {
        char* zero = memchr(p, 0, (size_t)(end - p));
        if (!zero) break;
        n++;
        p = zero + 1;
    }
    *count = n;
    return 1;
}

/* --- writing results -------------------------------------------------- */

/* The message of a full stack, written once; later writes are refused. */
static header* refuseWrite(void) {
    if (!stackFull) {
        stackFull = 1;
        newram = callStart;
        dllerror("Out of stack space in a C function.");
    }
    return 0;
}

/* A record of `size` bytes (rounded up to 8) and the given kind at newram;
   its data is zeroed up to the end. */
static header* newrecord(int kind, long long size) {
    header* h;
    if (stackFull) return 0;
    if (size < HEADER_SIZE) return refuseWrite();
    size = (size + 7) & ~7LL;
    if (size > callEnd - newram) return refuseWrite();
    h = (header*)newram;
    memset(h, 0, (size_t)size);
    h->size = size;
    h->kind = kind;
    newram += size;
    return h;
}

static header* newpair(int kind, double a, double b) {
    header* h = newrecord(kind, HEADER_SIZE + 16);
    if (h) {
        memcpy(dataOf(h), &a, sizeof a);
        memcpy(dataOf(h) + 8, &b, sizeof b);
    }
    return h;
}

header* newreal(double x) {
    header* h = newrecord(kindReal, HEADER_SIZE + 8);
    if (h) memcpy(dataOf(h), &x, sizeof x);
    return h;
}

header* newcomplex(double re, double im) { return newpair(kindComplex, re, im); }

header* newinterval(double lower, double upper) { return newpair(kindInterval, lower, upper); }

static header* newanymatrix(int kind, int elementBytes, int rows, int columns, double** data) {
    header* h;
    long long bytes;
    if (rows < 0 || columns < 0 || (long long)rows * columns > (1LL << 40)) return refuseWrite();
    bytes = (long long)rows * columns * elementBytes;
    h = newrecord(kind, HEADER_SIZE + 8 + bytes);
    if (!h) return 0;
    memcpy(dataOf(h), &columns, sizeof columns);
    memcpy(dataOf(h) + 4, &rows, sizeof rows);
    if (data) *data = (double*)(dataOf(h) + 8);
    return h;
}

header* newmatrix(int rows, int columns, double** data) {
    return newanymatrix(kindMatrix, 8, rows, columns, data);
}

header* newcomplexmatrix(int rows, int columns, double** data) {
    return newanymatrix(kindComplexMatrix, 16, rows, columns, data);
}

header* newintervalmatrix(int rows, int columns, double** data) {
    return newanymatrix(kindIntervalMatrix, 16, rows, columns, data);
}

/* The data of a string of length n: n bytes and the 0, rounded so. */
static long long stringDataSize(long long n) { return ((n + 1) & ~7LL) + 8; }

header* newstring(const char* text) {
    long long n = (long long)strlen(text);
    header* h = newrecord(kindString, HEADER_SIZE + stringDataSize(n));
    if (h) memcpy(dataOf(h), text, (size_t)n);
    return h;
}

header* newstringvector(int count, const char* const* texts) {
    long long bytes = 2;
    int i;
    char* p;
    header* h;
    for (i = 0; i < count; i++) bytes += (long long)strlen(texts[i]) + 1;
    h = newrecord(kindStringVector, HEADER_SIZE + bytes);
    if (!h) return 0;
    p = dataOf(h);
    for (i = 0; i < count; i++) {
        size_t n = strlen(texts[i]);
        memcpy(p, texts[i], n);
        p += n + 1;
    }
    if (count == 0) p++; /* the empty vector holds one empty text */
    *p = 1;
    return h;
}

char* dllerror(const char* format, ...) {
    va_list arguments;
    long long room = callEnd - callStart;
    if (room > 1) {
        va_start(arguments, format);
        vsnprintf(callStart, (size_t)(room > 1024 ? 1024 : room), format, arguments);
        va_end(arguments);
        if (callStart[0] == 0) strcpy(callStart, "?");
    }
    newram = callStart;
    return callStart;
}

/* --- services ------------------------------------------------------------ */

void dllprint(const char* text) {
    if (printTextFunction) printTextFunction(text);
}

void dllprintf(const char* format, ...) {
    char text[4096];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    dllprint(text);
}

void dllwaitkey(void) {
    if (waitKeyFunction) waitKeyFunction();
}

int dllescape(void) { return escapeFunction && escapeFunction() != 0; }

int dllcall(const char* name, header* first) {
    char* top = newram;
    int ok;
    if (!callFunction) return 0;
    if (!first) first = (header*)newram;
    ok = callFunction(name, first, &top);
    newram = top;
    return ok;
}
