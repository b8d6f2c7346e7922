// The help command: a builtin, a name without help, a user function with
// its defaults and help lines, a command, an operator, an alias, a name
// too long, the comments of a program file, and the "?? " prefix.
help sin
help nosuchname
function f(x,y=3)
## adds x and y
return x+y
endfunction
help f
help break
help ~=
alias sinus sin
help sinus
help a23456789012345678901234567890123
path "files"
help helpdemo
?? bitnot
