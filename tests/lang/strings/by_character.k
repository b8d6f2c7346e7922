// runs in a temporary directory
// In UTF-8 text (code page 65001) the string builtins count, cut, pad,
// search, split and case-map characters of one to four bytes.
[strlen("漢字"), strlen("😀a"), strlen("äöüß"), strlen(u"äöüß")]
[strfind("äöüß","ü"), strfind(u"äöüß","ü"), strfind("a漢b漢","漢",3), strfind("a漢b漢","漢",-1)]
[strfind("äöüß","",4), strfind("äöüß","",5), strfind("αβγ","γ",4)]
strtochar("äα😀")
substring("äöüß",2,3)
[substring("漢字かな",-2,-1), substring("😀😁😂",2,99), "<"|substring("äö",3,3)|">"]
strrepl("äöü","ö","oe")
strrepl("漢字漢字","字","")
t=strtokens("aöb","ä")
t=strtokens("α·β··γ","·")
t=strtokens("x ä;y")
// Widths and precisions count characters.
printf("[%6s]","äö")
printf("[%.3s]","äöü")
printf("[%-5.2s]","漢字かな")
printf("[%3c]",8364)
printstr("äö",6,0,"·")
printstr("漢",3,-1,12354)
print(1234567.891,2,14," ",",")
// A number that is no code point is refused.
printf("%c",55296)
printstr("a",3,1,-5)
// Upper and lower case of Latin, Greek and Cyrillic letters; "ß" stays.
toupper("äöüßαωçœ ж ё ǆ ÿ")
tolower("ÄÖÜΑΩÇŒ Ж Ё Ǆ Ÿ İ")
// Regular expressions match characters and know Unicode's letters and digits.
{p,m,g}=strxfind("größe=3","(\w+)=(\d)"); p, m, g
strxfind("x😀y","x.y")
{p,m}=strxfind("äöü abc","\b\w",2); p, m
strxfind("ab漢字","[漢字]+")
strxrepl("äöü","[äö]","x")
strxrepl("αβ","","-")
strxrepl("Grüße","(\w)","<$1>")
// Bytes that are no UTF-8 (a file of code page 1252 read as it is) count
// one each and are kept; case changes leave them as they are.
open("latin.txt","w"); putchar([71,114,246,223,101]); close();
open("latin.txt","r"); s=getstring(5); close();
[strlen(s), strfind(s,"e"), ascii(substring(s,3,3))]
strtochar(toupper(s))
strtochar(substring(s,3,4))
[strxfind(s,"e"), strxfind(s,"r.e")]
// The list of variables cuts long texts after 32 characters.
zz=printstr("",40,1,"ü"); listvar zz
