[ascii("A"), ascii(chartostr(233)), ascii("")]
ascii(65)
char(65)
"<"|char(0)|">"
[ascii(char(321)), ascii(char(-1))]
char("a")
char(NAN)
chartostr([72,105])
chartostr(72)
chartostr([72;105])
chartostr([72,NAN])
// Code points of UTF-8 text, bytes of other text.
s=chartoutf(233);
strtochar(s), strlen(s), strtochar(chartostr(233))
strtochar(chartoutf([72,105,8364,128512]))
strtochar("")
strtochar(1)
// chartoutf takes the code points 0 to 0x10FFFF only.
strtochar(chartoutf(1114111))
chartoutf(1114112)
chartoutf(-1)
chartoutf("a")
// Between the code page and UTF-8.
u=toutf(chartostr([233,128]));
strtochar(u), strlen(u)
strtochar(fromutf(u))
strtochar(toutf(u))
strtochar(fromutf("abc"))
toutf(1)
fromutf(1)
// utf decodes HTML entities, named and numeric.
strtochar(utf("a&amp;b&not;&notin;&#233;"))
utf("&nbsp;")
utf("a & b")
utf("&#x41;")
utf(1)
// setting CODE_PAGE=1252
