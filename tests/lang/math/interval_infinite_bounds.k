// 0 times an infinite bound counts as 0.
~0,0~*~1,1e309~
~0,0~*~-1e309,1e309~
~0,2~*~1,1e309~
// Overflow is reported like the real functions report it.
exp(~710,710~)
~2,2~^~1024,1024~
exp(~700,700~)<<~1e304,1.1e304~
// Exact operations keep their bounds.
expand(~1,3~,2)
expand(1,0.5)
~1,2~*~3,4~
sqrt(~4,9~)
