// Lines for engines that are not there are refused, never dropped (the
// Maxima lines: maxima/lines.k).
py: 1
>> 1
: x
1+1
