// needs maxima
// setting askexec 0
// Maxima lines: ":: " and "maxima " in compatibility syntax, "::: " as
// typed; Maxima's two-dimensional answer with its label blanked.
:: diff(x^3,x)
::: integrate(sin(x),x)
maxima a:=2, a^3
// A value of the interpreter goes in with "@".
b=3; :: @b^2
// "$" ends a statement silently; "//" starts a comment.
::: c:7$ c+1; // not sent
// A line ending in ".." is continued by the next.
:: c+..
:: 1
// A reply without an output label is shown as it is.
::: 1/0;
:: "done"
