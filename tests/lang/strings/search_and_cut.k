// Positions count characters from 1; a negative start or bound counts from the end.
[strfind("abcb","b"), strfind("abcb","b",3), strfind("abcb","b",-1), strfind("abcb","b",5)]
[strfind("abcb","cb",0), strfind("abcb","",2), strfind("abcb","",4), strfind("","",1)]
strfind("abcb","b",NAN)
strfind("abcb",2)
substring("hello",2,4)
substring("hello",-3,-1)
"<"|substring("hello",4,2)|">"
substring("hello",2,99)
substring("hello",-99,1)
"<"|substring("",1,1)|">"
substring("hello","a",1)
// Parts of UTF-8 text stay UTF-8 text.
strtochar(substring(chartoutf([104,233,108]),2,3))
strtochar(tolower(chartoutf([201,65])))
// strlen counts characters (code points), not bytes.
[strlen("hello"), strlen(""), strlen(chartoutf([104,233,8364])), strlen(chartostr([104,233]))]
strlen(1)
tolower("HeLLo, World 123")
toupper("HeLLo, World 123")
// Letters beyond ASCII change case too.
strtochar(toupper(chartostr([233,97])))
toupper(1)
