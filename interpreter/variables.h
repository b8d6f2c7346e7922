// Variable lookup with the language's scoping rules, and small helpers on
// value records shared by the evaluator, the commands and the builtins.
#pragma once

#include "interpreter/stack.h"
#include "interpreter/state.h"

namespace kalix {

// The record a name stands for here (frame, globals, top level), or null.
header* findVariable(const char* name);

// Removes the variable from the current frame; at the top level also the
// global of that name. A missing name changes nothing.
void removeVariable(const char* name);

// Rows, columns and element data of a real, complex or interval scalar
// (1 x 1) or matrix. Returns 0 with "Matrix expected!" and error 1 for any
// other kind (the outputs are then not set).
int getMatrix(header* record, int* rows, int* columns, double** data);
// As getMatrix; the refusal names the builtin ("Matrix expected in %s!").
int getMatrixNamed(header* record, const char* builtinName, int* rows, int* columns, double** data);

// "symbolic expression" for a symbolic string, else the kind's type name.
const char* getTypeName(const header* record);
bool hasSymbolicFlag(const header* record);

// Error 10 with the message that this kind of value cannot be used here.
void reportWrongArgument(const header* record);

// The element of a collection selected by the index record, copied over
// the index record; error 100 for a bad or out-of-range index.
void getCollectionItem(header* collection, header* index);

}  // namespace kalix
