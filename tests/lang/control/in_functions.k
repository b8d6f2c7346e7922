// Constructs of stored bodies: the second and later calls jump by the
// cached distances and must give what the first call gave.
function f(a, b)
  s = 0;
  for i = 1 to 4
    if i == a then continue;
    elseif i == b
      if a > b then break; else s = s + 100; endif
    elseif i > a + b
      loop 1 to i
        if # == 2 then break; endif
        s = s + #;
      end
    else
      j = 0; repeat; j = j + 1; if j == 2 then continue; endif; s = s + 10 * j; until j >= a; end
    endif
    s = s + 1000;
  end
  return s
endfunction
r = []; for a = 0 to 3; for b = 0 to 3; r = r | f(a, b); end; end; r
r = []; for a = 0 to 3; for b = 0 to 3; r = r | f(a, b); end; end; r
// The same construct typed on one line is scanned, not cached.
r = []; for a = 0 to 3; for b = 0 to 3; s = 0; for i = 1 to 4; if i == a then continue; elseif i == b; if a > b then break; else s = s + 100; endif; elseif i > a + b; loop 1 to i; if # == 2 then break; endif; s = s + #; end; else; j = 0; repeat; j = j + 1; if j == 2 then continue; endif; s = s + 10 * j; until j >= a; end; endif; s = s + 1000; end; r = r | s; end; end; r
// A return value sees the "#" of the place of the return, also after an
// earlier call left its loop through return.
function at(n)
  loop 1 to 10
    if # == n then return #; endif
  end
  return #
endfunction
at(3), at(20)
loop 7 to 7; at(2), at(20), end;
// A loop whose end is missing before the end of the body.
function noend()
  for i = 1 to 3
    i
    // only a comment follows

endfunction
noend()
function noendloop()
  loop 1 to 3
    #
endfunction
noendloop()
function noendif(x)
  if x then "yes"
endfunction
noendif(1)
noendif(0)
// The body of a function called from a loop is not inside that loop.
function strayBreak()
  "before"
  break
  "after"
endfunction
for i = 1 to 2; strayBreak(), end;
"next"
