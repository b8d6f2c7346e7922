0 and nosuch(1)
1 or nosuch(1)
1 and 0
0 or 2
1 || [0,1]
(0 or 1)+1
not 0
not "a"
not [1]
