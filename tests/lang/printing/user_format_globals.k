// A user format may replace or remove the global variable being printed;
// the value still prints whole.
function grow (x)
  gset("x", 1:50);
  return "g"
endfunction
function wipe (x)
  gclear();
  return "w"
endfunction
x=[1,2,3];
userformat("grow");
x
x=[1,2,3];
userformat("wipe");
x
denseoutput(0);
x=[1,2;3,4];
x
