// Spell checking of notebook comments: a dictionary of word lists, a pass
// that marks the unknown words of every shown comment line, and a pass that
// adds the unknown words of the selected comment lines to the user's list.
//
// Word lists, one word a line: English (setting "english"; "english.words"
// beside the program, else Debian's wamerican list) and German (setting
// "german"; "german.words", else Debian's wngerman list), the project's
// list of Kalix names ("kalix.words" beside the program) with the help's
// topic names, and the user's own words ("user.words" in the settings
// folder). A language list that is switched on but missing turns the check
// off, said once.
//
// The dictionary is loaded on first use and used only by these passes,
// which run under the notebook's "Text" lock.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kalix {

class NotebookEditor;

// Words kept in one pool, sorted byte-wise (upper case before lower case).
class Dictionary {
  public:
    // Appends a word (unsorted until sortWords).
    void addWord(const char* word);
    // Appends the words of a text, one a line (empty lines left out).
    void addWords(const std::string& text);
    void sortWords();
    // Adds a word at its place in the order.
    void insertWord(const char* word);
    bool contains(const char* word) const;
    size_t size() const { return offsets.size(); }
    void clear();

  private:
    std::vector<char> pool;
    std::vector<size_t> offsets;
};

// Where the lists are read from.
struct WordListFiles {
    std::vector<std::string> language;  // switched on; each must exist
    std::vector<std::string> optional;  // read when present
};
// The lists the settings ask for, with the files that hold them.
WordListFiles wordListFilesFromSettings();
// "user.words" in the settings folder.
std::string userWordsPath();
// Lists to use instead of the settings' (null: the settings again).
void useWordListFiles(const WordListFiles* files);

// Loads the dictionary from the files. Returns false (and leaves no
// dictionary) when a language list is missing or no word was read;
// `missing` then names the missing list.
bool loadDictionary(const WordListFiles& files, std::string* missing = nullptr);
// Forgets the dictionary; the next lookup loads it again (after a change
// of the "english" or "german" setting).
void freeDictionary();
// Loads the dictionary when there is none (from the settings' lists; a
// missing list is reported once through the editor's messages). True when
// the word is known or no dictionary exists; otherwise lower-cases the
// word's first letter in place and tries again.
bool isKnownWord(char* word);
// True when a dictionary is loaded (or could be loaded now).
bool spellCheckAvailable();

// Marks the unknown words of every shown comment line.
void spellCheck(NotebookEditor& editor);
void clearSpellingMarks(NotebookEditor& editor);
// Appends the unknown words of the selected comment lines to the file (one
// a line) and to the dictionary, then checks again. 0 when the file could
// not be opened (a message says so and nothing is added).
int addMarkedWordsToDictionary(NotebookEditor& editor, const std::string& path);

}  // namespace kalix
