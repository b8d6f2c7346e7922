// svd of a well-conditioned matrix with large or small entries converges;
// its singular values are those of the matrix times the factor.
A=[2,1,0.5;1,3,0.2;0.5,0.2,4];
{U,w,V}=svd(A);
function deviation(A, w, f)
  {U,w2,V}=svd(f*A);
  return [max(abs(sort(w2)/f - sort(w))/max(w)), max(max(abs((U*w2).V'-f*A))')/f]
endfunction
function sweep(A, w)
  r = [];
  for f = [1e-300, 1e-250, 1e-200, 1e-150, 1e-100, 1, 1e100, 1e150, 1e155, 1e200, 1e250, 1e300];
    r = r _ deviation(A, w, f);
  end;
  return r
endfunction
r = sweep(A, w); max(max(r)') < 1e-14
{U,w2,V}=svd(1e155*A); sort(w2)
{U,w2,V}=svd(1e-200*A); sort(w2)
// Singular values above the largest double are infinite.
{U,w2,V}=svd([1e308,1e308;1e308,1e308]); sort(w2)
