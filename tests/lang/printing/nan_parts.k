// NaN parts print as NAN; "+" only for an imaginary part >= 0, so a NaN
// imaginary part takes "-".
1i*NAN
complex(1)*NAN
[1+2i, NAN*1i]
~NAN,NAN~
[~1,2~, ~1,2~*NAN]
