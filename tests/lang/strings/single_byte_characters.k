// In a single-byte code page every byte is a character: a character's
// number is its byte (taken modulo 256; signed for ascii), lengths and
// positions count bytes, case changes only ASCII letters and regular
// expressions match bytes. That code page is this transcript's subject.
// setting CODE_PAGE=1252
[ascii("A"), ascii(chartostr(233)), ascii(""), ascii("é")]
[ascii(char(321)), ascii(char(-1))]
[printf("%c",321.7), printf("%c",-191)]
chartostr([228,945])
strtochar("äα€")
[strlen("äöüß"), strfind("äöüß","ü"), strlen(printstr("ä",3))]
substring("äöüß",2,3)
toupper("äöüßαω")
strtochar(toupper(chartostr([233,97])))
{p,m}=strxfind("größe=3","(\w+)=(\d)"); p, m
// 0x80 is the euro sign in this code page.
u=toutf(chartostr([233,128]));
strtochar(u), strlen(u)
strtochar(fromutf(u))
strtochar(toutf(u))
// Text marked as UTF-8 counts characters in every code page.
[strlen(u"äöüß"), strfind(u"äöüß",u"ü"), strfind(u"äöüß",u"ß",-1), ascii(u"ä")]
strtochar(substring(u"äöüß",2,3))
strtochar(toupper(chartoutf([228,246,945])))
