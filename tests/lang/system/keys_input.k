// Keys and answers come from the piped input as they come from a terminal;
// a key gives the code of its character.
key()
x
k = key(); k
é
key()
漢
key()
😀
input("a value")
1+
2*3
lineinput("a line")
  text as it is, 1+1 
answer = input("another");
escape
"after escape"
lineinput("a word")
escape
// Function-key texts: 10 slots of at most 63 characters; setkey gives the
// old text back.
setkey(1, "plot") == ""
setkey(1, "other")
setkey(11, "x")
setkey(0, "x")
setkey(2, "0123456789012345678901234567890123456789012345678901234567890123")
setkey(2, "012345678901234567890123456789012345678901234567890123456789012");
setkey("1", "x")
setstatus("working")
setstatus(1)
testkey()
key(1)
input(1)
lineinput(1)
// At the end of the input a key cannot come: Interrupt.
key()
