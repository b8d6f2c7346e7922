// How long a paint waits for the "Graphics" lock while a large picture is
// exported: one thread saves a polyline of 10^6 points as SVG while another
// takes the lock again and again as the graphics window's paint does (hold
// it 1 ms, pause 4 ms). Prints, one "label<TAB>ms" a line, the longest wait
// of the painting thread over all runs, the same taken for as long with no
// export running (what the machine's scheduling alone costs), and the best
// time of the export.
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "base/threads.h"
#include "graphics/graphics_export.h"
#include "graphics/graphics_store.h"

namespace kalix {

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// A sine wave of 10^6 points across the picture, recorded as the plot does.
void recordPicture() {
    emitClear();
    const int n = 1000000;
    std::vector<Point> points(n);
    for (int i = 0; i < n; i++) {
        const double x = double(i) / (n - 1);
        points[size_t(i)] = Point{100 + 800 * x, 500 + 300 * std::sin(60 * x)};
    }
    emitPolyline(points.data(), n, ColorCode(1), lineSolid, 1);
}

struct Run {
    double exportMs = 0;
    double longestWaitMs = 0;
    int paints = 0;
};

// Takes the lock as a paint does until `running` is cleared; the longest
// wait and the number of paints go into `run`.
void paintWhile(const std::atomic<bool>& running, Run& run) {
    while (running.load()) {
        const Clock::time_point asked = Clock::now();
        {
            GraphicsLockHold hold("bench paint");
            const double waited = millisecondsBetween(asked, Clock::now());
            run.longestWaitMs = std::max(run.longestWaitMs, waited);
            run.paints++;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
    }
}

Run exportWhilePainting(const std::string& file) {
    std::atomic<bool> exporting{true};
    Run run;
    std::thread painter([&] { paintWhile(exporting, run); });
    // The painter is asking before the export starts.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    const Clock::time_point start = Clock::now();
    std::string written;
    const ExportResult result =
        saveSvgFile(file.c_str(), 1000, 750, false, pictureSettings(0, 0), nullptr, &written);
    run.exportMs = millisecondsBetween(start, Clock::now());
    exporting = false;
    painter.join();
    std::error_code error;
    const auto bytes = std::filesystem::file_size(file, error);
    if (result != ExportResult::written || error || bytes < 1000000) {
        std::fprintf(stderr, "the export failed or wrote too little\n");
        std::exit(1);
    }
    return run;
}

// The painter alone for `milliseconds`.
double longestWaitWithoutExport(double milliseconds) {
    std::atomic<bool> painting{true};
    Run run;
    std::thread painter([&] { paintWhile(painting, run); });
    std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(milliseconds));
    painting = false;
    painter.join();
    return run.longestWaitMs;
}

}  // namespace

}  // namespace kalix

int main(int argc, char** argv) {
    using namespace kalix;
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char folder[] = "/tmp/kalix-lock-bench-XXXXXX";
    if (!mkdtemp(folder)) return 1;
    const std::string file = std::string(folder) + "/picture.svg";
    recordPicture();
    double longest = 0, idle = 0, best = 1e300;
    for (int i = 0; i < runs; i++) {
        const Run run = exportWhilePainting(file);
        longest = std::max(longest, run.longestWaitMs);
        best = std::min(best, run.exportMs);
        idle = std::max(idle, longestWaitWithoutExport(run.exportMs + 20));
    }
    std::remove(file.c_str());
    rmdir(folder);
    std::printf("longest paint wait, SVG export of 10^6 points\t%.1f\n", longest);
    std::printf("longest paint wait, no export\t%.1f\n", idle);
    std::printf("SVG export of 10^6 points\t%.0f\n", best);
    return 0;
}
