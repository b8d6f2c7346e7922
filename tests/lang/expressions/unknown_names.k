nosuch
nosuch(1)
_nosuch(1)
q[1]
sin(1;2)
