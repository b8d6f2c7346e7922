/* The interface between Kalix and its Python bridge library, libkalixpy3.so:
   the callbacks Kalix hands to py_init and the eight functions the library
   exports. Values cross as stack records (dlldef.h): the library reads the
   records it is given and writes its results at the stack top it is given,
   advancing it, never beyond the stack end. */
#ifndef KALIX_KALIXPY_H
#define KALIX_KALIXPY_H

#ifdef __cplusplus
extern "C" {
#endif

struct header;

typedef struct PythonCallbacks {
    /* printf-style output into the notebook; the text is UTF-8. */
    void (*printFormattedMessage)(const char* format, ...);
    /* The interpreter's stack top and stack end. */
    void (*getStackBounds)(char** top, char** end);
    /* Calls the interpreter function named by the string record `first` on
       the records after it up to *top; the results replace the name and
       *top follows them. 1 on success, 0 on failure. */
    int (*pythonCallback)(struct header* first, char** top);
    /* The last character typed, 0 when none. */
    int (*pollKey)(void);
    /* Prints the record with the interpreter's value printer (it lies below
       `top`). Returns 1. */
    int (*printPythonValue)(struct header* value, char* top);
} PythonCallbacks;

/* The exports, in the order Kalix resolves them. Text results stay valid
   until the next call into the library. */
typedef void (*PyExitFunction)(void);
/* Runs code: the text of the value of its last statement when that is an
   expression whose value is not None, else an empty text; null on an error
   (see py_error). */
typedef const char* (*PyRunFunction)(const char* code);
typedef const char* (*PyRunFileFunction)(const char* path);
/* The text of the last error; empty when the last call succeeded. */
typedef const char* (*PyErrorFunction)(void);
/* Pushes the variable's value at *top and advances *top. */
typedef void (*PyGetFunction)(const char* name, char** top, char* end);
typedef void (*PySetFunction)(const char* name, struct header* value);
/* Calls the Python function `name` on the n records and pushes its result
   (a tuple gives one record per element, None none) at *top. */
typedef void (*PyEvalFunction)(const char* name, struct header** arguments, int n, char** top,
                               char* end);
/* Nonzero on success. */
typedef int (*PyInitFunction)(const PythonCallbacks* callbacks);

#ifdef __cplusplus
}
#endif

#endif
