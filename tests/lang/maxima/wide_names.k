// needs maxima
// setting askexec 0
// Names with letters beyond ASCII are handed to Maxima whole.
größe=3;
&@größe*x
:: expand((a+@größe)^2)
αβ=2; &@αβ+1
maximamode öff
