// A character's number is its code point (code page 65001).
[ascii("A"), ascii(chartostr(233)), ascii(""), ascii("€uro")]
ascii(65)
char(65)
"<"|char(0)|">"
[ascii(char(321)), ascii(char(160)), ascii(char(1114111))]
strtochar(char(160))
// A number that is no code point is refused: negative, a surrogate, too large.
char(-1)
char(55296)
char(1114112)
chartostr([72,-1])
char("a")
char(NAN)
chartostr([72,105])
chartostr(72)
chartostr([72;105])
chartostr([72,NAN])
// Code points of UTF-8 text, marked or not.
s=chartoutf(233);
strtochar(s), strlen(s), strtochar(chartostr(233))
strtochar(chartoutf([72,105,8364,128512]))
strtochar("")
strtochar(1)
// chartoutf takes the code points 0 to 0x10FFFF only.
strtochar(chartoutf(1114111))
chartoutf(1114112)
chartoutf(57343)
chartoutf(-1)
chartoutf("a")
// Between the code page and UTF-8: in 65001 the text stays as it is.
u=toutf("é€");
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
