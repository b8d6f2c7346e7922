x=1;
restart
x
quit
