// Saved by an editor that begins UTF-8 text with a byte-order mark.
grüße = "aus der Datei";
function verdopple(x) := 2*x
comment
Kommentar mit Umlauten: äöü
endcomment
