// In the default code page a character is a UTF-8 sequence: letters beyond
// ASCII make names, the degree sign and plus-minus are operators, and the
// hard space (U+00A0) groups digits, as the same bytes do in code page 1252.
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
// Greek, CJK and emoji names; comments and strings carry any text.
α=1; β=2; α+β // ω ≤ π
漢字=3; 漢字*2
😀=4; 😀+1
"Grüße, 漢字 😀" // größe 漢字 😀
λ=2; 3λ
x y=2; x y+1
mü$=1000; 2mü
// A keyword right after a wider letter is part of the name.
äend=7; äend
ïf=1; ïf
for ä=1 to 3; ä, end;
if größe>2 then "größer", endif;
// Definitions: names, parameters, command words, stored numbers.
function fläche(breite, höhe) := breite*höhe
fläche(3, 4)
function winkel(α)
  β = α ± 1; // ändern
  if β>0 then return β°; endif;
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
// A name holds 30 bytes; a character is never cut.
abcdefghijklmnopqrstuvwxyzabä=1
abcdefghijklmnopqrstuvwxyzabcä=1
αβγδεζηθικλμνξο=1
αβγδεζηθικλμνξοπ=1
// The character named in a message is the character, by its code.
1 ✓ 2
y = 1 ÷ 2
unbekannt_größe
help Größe
listvar größe
listvar α
