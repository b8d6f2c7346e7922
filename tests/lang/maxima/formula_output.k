// needs maxima
// setting askexec 0
// A result shown as a formula: on a terminal its LaTeX text.
$integrate(x^2,x)
$expand((a+b)^2)
