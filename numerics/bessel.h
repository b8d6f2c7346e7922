// Bessel functions of real order nu and real argument x, each evaluated
// together with its derivative: J and Y (first and second kind) by Steed's
// method, I and K (modified) by its analogue, with Temme's series for
// x < 2 and a complex continued fraction beyond.
#pragma once

namespace kalix {

enum class BesselStatus {
    ok,
    badArguments,    // negative non-integer order, or x < -epsilon with one
    cf1Failed,       // the first continued fraction did not converge (x too large)
    seriesFailed,    // Temme's series did not converge
    cf2Failed,       // the second continued fraction did not converge
    chebyshevRange,  // a Chebyshev point left its interval
};

// Values J, Y, J', Y' (or I, K, I', K') at x.
struct BesselValues {
    double first, second, firstDerivative, secondDerivative;
};

// Orders and arguments as the mathematics has them: a negative integer
// order gives J_-n = (-1)^n J_n and Y_-n = (-1)^n Y_n, I_-n = I_n and
// K_-n = K_n; x < -epsilon needs an integer order and gives
// J_n(-x) = (-1)^n J_n(x) and I_n(-x) = (-1)^n I_n(x) (derivatives with the
// opposite factor), Y and K being complex there (NaN). At x = 0 (and for
// -epsilon <= x < 0 with a non-integer order) the values are the limits at
// 0: J_0 = I_0 = 1, other orders 0, Y = -inf, K = inf; J' and I' are 1/2
// for order 1, inf for orders between 0 and 1, else 0; Y' = inf and
// K' = -inf. NaN arguments give NaN values.
BesselStatus besselJY(double nu, double x, double epsilon, BesselValues* out);
BesselStatus besselIK(double nu, double x, double epsilon, BesselValues* out);

}  // namespace kalix
