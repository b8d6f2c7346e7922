print(1234567.891,2,15,"'",",")
print(-1234,0,0," ","")
// The decimal mark replaces the point, never a group separator.
print(-9876543.21,2,0,".",",")
print(3.14159,3,-8,none,none)
print(0.5,0,0,",",".")
print(123,2,0,"","")
print(123456,1,0,"--",".")
// Digits and length are bounded; a huge value prints all its digits.
strlen(print(1/3,1000,0,none,none))
strlen(print(1,0,1e9,none,none))
strlen(print(1e308,0,0,",","."))
print("a",2,0,",",".")
print(1,2,0,",",1)
