// needs maxima
// setting askexec 0
// Texts that look like the prompt markers or leave a string open do not
// put the session out of step.
::: print("result <--- here")$
mxm("2+2")
mxm("3+3")
::: print("--->(%i1) <--- and more");
mxm("sqrt(16)")
::: "abc
::: "a\"b";
::: 5+5
mxm("x+x")
// An expression Maxima rejects: its message, and an empty result.
s = tex("x+"); "[" | s | "]"
tex("sin(x)")
