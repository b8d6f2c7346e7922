gvar("zz")
