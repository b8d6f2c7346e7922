"hello"
none
""
