// The help database and the help's state for the whole run.
#include "notebook/help_database.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "base/file_reading.h"
#include "base/text.h"
#include "notebook/notebook_model.h"

namespace kalix {

HelpDatabase helpDatabase;

bool readConvertedText(const char* path, std::string& text) {
    if (!readWholeFile(path, text)) return false;
    // One conversion for the whole text (a zero byte would end it early).
    bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return c > 0; });
    if (!ascii && text.find('\0') == std::string::npos) utf8ToCodePage(text.c_str(), text);
    return true;
}

bool readTextLines(const char* path, std::vector<std::string>& lines) {
    std::string text;
    if (!readConvertedText(path, text)) return false;
    lines.clear();
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) end = text.size();
        lines.emplace_back(text, start, end - start);
        start = end + 1;
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n') start++;
    }
    return true;
}

// --- the database ----------------------------------------------------------------

namespace {

// The folder of the help files to read at the first use; written once at
// start, before the threads that read the help run.
std::string laterDirectory;
std::once_flag readLater;

// Every entry point of the database reads the files named at start first,
// so the database is as if they had been read then.
void readFilesNamedAtStart() {
    if (laterDirectory.empty()) return;
    std::call_once(readLater, [] { HelpDatabase::readHelpFolder(laterDirectory.c_str()); });
}

}  // namespace

void HelpDatabase::clear() {
    readFilesNamedAtStart();
    clearEntries();
}

void HelpDatabase::clearEntries() {
    list.clear();
    byTopic.clear();
}

const std::deque<HelpEntry>& HelpDatabase::entries() const {
    readFilesNamedAtStart();
    return list;
}

int HelpDatabase::loadHelpFile(const char* path, int append) {
    readFilesNamedAtStart();
    return readHelpFile(path, append);
}

int HelpDatabase::readHelpFile(const char* path, int append) {
    std::vector<std::string> lines;
    if (!readTextLines(path, lines)) return 0;
    if (!append) clearEntries();
    addLines(lines);
    return 1;
}

// A topic line: the names between the commas, as written.
static std::vector<std::string> splitTopics(const std::string& line) {
    std::vector<std::string> topics;
    size_t start = 1;
    for (;;) {
        size_t comma = line.find(',', start);
        topics.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return topics;
}

void HelpDatabase::addHelpLines(const std::vector<std::string>& lines) {
    readFilesNamedAtStart();
    addLines(lines);
}

void HelpDatabase::addLines(const std::vector<std::string>& lines) {
    HelpEntry* entry = nullptr;
    for (const std::string& line : lines) {
        if (!line.empty() && line[0] == '!') {
            list.push_back(HelpEntry{splitTopics(line), {}});
            entry = &list.back();
            for (const std::string& topic : entry->topics) {
                byTopic.try_emplace(topic, entry);
                // A name of several words is found with no-break spaces too
                // (the Tasks menu asks so).
                if (topic.find(' ') == std::string::npos) continue;
                byTopic.try_emplace(withNoBreakSpaces(topic), entry);
            }
        } else if (entry && !line.empty() && line[0] == '#') {
            entry = nullptr;
        } else if (entry && line.compare(0, 2, "//") != 0) {
            entry->lines.push_back(line);
        }
    }
}

const HelpEntry* HelpDatabase::findTopic(std::string_view name) const {
    readFilesNamedAtStart();
    auto found = byTopic.find(std::string(name));
    return found == byTopic.end() ? nullptr : found->second;
}

void HelpDatabase::matchTopics(std::string_view text, bool substring, size_t limit,
                               std::vector<const std::string*>& out) const {
    readFilesNamedAtStart();
    for (const HelpEntry& entry : list)
        for (const std::string& topic : entry.topics) {
            if (out.size() >= limit) return;
            bool match = substring ? topic.find(text) != std::string::npos
                                   : topic.compare(0, text.size(), text) == 0;
            if (match) out.push_back(&topic);
        }
}

int HelpDatabase::readHelpFolder(const char* directory) {
    std::string base = directory;
    int read = helpDatabase.readHelpFile((base + "help.txt").c_str(), 0);
    return read + helpDatabase.readHelpFile((base + "overview.txt").c_str(), 1);
}

int loadHelpFiles(const char* directory) {
    readFilesNamedAtStart();
    return HelpDatabase::readHelpFolder(directory);
}

void loadHelpFilesLater(const char* directory) { laterDirectory = directory; }

// --- the state of the help ----------------------------------------------------------

namespace {

std::mutex stateLock;
std::vector<std::string> history;
std::string statusHelp;
std::string currentHelpWord;

}  // namespace

void addHelpHistory(const std::string& topic, int mode) {
    if (topic.size() > helpHistoryTopicLimit) return;
    std::string text = mode == 1 ? "&" + topic : topic;
    if (mode == 2 && text.size() >= 2 && text.back() == ' ') text.pop_back();
    if (text.size() > helpHistoryTopicLimit) return;
    std::lock_guard<std::mutex> hold(stateLock);
    if (std::find(history.begin(), history.end(), text) != history.end()) return;
    if (int(history.size()) == helpHistoryLimit) history.erase(history.begin());
    history.push_back(text);
}

std::string helpHistoryText() {
    std::lock_guard<std::mutex> hold(stateLock);
    std::string text;
    int width = 0;
    for (size_t i = 0; i < history.size(); i++) {
        if (i > 0) {
            if (!text.empty() && text.back() == ' ') text.pop_back();
            text += ", ";
            width += 2;
            if (width > 60) {
                text += "\n";
                width = 0;
            }
        }
        text += history[i];
        width += int(history[i].size()) + 2;
    }
    return text;
}

std::vector<std::string> helpHistory() {
    std::lock_guard<std::mutex> hold(stateLock);
    return history;
}

void clearHelpHistory() {
    std::lock_guard<std::mutex> hold(stateLock);
    history.clear();
}

void setStatusHelp(const std::string& text, int maximaMark) {
    if (text.size() > statusHelpLimit) return;
    std::lock_guard<std::mutex> hold(stateLock);
    statusHelp = maximaMark ? "&" + text : text;
}

std::string getStatusHelp() {
    std::lock_guard<std::mutex> hold(stateLock);
    return statusHelp;
}

void setCurrentHelpWord(const std::string& word) {
    std::lock_guard<std::mutex> hold(stateLock);
    currentHelpWord = word;
}

std::string getCurrentHelpWord() {
    std::lock_guard<std::mutex> hold(stateLock);
    return currentHelpWord;
}

}  // namespace kalix
