// On/off switches: "off", "on" or a toggle.
errors off
sqrt(-1)
errors on
sqrt(-1)
output off
1+1
output on
2+2
output
3+3
output
4+4
prompt off
prompt on
comments off
comments on
