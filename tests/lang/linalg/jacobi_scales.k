// jacobi keeps its stopping bound finite for entries up to 1e300 (and
// above 0 for tiny ones): the eigenvalues match aleigen's within the
// method's accuracy, epsilon times the largest eigenvalue.
jacobi([1,1e160;1e160,1])
jacobi([2e300,1e300;1e300,2e300])
aleigen([2e300,1e300;1e300,2e300], 0)
function matches(j, a)
  return max(abs(sort(j) - sort(a))) <= 1e-10 * max(abs(a))
endfunction
function agree(A)
  return matches(jacobi(A), re(aleigen(A, 0)))
endfunction
// Random symmetric matrices of several sizes at scales from 1e300 down to
// 1e-300 against aleigen's eigenvalues of the unscaled matrix, scaled
// (aleigen itself underflows at the smallest scales): one row per size,
// one column per scale.
function sweep()
  seed(3);
  ok = [];
  for n = [2, 3, 5, 8, 13, 20];
    B = normal(n, n); B = B + B';
    r = [];
    for s = [1e300, 1e250, 1e160, 1e100, 1, 1e-100, 1e-160, 1e-300];
      r = r | matches(jacobi(s * B), s * re(aleigen(B, 0)));
    end;
    ok = ok _ r;
  end;
  return ok
endfunction
ok = sweep(); size(ok), sum(sum(ok)')
// Directly against aleigen where its entries are large.
agree(1e300 * [2, 1, 0.5; 1, -3, 0.25; 0.5, 0.25, 1])
agree(1e200 * [4, 1; 1, 4])
// A matrix with both huge and ordinary entries.
agree([1e300, 1, 0; 1, 2, 1e299; 0, 1e299, -1e300])
