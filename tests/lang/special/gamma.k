// gamma of reals (through the library's real gamma) and of complex numbers.
gamma(5)
gamma(0.5)^2-pi
gamma([1,2,3,4])
gamma(1+1i)
abs(gamma(1+1i)-(0.49801566811835607-0.15494982830181067i))<1e-15
// left of 1/2 by reflection, on the real axis through the real gamma
gamma(-0.5+1i)
gamma(complex(0.5))-gamma(0.5)
gamma(complex(-2))
gamma([1i,2+0i])
gamma(1i)
gammaln(10)-log(362880)
gamma("a")
gamma(~1,2~)
// Off the real axis, however close: the imaginary part counts, and next to
// a pole the value is found from the distance to it.
gamma(1e-300+1e-300i)
gamma(-1e-13+1e-13i)
gamma(-3+1e-10i)
abs(gamma(-3+1e-10i)-(-0.20935294473863342+1666666666.6666665i))<1e-13*1666666666
gamma(0.5+1e-13i)
gamma([-2+1e-300i,-2,2+1e-300i])
