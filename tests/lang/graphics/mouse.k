// The mouse builtins without a graphics window: the status must be a
// string, the position is the start's, and a wait that no key can end (the
// input is over) ends as with Escape.
mouse(3)
mousedrag(1)
mousedrag([1,2])
p=mousepos(); size(p)
mousestate()
mouse()
