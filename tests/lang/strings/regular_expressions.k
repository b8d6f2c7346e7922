// No match: the single result 0. A match: its position, its text and the
// vector of its groups.
strxfind("abc","x")
{p,m,g}=strxfind("abc123def456","([a-z]+)([0-9]+)",4);
p, m, g
{p,m,g}=strxfind("key = value","(\w+)\s*=\s*(\w+)");
p, m, g
{p,m,g}=strxfind("abcb","b",-1);
p, m
// A group that took no part is empty.
{p,m,g}=strxfind("ac","a(b)?c");
p, m, "<"|g[1]|">"
// The search runs over the text from the start position on.
strxfind("abab","^b",2)
strxfind("abc","c",9)
strxfind(1,"a")
strxrepl("John Smith","(\w+)\s(\w+)","$2, $1")
strxrepl("a1b22c333","[0-9]+","<$&>")
strxrepl("abc","b","[$`|$']")
strxrepl("a.b","\.","$$")
strxrepl("abc","x*","-")
strxrepl("aaa","a*","-")
strxrepl("abc","(b)","$2$1$10")
strxrepl("abc","b",1)
