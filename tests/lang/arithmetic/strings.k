"ab"+"cd"
"x="+2
2+" apples"
"a"|"b"
"a"+1e-13
"x"+NAN
