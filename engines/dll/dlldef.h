/* Kalix C functions: the value records of the interpreter stack and the
   helpers that read arguments and write results.

   A C function bound with dll() or written with "function tinyc" has the
   form

     EXPORT char *name (header *hd[], int np, char *ramstart, char *ramend)
     {
         start(ramstart, ramend);
         ...
         return newram;
     }

   hd[0] .. hd[np-1] are its arguments (at most 32), each already resolved
   to a value; they belong to the interpreter and must not be changed. The
   function writes its results as records from ramstart on (with the new...
   helpers below, which advance newram) and returns newram. Returning
   ramstart with a text written there (dllerror) reports an error; returning
   ramstart with nothing written, or 0, gives no result.

   A library may export "init" (called once when it is loaded, dlldef.c
   supplies it) and "clear" (called before it is unloaded). */
#ifndef KALIX_DLLDEF_H
#define KALIX_DLLDEF_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#define EXPORT __attribute__((visibility("default")))

/* The record head, 56 bytes, fixed to the byte; the data follows it. */
typedef struct header {
    long long size; /* whole record in bytes, a multiple of 8 */
    char name[32];  /* name of a variable; empty for a value */
    int hash;       /* XOR of the name's bytes, each sign-extended */
    int kind;       /* one of the kinds below */
    int flags;      /* 0 for a new value */
    int extra;
} header;

/* Kinds and their data (from byte 56):
   real: double | complex: re, im | interval: lower, upper
   matrices: int columns, int rows, then the elements row by row from
     byte 64 (complex and interval elements as pairs)
   string: the text and its 0
   string vector: texts with their 0 one after another, then a byte 1 */
enum {
    kindReal = 0,
    kindComplex = 1,
    kindMatrix = 2,
    kindComplexMatrix = 3,
    kindString = 8,
    kindInterval = 10,
    kindIntervalMatrix = 11,
    kindStringVector = 13
};

#define HEADER_SIZE 56
/* Flag of a string whose text is UTF-8. */
#define FLAG_UTF8 0x40000

/* The stack top: the next result is written here. */
extern char* newram;
/* Remembers the free stack (ramstart .. ramend) of the running call. */
void start(char* ramstart, char* ramend);

/* Reading arguments. Each returns 1 and the value when the record holds
   that kind (a real is also taken as a complex or interval number, and a
   real as a 1x1 matrix), else 0. Matrix data point into the record: read
   only. */
int getreal(header* h, double* x);
int getcomplex(header* h, double* re, double* im);
int getinterval(header* h, double* lower, double* upper);
int getmatrix(header* h, int* rows, int* columns, double** data);
int getcomplexmatrix(header* h, int* rows, int* columns, double** data);
int getintervalmatrix(header* h, int* rows, int* columns, double** data);
int getstring(header* h, char** text);
/* A string vector: the number of texts and the first; the next text
   follows the 0 of the one before. */
int getstringvector(header* h, int* count, char** first);

/* Writing results at newram. Each returns the new record (for matrices
   *data receives the place of the elements to fill), or 0 when the stack
   is full: then the call reports "Out of stack space" and every later write
   of the call is refused. */
header* newreal(double x);
header* newcomplex(double re, double im);
header* newinterval(double lower, double upper);
header* newmatrix(int rows, int columns, double** data);
header* newcomplexmatrix(int rows, int columns, double** data);
header* newintervalmatrix(int rows, int columns, double** data);
header* newstring(const char* text);
/* A string vector of `count` texts. */
header* newstringvector(int count, const char* const* texts);

/* An error of the call: writes the message at ramstart and returns
   ramstart, so that "return dllerror(...);" ends the function with it. */
char* dllerror(const char* format, ...);

/* Services of the interpreter. */
void dllprint(const char* text);
void dllprintf(const char* format, ...);
void dllwaitkey(void);
/* 1 when the user pressed Escape (and clears it), else 0. */
int dllescape(void);
/* Calls the interpreter function `name` (a user function, builtin or C
   function; "_name" a builtin only, "py$name" a Python function) on the
   records from `first` up to newram (pushed with the new... helpers).
   On success returns 1, the results stand from `first` on and newram
   follows them; on failure returns 0 (the interpreter has said why). */
int dllcall(const char* name, header* first);

#ifdef __cplusplus
}
#endif

#endif
