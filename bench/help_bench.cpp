// Times the help: loading the help files, the answer of the help window
// after every keystroke of typed queries (with Maxima's info files, when
// installed, as its Maxima part), and loading and sorting the spell
// check's word lists. Prints "label<TAB>milliseconds" lines.
//
// Usage: help_bench RESOURCE_DIR [runs]
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "base/text.h"
#include "notebook/help.h"
#include "notebook/help_database.h"
#include "notebook/maxima_help.h"
#include "notebook/spell_check.h"

namespace kalix {

namespace {

double nowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

// Maxima's info files as Debian installs them (package maxima-doc); the
// function list is made from their definition lines, as large as the
// bridge's own list.
class InfoFileSource : public MaximaHelpSource {
  public:
    std::vector<MaximaHelpFunction> functionList() override {
        std::vector<MaximaHelpFunction> list;
        std::vector<std::string> lines;
        for (int n = 1; infoFileLines(n, lines); n++)
            for (const std::string& line : lines) {
                if (line.compare(0, 4, " -- ") != 0) continue;
                size_t colon = line.find(": ");
                if (colon == std::string::npos) continue;
                std::string signature = line.substr(colon + 2);
                list.push_back({signature.substr(0, signature.find(' ')), signature});
            }
        return list;
    }
    bool infoFileLines(int number, std::vector<std::string>& lines) override {
        std::string path = "/usr/share/info/maxima.info-" + std::to_string(number) + ".gz";
        gzFile file = gzopen(path.c_str(), "rb");
        if (!file) return false;
        lines.clear();
        std::string line;
        char buffer[65536];
        while (gzgets(file, buffer, sizeof buffer)) {
            line += buffer;
            if (line.back() != '\n') continue;
            line.pop_back();
            lines.push_back(line);
            line.clear();
        }
        gzclose(file);
        return true;
    }
};

// Milliseconds of the best of `runs` runs of the work.
template <typename Work>
double best(int runs, Work work) {
    double least = 1e300;
    for (int r = 0; r < runs; r++) {
        double start = nowMs();
        work();
        least = std::min(least, nowMs() - start);
    }
    return least;
}

// The answers after each keystroke of the queries: the slowest and the
// mean keystroke.
void typeQueries(const char* label, const std::vector<std::string>& queries, int runs) {
    double slowest = 0, total = 0;
    int keys = 0;
    for (const std::string& query : queries)
        for (size_t n = 1; n <= query.size(); n++) {
            double ms = best(runs, [&] { answerHelpQuery(query.substr(0, n)); });
            slowest = std::max(slowest, ms);
            total += ms;
            keys++;
        }
    std::printf("%s (slowest key)\t%.2f\n", label, slowest);
    std::printf("%s (mean key)\t%.2f\n", label, total / keys);
}

}  // namespace

}  // namespace kalix

int main(int argc, char** argv) {
    using namespace kalix;
    if (argc < 2) {
        std::fprintf(stderr, "usage: help_bench RESOURCE_DIR [runs]\n");
        return 2;
    }
    std::string resources = std::string(argv[1]) + "/";
    int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    selectCodePage(1252);

    std::printf("load help files\t%.2f\n", best(runs, [&] { loadHelpFiles(resources.c_str()); }));

    InfoFileSource info;
    setMaximaHelpSource(&info);
    double start = nowMs();
    preloadMaximaHelp();
    std::printf("read Maxima info files (once)\t%.2f\n", nowMs() - start);

    typeQueries("names", {"linspace", "plot", "sortx", "glistadd"}, runs);
    typeQueries("Maxima names", {"&integrate", "&diff", "&ratsimp "}, runs);
    typeQueries("full text", {"?matrix", "?derivative", "?interval"}, runs);

    WordListFiles english;
    english.language = {"/usr/share/dict/american-english"};
    std::printf("load and sort English words\t%.2f\n",
                best(runs, [&] { loadDictionary(english); }));
    WordListFiles both = english;
    both.language.push_back("/usr/share/dict/ngerman");
    std::printf("load and sort English and German words\t%.2f\n",
                best(runs, [&] { loadDictionary(both); }));
    setMaximaHelpSource(nullptr);
    return 0;
}
