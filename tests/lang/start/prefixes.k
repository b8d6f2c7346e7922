// "kalix " runs the rest as an ordinary statement.
kalix 2+3
// "/*" opens a comment block only in program files.
/* comment
2*3
