// The combined uniform generator with its shuffle table, the polar normal
// generator and the 15-bit generator. Both multiplicative generators step
// by Schrage's method in 32-bit integers.
#include "numerics/random_numbers.h"

#include <cmath>
#include <cstring>

namespace kalix {

namespace {

constexpr int32_t modulus1 = 2147483563, multiplier1 = 40014, quotient1 = 53668, remainder1 = 12211;
constexpr int32_t modulus2 = 2147483399, multiplier2 = 40692, quotient2 = 52774, remainder2 = 3791;
constexpr int tableSize = 32;
constexpr int32_t slotDivisor = 1 + (modulus1 - 1) / tableSize;
constexpr double unitScale = 4.656613057391769e-10;  // 1 / modulus1

// A first state of 0 or below asks for the warm-up on the next draw.
struct UniformState {
    int32_t seed1 = 1234512345;
    int32_t seed2 = 123456789;
    int32_t lastOutput = 0;
    int32_t table[tableSize] = {};
};

struct NormalSpare {
    bool ready = false;
    double v = 0, factor = 0;
};

UniformState uniformState;
NormalSpare normalSpare;
uint32_t state15 = 1;

int32_t schrageStep(int32_t s, int32_t a, int32_t q, int32_t r, int32_t m) {
    const int32_t k = s / q;
    s = a * (s - k * q) - k * r;
    return s < 0 ? s + m : s;
}

int32_t step1(int32_t s) { return schrageStep(s, multiplier1, quotient1, remainder1, modulus1); }
int32_t step2(int32_t s) { return schrageStep(s, multiplier2, quotient2, remainder2, modulus2); }

// s a^2 mod m: two steps at once. For 0 <= s < 2^31 Schrage's step is
// s a mod m exactly, so this is the state two steps on.
constexpr uint64_t square1 = uint64_t(multiplier1) * multiplier1 % modulus1;
constexpr uint64_t square2 = uint64_t(multiplier2) * multiplier2 % modulus2;
int32_t twoSteps1(int32_t s) { return int32_t(uint64_t(s) * square1 % modulus1); }
int32_t twoSteps2(int32_t s) { return int32_t(uint64_t(s) * square2 % modulus2); }

// The state in local variables while values are drawn, so that the
// compiler keeps it in registers; written back by `save`. Each generator
// also keeps its next state, computed two steps ahead, so that the steps
// of consecutive draws do not wait for each other.
class Drawer {
  public:
    Drawer() : s1_(uniformState.seed1), s2_(uniformState.seed2), last_(uniformState.lastOutput) {
        std::memcpy(table_, uniformState.table, sizeof table_);
        lookAhead();
    }
    void save() const {
        uniformState.seed1 = s1_;
        uniformState.seed2 = s2_;
        uniformState.lastOutput = last_;
        std::memcpy(uniformState.table, table_, sizeof table_);
    }

    double uniform(double cap) {
        if (s1_ <= 0) warmUp();
        const int32_t after1 = twoSteps1(s1_), after2 = twoSteps2(s2_);
        s1_ = next1_;
        s2_ = next2_;
        next1_ = after1;
        next2_ = after2;
        const uint32_t j = uint32_t(last_) / slotDivisor;  // last_ >= 0 here
        last_ = table_[j] - s2_;
        table_[j] = s1_;
        if (last_ < 1) last_ += modulus1 - 1;
        const double u = unitScale * last_;
        return u > cap ? cap : u;
    }

    // Polar method; the second deviate of a pair waits in `spare`.
    double normal(NormalSpare& spare, double cap) {
        if (spare.ready) {
            spare.ready = false;
            return spare.v * spare.factor;
        }
        double a, b, s;
        do {
            a = 2 * uniform(cap) - 1;
            b = 2 * uniform(cap) - 1;
            s = a * a + b * b;
        } while (!(s < 1 && s > 1e-5));
        const double factor = std::sqrt(-2 * std::log(s) / s);
        spare = {true, b, factor};
        return a * factor;
    }

  private:
    void lookAhead() {
        next1_ = s1_ > 0 ? step1(s1_) : 0;
        next2_ = step2(s2_);
    }

    void warmUp() {
        s1_ = -s1_ < 1 ? 1 : -s1_;
        s2_ = s1_;
        for (int j = tableSize + 7; j >= 0; j--) {
            s1_ = step1(s1_);
            if (j < tableSize) table_[j] = s1_;
        }
        last_ = table_[0];
        lookAhead();
    }

    int32_t s1_, s2_, last_;
    int32_t next1_ = 0, next2_ = 0;
    int32_t table_[tableSize];
};

}  // namespace

double uniformRandom(double cap) {
    double u;
    fillUniform(&u, 1, cap);
    return u;
}

double normalRandom(double cap) {
    double z;
    fillNormal(&z, 1, cap);
    return z;
}

void fillUniform(double* out, int64_t n, double cap) {
    Drawer g;
    for (int64_t i = 0; i < n; i++) out[i] = g.uniform(cap);
    g.save();
}

void fillNormal(double* out, int64_t n, double cap) {
    Drawer g;
    NormalSpare spare = normalSpare;
    for (int64_t i = 0; i < n; i++) out[i] = g.normal(spare, cap);
    g.save();
    normalSpare = spare;
}

// The fraction of ln(|x| + 1) chooses the state; NaN and infinite x give
// the fraction 0.
void seedRandom(double x) {
    const double s = std::log(std::fabs(x) + 1);
    double fraction = s - std::floor(s);
    if (!std::isfinite(fraction)) fraction = 0;
    uniformState.seed1 = -static_cast<int32_t>(fraction * 2147483647.0);
    normalSpare.ready = false;
}

int nextRandom15() {
    state15 = state15 * 214013u + 2531011u;
    return static_cast<int>((state15 >> 16) & 0x7fff);
}

}  // namespace kalix
