"abc"
''say "hi"''
@"x"
@3
"abc
''abc
