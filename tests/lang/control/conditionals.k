if 1==2 then 1, else 2, endif;
if 1==1 then 1, else 2, endif;
if 0 then "a", elseif 0 then "b", elseif 1 then "c", else "d", endif;
if 0 then if 1 then "x", endif; "y", else "z", endif;
if 1 then if 0 then "x", else "w", endif; "v", else "z", endif;
// Conditions of other kinds.
if 1+0i then "complex", endif;
if 0+1i then "imaginary", endif;
if "" then "empty", else "not empty", endif;
if "a" then "text", endif;
if NAN then "nan", endif;
if [1,2] then "vector", endif;
if ~1,2~ then "interval", endif;
if 1=1 then 1, endif;
if 0 then "a"
// A relaxed function (defined after "relax" in a loaded file) tests every
// element of a vector; other functions refuse vectors.
load files/relaxed.kx
allpositive([1, 2]), allpositive([1, -2])
load files/strict.kx
strictpositive([1, 2])
