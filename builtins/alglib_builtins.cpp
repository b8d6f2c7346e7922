// Builtins that hand their work to ALGLIB's linear algebra: eigenvalues and
// eigenvectors of a general real matrix, and dense linear solves with a
// condition estimate.
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "base/threads.h"
#include "builtins/alglib_library.h"
#include "builtins/builtin_helpers.h"
#include "builtins/matrix_values.h"
#include "interpreter/builtin_table.h"
#include "interpreter/error_codes.h"
#include "interpreter/output.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"
#include "platform/host.h"

namespace kalix {

namespace {

// A real flag: nonzero or NaN means yes.
bool flagSet(header* flag) { return realOf(flag) != 0; }

// --- runs that may take minutes ------------------------------------------------

// ALGLIB's eigensolver and dense solver cannot be stopped inside: for large
// matrices they run on a thread of their own while the computation thread
// waits and asks for Escape. On Escape the builtin reports the
// interruption and returns; the run goes on to its end unseen, owning all
// it touches, and its result is dropped. The program's end waits for such
// runs, so that ALGLIB's static objects outlive them.
struct BackgroundRuns {
    std::mutex lock;                  // guards `running`
    std::condition_variable changed;  // signalled when a run ends
    int running = 0;                  // runs not yet ended (any thread, under `lock`)
};

// Never destroyed: runs may end while the program shuts down.
BackgroundRuns& backgroundRuns() {
    static BackgroundRuns* runs = new BackgroundRuns;
    return *runs;
}

void waitForBackgroundRuns() {
    BackgroundRuns& runs = backgroundRuns();
    std::unique_lock<std::mutex> hold(runs.lock);
    runs.changed.wait(hold, [&] { return runs.running == 0; });
}

// Runs `work` to its end, on a thread of its own when it is `long`; false
// after Escape (reported), when `work` and what it captured are left to
// that thread.
bool runStoppable(std::function<void()> work, bool longRun) {
    if (!longRun) {
        work();
        return true;
    }
    struct Run {
        std::function<void()> work;  // called on the run's thread only
        bool done = false;           // under the lock of backgroundRuns()
    };
    auto run = std::make_shared<Run>();
    run->work = std::move(work);
    BackgroundRuns& runs = backgroundRuns();
    // Registered after ALGLIB's module was opened: it runs before the
    // module's static objects are destroyed.
    static const bool registered = std::atexit(waitForBackgroundRuns) == 0;
    (void)registered;
    {
        std::lock_guard<std::mutex> hold(runs.lock);
        runs.running++;
    }
    const bool started = startDetachedThread([run, &runs] {
        run->work();
        std::lock_guard<std::mutex> hold(runs.lock);
        run->done = true;
        runs.running--;
        runs.changed.notify_all();
    });
    if (!started) {
        {
            std::lock_guard<std::mutex> hold(runs.lock);
            runs.running--;
        }
        run->work();  // no thread to be had: here
        return true;
    }
    std::unique_lock<std::mutex> hold(runs.lock);
    for (;;) {
        hold.unlock();
        const bool stop = checkEscape() != 0;
        hold.lock();
        if (run->done) return true;
        if (stop) {
            hold.unlock();
            reportInterrupted();
            return false;
        }
        runs.changed.wait_for(hold, std::chrono::milliseconds(50));
    }
}

// From this order on a solve takes long enough (tens of milliseconds and
// more, minutes at a few thousand) to run apart.
constexpr int longEigenOrder = 200;
constexpr int longSolveOrder = 500;

// --- aleigen -----------------------------------------------------------------

// Column k of the eigenvectors: a complex pair k, k+1 (wi[k] != 0) shares
// the columns re + i im and re - i im. vr is row-major n x n.
void copyEigenvectors(const double* wi, const double* vr, int n, double* out) {
    for (int j = 0; j < n; j++) {
        double* row = out + 2 * int64_t(j) * n;
        const double* v = vr + int64_t(j) * n;
        for (int k = 0; k < n;) {
            if (wi[k] != 0 && k + 1 < n) {
                row[2 * k] = row[2 * k + 2] = v[k];
                row[2 * k + 1] = v[k + 1];
                row[2 * k + 3] = -v[k + 1];
                k += 2;
            } else {
                row[2 * k] = v[k];
                row[2 * k + 1] = 0;
                k += 1;
            }
        }
    }
}

// aleigen(a, flag)
constexpr Signature aleigenSignature = {
    "aleigen", "real matrix and flag", {{takesRealMatrix}, {takesReal}}};

void builtinAleigen(header* first) {
    const Arguments arguments(first, aleigenSignature);
    if (!arguments) return;
    const MatrixValue a = arguments.matrix(0);
    if (a.rows != a.columns || a.rows < 1) {
        arguments.need("real symmetric matrix");
        return;
    }
    const int n = a.rows;
    const bool vectors = flagSet(arguments[1]);
    const AlglibFunctions* alglib = alglibFunctions();
    if (!alglib) return;
    // Everything the solve touches is its own: it may outlive this call.
    struct Eigen {
        std::vector<double> a, wr, wi, vr;
        bool converged = false, ok = false;
    };
    auto job = std::make_shared<Eigen>();
    job->a.assign(a.data, a.data + int64_t(n) * n);
    job->wr.resize(n);
    job->wi.resize(n);
    job->vr.resize(vectors ? size_t(n) * n : 0);
    const bool ended = runStoppable(
        [job, alglib, n, vectors] {
            Eigen& e = *job;
            e.ok = alglib->eigen(e.a.data(), n, vectors, e.wr.data(), e.wi.data(), e.vr.data(),
                                 &e.converged);
        },
        n >= longEigenOrder);
    if (!ended) return;
    if (!job->ok) {
        fail(errorFailed, "AlgLib solver aleigen returned an error!\n");
        return;
    }
    const std::vector<double>&wr = job->wr, &wi = job->wi, &vr = job->vr;
    const bool converged = job->converged;
    header* eigenvalues = pushComplexMatrix(1, n);
    if (!eigenvalues) return;
    double* e = matrixData(eigenvalues);
    for (int k = 0; k < n; k++) {
        e[2 * k] = wr[k];
        e[2 * k + 1] = wi[k];
    }
    if (!pushReal(converged ? 1 : 0)) return;
    if (vectors) {
        header* v = pushComplexMatrix(n, n);
        if (!v) return;
        copyEigenvectors(wi.data(), vr.data(), n, matrixData(v));
    }
    moveResults(first, eigenvalues);
}

// --- alsolve -----------------------------------------------------------------------

// alsolve(a, b, flag)
constexpr Signature alsolveSignature = {"alsolve",
                                        "real square matrix, column vector, accuracy flag",
                                        {{takesRealMatrix}, {takesRealMatrix}, {takesReal}}};

void builtinAlsolve(header* first) {
    const Arguments arguments(first, alsolveSignature);
    if (!arguments) return;
    const MatrixValue a = arguments.matrix(0), b = arguments.matrix(1);
    const int n = a.rows, m = b.columns;
    if (n < 1 || a.columns != n || b.rows != n || m < 1) {
        fail(errorFailed, "Need nxn matrix and nxm vector in alsolve, got %dx%d and %dx%d.\n",
             a.rows, a.columns, b.rows, b.columns);
        return;
    }
    const bool refine = flagSet(arguments[2]);
    const AlglibFunctions* alglib = alglibFunctions();
    if (!alglib) return;
    // Everything the solve touches is its own: it may outlive this call.
    struct Solve {
        std::vector<double> a, b, x;
        int64_t info = 0;
        double r1 = 0;
        bool ok = false;
    };
    auto job = std::make_shared<Solve>();
    job->a.assign(a.data, a.data + int64_t(n) * n);
    job->b.assign(b.data, b.data + int64_t(n) * m);
    job->x.resize(size_t(n) * m);
    const bool ended = runStoppable(
        [job, alglib, n, m, refine] {
            Solve& s = *job;
            s.ok = alglib->solve(s.a.data(), n, s.b.data(), m, refine, s.x.data(), &s.info, &s.r1);
        },
        n >= longSolveOrder);
    if (!ended) return;
    if (!job->ok) {
        fail(errorFailed, "AlgLib solver alsolve returned an error!\n");
        return;
    }
    header* x = pushRealMatrix(n, m);
    if (!x) return;
    std::copy(job->x.begin(), job->x.end(), matrixData(x));
    const int64_t info = job->info;
    const double r1 = job->r1;
    if (!pushReal(double(info)) || !pushReal(r1)) return;
    moveResults(first, x);
}

}  // namespace

static const BuiltinRecord rows[] = {
    {"aleigen", 2, 0, builtinAleigen},
    {"alsolve", 3, 0, builtinAlsolve},
};
KALIX_BUILTIN_FAMILY(alglibBuiltins, rows);

}  // namespace kalix
