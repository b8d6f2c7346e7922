// FFTW plans, cached by shape and layout. FFTW is opened at the first
// transform.
#include "numerics/fourier.h"

#include <fftw3.h>

#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "numerics/shared_library.h"

namespace kalix {

namespace {

struct FftwLibrary {
    decltype(&fftw_plan_dft_1d) plan_dft_1d;
    decltype(&fftw_plan_dft_r2c_1d) plan_dft_r2c_1d;
    decltype(&fftw_plan_dft_2d) plan_dft_2d;
    decltype(&fftw_plan_r2r_1d) plan_r2r_1d;
    decltype(&fftw_execute_dft) execute_dft;
    decltype(&fftw_execute_dft_r2c) execute_dft_r2c;
    decltype(&fftw_execute_r2r) execute_r2r;
    decltype(&fftw_destroy_plan) destroy_plan;
    decltype(&fftw_cleanup) cleanup;
    decltype(&fftw_alignment_of) alignment_of;
};

FftwLibrary fftw;  // written once, under `fftwOpened`
bool fftwLoaded = false;
std::once_flag fftwOpened;

bool openFftw() {
    std::call_once(fftwOpened, [] {
        std::string error;
        fftwLoaded = openSharedLibrary({"libfftw3.so.3"},
                                       {librarySymbol("fftw_plan_dft_1d", fftw.plan_dft_1d),
                                        librarySymbol("fftw_plan_dft_r2c_1d", fftw.plan_dft_r2c_1d),
                                        librarySymbol("fftw_plan_dft_2d", fftw.plan_dft_2d),
                                        librarySymbol("fftw_plan_r2r_1d", fftw.plan_r2r_1d),
                                        librarySymbol("fftw_execute_dft", fftw.execute_dft),
                                        librarySymbol("fftw_execute_dft_r2c", fftw.execute_dft_r2c),
                                        librarySymbol("fftw_execute_r2r", fftw.execute_r2r),
                                        librarySymbol("fftw_destroy_plan", fftw.destroy_plan),
                                        librarySymbol("fftw_cleanup", fftw.cleanup),
                                        librarySymbol("fftw_alignment_of", fftw.alignment_of)},
                                       error);
    });
    return fftwLoaded;
}

enum class PlanKind { complex1d, real1d, complex2d, hartley };

struct PlanKey {
    PlanKind kind;
    int rows, columns, sign;
    bool inPlace;
    int inAlignment, outAlignment;
    bool operator<(const PlanKey& o) const {
        return std::tie(kind, rows, columns, sign, inPlace, inAlignment, outAlignment) <
               std::tie(o.kind, o.rows, o.columns, o.sign, o.inPlace, o.inAlignment,
                        o.outAlignment);
    }
};

// A plan executes on other arrays only when they have the alignment and the
// in-place form of the arrays it was made for; those are part of the key.
// Plans are made with FFTW_ESTIMATE, which leaves the arrays untouched, so
// the caller's own arrays serve for planning.
class PlanCache {
  public:
    ~PlanCache() {
        for (auto& entry : plans) fftw.destroy_plan(entry.second);
        fftw.cleanup();
    }

    fftw_plan find(const PlanKey& key, double* in, double* out) {
        std::lock_guard<std::mutex> lock(mutex);
        auto it = plans.find(key);
        if (it != plans.end()) return it->second;
        fftw_plan plan = make(key, in, out);
        if (plan) plans[key] = plan;
        return plan;
    }

  private:
    static fftw_plan make(const PlanKey& k, double* in, double* out) {
        auto* cin = reinterpret_cast<fftw_complex*>(in);
        auto* cout = reinterpret_cast<fftw_complex*>(out);
        const int direction = k.sign > 0 ? FFTW_BACKWARD : FFTW_FORWARD;
        switch (k.kind) {
            case PlanKind::complex1d:
                return fftw.plan_dft_1d(k.columns, cin, cout, direction, FFTW_ESTIMATE);
            case PlanKind::real1d:
                return fftw.plan_dft_r2c_1d(k.columns, in, cout, FFTW_ESTIMATE);
            case PlanKind::complex2d:
                return fftw.plan_dft_2d(k.rows, k.columns, cin, cout, direction, FFTW_ESTIMATE);
            case PlanKind::hartley:
                return fftw.plan_r2r_1d(k.columns, in, out, FFTW_DHT, FFTW_ESTIMATE);
        }
        return nullptr;
    }

    std::mutex mutex;
    std::map<PlanKey, fftw_plan> plans;
};

PlanCache& planCache() {
    static PlanCache cache;
    return cache;
}

// Null when FFTW cannot be opened or makes no plan.
fftw_plan findPlan(PlanKind kind, int rows, int columns, int sign, const double* in, double* out) {
    if (!openFftw()) return nullptr;
    auto* input = const_cast<double*>(in);
    const PlanKey key{kind,
                      rows,
                      columns,
                      kind == PlanKind::real1d || kind == PlanKind::hartley ? 0 : sign,
                      input == out,
                      fftw.alignment_of(input),
                      fftw.alignment_of(out)};
    return planCache().find(key, input, out);
}

}  // namespace

bool fourierTransform(const double* in, double* out, int n, int sign) {
    if (n <= 0) return true;
    fftw_plan plan = findPlan(PlanKind::complex1d, 1, n, sign, in, out);
    if (!plan) return false;
    fftw.execute_dft(plan, reinterpret_cast<fftw_complex*>(const_cast<double*>(in)),
                     reinterpret_cast<fftw_complex*>(out));
    return true;
}

// FFTW's real transform gives the first n/2 + 1 values of the transform
// with the negative sign; the rest are their conjugates in reverse order,
// and the positive sign conjugates everything.
bool fourierTransformReal(const double* in, double* out, int n, int sign) {
    if (n <= 0) return true;
    fftw_plan plan = findPlan(PlanKind::real1d, 1, n, sign, in, out);
    if (!plan) return false;
    fftw.execute_dft_r2c(plan, const_cast<double*>(in), reinterpret_cast<fftw_complex*>(out));
    const int half = n / 2;
    if (sign > 0)
        for (int j = 0; j <= half; j++) out[2 * j + 1] = -out[2 * j + 1];
    for (int j = half + 1; j < n; j++) {
        out[2 * j] = out[2 * (n - j)];
        out[2 * j + 1] = -out[2 * (n - j) + 1];
    }
    return true;
}

bool fourierTransform2d(const double* in, double* out, int rows, int columns, int sign) {
    if (rows <= 0 || columns <= 0) return true;
    fftw_plan plan = findPlan(PlanKind::complex2d, rows, columns, sign, in, out);
    if (!plan) return false;
    fftw.execute_dft(plan, reinterpret_cast<fftw_complex*>(const_cast<double*>(in)),
                     reinterpret_cast<fftw_complex*>(out));
    return true;
}

bool hartleyTransform(double* data, int n) {
    if (n <= 0) return true;
    fftw_plan plan = findPlan(PlanKind::hartley, 1, n, 0, data, data);
    if (!plan) return false;
    fftw.execute_r2r(plan, data, data);
    return true;
}

}  // namespace kalix
