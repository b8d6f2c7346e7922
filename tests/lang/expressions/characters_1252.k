// Code page 1252 is the subject: a character is one byte there, and the
// program of characters.k (its Latin part) must give the same results.
// setting CODE_PAGE=1252
x=30; x°
x°+1
45 -> °
45 -> " °"
1 ± 0.5
2 ± 1 + 1
größe=3; größe*2
ä=5; ä+1
Ärger=1; Äö=2; Ärger+Äö
1 000
1 000 000.5
12 345x
hardspace()
// char() builds the hard space back from that code.
h = char(hardspace()); strtochar(h)
evaluate("1" + h + "000")
"Grüße" // größe
xÿ=2; xÿ+1
mü$=1000; 2mü
äend=7; äend
ïf=1; ïf
for ä=1 to 3; ä, end;
if größe>2 then "größer", endif;
function fläche(breite, höhe) := breite*höhe
fläche(3, 4)
function winkel(ß)
  ø = ß ± 1; // ändern
  if ø>0 then return ø°; endif;
  return "keiner"
endfunction
winkel(180)
winkel(-5)
function zähle(n)
  s = 0; äloop = 2;
  loop 1 to n; s = s + äloop; end;
  return s
endfunction
zähle(4)
"@(ä, ö) ä*ö"(6, 7)
function doppelt(ä2) := ä2*2
doppelt(4)
function tausend() := 1 000 + 1
tausend()
// A name holds 30 bytes, here 30 characters.
abcdefghijklmnopqrstuvwxyzabcä=1
abcdefghijklmnopqrstuvwxyzabcäö=1
y = 1 ÷ 2
unbekannt_größe
help Größe
listvar größe
