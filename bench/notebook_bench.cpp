// Times the notebook's hot paths: output inserted line by line, and saving
// and reading a large notebook with images. Prints milliseconds, the best
// of `runs` runs.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/text.h"
#include "bench/fake_png.h"
#include "notebook/notebook_model.h"

namespace kalix {

namespace {

class BenchHost : public NotebookHost {
  public:
    NotebookOptions options() override { return NotebookOptions(); }
};

double milliseconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double matrixOutput() {
    BenchHost host;
    FixedMetrics metrics;
    NotebookEditor editor(&host, &metrics);
    editor.makeNewPrompt();
    char row[256];
    auto start = std::chrono::steady_clock::now();
    editor.beginCommandOutput();
    for (int i = 0; i < 1000; i++) {
        int n = 0;
        for (int j = 0; j < 10; j++)
            n += std::snprintf(row + n, sizeof row - size_t(n), "%12.6f", (i * 10 + j) * 0.001);
        std::snprintf(row + n, sizeof row - size_t(n), "\n");
        editor.insertOutput(row);
    }
    return milliseconds(start);
}

double shortLines() {
    BenchHost host;
    FixedMetrics metrics;
    NotebookEditor editor(&host, &metrics);
    editor.makeNewPrompt();
    char line[32];
    auto start = std::chrono::steady_clock::now();
    editor.beginCommandOutput();
    for (int i = 0; i < 100000; i++) {
        std::snprintf(line, sizeof line, "x = %d\n", i);
        editor.insertOutput(line);
    }
    return milliseconds(start);
}

void saveAndLoad(const std::string& folder, double& save, double& load) {
    BenchHost host;
    FixedMetrics metrics;
    NotebookEditor editor(&host, &metrics);
    std::string text;
    for (int i = 0; i < 20000; i++) {
        if (i % 4 == 0)
            text += "x" + std::to_string(i) + " = sqrt(" + std::to_string(i) + ")\n";
        else
            text += "    " + std::to_string(i * 0.5) + "  result line\n";
    }
    editor.insertText(text.c_str());
    int pictures = 0, index = 0;
    for (NotebookLine* line = editor.document().getFirstLine(); line && pictures < 100;
         line = line->next) {
        if (index++ % 200 != 100) continue;
        line->image = std::make_shared<NotebookPicture>(400, 300, fakePng(400, 300, 30000));
        pictures++;
    }
    std::string path = folder + "/bench.kn";
    auto start = std::chrono::steady_clock::now();
    if (!editor.writeNotebook(path.c_str())) std::fprintf(stderr, "save failed\n");
    save = milliseconds(start);
    NotebookEditor reader(&host, &metrics);
    start = std::chrono::steady_clock::now();
    if (!reader.readNotebook(path.c_str())) std::fprintf(stderr, "load failed\n");
    load = milliseconds(start);
}

}  // namespace

}  // namespace kalix

int main(int argc, char** argv) {
    using namespace kalix;
    int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    selectCodePage(1252);
    char pattern[] = "/tmp/kalix-notebook-bench-XXXXXX";
    std::string folder = mkdtemp(pattern);
    double best[4] = {1e300, 1e300, 1e300, 1e300};
    for (int run = 0; run < runs; run++) {
        double times[4];
        times[0] = matrixOutput();
        times[1] = shortLines();
        saveAndLoad(folder, times[2], times[3]);
        for (int i = 0; i < 4; i++)
            if (times[i] < best[i]) best[i] = times[i];
    }
    std::filesystem::remove_all(folder);
    const char* labels[] = {"output of a 1000 x 10 matrix (1000 lines)", "10^5 short output lines",
                            "save 20,000 lines and 100 images", "load 20,000 lines and 100 images"};
    std::printf("%-44s %10s\n", "notebook", "ms");
    for (int i = 0; i < 4; i++) std::printf("%-44s %10.1f\n", labels[i], best[i]);
    return 0;
}
