// Long output intervals at tight tolerances: the steps of one interval are
// not capped at a few hundred.
// Van der Pol with mu = 1000 (stiff, relaxation period about 1614).
function vdp(t, y) := [y[2], 1000*(1 - y[1]^2)*y[2] - y[1]]
y = lsoda("vdp", 0:10:3000, [2, 0], 1e-8, 0, 0);
size(y), max(abs(y[1, :])) < 2.1, any(y[1, :] < -1) && any(y[1, :] > 1)
// Kepler, eccentricity 0.6, three orbits (period 2 pi) as one interval:
// back at the start.
function kepler(t, y)
  r3 = (y[1]^2 + y[2]^2)^1.5;
  return [y[3], y[4], -y[1]/r3, -y[2]/r3]
endfunction
e = 0.6; y0 = [1 - e, 0, 0, sqrt((1 + e)/(1 - e))];
y = lsoda("kepler", [0, 6*pi], y0, 1e-10, 0, 0);
max(abs(y[:, 2]' - y0)) < 1e-5
// Robertson at 1e-12 with one interval from 4e7 to 4e10 (the published
// values there: 5.2083e-8, 2.0833e-13, 1): the mass stays 1.
function rob(t, y)
  return [-0.04*y[1] + 1e4*y[2]*y[3], 0.04*y[1] - 1e4*y[2]*y[3] - 3e7*y[2]^2, 3e7*y[2]^2]
endfunction
y = lsoda("rob", [0, 0.4, 4e7, 4e10], [1, 0, 0], 1e-12, 0, 0);
max(abs(sum(y')' - 1)) < 1e-9, abs(y[1, 4]/5.2083e-8 - 1) < 1e-3, abs(y[2, 4]/2.0833e-13 - 1) < 1e-3
