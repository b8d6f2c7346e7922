#!/usr/bin/env python3
"""Every function and variable of Kalix with external linkage lies in
namespace kalix, so that a clash with a name of a library loaded into the
same process (Qt, Python, readline, ALGLIB, ...) fails to link instead of
binding one of the two silently. The C entry points that foreign code
calls by name keep their C names.

Usage: product_symbols.py NM FILE...   (programs, libraries, archives)
"""
import re
import subprocess
import sys

# C names called from outside: the program's entry, the modules' entry
# points found with dlsym, the Python bridge's exports (and the "init" of
# the C functions' helpers, engines/dll/dlldef.c, compiled into it) and the
# options read by LeakSanitizer.
C_ENTRY_POINTS = {"main", "kalixWindowLibrary", "kalixAlglibFunctions", "py_exit", "py_run",
                  "py_run_file", "py_error", "py_get", "py_set", "py_eval", "py_init", "init",
                  "clear", "__lsan_default_suppressions"}
# Global scopes of the libraries whose inline functions and templates the
# product's objects hold as weak copies.
FOREIGN_SCOPES = re.compile(r"^(std|__gnu_cxx|__cxxabiv1|Q[A-Z]\w*|Qt\w*|q[A-Z_]\w*|qt_\w*|alglib(_impl)?)$")
# The C library's data copied into the program; the sanitizer build lists
# the copies without their version.
C_LIBRARY_DATA = {"environ", "stdin", "stdout", "stderr"}
STD_ABBREVIATIONS = ("St", "Sa", "Sb", "Ss", "Si", "So", "Sd")


def skip_number(s):
    """Past an optional 'n', digits and '_' (call offsets of thunks)."""
    m = re.match(r"n?\d*_", s)
    return s[m.end():] if m else s


def leading_scope(symbol):
    """The outermost scope of a mangled C++ name: a namespace, a class, a
    global function or variable's own name, or 'operator'."""
    s = symbol[2:]
    if s[:2] in ("TI", "TS") and not re.match(r"[NS\d]", s[2:3]):
        # the type information of a function, pointer or array type
        return "compound"
    while True:
        if s[:2] in ("TV", "TI", "TS", "TT", "TH", "TW", "GV", "GR"):
            s = s[2:]
        elif s[:2] == "Th":
            s = skip_number(s[2:])
        elif s[:2] == "Tv":
            s = skip_number(skip_number(s[2:]))
        elif s[:2] == "Tc":
            s = skip_number(skip_number(skip_number(skip_number(s[2:]))))
        elif s[:1] in ("Z", "L"):
            # a local entity: its enclosing function decides
            s = s[1:]
        else:
            break
    if s.startswith("N"):
        s = re.sub(r"^[rVK]*[RO]?", "", s[1:])
    if s.startswith(STD_ABBREVIATIONS):
        return "std"
    m = re.match(r"(\d+)", s)
    if m:
        n = int(m.group(1))
        return s[m.end():m.end() + n]
    return "operator"


def misplaced(symbol):
    """True when a defined external symbol is the product's and lies
    outside namespace kalix."""
    if "@" in symbol or symbol.startswith("DW.ref."):
        # a shared library's data copied into the program, or the
        # compiler's reference to a foreign type's information
        return False
    if not symbol.startswith("_Z"):
        # C names: the entry points, the run-time's and the linker's own
        # (reserved names with a leading underscore) and Qt's
        return (symbol not in C_ENTRY_POINTS and symbol not in C_LIBRARY_DATA and
                not symbol.startswith("_") and
                symbol != "data_start" and not FOREIGN_SCOPES.match(symbol))
    scope = leading_scope(symbol)
    if scope in ("kalix", "compound"):
        return False
    if scope == "operator":
        # a global operator is the product's when it takes a product type
        return "5kalix" in symbol
    if FOREIGN_SCOPES.match(scope):
        return False
    # Strong definitions outside kalix are the product's; weak ones are
    # inline functions and template instances of a header, the product's
    # unless they belong to a foreign library's scope.
    return True


def main():
    nm = sys.argv[1]
    bad = {}
    for path in sys.argv[2:]:
        listing = subprocess.run([nm, "--defined-only", "--extern-only", "--format=posix", path],
                                 check=True, capture_output=True, text=True).stdout
        for line in listing.splitlines():
            fields = line.split()
            if len(fields) < 2 or line.endswith(":"):
                continue  # an archive member's name
            symbol = fields[0]
            if misplaced(symbol):
                bad.setdefault(symbol, path)
    if not bad:
        return 0
    names = subprocess.run(["c++filt"], input="\n".join(bad), capture_output=True, text=True).stdout
    print("%d symbols of Kalix lie outside namespace kalix:" % len(bad))
    for symbol, name in sorted(zip(bad, names.splitlines()), key=lambda p: p[1]):
        print("  %s  (%s)" % (name, bad[symbol]))
    return 1


if __name__ == "__main__":
    sys.exit(main())
