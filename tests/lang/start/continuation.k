// A line ending in " ..." is joined with the next one.
x = 1 + ...
2;
x
// The comment before the dots goes with them.
y = 3 + // plus four ...
4;
y
// ".." continues on the next line too, ignoring the rest of the line.
z = 5 + .. anything
6;
z
// An evaluated string cannot fetch a line: refused once, and the next
// line stays a statement of its own.
evaluate("1+ ..")
"next"
