quit
1+2
