// Lines for engines that are not there are refused, never dropped.
:: integrate(x^2,x)
::: x
maxima x
py: 1
>> 1
: x
1+1
