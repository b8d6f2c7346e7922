// Program files: the `load` command, the file search along the path, the
// comment blocks of program files, and the commands `stopload`, `relax`,
// `path` and `cd`. File names are Linux paths.
#pragma once

#include <cstdio>
#include <string>

#include "interpreter/state.h"

namespace kalix {

// Resets the search path: slot 0 ".", no entries in use.
void resetSearchPath();
// The user-menu submenu that addmenu entries go to: `submenu` names it, a
// loaded file's own name holds while the file runs, and an interpreter
// start sets "Other" (as the restart sets the menu's).
void setAddmenuSubmenu(const std::string& name);
void resetAddmenuSubmenu();
// Opens the first candidate of the search (current directory first when
// asked, program directory, the name as given, the path entries; an
// absolute name only as given). With `tryExtension` a name without an
// extension gets ".k", one with an extension is tried as given and then
// with ".k". Directories are passed over.
FILE* openFileInPath(const char* name, const char* mode, int tryCurrentFirst, int tryExtension);
// The full name of an existing file (as given or with `extension`), in a
// static buffer, or null.
const char* findFileInPath(const char* name, const char* extension);
// Whether `load` would find the program file.
bool programFileExists(const char* name);

// Skips the lines of a program file up to one beginning with "endcomment"
// or "*/" (statement prefix "/*", command `skipcomment`).
void skipCommentBlock();

}  // namespace kalix
