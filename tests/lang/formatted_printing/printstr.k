"|"+printstr("abc",7,0)+"|"
"|"+printstr("abc",7,-1)+"|"
"|"+printstr("abc",7)+"|"
printstr("abc",2)
printstr("abc",7,1,"*")
printstr("abc",8,0,46)
printstr("abc",5,-1,"")
printstr("abc",5,-1,1)
strlen(printstr("abc",1e9))
printstr(1,2)
printstr("abc","a")
printstr("abc",5,"a")
printstr("abc",5,0,[1,2])
// The date and time of now: a weekday, a date and a time.
t=printnow(1); strxfind(t,"^[A-Z][a-z]+day, [A-Z][a-z]+ \d\d, \d{4} \d\d:\d\d:\d\d$")
printnow("a")
