// The interpreter's pseudo-random numbers.
//
// The uniform generator combines two multiplicative congruential generators
// (moduli 2147483563 and 2147483399) through a 32-entry shuffle table; the
// normal generator takes pairs of uniform draws by the polar method and
// keeps the second deviate of each pair for the next call. The state lives
// for the whole process: nothing but draws and `seedRandom` changes it.
//
// The 15-bit generator is a separate, smaller one (a linear congruential
// generator, values 0 .. 32767, the same sequence on every machine); the
// fast random builtins and the restarts of the root finder draw from it.
#pragma once

#include <cstdint>

namespace kalix {

// One uniform value in (0, cap]: values above `cap` (1 - epsilon) give cap.
double uniformRandom(double cap);
// One standard normal value from uniform draws capped at `cap`.
double normalRandom(double cap);
// n successive draws into out[0 .. n-1], the same values as n calls.
void fillUniform(double* out, int64_t n, double cap);
void fillNormal(double* out, int64_t n, double cap);

// Reseeds from x: equal |x| give equal sequences. The next draw runs the
// generator's warm-up; a waiting normal deviate is dropped.
void seedRandom(double x);

// The next value 0 .. 32767 of the 15-bit generator.
int nextRandom15();

}  // namespace kalix
