#include "engines/maxima_help.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "base/file_reading.h"
#include "base/settings.h"
#include "base/text.h"
#include "graphics/zlib_library.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "platform/host.h"

namespace kalix {

std::vector<MaximaFunctionEntry> maximaFunctionList;

namespace {

constexpr size_t lineLimit = 32766;
constexpr size_t topicLimit = 255;
constexpr size_t matchLimit = 256;
constexpr size_t namesLimit = 32765;
constexpr int infoFileCount = 12;

// The lines of a text file, line ends removed (also a "\r"), each cut to
// the line limit.
std::vector<std::string> readLines(const char* path) {
    std::vector<std::string> lines;
    readFileLines(path, lines);
    for (std::string& line : lines)
        if (line.size() > lineLimit) line.resize(lineLimit);
    return lines;
}

// A line of an info file (compressed or not) in the program's code page;
// false at the end of the file.
bool readInfoLine(gzFile file, std::string* line) {
    static char buffer[lineLimit + 2];
    line->clear();
    bool any = false;
    while (zlibLibrary()->gzGets(file, buffer, sizeof buffer)) {
        any = true;
        line->append(buffer);
        if (!line->empty() && line->back() == '\n') break;
    }
    if (!any) return false;
    while (!line->empty() && (line->back() == '\n' || line->back() == '\r')) line->pop_back();
    if (line->size() > lineLimit) line->resize(lineLimit);
    std::string converted;
    utf8ToCodePage(line->c_str(), converted);
    line->swap(converted);
    return true;
}

bool isDefinitionLine(const std::string& line) { return line.compare(0, 4, " -- ") == 0; }

// The topic stands in the definition line as a word of its own.
bool definesTopic(const std::string& line, const std::string& topic) {
    for (size_t at = line.find(topic); at != std::string::npos; at = line.find(topic, at + 1)) {
        size_t end = at + topic.size();
        if (at > 0 && line[at - 1] == ' ' && (end == line.size() || line[end] == ' ')) return true;
    }
    return false;
}

// Prints the definition blocks of the topic in one info file.
void printDefinitions(gzFile file, const std::string& topic) {
    std::string line;
    bool pending = readInfoLine(file, &line);
    while (pending) {
        if (!isDefinitionLine(line) || !definesTopic(line, topic)) {
            pending = readInfoLine(file, &line);
            continue;
        }
        printText((line + "\n\n").c_str());
        if (!readInfoLine(file, &line)) return;
        printText((line + "\n\n").c_str());
        for (;;) {
            pending = readInfoLine(file, &line);
            if (!pending || isDefinitionLine(line)) break;
            if (!line.empty() && line[0] != ' ' && line[0] != '\t') break;
            printText((line + "\n").c_str());
        }
    }
}

gzFile openInfoFile(const std::string& directory, int number) {
    std::string path = directory + "/maxima.info-" + std::to_string(number);
    const ZlibLibrary* zlib = zlibLibrary();
    if (!zlib) return nullptr;
    gzFile file = zlib->gzOpen(path.c_str(), "rb");
    if (!file) file = zlib->gzOpen((path + ".gz").c_str(), "rb");
    return file;
}

bool hasInfoFile(const std::string& directory) {
    gzFile file = openInfoFile(directory, 1);
    if (file) zlibLibrary()->gzClose(file);
    return file != nullptr;
}

// The topic after the command: quoted, or up to a blank or ";".
std::string readTopic() {
    skipBlanks();
    std::string topic;
    if (*scanPointer == '"') {
        const char* end = std::strchr(scanPointer + 1, '"');
        size_t n = end ? size_t(end - scanPointer - 1) : std::strlen(scanPointer + 1);
        topic.assign(scanPointer + 1, n);
        scanPointer += n + 1 + (end ? 1 : 0);
    } else {
        size_t n = std::strcspn(scanPointer, " ;");
        topic.assign(scanPointer, n);
        scanPointer += n;
    }
    if (topic.size() > topicLimit) topic.resize(topicLimit);
    return topic;
}

}  // namespace

void loadMaximaFunctionList(const char* path) {
    maximaFunctionList.clear();
    for (const std::string& line : readLines(path)) {
        if (line.empty()) continue;
        maximaFunctionList.push_back({line, line.substr(0, line.find(' '))});
    }
}

namespace {

std::string laterPath;  // written once at start, before the readers run
std::once_flag readLater;

}  // namespace

void loadMaximaFunctionListLater(const char* path) { laterPath = path; }

const std::vector<MaximaFunctionEntry>& maximaFunctions() {
    if (!laterPath.empty())
        std::call_once(readLater, [] { loadMaximaFunctionList(laterPath.c_str()); });
    return maximaFunctionList;
}

std::vector<std::string> loadMaximaStartupList(const char* path) {
    std::vector<std::string> commands;
    for (const std::string& line : readLines(path))
        if (line.find_first_not_of(" \t") != std::string::npos) commands.push_back(line);
    return commands;
}

int matchMaximaFunctions(const char* word, std::string* completion, std::string* help, int index) {
    completion->clear();
    help->clear();
    std::string w = word;
    if (w.empty()) return 0;
    if (w.back() == '(') {
        w.pop_back();
        for (const MaximaFunctionEntry& e : maximaFunctions())
            if (e.name == w) {
                *help = e.help;
                break;
            }
        return 0;
    }
    struct Match {
        const MaximaFunctionEntry* entry;
        int count;
    };
    std::vector<Match> matches;
    for (const MaximaFunctionEntry& e : maximaFunctions()) {
        if (e.name.compare(0, w.size(), w) != 0) continue;
        if (!matches.empty() && matches.back().entry->name == e.name) {
            Match& m = matches.back();
            if (++m.count <= index) m.entry = &e;
        } else if (matches.size() < matchLimit) {
            matches.push_back({&e, 0});
        }
    }
    if (matches.empty()) return 0;
    if (matches.size() == 1) {
        const Match& m = matches[0];
        *completion = m.entry->name;
        *help = m.entry->help;
        if (m.count > 0) *help += " ... and " + std::to_string(m.count) + " more (press ins)";
        return m.count;
    }
    std::stable_sort(matches.begin(), matches.end(), [](const Match& a, const Match& b) {
        return a.entry->name.size() < b.entry->name.size();
    });
    for (const Match& m : matches) {
        if (completion->size() + m.entry->name.size() + 1 > namesLimit) break;
        *completion += m.entry->name + " ";
    }
    *help = *completion;
    return 0;
}

std::vector<std::string> maximaInfoDirectories() {
    std::string callDirectory = textSetting("maximacalldir");
    if (!callDirectory.empty()) return {callDirectory + "/info"};
    std::vector<std::string> directories = {std::string(getProgramDir()) + "/info"};
    // Beside the Maxima found on PATH: <prefix>/bin/maxima, <prefix>/share/info.
    const char* path = std::getenv("PATH");
    std::string list = path ? path : "";
    for (size_t start = 0; start <= list.size();) {
        size_t end = list.find(':', start);
        if (end == std::string::npos) end = list.size();
        std::string program = list.substr(start, end - start) + "/maxima";
        char real[PATH_MAX];
        if (access(program.c_str(), X_OK) == 0 && realpath(program.c_str(), real)) {
            std::string bin = real;
            bin.erase(bin.rfind('/'));
            directories.push_back(bin.substr(0, bin.rfind('/')) + "/share/info");
        }
        start = end + 1;
    }
    directories.push_back("/usr/share/info");
    return directories;
}

bool readMaximaInfoFile(int number, std::vector<std::string>& lines) {
    lines.clear();
    std::vector<std::string> directories = maximaInfoDirectories();
    auto found = std::find_if(directories.begin(), directories.end(), hasInfoFile);
    if (found == directories.end()) return false;
    gzFile file = openInfoFile(*found, number);
    if (!file) return false;
    std::string line;
    while (readInfoLine(file, &line)) lines.push_back(line);
    zlibLibrary()->gzClose(file);
    return true;
}

void maximaHelpCommand() {
    std::string topic = readTopic();
    if (topic.empty()) {
        printText("Need a topic in mxmhelp!\n");
        return;
    }
    std::vector<std::string> directories = maximaInfoDirectories();
    auto found = std::find_if(directories.begin(), directories.end(), hasInfoFile);
    if (found == directories.end()) {
        fail(errorFailed, "Could not open the info file\n");
        return;
    }
    for (int number = 1; number <= infoFileCount; number++) {
        gzFile file = openInfoFile(*found, number);
        if (!file) break;
        printDefinitions(file, topic);
        zlibLibrary()->gzClose(file);
        if (checkEscape()) break;
    }
}

}  // namespace kalix
