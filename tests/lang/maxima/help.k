// needs maxima info
// setting askexec 0
// Maxima's help from its info files.
mxmhelp
mxmhelp "trigsimp"
mxmhelp nosuchtopicanywhere
