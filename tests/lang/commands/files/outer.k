"outer starts"
comment
Shown unless the load ends with a semicolon.
  Blanks stay.
endcomment
/*
"skipped"
*/
load files/inner.k
"outer continues"
path "files/search;/nonexistent/"
load found
stopload
"not reached"
