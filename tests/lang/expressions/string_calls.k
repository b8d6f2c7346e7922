"sin"(0.5)
"x^2"(3)
"@(a,b) a-b"(5,2)
"x+y"(1;2)
"@(a) a+"(1)
t$$="t$$(1)";
errorlevel("t$$(1)")
s$$="evaluate(s$$)";
errorlevel("evaluate(s$$)")
