errors off
1/0
[1,2]/[1,0]
errors on
1/0
