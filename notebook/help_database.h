// The help database: the topic entries of "help.txt" and "overview.txt",
// plus the small state the help keeps for the whole run (the recently
// looked-up topics, the status-line help text and the current help word).
//
// Help file format: an entry begins at a line "!name1,name2,..." (names
// taken exactly as written, blanks included; a name of several words is
// found with no-break spaces between them too) and runs to a line beginning
// "#" or the end of the file; lines beginning "//" are skipped; lines
// outside entries are ignored.
//
// The program's help files are read at the first use of the database (a
// start does not wait for them), under a once flag, and only read
// afterwards, so both the computation thread (the `help` command) and the
// GUI thread (the help window) read it freely. The history and the two texts are written by
// both and guarded by a lock of their own.
#pragma once

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace kalix {

struct HelpEntry {
    std::vector<std::string> topics;
    std::vector<std::string> lines;
};

// The lines of a text file, whole whatever their length, each without its
// line end ("\n", "\r\n" or a lone "\r"), converted from UTF-8 to the
// program's code page. A last line without a line end is kept. False when
// the file cannot be opened.
bool readTextLines(const char* path, std::vector<std::string>& lines);
// The whole file, converted from UTF-8 to the program's code page.
bool readConvertedText(const char* path, std::string& text);

class HelpDatabase {
  public:
    // Reads a help file; with append 0 the entries read before are dropped
    // first. Returns 0 (and changes nothing) when the file cannot be opened.
    int loadHelpFile(const char* path, int append);
    // Adds the entries of help-file lines.
    void addHelpLines(const std::vector<std::string>& lines);
    void clear();

    // The first entry, in file order, that has exactly this topic name.
    const HelpEntry* findTopic(std::string_view name) const;
    // Topic names that begin with `text` (or contain it), in file order, at
    // most `limit`.
    void matchTopics(std::string_view text, bool substring, size_t limit,
                     std::vector<const std::string*>& out) const;
    const std::deque<HelpEntry>& entries() const;

    // The files of loadHelpFiles, read into helpDatabase.
    static int readHelpFolder(const char* directory);

  private:
    int readHelpFile(const char* path, int append);
    void addLines(const std::vector<std::string>& lines);
    void clearEntries();

    std::deque<HelpEntry> list;  // entries never move once added
    std::unordered_map<std::string, const HelpEntry*> byTopic;
};

extern HelpDatabase helpDatabase;

// Loads "help.txt" and then "overview.txt" from the directory (ending in
// "/"); returns the number of files read.
int loadHelpFiles(const char* directory);
// The same, done at the first use of helpDatabase. Called once, at start,
// before the threads that read the help run.
void loadHelpFilesLater(const char* directory);

// --- state of the help for the whole run ---------------------------------------

constexpr int helpHistoryLimit = 16;
constexpr size_t helpHistoryTopicLimit = 63;
constexpr size_t statusHelpLimit = 61;

// Mode 0 plain, 1 with "&" in front (a Maxima topic), 2 with one trailing
// blank removed. Topics of 64 characters or more and topics already in the
// history are not added; the oldest of 16 makes room.
void addHelpHistory(const std::string& topic, int mode);
// The topics oldest first, separated by ", ", broken into lines of about
// 60 characters with "\n".
std::string helpHistoryText();
std::vector<std::string> helpHistory();
void clearHelpHistory();

// Kept unless longer than 61 characters; maximaMark puts "&" in front.
void setStatusHelp(const std::string& text, int maximaMark);
std::string getStatusHelp();

// The topic the help window completes to on Enter (the first match of the
// last query).
void setCurrentHelpWord(const std::string& word);
std::string getCurrentHelpWord();

}  // namespace kalix
