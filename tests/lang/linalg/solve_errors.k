// Singular systems and arguments \ does not take; each error leaves the
// next command working.
[1,2;2,4]\[1;1]
[1,1;1,1+1e-14]\[1;2]
[0]\[1]
[0,0;1,1]\[1;1]
(1+I)*[1,2;2,4]\[1;1]
[1,2;3,4]\[1,2]
[1,2,3;4,5,6]\[1;2]
~1,2~\[1]
"a"\[1]
[1,2;3,4]\"b"
[1,2;3,4]\[1;2]
