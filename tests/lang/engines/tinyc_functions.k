// C functions written with the keyword tinyc: compiled with tcc and bound.
// setting askexec 0
// runs in a temporary directory
function tinyc addone (x)
  ## Adds one in C.
  double v;
  if (!getreal(hd[0], &v)) return dllerror("addone needs a real, not kind %d", hd[0]->kind);
  newreal(v + 1);
endfunction
addone(1)
addone(-2.5)
addone("a")
// Every kind a C function reads and writes.
function tinyc kinds (x)
  double re, im, lo, hi, *data, *out;
  int r, c, i, n;
  char *text;
  if (getreal(hd[0], &re)) { newreal(re); newstring("real"); }
  else if (getcomplex(hd[0], &re, &im)) { newcomplex(im, re); newstring("complex"); }
  else if (getinterval(hd[0], &lo, &hi)) { newinterval(lo - 1, hi + 1); newstring("interval"); }
  else if (getmatrix(hd[0], &r, &c, &data)) {
    newmatrix(c, r, &out);
    for (i = 0; i < r; i++) { int j; for (j = 0; j < c; j++) out[j*r + i] = data[i*c + j]; }
    newstring("matrix");
  }
  else if (getcomplexmatrix(hd[0], &r, &c, &data)) {
    newcomplexmatrix(r, c, &out);
    for (i = 0; i < 2*r*c; i++) out[i] = -data[i];
    newstring("complex matrix");
  }
  else if (getintervalmatrix(hd[0], &r, &c, &data)) {
    newintervalmatrix(r, c, &out);
    for (i = 0; i < 2*r*c; i++) out[i] = data[i] * 2;
    newstring("interval matrix");
  }
  else if (getstring(hd[0], &text)) {
    const char *parts[2];
    parts[0] = text; parts[1] = "and more";
    newstringvector(2, parts);
    newstring("string");
  }
  else if (getstringvector(hd[0], &n, &text)) { newreal(n); newstring(text); }
  else return dllerror("unknown kind %d", hd[0]->kind);
endfunction
{v, k} = kinds(4); v, k
{v, k} = kinds(1+2i); v, k
{v, k} = kinds(~1,2~); v, k
{v, k} = kinds([1,2,3;4,5,6]); v, k
{v, k} = kinds([1+1i, 2-3i]); v, k
{v, k} = kinds([~1,2~, ~3,4~]); v, k
{v, k} = kinds("word"); v, k
{v, k} = kinds(["first", "second"]); v, k
// A function without a result leaves none; one that returns nothing too.
function tinyc quiet ()
  return 0;
endfunction
quiet()
// A C syntax error shows the lines around it and tcc's message.
function tinyc broken (x)
  double v
  newreal(v);
endfunction
broken(1)
// A fault inside a C function is caught; Kalix goes on.
function tinyc crash ()
  int *p = 0;
  *p = 1;
endfunction
crash()
function tinyc divide (a, b)
  double x, y;
  getreal(hd[0], &x); getreal(hd[1], &y);
  newreal((int)x / (int)y);
endfunction
divide(7, 0)
"Kalix goes on"
divide(7, 2)
