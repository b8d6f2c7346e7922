// A global replaced by a larger value or removed while a statement still
// holds a reference to it: the old block stays readable until the
// statement has ended.
function grow()
  global h;
  h = 1:50;
  return 1
endfunction
function dropglobal()
  gremove("h");
  return 0
endfunction
h = 1:3;
h + grow()
h[50]
h = 5;
h = grow() + 1
h = [1,2];
h + dropglobal()
h = [1,2];
max(h, gset("h", 1:20))
h
h = [7,8];
[h, gclear()]
