"""A grammar-based generator of Kalix programs.

A program is a list of lines: assignments and expressions over numbers,
complex values, intervals, matrices and strings; every statement form
(conditionals, the loops with break, continue, while and until, return);
one-line and multi-line functions with defaults, annotations, vector
parameters and the operator keywords; map, eval, evaluate, errorlevel and
calls through strings; number formats; commands. Builtins and commands come
from the catalog, so the program's own table decides what is called.

Sizes stay small (loops of a few passes, ranges of at most 10^6
elements), so a program that runs for seconds is a finding, not a slow
test.
"""

import random

INTERESTING_NUMBERS = [
    "0", "1", "-1", "2", "0.5", "3", "10", "-0", "1e-320", "1e308", "1.7976931348623157e308",
    "2^31", "2^31-1", "-2^31", "2^32", "2^53", "2^53+1", "2^63", "2^64", "1e17", "1e300",
    "-1e300", "NAN", "-NAN", "1/0", "-1/0", "0.1", "1e-12", "2.220446049250313e-12", "pi", "E",
    "4294967295", "2147483648", "1e10", "690", "710", "-690", "170", "171",
]

# "k" counts the passes of the generated repeat loops: statements leave it alone.
NAMES = ["a", "b", "c", "x", "y", "z", "v", "m", "s", "n", "t", "%", "x1", "res"]

BINARY_OPERATORS = ["+", "-", "*", "/", "^", ".*", "./", ".^", "|", "_", "==", "<>", "~=", "<",
                    "<=", ">", ">=", "&&", "||", "<<", "<<=", "\\", "+-"]
UNARY_PREFIX = ["-", "!", "+", "~"]
POSTFIX = ["'", "%", "\xb0", "!"]  # transpose, percent, degree, factorial

COMMAND_FORMS = {
    "errors": ["errors", "errors off", "errors on"],
    "underflows": ["underflows on", "underflows off", "underflows"],
    "matlab": ["matlab"],
    "relax": ["relax"],
    "zerobase": ["zerobase"],
    "clear": ["clear", "clear {name}", "clear {name}, {name}"],
    "forget": ["forget {function}"],
    "listvar": ["listvar", "listvar {name}"],
    "listvars": ["listvars"],
    "list": ["list"],
    "listlists": ["listlists"],
    "type": ["type {function}", "type {builtin}", "type {name}"],
    "hexdump": ["hexdump {name}", "hexdump {function}"],
    "global": ["global {name}", "global *"],
    "useglobal": ["useglobal"],
    "setglobal": ["setglobal {name}"],
    "protect": ["protect {function}"],
    "alias": ["alias {name} {builtin}", "alias"],
    "remvalue": ["remvalue {name}"],
    "output": ["output off", "output on"],
    "comments": ["comments off", "comments on"],
    "help": ["help {builtin}", "help {function}"],
    "cd": ["cd", "cd \".\""],
    "path": ["path"],
    "largematrices": ["largematrices on", "largematrices off"],
    "easyunits": ["easyunits"],
    "prompt": ["prompt"],
    "dump": ["dump \"dumpfile\"", "dump"],
    "load": ["load \"nosuchfile\"", "load \"prog\""],
    "clearall": ["clearall"],
    "quit": ["quit"],
    "restart": ["restart"],
}
# Block keywords and the function command are generated as statements.
STATEMENT_COMMANDS = {"if", "then", "else", "elseif", "endif", "for", "loop", "repeat", "end",
                      "break", "continue", "while", "until", "return", "function",
                      "maximafunction", "comment", "skipcomment", "stopload"}

ELEMENTWISE = ["sin", "cos", "tan", "asin", "acos", "atan", "exp", "log", "sqrt", "abs", "floor",
               "ceil", "round", "sign", "fac", "logfac", "conj", "re", "im", "arg", "real",
               "isNAN", "bitnot", "complex", "interval", "left", "right", "middle", "diameter"]

ANNOTATIONS = ["real", "complex", "interval", "string", "numerical", "vector", "column",
               "scalar", "none", "integer", "positive", "nonnegative", "index", "indices",
               "natural", "number", "call", "cpx", "colour"]

FORMAT_CALLS = [
    "format([{i},{i}])", "fixedformat([{i},{i}])", "expformat([{i},{i}])",
    "goodformat([{i},{i}])", "fracformat([{i},{e}])", "iformat({i})", "zerorounding({b})",
    "denseoutput({i})", "scalarformat({i})", "setformat(getformat())", "userformat(\"{function}\")",
    "userformat(\"\")", "setscalarformat({i})",
]


class Generator:
    def __init__(self, catalog, rng):
        self.catalog = catalog
        self.r = rng
        self.functions = []  # (name, parameter count, is map function)
        self.variables = {}  # name: the kind last assigned by a typed assignment

    # --- small pieces -----------------------------------------------------

    def pick(self, items):
        return self.r.choice(items)

    def chance(self, p):
        return self.r.random() < p

    def small_int(self):
        return str(self.r.choice([0, 1, 2, 3, 4, 5, 10, -1, -2, 20, 100]))

    def number(self):
        if self.chance(0.35):
            return self.pick(INTERESTING_NUMBERS)
        form = self.r.randrange(5)
        if form == 0:
            return str(self.r.randint(-1000, 1000))
        if form == 1:
            return "%g" % self.r.uniform(-100, 100)
        if form == 2:
            return "%de%d" % (self.r.randint(1, 9), self.r.randint(-330, 330))
        if form == 3:
            return "%.17g" % self.r.uniform(-1, 1)
        return ".%d" % self.r.randint(0, 999)

    def name(self):
        return self.pick(NAMES)

    def string(self):
        texts = ["", "a", "abc", "x^2", "sin(x)", "1+", "\"", "gmap", "f", "@(a) a*2", "1:3",
                 "%d", "\xe9\xe8", "a\tb", "endfunction", "..", "//", "[1,2", "x,y", "\x01"]
        if self.functions and self.chance(0.3):
            text = self.pick(self.functions)[0]
        else:
            text = self.pick(texts)
        if "\"" in text and self.chance(0.7):
            text = text.replace("\"", "")
        if self.chance(0.1):
            return "''" + text.replace("''", "") + "''"
        return "\"" + text + "\""

    # --- values -------------------------------------------------------------

    def scalar(self):
        kind = self.r.randrange(8)
        if kind <= 2:
            return self.number()
        if kind == 3:
            return "%s%s%si" % (self.number(), self.pick(["+", "-"]), self.number())
        if kind == 4:
            return "~%s~" % self.number()
        if kind == 5:
            a, b = sorted([self.r.uniform(-10, 10), self.r.uniform(-10, 10)])
            if self.chance(0.3):
                return "~%s,%s~" % (self.number(), self.number())
            return "~%g,%g~" % (a, b)
        if kind == 6:
            return self.pick(["I", "pi", "E", "NAN", "none", "true", "false", "epsilon()"])
        return self.string()

    def matrix(self):
        rows = self.r.choice([0, 1, 1, 2, 3])
        columns = self.r.choice([1, 2, 3, 4])
        if rows == 0:
            return "[]"
        lines = []
        for _ in range(rows):
            row = [self.expression(1) if self.chance(0.2) else self.scalar_number()
                   for _ in range(columns - (self.r.randrange(2) if self.chance(0.1) else 0))]
            lines.append(",".join(row))
        return "[" + ";".join(lines) + "]"

    def scalar_number(self):
        form = self.r.randrange(6)
        if form == 0:
            return "%s+%si" % (self.number(), self.number())
        if form == 1:
            return "~%s~" % self.number()
        return self.number()

    def range_(self):
        a = self.r.randint(-5, 5)
        if self.chance(0.7):
            return "%d:%d" % (a, a + self.r.randint(-2, 30))
        step = self.pick(["0.5", "-1", "0.1", "0", "1e-3", "NAN", "-0.25", "2"])
        return "%d:%s:%d" % (a, step, self.r.randint(-10, 10))

    def builtin_call(self, depth):
        if not self.catalog.builtin_names:
            return self.number()
        name = self.pick(self.catalog.builtin_names)
        counts = self.catalog.builtins[name]
        count = self.pick(counts)
        if count < 0:
            count = self.r.randint(0, 3)
        if self.chance(0.05):
            count += self.pick([-1, 1])
        arguments = [self.expression(depth + 1) for _ in range(max(count, 0))]
        if name in ("map", "eval") and self.functions:
            arguments = ["\"%s\"" % self.pick(self.functions)[0]] + arguments[1:]
        if name in ("evaluate", "errorlevel") and self.chance(0.7):
            arguments = ["\"%s\"" % self.expression(depth + 1).replace("\"", "''")]
        return "%s(%s)" % (name, ",".join(arguments))

    def user_call(self, depth):
        name, count, is_map = self.pick(self.functions)
        count = max(0, count + self.pick([0, 0, 0, -1, 1]))
        arguments = [self.expression(depth + 1) for _ in range(count)]
        if self.chance(0.15) and arguments:
            arguments[-1] = "%s=%s" % (self.pick(["x", "y", "a", "b"]), arguments[-1])
        call = "%s(%s)" % (name, ",".join(arguments))
        form = self.r.randrange(10)
        if form == 0:
            return "\"%s\"(%s)" % (name, ",".join(arguments))  # through a string
        if form == 1 and not is_map:
            return "%smap(%s)" % (name, ",".join(arguments))
        if form == 2:
            return "map(\"%s\"%s)" % (name, "".join("," + a for a in arguments))
        if form == 3:
            return "eval(\"%s\"%s)" % (name, "".join("," + a for a in arguments))
        return call

    def primary(self, depth):
        if depth > 2:
            return self.pick([self.scalar(), self.name(), self.number()])
        form = self.r.randrange(20)
        if form < 4:
            return self.scalar()
        if form < 6:
            return self.name()
        if form < 8:
            return self.matrix()
        if form < 9:
            return self.range_()
        if form < 13:
            return self.builtin_call(depth)
        if form < 15 and self.functions:
            return self.user_call(depth)
        if form < 16:
            return "(%s)" % self.expression(depth + 1)
        if form < 17:
            index = ",".join(self.expression(depth + 1) for _ in range(self.r.randint(1, 2)))
            return "%s[%s]" % (self.name(), index.replace(",:", ":"))
        if form < 18:
            return "%s{%s}" % (self.name(), self.expression(depth + 1))
        if form < 19:
            return "{{%s}}" % ",".join(self.expression(depth + 1)
                                        for _ in range(self.r.randint(0, 3)))
        return self.pick(FORMAT_CALLS).format(i=self.small_int(), e="1e-10", b=self.pick(["0", "1"]),
                                              function=self.function_name())

    def expression(self, depth=0):
        if depth > 3:
            return self.primary(depth)
        form = self.r.randrange(10)
        if form < 4:
            return self.primary(depth)
        if form < 7:
            return "%s%s%s" % (self.primary(depth), self.pick(BINARY_OPERATORS),
                               self.expression(depth + 1))
        if form < 8:
            return "%s%s" % (self.pick(UNARY_PREFIX), self.primary(depth))
        if form < 9:
            return "%s%s" % (self.primary(depth), self.pick(POSTFIX))
        return "%s:%s" % (self.primary(depth), self.primary(depth))

    # --- typed expressions: operands that fit each other, so that programs
    # get past their first operator more often ----------------------------------

    def typed(self, kind, depth=0):
        """An expression of one kind: "real", "complex", "interval" or "string"."""
        if depth > 2 or self.chance(0.3):
            return self.typed_primary(kind, depth)
        form = self.r.randrange(10)
        if kind == "string":
            if form < 5:
                return "%s+%s" % (self.typed_primary("string", depth),
                                  self.typed(self.pick(["string", "real"]), depth + 1))
            return self.typed_primary("string", depth)
        operators = ["+", "-", "*", "/", ".*", "./", "^"]
        if kind == "interval":
            operators += ["&&", "||"]
        if kind == "real":
            operators += ["==", "<", ">=", "|", "_", ".^", "&&", "||"]
        if form < 6:
            return "%s%s%s" % (self.typed_primary(kind, depth), self.pick(operators),
                               self.typed(kind, depth + 1))
        if form < 7:
            return "-" + self.typed_primary(kind, depth)
        if form < 8:
            return self.typed_primary(kind, depth) + self.pick(["'", "%", "\xb0"])
        if form < 9:
            return "%s(%s)" % (self.pick(ELEMENTWISE), self.typed(kind, depth + 1))
        return "(%s)" % self.typed(kind, depth + 1)

    def typed_primary(self, kind, depth):
        known = [n for n, k in self.variables.items() if k == kind]
        if known and self.chance(0.3):
            name = self.pick(known)
            if kind != "string" and self.chance(0.2):
                return "%s[%s]" % (name, self.pick(["1", "2", ":", "1,:", "[1,2]", "0", "-1",
                                                    "2^31", "NAN", "1:2,1"]))
            return name
        if kind == "real":
            form = self.r.randrange(8)
            if form < 3:
                return self.number()
            if form < 5:
                rows = self.r.randint(1, 3)
                columns = self.r.randint(1, 4)
                return "[" + ";".join(",".join(self.number() for _ in range(columns))
                                      for _ in range(rows)) + "]"
            if form < 6:
                return self.range_()
            return self.typed_call(depth)
        if kind == "complex":
            if self.chance(0.3):
                return "[%s]" % ",".join("%s+%si" % (self.number(), self.number())
                                        for _ in range(self.r.randint(1, 4)))
            return "%s%s%si" % (self.number(), self.pick(["+", "-"]), self.number())
        if kind == "interval":
            if self.chance(0.3):
                return "[%s]" % ",".join("~%s~" % self.number() for _ in range(self.r.randint(1, 4)))
            a, b = sorted([self.r.uniform(-5, 5), self.r.uniform(-5, 5)])
            return self.pick(["~%g,%g~" % (a, b), "~%s~" % self.number(), "~0,%s~" % self.number()])
        return self.string()

    def typed_call(self, depth):
        """A builtin of the catalog with real arguments."""
        if not self.catalog.builtin_names:
            return self.number()
        name = self.pick(self.catalog.builtin_names)
        count = self.pick(self.catalog.builtins[name])
        if count < 0:
            count = self.r.randint(0, 2)
        return "%s(%s)" % (name, ",".join(self.typed("real", depth + 1) for _ in range(count)))

    def assignment(self):
        kind = self.pick(["real", "real", "complex", "interval", "string"])
        name = self.name()
        self.variables[name] = kind
        return "%s=%s" % (name, self.typed(kind))

    def function_name(self):
        if self.functions:
            return self.pick(self.functions)[0]
        return "f"

    # --- statements -----------------------------------------------------------

    def condition(self):
        return "%s%s%s" % (self.primary(2), self.pick(["==", "<", ">", "<>", "~="]),
                           self.primary(2))

    def simple_statement(self):
        form = self.r.randrange(14)
        end = self.pick(["", ";", ",", ";", ""])
        if form < 3:
            return self.assignment() + end
        if form < 5:
            return self.typed(self.pick(["real", "complex", "interval", "string"])) + end
        if form < 6:
            return "%s=%s%s" % (self.name(), self.expression(), end)
        if form < 8:
            return self.expression() + end
        if form < 7:
            return "{%s,%s}=%s%s" % (self.name(), self.name(), self.expression(), end)
        if form < 8:
            return "%s[%s]=%s%s" % (self.name(), self.small_int(), self.expression(2), end)
        if form < 9:
            return "%s%s%s" % (self.name(), self.pick(["+=", "-=", "*=", "/=", "|="]),
                               self.expression(2))
        if form < 12:
            return self.command()
        if form < 13:
            return self.pick(FORMAT_CALLS).format(i=self.small_int(), e="1e-10",
                                                  b=self.pick(["0", "1"]),
                                                  function=self.function_name()) + ";"
        return "%s(%s)%s" % (self.function_name(), self.expression(2), end)

    def command(self):
        commands = self.catalog.commands
        if not commands:
            return "list"
        name = self.pick(commands)
        if name in STATEMENT_COMMANDS:
            name = "listvar"
        forms = COMMAND_FORMS.get(name, [name, name + " " + self.name()])
        text = self.pick(forms)
        return text.format(name=self.name(), function=self.function_name(),
                           builtin=self.pick(self.catalog.builtin_names or ["sin"]))

    def control(self, in_function):
        """A construct on one line (the top level needs it that way)."""
        form = self.r.randrange(8)
        body = lambda: "; ".join(self.simple_statement().rstrip(";,")
                                 for _ in range(self.r.randint(1, 3)))
        if form == 0:
            text = "if %s then %s" % (self.condition(), body())
            if self.chance(0.4):
                text += "; elseif %s then %s" % (self.condition(), body())
            if self.chance(0.6):
                text += "; else %s" % body()
            return text + "; endif"
        if form == 1:
            # Heads of a few passes at most (a long loop is no finding).
            head = "for i=%s" % self.pick([
                "1 to 3", "0 to 1 step 0.25", "3 to 1 step -1", "5 to 1", "1 to 3 step 0",
                "NAN", "2^53", "2^53 to 2^53+4", "1e300 to 1e300+1e290", "1 to NAN", "NAN to 3",
                "1 to 2 step NAN", "-1 to 1 step 1e-1", "1 to 3 step 1e-17", "0 to 0",
                "1 to 1e-300", "-0 to 0", self.number(), "%s to %s" % (self.small_int(),
                                                                       self.small_int())])
            extra = self.pick(["", "; if i>2 then break; endif", "; continue"])
            return "%s; %s%s; end" % (head, body(), extra)
        if form == 2:
            return "for e=%s; %s; end" % (self.pick([self.matrix(), self.range_(), self.scalar()]),
                                          body())
        if form == 3:
            return "loop %s to %s; %s; end" % (self.small_int(), self.small_int(), body())
        if form == 4:
            return "k=0; repeat; k=k+1; %s; until k>%s; end" % (body(), self.small_int())
        if form == 5:
            return "k=0; repeat; k=k+1; while k<%s; %s; end" % (self.small_int(), body())
        if form == 6 and in_function:
            return "return %s" % ",".join(self.expression(1) for _ in range(self.r.randint(0, 2)))
        return "if %s then %s; endif" % (self.condition(), body())

    # --- functions ------------------------------------------------------------

    def parameter_list(self):
        count = self.r.randint(0, 3)
        parameters = []
        names = ["x", "y", "a", "b", "n"]
        self.r.shuffle(names)
        for i in range(count):
            p = names[i]
            if self.chance(0.25):
                p += "=" + self.scalar_number()
            if self.chance(0.2):
                p += ": " + " ".join(self.pick(ANNOTATIONS) for _ in range(self.r.randint(1, 2)))
            parameters.append(p)
        if count >= 2 and self.chance(0.1):
            parameters[0] = "[" + parameters[0].split("=")[0].split(":")[0]
            parameters[1] = parameters[1].split("=")[0].split(":")[0] + "]"
        if self.chance(0.1):
            parameters.append("...")
        return count, "(" + ", ".join(parameters) + ")" if parameters or self.chance(0.8) else ""

    def function_definition(self):
        # (A name like end1 would read as "end" in a loop at the top level.)
        name = "f%d" % len(self.functions) if self.chance(0.85) else self.pick(
            ["g", "h", "sin", "gmap", "f0"])
        count, parameters = self.parameter_list()
        keywords = ""
        is_map = False
        if self.chance(0.2):
            keyword = self.pick(["map", "overwrite", "args", "allowassigned", "comment",
                                 "operator", "postfix", "prefix", "strong operator"])
            keywords = keyword + " "
            is_map = keyword == "map"
        lines = []
        if self.chance(0.45):
            text = "function %s%s%s := %s" % (keywords, name, parameters, self.expression(1))
            ending = self.r.randrange(10)
            if ending == 0:
                text += " // comment"
            elif ending == 1:
                text += " ..."
                lines.append(text)
                text = self.expression(1)
            elif ending == 2:
                text += " .. more"
                lines.append(text)
                text = self.expression(1)
            elif ending == 3:
                text += self.pick([" /*", " %", " //", "; ...", " ''"])
            lines.append(text)
        else:
            lines.append("function %s%s%s" % (keywords, name, parameters))
            if self.chance(0.3):
                lines.append("## help for %s" % name)
            for _ in range(self.r.randint(1, 6)):
                form = self.r.randrange(6)
                if form < 3:
                    lines.append(self.simple_statement())
                elif form < 5:
                    lines.append(self.control(True))
                else:
                    lines.extend(self.multi_line_construct())
            lines.append("return %s" % self.expression(1))
            if self.chance(0.05):
                lines.append(self.pick(["/* open", "\"unclosed", "..", "// end"]))
            lines.append("endfunction")
        self.functions.append((name, count, is_map))
        return lines

    def multi_line_construct(self):
        form = self.r.randrange(3)
        if form == 0:
            return ["if %s" % self.condition(), self.simple_statement(), "else",
                    self.simple_statement(), "endif"]
        if form == 1:
            return ["for i=1 to %s" % self.small_int(), self.simple_statement(),
                    "if i>%s then break; endif" % self.small_int(), "end"]
        return ["k=0", "repeat", "k=k+1;", self.simple_statement(),
                "until k>%s" % self.small_int(), "end"]

    # --- snippets: features that need several pieces to meet ----------------------

    def snippet(self):
        form = self.r.randrange(12)
        value = lambda: self.typed(self.pick(["real", "complex", "interval", "string"]))
        n = self.small_int()
        if form == 0:  # recursion, sometimes deep
            name = "r%d" % len(self.functions)
            self.functions.append((name, 1, False))
            depth = self.pick([n, n, "100", "2000", "1e5", "NAN", "-1"])
            return ["function %s(n)" % name,
                    "if n<=0 then return %s; endif" % self.typed("real", 2),
                    "return %s(n-1)%s%s" % (name, self.pick(["+", "*", "|", "_", ","]),
                                            self.typed("real", 2)),
                    "endfunction", "%s(%s)" % (name, depth)]
        if form == 1:  # assignments into parts of matrices
            target = self.name()
            lines = ["%s=%s" % (target, self.typed_primary(self.pick(["real", "complex",
                                                                       "interval"]), 0))]
            for _ in range(self.r.randint(1, 4)):
                index = self.pick(["1", "2,2", ":,1", "1,:", "1:2", "[1,3]", "0", "-1", "5,5",
                                   "2^31", "NAN", "[]", "1e10", ":", "1:0", "[2,1],[1,2]"])
                lines.append("%s[%s]=%s" % (target, index, self.pick(
                    [self.number(), value(), "[1,2]", "[]", "\"s\"", "1+2i", "~1,2~"])))
            lines.append(target)
            return lines
        if form == 2:  # global lists and variables
            lst = self.pick(["L", "M"])
            return ["glist(\"%s\")" % lst, "glistadd(\"%s\",%s)" % (lst, value()),
                    "glistinsert(\"%s\",%s,%s)" % (lst, n, value()),
                    "glistget(\"%s\",%s)" % (lst, self.small_int()),
                    "glistput(\"%s\",%s,%s)" % (lst, self.small_int(), value()),
                    "glistlength(\"%s\")" % lst, "glistdelete(\"%s\",%s)" % (lst, n),
                    "gset(\"g\",%s); gvar(\"g\")" % value(), "listlists",
                    self.pick(["glistremove(\"%s\")" % lst, "gremove(\"g\")", "gclear()"])]
        if form == 3:  # several results
            name = "mr%d" % len(self.functions)
            self.functions.append((name, 1, False))
            return ["function %s(x)" % name,
                    "return {x, %s, %s}" % (value(), value()),
                    "endfunction", "{p,q,w}=%s(%s)" % (name, value()),
                    "{p,q}=%s(%s)" % (name, value()), "%s(%s)" % (name, value()),
                    "[%s(1)]" % name]
        if form == 4:  # extra arguments
            name = "va%d" % len(self.functions)
            self.functions.append((name, 2, False))
            return ["function %s(a, ...)" % name,
                    "return {argn(), args(), getarg(%s)}" % self.small_int(),
                    "endfunction", "%s(%s)" % (name, ",".join(value() for _ in
                                                            range(self.r.randint(0, 5))))]
        if form == 5:  # map over matrices with a semicolon
            name = "mp%d" % len(self.functions)
            self.functions.append((name, 2, True))
            return ["function map %s(x; y)" % name, "return x*y+%s" % self.typed("real", 2),
                    "endfunction",
                    "%s(%s; %s)" % (name, self.typed_primary("real", 0), value()),
                    "map(\"%s\", %s, %s)" % (name, self.typed_primary("real", 0),
                                             self.typed_primary("real", 0))]
        if form == 6:  # formats and printing of each kind
            return [self.pick(FORMAT_CALLS).format(i=self.small_int(), e="1e-10",
                                                   b=self.pick(["0", "1"]),
                                                   function=self.function_name()) + ";",
                    self.typed_primary("real", 0), self.typed_primary("complex", 0),
                    self.typed_primary("interval", 0), "\"x=\"+%s" % value(),
                    self.pick(FORMAT_CALLS).format(i=self.small_int(), e="1e-10",
                                                   b=self.pick(["0", "1"]),
                                                   function=self.function_name()) + ";"]
        if form == 7:  # strings made and called
            return ["s=%s+%s" % (self.string(), value()), "s", "s(%s)" % value(),
                    "evaluate(s)", "errorlevel(s)", "%s|%s" % (self.string(), self.string()),
                    "%s[%s]" % (self.string(), self.small_int())]
        if form == 8:  # a function with loops and conditionals over several lines
            name = "lp%d" % len(self.functions)
            self.functions.append((name, 1, False))
            return ["function %s(n)" % name, "s=0;", "for i=1 to n",
                    "if i==2 then continue; elseif i>%s" % n, "break", "else", "s=s+i;",
                    "endif", "end", "loop 1 to 2; s=s+index(); end",
                    "return s", "endfunction", "%s(%s)" % (name, self.small_int()),
                    "%s(%s)" % (name, self.small_int())]
        if form == 9:  # user number formats
            name = "uf%d" % len(self.functions)
            self.functions.append((name, 1, False))
            return ["function %s(x) := %s" % (name, self.pick(["\"<\"+x+\">\"", "x", "1",
                                                                 "\"\"", "printtype(x)"])),
                    "userformat(\"%s\")" % name, value(), "[1,2;3,4]", "1+2i",
                    "userformat(\"\")"]
        if form == 10:  # operators defined by the user
            name = "op%d" % len(self.functions)
            keyword = self.pick(["operator", "strong operator", "postfix", "prefix"])
            parameters = "(a, b)" if "operator" in keyword else "(a)"
            self.functions.append((name, 2 if "operator" in keyword else 1, False))
            use = {"operator": "2 %s 3", "strong operator": "2 %s 3*4", "postfix": "5 %s",
                   "prefix": "%s 7"}[keyword] % name
            return ["function %s %s%s := %s" % (keyword, name, parameters,
                                                 self.typed("real", 2)), use]
        # tolerances, and what depends on them
        return ["localepsilon(%s);" % self.pick(["0", "1e-5", "0.5", "1e300", "-1", "NAN"]),
                "setepsilon(%s);" % self.pick(["0", "1e-10", "1", "-0"]),
                "0:0.1:1", "1~=1+1e-11", "for i=0 to 1 step 0.1; end; i",
                "setepsilon(2.220446049250313e-12);"]

    # --- programs ---------------------------------------------------------------

    def program(self, statements=None):
        lines = []
        for _ in range(statements or self.r.randint(5, 40)):
            form = self.r.randrange(22)
            if form >= 20:
                lines.extend(self.snippet())
            elif form < 4:
                lines.extend(self.function_definition())
            elif form < 12:
                lines.append(self.simple_statement())
            elif form < 16:
                lines.append(self.control(False))
            elif form < 17:
                lines.append(self.command())
            elif form < 19 and self.functions:
                lines.append(self.user_call(0) + self.pick(["", ";"]))
            else:
                lines.append(self.expression())
        return lines


def generate(catalog, rng):
    return Generator(catalog, rng).program()
