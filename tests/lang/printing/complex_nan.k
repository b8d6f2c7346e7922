// "+" only for an imaginary part >= 0: NaN takes "-".
1i*NAN
complex(1)*NAN
[1+2i, NAN*1i]
