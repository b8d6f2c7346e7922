// Python code and output with characters beyond ASCII, converted at the
// bridge by the code page in use (1252).
// setting askexec 0
// setting CODE_PAGE 1252
strlen("é")
py: s = "é"
py: print(s, len(s))
py: s
python("'ü' + s")
pyget("s")
py: café = 3; print(café * 2)
pyset("t", "Grüße"); 
py: print(t.upper(), len(t))
function python g(x)
  # "ß" in a comment
  return x + "ß"
endfunction
g("ä")
