// The Robertson problem: three reactions with rate constants 0.04, 1e4 and
// 3e7, stiff after the fast transient, solved up to t = 1e5 on a
// logarithmic grid and compared with a reference solution.
function rob(t, y)
  return [-0.04*y[1] + 1e4*y[2]*y[3], 0.04*y[1] - 1e4*y[2]*y[3] - 3e7*y[2]^2, 3e7*y[2]^2]
endfunction
t = [0, 10^(-5:1:5)];
y = lsoda("rob", t, [1, 0, 0], 1e-10, 0, 0);
// The reference rows, at t = 1e-5 .. 1e5.
r1 = [9.999996000000807e-01, 3.999839207726458e-07, 1.599922723716867e-11];
r2 = [9.999960000080135e-01, 3.984068463792646e-06, 1.592352349811213e-08];
r3 = [9.999600015632174e-01, 2.916903494492887e-05, 1.082940183791734e-05];
r4 = [9.996006826882931e-01, 3.645047887843557e-05, 3.628668328283656e-04];
r5 = [9.960777474424569e-01, 3.580437235042229e-05, 3.886448185193024e-03];
r6 = [9.664597373330748e-01, 3.074626578579804e-05, 3.350951640114017e-02];
r7 = [8.413699238419610e-01, 1.623390937994321e-05, 1.586138422486615e-01];
r8 = [6.172348823967478e-01, 6.153591274655110e-06, 3.827589640119763e-01];
r9 = [3.368745306616652e-01, 2.013702318269942e-06, 6.631234556360160e-01];
r10 = [1.073004285384082e-01, 4.800166972601970e-07, 8.926990914448960e-01];
r11 = [1.786592114226676e-02, 7.274751468505643e-08, 9.821340061102219e-01];
ref = [r1; r2; r3; r4; r5; r6; r7; r8; r9; r10; r11];
// Relative errors from t = 1e-2 on, where every component has grown well
// above the absolute tolerance; absolute errors everywhere (the global
// error of a few steps beyond the tolerance of one).
d = y[:, 2:12]' - ref;
abs(d[4:11, :]) / ref[4:11, :] < 1e-6
abs(d) < 1e-8
// The mass is conserved.
abs(y[1, :] + y[2, :] + y[3, :] - 1) < 1e-9
