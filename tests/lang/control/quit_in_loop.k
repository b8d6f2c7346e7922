// restart and quit end a running loop; the next statement would clear
// the request.
x = 5; loop 1 to 3; #, restart; end; "rest of the line"
x
repeat; "once", quit; end;
"never"
