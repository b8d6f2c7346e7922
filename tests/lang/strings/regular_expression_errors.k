// Each kind of pattern error prints its text, then the pattern, error 1.
strxfind("abc","(a")
strxfind("abc","a)")
strxfind("abc","[a")
strxfind("abc","a{3,1}")
strxfind("abc","[z-a]")
strxfind("abc","*a")
strxfind("abc","a\")
strxfind("abc","(a)\2")
strxfind("abc","[[:alphabet:]]")
strxrepl("abc","(","x")
// A pathological pattern ends with an error instead of running away.
strxfind("xaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaab","^x(a|a)*$")
// So does a subject of a million bytes for a pattern that keeps every step.
s=printstr("",16384,1,"a"); s=strrepl(strrepl(s,"a","aaaaaaaaaaaaaaaa"),"a","aaaa");
strlen(s)
strxfind(s,"^(a|b)*$")
"still running"
