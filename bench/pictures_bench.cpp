// Times inserting a plot of 10^5 segments into a notebook as a picture
// (rendered anti-aliased, reduced, kept as PNG and placed in 35 rows).
// Prints milliseconds, the best of `runs` runs.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "graphics/graphics_store.h"
#include "gui/qt_pixels.h"
#include "notebook/notebook_pictures.h"

int main(int argc, char** argv) {
    using namespace kalix;
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    installQtPixelBackend();
    constexpr int segments = 100000;
    std::vector<Point> points(segments + 1);
    for (int i = 0; i <= segments; i++) {
        const double t = double(i) / segments;
        points[size_t(i)] = Point{40 + 944 * t, 512 - 400 * std::sin(40 * t) * std::exp(-2 * t)};
    }
    emitClear();
    emitPolyline(points.data(), int(points.size()), 1, 1, 1);
    // A window of about 1000 pixels' text width: a picture of up to 800
    // pixels wide, drawn at three times that.
    FixedMetrics metrics;
    metrics.fullLineWidth = 1000;
    NotebookEditor editor(nullptr, &metrics);
    double best = 1e30;
    int rows = 0;
    for (int run = 0; run < runs; run++) {
        const auto start = std::chrono::steady_clock::now();
        insertGraphicsPicture(editor, 35, "", 1, 0, 1, 0, 1);
        const double ms =
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count();
        if (ms < best) best = ms;
    }
    const NotebookPicture* picture = nullptr;
    for (NotebookLine* line = editor.document().getFirstLine(); line; line = line->next) {
        rows += line->image != nullptr;
        if (line->image) picture = line->image.get();
    }
    std::printf("%.1f\n", best);
    // With a file name the last picture is written there, to look at.
    if (argc > 2 && picture) picture->writePng(argv[2]);
    if (picture)
        std::fprintf(stderr, "%d x %d in %d rows\n", picture->getWidth(), picture->getHeight(),
                     rows / runs);
    return rows > 0 ? 0 : 1;
}
