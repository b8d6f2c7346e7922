// LaTeX formulas into PNG files through latex and dvipng.
#include "platform/latex_render.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

#include "base/file_reading.h"
#include "base/settings.h"
#include "platform/child_process.h"
#include "platform/host.h"
#include "platform/processes.h"

namespace kalix {

namespace {

std::string withSlash(std::string directory) {
    if (!directory.empty() && directory.back() != '/') directory += '/';
    return directory;
}

bool fileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

// The format with its first "%s" replaced by `a` and its second by `b`.
std::string formatted(const char* format, const std::string& a, const std::string& b = "") {
    std::string out;
    int used = 0;
    for (const char* p = format; *p; p++) {
        if (p[0] == '%' && p[1] == 's') {
            out += used++ == 0 ? a : b;
            p++;
        } else {
            out += *p;
        }
    }
    return out;
}

// A unique base name for the work files of one call.
std::string workBase() {
    static std::atomic<unsigned> counter{0};
    char name[64];
    std::snprintf(name, sizeof name, "kalixtemp%ld_%u", long(getpid()), ++counter);
    return name;
}

enum class WaitEnd { ended, stopped, gaveUp };

void endChild(pid_t child) {
    kill(-child, SIGTERM);
    kill(child, SIGTERM);
    int status;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {}
}

// Waits for the child; after `firstWait` ms (negative: never) asks whether
// to wait on. The exit status goes to `*status`.
WaitEnd waitForChild(pid_t child, int firstWait, const LatexStop& stop,
                     const LatexKeepWaiting& keepWaiting, const char* question, int* status) {
    int pidfd = int(syscall(SYS_pidfd_open, child, 0));
    auto start = std::chrono::steady_clock::now();
    bool asked = false;
    WaitEnd end = WaitEnd::ended;
    for (;;) {
        pid_t done = waitpid(child, status, WNOHANG);
        if (done == child) break;
        if (done < 0 && errno != EINTR) {
            *status = 0;
            break;
        }
        if (stop && stop()) {
            endChild(child);
            end = WaitEnd::stopped;
            break;
        }
        if (!asked && firstWait >= 0 &&
            std::chrono::steady_clock::now() - start > std::chrono::milliseconds(firstWait)) {
            asked = true;
            if (!keepWaiting || !keepWaiting(question)) {
                endChild(child);
                end = WaitEnd::gaveUp;
                break;
            }
        }
        if (pidfd >= 0) {
            pollfd watch{pidfd, POLLIN, 0};
            poll(&watch, 1, 20);
        } else {
            usleep(2000);
        }
    }
    if (pidfd >= 0) close(pidfd);
    return end;
}

// Copies "kalpng.sty" of the current directory into the work directory
// (a new file renamed into place, so that parallel calls never see half).
bool copyKalpng(const std::string& directory) {
    if (!fileExists("kalpng.sty")) return false;
    static std::mutex copying;
    std::lock_guard<std::mutex> guard(copying);
    std::string target = directory + "kalpng.sty";
    std::string partial = target + ".partial";
    if (!copyFile("kalpng.sty", partial.c_str(), 0)) return false;
    return std::rename(partial.c_str(), target.c_str()) == 0;
}

std::string colourArgument(const LatexColour& c) {
    char text[96];
    std::snprintf(text, sizeof text, "rgb %g %g %g", c.red / 255.0, c.green / 255.0,
                  c.blue / 255.0);
    return text;
}

}  // namespace

void noteDeclinedWait(const LatexResult& result) {
    if (result.waitDeclined) writeIntSetting("latexsilent", 0);
}

LatexOptions latexOptionsFromSettings() {
    LatexOptions options;
    const char* directory = textSetting("latexdir");
    options.workDirectory = withSlash(directory && *directory ? directory : getUserWorkDir());
    const char* bin = textSetting("latexbin");
    options.programDirectory = bin ? bin : "";
    options.silent = intSetting("latexsilent");
    options.larger = intSetting("latexlarger");
    options.ams = intSetting("latexams");
    options.antialias = intSetting("latexantialias");
    options.cleanup = intSetting("latexcleanup");
    return options;
}

std::string latexDocument(const std::string& formula, const LatexOptions& options,
                          bool withKalpng) {
    std::string document =
        options.larger ? "\\documentclass[12pt]{article}\n" : "\\documentclass[11pt]{article}\n";
    if (options.ams) document += "\\usepackage{amsmath}\n\\usepackage{amsfonts}\n";
    if (withKalpng) document += "\\usepackage{kalpng}\n";
    document += "\\thispagestyle{empty}\n\\begin{document}\n";
    size_t start = formula.find_first_not_of(' ');
    std::string text = start == std::string::npos ? std::string() : formula.substr(start);
    bool environment = startsWith(text, "\\begin{align*}") ||
                       startsWith(text, "\\begin{multline*}") ||
                       startsWith(text, "\\begin{gather*}");
    if (environment)
        document += text + "\n";
    else
        document += "\\[\n" + text + "\n\\]\n";
    document += "\\end{document}\n";
    return document;
}

int latexResolution(const LatexRequest& request, const LatexOptions& options) {
    int resolution = options.antialias ? 300 : 100;
    if (request.scaleWithFont)
        resolution = int(std::lround(double(request.fontSize) * resolution / 16.0));
    return resolution < 1 ? 1 : resolution;
}

std::vector<std::string> dvipngArguments(const LatexRequest& request, const LatexOptions& options,
                                         const std::string& png) {
    std::vector<std::string> words = {
        "-o", png, "-D", std::to_string(latexResolution(request, options)), "-T", "tight"};
    words.push_back("-bg");
    words.push_back(request.transparent ? "Transparent" : colourArgument(request.background));
    if (request.hasForeground) {
        words.push_back("-fg");
        words.push_back(colourArgument(request.foreground));
    }
    return words;
}

std::string latexLogError(const std::string& log) {
    std::istringstream in(log);
    std::string line, error;
    bool inError = false;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!inError) {
            if (startsWith(line, "! ")) {
                inError = true;
                error = line + "\n";
            }
            continue;
        }
        if (line.size() < 3) break;
        error += line + "\n";
    }
    return error;
}

LatexResult renderLatexToPng(const LatexRequest& request, const LatexOptions& options,
                             const LatexStop& stop, const LatexKeepWaiting& keepWaiting) {
    LatexResult result;
    const std::string directory = withSlash(options.workDirectory);
    const std::string base = workBase();
    const std::string tex = directory + base + ".tex", log = directory + base + ".log",
                      aux = directory + base + ".aux", dvi = directory + base + ".dvi",
                      png = directory + base + ".png";

    {
        std::ofstream file(tex, std::ios::binary | std::ios::trunc);
        if (!file) {
            result.message = "Could not open temporary file!\nSet the latex directory in the menu";
            return result;
        }
        file << latexDocument(request.formula, options, copyKalpng(directory));
        file.close();
        if (!file) {
            std::remove(tex.c_str());
            result.message = "Could not open temporary file!\nSet the latex directory in the menu";
            return result;
        }
    }
    auto cleanUp = [&](bool all) {
        if (!options.cleanup && !all) return std::string();
        for (const std::string* name : {&log, &aux, &dvi, &tex})
            if (fileExists(*name) && std::remove(name->c_str()) != 0) return *name;
        return std::string();
    };

    std::string latex = locateProgram(options.programDirectory.c_str(), "latex");
    if (latex.empty()) {
        cleanUp(true);
        result.message = "Latex could not be found.\nPlease configure Latex in the Menu!";
        result.latexMissing = 1;
        return result;
    }
    std::vector<std::string> words = {latex};
    if (options.silent) words.push_back("-interaction=nonstopmode");
    words.push_back(base + ".tex");
    pid_t child = 0;
    int failed = startChild(latex, words, childStreamNull,
                            options.silent ? childStreamNull : childStreamInherited, true,
                            directory.c_str(), &child);
    if (failed) {
        cleanUp(true);
        result.message = formatted("Could not start the Latex process!\nCommand Line was:\n%s\n%s",
                                   commandLineText(words), std::strerror(failed));
        return result;
    }
    int status = 0;
    WaitEnd end = waitForChild(
        child, options.firstWaitMilliseconds, stop, keepWaiting,
        "Waiting for Latex takes longer than expected.\nMaybe Latex has to install packages?\n"
        "Continue Waiting?",
        &status);
    if (end == WaitEnd::gaveUp) {
        cleanUp(true);
        result.waitDeclined = 1;
        result.message = formatted("Waiting for the Latex process failed!\n%s\nPlease retry.",
                                   commandLineText(words));
        return result;
    }
    std::string logText;
    if (end == WaitEnd::stopped || !readWholeFile(log.c_str(), logText)) {
        cleanUp(true);
        result.message = "Latex did not produce log file!\nMaybe setup Latex in the menu!";
        return result;
    }
    std::string error = latexLogError(logText);
    if (!error.empty() || !fileExists(dvi)) {
        cleanUp(false);
        result.formulaError = !error.empty();
        result.message = error.empty() ? "Latex did not produce log file!\nMaybe setup Latex in "
                                         "the menu!"
                                       : error;
        return result;
    }

    std::string dvipng = locateProgram(options.programDirectory.c_str(), "dvipng");
    if (dvipng.empty()) {
        cleanUp(false);
        result.message = "Program dvipng could not be found.\nPlease configure Latex in the Menu!";
        return result;
    }
    words = {dvipng};
    for (std::string& word : dvipngArguments(request, options, base + ".png"))
        words.push_back(word);
    words.push_back(base + ".dvi");
    failed = startChild(dvipng, words, childStreamNull, childStreamNull, true, directory.c_str(),
                        &child);
    if (failed) {
        cleanUp(false);
        result.message = formatted(
            "Could not start the dvipng process!\nSetup Latex in the menu!\nCommand Line "
            "was:\n%s\n%s",
            commandLineText(words), std::strerror(failed));
        return result;
    }
    end = waitForChild(child, -1, stop, keepWaiting, "", &status);
    std::string stuck = cleanUp(false);
    if (end != WaitEnd::ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        !fileExists(png)) {
        std::remove(png.c_str());
        result.message = "Waiting for the dvipng process failed!";
        if (end == WaitEnd::ended) result.message = "Program dvipng did not produce the image!";
        return result;
    }
    if (!stuck.empty()) {
        result.message = "Could not remove\n" + stuck;
        return result;
    }
    result.png = png;
    return result;
}

}  // namespace kalix
