// Maxima's part of the help, read from the bridge's source once and kept.
#include "notebook/maxima_help.h"

#include <algorithm>
#include <memory>
#include <mutex>

#include "interpreter/state.h"
#include "notebook/help_database.h"
#include "notebook/help_writer.h"

namespace kalix {

namespace {

constexpr int infoFileLimit = 12;
constexpr int listedEntryLimit = 32;
constexpr int searchLinesPerDefinition = 20;

struct MaximaHelpData {
    std::vector<MaximaHelpFunction> functions;
    std::vector<std::vector<std::string>> infoFiles;  // in file order, up to the first missing
};

std::mutex loadLock;
MaximaHelpSource* installedSource = nullptr;
std::shared_ptr<const MaximaHelpData> loaded;

std::shared_ptr<const MaximaHelpData> helpData() {
    std::lock_guard<std::mutex> hold(loadLock);
    if (loaded) return loaded;
    auto data = std::make_shared<MaximaHelpData>();
    if (installedSource) {
        data->functions = installedSource->functionList();
        for (int number = 1; number <= infoFileLimit; number++) {
            std::vector<std::string> lines;
            if (!installedSource->infoFileLines(number, lines)) break;
            data->infoFiles.push_back(std::move(lines));
        }
    }
    loaded = data;
    return loaded;
}

bool isDefinitionLine(const std::string& line) { return line.compare(0, 4, " -- ") == 0; }

bool continuesDescription(const std::string& line) {
    return line.empty() || line[0] == ' ' || line[0] == '\t';
}

// The name stands in the line preceded by a blank and followed by a blank
// or the end of the line.
bool holdsWord(const std::string& line, const std::string& name) {
    for (size_t at = line.find(name); at != std::string::npos; at = line.find(name, at + 1)) {
        size_t end = at + name.size();
        if (at > 0 && line[at - 1] == ' ' && (end == line.size() || line[end] == ' ')) return true;
    }
    return false;
}

// The name a definition line defines: its signature after the first ":",
// blanks skipped, up to the next blank.
std::string definedName(const std::string& line) {
    size_t colon = line.find(':');
    if (colon == std::string::npos) return "";
    size_t start = line.find_first_not_of(' ', colon + 1);
    if (start == std::string::npos) return "";
    return line.substr(start, line.find(' ', start) - start);
}

std::string withoutLeadingBlanks(const std::string& line) {
    size_t start = line.find_first_not_of(" \t");
    return start == std::string::npos ? "" : line.substr(start);
}

}  // namespace

void setMaximaHelpSource(MaximaHelpSource* source) {
    std::lock_guard<std::mutex> hold(loadLock);
    installedSource = source;
    loaded.reset();
}

void preloadMaximaHelp() { helpData(); }

int printMaximaFunctionHelp(HelpWriter& out, const std::string& topic) {
    auto data = helpData();
    int printed = 0;
    size_t breakAt = lineLength > 10 ? size_t(lineLength - 10) : 0;
    for (const MaximaHelpFunction& f : data->functions) {
        if (f.name != topic) continue;
        size_t blank =
            f.help.size() < size_t(lineLength) ? std::string::npos : f.help.find(' ', breakAt);
        if (blank == std::string::npos) {
            out.line(f.help);
        } else {
            out.line(f.help.substr(0, blank));
            out.line(f.help.substr(blank + 1));
        }
        printed++;
    }
    if (printed) out.text("\nFor more information try: mxmhelp " + topic + "\n");
    return printed;
}

std::vector<std::string> maximaNamesStarting(const std::string& text) {
    auto data = helpData();
    std::vector<std::string> names;
    for (const MaximaHelpFunction& f : data->functions)
        if (f.name.compare(0, text.size(), text) == 0 &&
            std::find(names.begin(), names.end(), f.name) == names.end())
            names.push_back(f.name);
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() < b.size();
    });
    return names;
}

void writeMaximaDefinitions(HelpWriter& out, const std::string& name) {
    auto data = helpData();
    setCurrentHelpWord("&" + name);
    for (const std::vector<std::string>& lines : data->infoFiles) {
        size_t i = 0;
        while (i < lines.size() && !out.full()) {
            if (!isDefinitionLine(lines[i]) || !holdsWord(lines[i], name)) {
                i++;
                continue;
            }
            out.line(lines[i++]);
            if (i < lines.size()) out.line(lines[i++]);
            addHelpHistory(name, 1);
            while (i < lines.size() && !isDefinitionLine(lines[i]) &&
                   continuesDescription(lines[i]))
                out.line(lines[i++]);
        }
    }
}

void findMaximaHelp(HelpWriter& out, std::string text) {
    bool substring = !text.empty() && text[0] == '*';
    if (substring) text.erase(0, 1);
    if (text.empty()) return;
    if (text.back() == ' ' || text.back() == '(') {
        text.pop_back();
        writeMaximaDefinitions(out, text);
        return;
    }
    auto data = helpData();
    int matches = 0;
    const MaximaHelpFunction* only = nullptr;
    for (const MaximaHelpFunction& f : data->functions) {
        bool match = substring ? f.name.find(text) != std::string::npos
                               : f.name.compare(0, text.size(), text) == 0;
        if (!match) continue;
        if (++matches > listedEntryLimit) break;
        if (matches == 1) {
            setCurrentHelpWord("&" + f.name);
            only = &f;
        }
        out.line(f.help);
    }
    if (matches == 1) writeMaximaDefinitions(out, only->name);
}

void searchMaximaInfo(HelpWriter& out, const std::string& text) {
    auto data = helpData();
    for (const std::vector<std::string>& lines : data->infoFiles) {
        for (size_t i = 0; i < lines.size() && !out.full(); i++) {
            if (!isDefinitionLine(lines[i])) continue;
            std::string name = definedName(lines[i]);
            int written = 0;
            for (size_t j = i + 1;
                 j < lines.size() && !isDefinitionLine(lines[j]) && continuesDescription(lines[j]);
                 j++) {
                if (lines[j].find(text) == std::string::npos) continue;
                if (written == searchLinesPerDefinition) break;
                if (written++ == 0) out.line("&" + name + " :");
                out.line("  " + withoutLeadingBlanks(lines[j]));
            }
        }
    }
}

}  // namespace kalix
