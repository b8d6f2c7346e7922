// needs maxima info
// Maxima's help from its info files.
mxmhelp
mxmhelp "trigsimp"
mxmhelp nosuchtopicanywhere
