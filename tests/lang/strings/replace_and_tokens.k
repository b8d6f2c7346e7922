strrepl("a-b-c","-","+-+")
strrepl("aaaa","aa","a")
strrepl("abc","x","y")
strtochar(strrepl(chartoutf([233,97]),"a","b"))
t=strtokens(chartoutf([233,32,8364])); strtochar(t[2])
"<"|strrepl("","a","b")|">"
// An empty search text would match everywhere without end.
strrepl("abc","","x")
strrepl("abc","b",1)
t=strtokens("one, two;three	four  five")
t=strtokens("a,,b")
t=strtokens(",,; ")
t=strtokens("a-b--c-","-")
t=strtokens("a b",1)
