// Times saving, reading and exporting a large notebook: 20,000 lines of
// commands, output and comments with 100 pictures, saved and read back,
// then exported to HTML, LaTeX and Markdown. Prints milliseconds, the best
// of `runs` runs.
//
// With a notebook file instead of a number of runs it writes that
// notebook's HTML, Markdown and LaTeX exports beside it, for looking at.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "base/text.h"
#include "bench/fake_png.h"
#include "notebook/notebook_export.h"
#include "notebook/notebook_model.h"

namespace kalix {

namespace {

class BenchHost : public NotebookHost {
  public:
    NotebookOptions options() override { return NotebookOptions(); }
    void showMessage(const char* text) override { std::fprintf(stderr, "%s\n", text); }
};

double milliseconds(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// 20,000 lines: a comment line, a command and two output lines by turns;
// a picture of 15 rows after every 50th command.
void fill(NotebookEditor& editor) {
    NotebookLine* line = editor.document().getFirstLine();
    bool first = true;
    auto add = [&](const std::string& text, int kind) {
        if (!first) line = editor.newLineAfter(line, "", kind);
        first = false;
        line->text.assign(text.c_str());
        line->kind = kind;
    };
    int pictures = 0;
    for (int i = 0; editor.lineCount() < 20000; i++) {
        add("Step " + std::to_string(i) + ": the square root of i & its <size>.", lineComment);
        add(">x" + std::to_string(i) + " = sqrt(" + std::to_string(i) + ")", lineCommand);
        add("    " + std::to_string(i * 0.5) + "  result line", lineOutput);
        add("    " + std::to_string(i * 0.25) + "  second result line", lineOutput);
        if (i % 50 == 49 && pictures < 100) {
            auto picture = std::make_shared<NotebookPicture>(400, 300, fakePng(400, 300, 30000));
            for (int row = 0; row < 15; row++) {
                add("", lineOutput);
                line->image = picture;
                line->imageRow = row;
            }
            pictures++;
        }
    }
    add(">", lineCommand);
}

void timeRun(const std::string& folder, double times[5]) {
    BenchHost host;
    FixedMetrics metrics;
    NotebookEditor editor(&host, &metrics);
    fill(editor);
    std::string path = folder + "/bench.kn";
    auto start = std::chrono::steady_clock::now();
    if (!editor.writeNotebook(path.c_str())) std::fprintf(stderr, "save failed\n");
    times[0] = milliseconds(start);
    NotebookEditor reader(&host, &metrics);
    start = std::chrono::steady_clock::now();
    if (!reader.readNotebook(path.c_str())) std::fprintf(stderr, "load failed\n");
    times[1] = milliseconds(start);
    ExportOptions options;
    start = std::chrono::steady_clock::now();
    if (!exportHtml(reader, (folder + "/bench.html").c_str(), options))
        std::fprintf(stderr, "HTML failed\n");
    times[2] = milliseconds(start);
    start = std::chrono::steady_clock::now();
    std::string style = folder + "/";
    if (!exportLatex(reader, (folder + "/bench.tex").c_str(), options, style.c_str()))
        std::fprintf(stderr, "LaTeX failed\n");
    times[3] = milliseconds(start);
    start = std::chrono::steady_clock::now();
    if (!exportMarkdown(reader, (folder + "/bench.md").c_str(), options))
        std::fprintf(stderr, "Markdown failed\n");
    times[4] = milliseconds(start);
}

int exportAll(const char* notebook, const char* styleDirectory) {
    BenchHost host;
    FixedMetrics metrics;
    NotebookEditor editor(&host, &metrics);
    if (!editor.readNotebook(notebook)) return 1;
    std::string stem = notebook;
    stem = stem.substr(0, stem.rfind('.'));
    ExportOptions options;
    options.mathJaxAddress =
        "https://cdn.jsdelivr.net/npm/mathjax@2/MathJax.js?config=TeX-AMS-MML_HTMLorMML";
    if (const char* address = std::getenv("MATHJAX")) options.mathJaxAddress = address;
    int ok = exportHtml(editor, (stem + ".html").c_str(), options) &&
             exportMarkdown(editor, (stem + ".md").c_str(), options) &&
             exportLatex(editor, (stem + ".tex").c_str(), options, styleDirectory);
    return ok ? 0 : 1;
}

}  // namespace

}  // namespace kalix

int main(int argc, char** argv) {
    using namespace kalix;
    selectCodePage(1252);
    if (argc > 1 && std::strstr(argv[1], ".kn")) return exportAll(argv[1], argc > 2 ? argv[2] : "");
    int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    char pattern[] = "/tmp/kalix-exports-bench-XXXXXX";
    std::string folder = mkdtemp(pattern);
    std::FILE* style = std::fopen((folder + "/kalnb.sty").c_str(), "w");
    if (style) std::fclose(style);
    double best[5] = {1e300, 1e300, 1e300, 1e300, 1e300};
    for (int run = 0; run < runs; run++) {
        double times[5];
        timeRun(folder, times);
        for (int i = 0; i < 5; i++)
            if (times[i] < best[i]) best[i] = times[i];
    }
    std::filesystem::remove_all(folder);
    const char* labels[] = {"save 20,000 lines and 100 images", "load 20,000 lines and 100 images",
                            "export HTML", "export LaTeX", "export Markdown"};
    for (int i = 0; i < 5; i++) std::printf("%s\t%.1f\n", labels[i], best[i]);
    return 0;
}
