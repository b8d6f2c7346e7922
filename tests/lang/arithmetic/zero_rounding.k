"a"+1e-13
zerorounding(1);
"a"+1e-13
"z="|(1+1e-14*I)
~1e-13,1~|"!"
