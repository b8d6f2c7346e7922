// The failing line is shown also when a cached jump led to it.
function f(x)
if x>0
y=1
else y=undefinedthing
endif
return y
endfunction
f(-1)
f(-1)
function h(n)
for i=1 to 3
if i==2 then break; endif
end; z=undefinedthing
return z
endfunction
h(1)
h(1)
