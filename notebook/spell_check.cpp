// Spell checking of notebook comments.
#include "notebook/spell_check.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "base/registry.h"
#include "base/settings.h"
#include "base/text.h"
#include "notebook/help_database.h"
#include "notebook/notebook_model.h"
#include "platform/host.h"

namespace kalix {

namespace {

constexpr size_t wordLimit = 31;
constexpr size_t shortestChecked = 4;

// Debian's lists (packages wamerican and wngerman), used when no list lies
// beside the program.
const char* const debianEnglish = "/usr/share/dict/american-english";
const char* const debianGerman = "/usr/share/dict/ngerman";

std::recursive_mutex dictionaryLock;
Dictionary dictionary;
bool dictionaryLoaded = false;
bool checkTurnedOff = false;  // a language list is missing
bool listsGiven = false;
WordListFiles givenLists;

bool fileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The list beside the program, else Debian's.
std::string languageList(const char* name, const char* debianPath) {
    std::string own = std::string(getProgramDir()) + name;
    return fileExists(own) || !fileExists(debianPath) ? own : debianPath;
}

bool addListFile(const std::string& path, Dictionary& words) {
    std::string text;
    if (!readConvertedText(path.c_str(), text)) return false;
    words.addWords(text);
    return true;
}

// Loads the lists the settings name; the first time a list is missing the
// editor's messages say so.
bool ensureDictionary(NotebookEditor* editor) {
    if (dictionaryLoaded) return true;
    if (checkTurnedOff) return false;
    std::string missing;
    if (loadDictionary(listsGiven ? givenLists : wordListFilesFromSettings(), &missing))
        return true;
    if (!missing.empty()) {
        checkTurnedOff = true;
        if (editor)
            editor->queueMessage("The word list " + missing +
                                 " was not found, so spelling is not checked.\n"
                                 "It comes with the Debian package wamerican (wngerman for "
                                 "German).");
    }
    return false;
}

// The word at `text`: a run of at most 31 letters (characters); `bytes`
// gets its length in bytes.
std::string wordAt(const char* text, bool utf8, size_t* bytes) {
    size_t n = 0;
    for (size_t count = 0; count < wordLimit; count++) {
        int length = 0;
        if (!isLetterCode(characterCode(text + n, utf8, &length)) || length == 0) break;
        n += size_t(length);
    }
    *bytes = n;
    return std::string(text, n);
}

// Marks are characters of the text as shown: the marker bytes EF BB BF are
// not shown, and an entity of a decoded line (scanned in its original text)
// shows as one character.
void markLine(NotebookLine* line) {
    line->clearMisspelt();
    const char* original = line->getOriginalText();
    const char* text = original ? original : NotebookEditor::displayText(line);
    const bool utf8 = isUtf8Text(text);
    const size_t first = NotebookEditor::hasUtf8Bom(text) ? 3 : 0;
    int shown = 0;  // characters shown before text[i]
    for (size_t i = first; text[i];) {
        char c = text[i];
        if (c == '"') {
            const char* close = std::strchr(text + i + 1, '"');
            size_t end = close ? size_t(close - text) + 1 : std::strlen(text);
            shown += int(characterCount(text + i, end - i, utf8));
            i = end;
        } else if (c == '&') {
            const char* semicolon = std::strchr(text + i, ';');
            if (!semicolon) break;
            size_t end = size_t(semicolon - text) + 1;
            shown += original ? 1 : int(characterCount(text + i, end - i, utf8));
            i = end;
        } else if (isLetterCode(characterCode(text + i, utf8)) &&
                   (i == first || text[i - 1] == ' ')) {
            size_t bytes = 0;
            std::string word = wordAt(text + i, utf8, &bytes);
            int letters = int(characterCount(word.c_str(), bytes, utf8));
            char after = text[i + bytes];
            bool checked = after == '.' || after == ',' || after == ';' || after == ' ' || !after;
            if (checked && size_t(letters) >= shortestChecked && !isKnownWord(&word[0]))
                line->addMisspelt(shown, letters);
            shown += letters;
            i += bytes;
        } else {
            i += size_t(characterLength(text + i, utf8));
            shown++;
        }
    }
}

}  // namespace

// --- the dictionary ---------------------------------------------------------------

void Dictionary::addWord(const char* word) {
    offsets.push_back(pool.size());
    pool.insert(pool.end(), word, word + std::strlen(word) + 1);
}

void Dictionary::addWords(const std::string& text) {
    size_t base = pool.size();
    pool.insert(pool.end(), text.begin(), text.end());
    pool.push_back('\n');
    size_t start = base;
    for (size_t i = base; i < pool.size(); i++) {
        if (pool[i] != '\n' && pool[i] != '\r') continue;
        pool[i] = 0;
        if (i > start) offsets.push_back(start);
        start = i + 1;
    }
}

// The first eight bytes of a word as a number that orders like strcmp.
static uint64_t prefixKey(const char* word) {
    uint64_t key = 0;
    int i = 0;
    for (; i < 8 && word[i]; i++) key = key << 8 | static_cast<unsigned char>(word[i]);
    return key << (8 * (8 - i));
}

void Dictionary::sortWords() {
    const char* base = pool.data();
    std::vector<std::pair<uint64_t, size_t>> keyed;
    keyed.reserve(offsets.size());
    for (size_t offset : offsets) keyed.emplace_back(prefixKey(base + offset), offset);
    std::sort(keyed.begin(), keyed.end(), [base](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return std::strcmp(base + a.second, base + b.second) < 0;
    });
    for (size_t i = 0; i < keyed.size(); i++) offsets[i] = keyed[i].second;
}

void Dictionary::insertWord(const char* word) {
    addWord(word);
    const char* base = pool.data();
    size_t added = offsets.back();
    auto at = std::upper_bound(
        offsets.begin(), offsets.end() - 1, added,
        [base](size_t a, size_t b) { return std::strcmp(base + a, base + b) < 0; });
    std::rotate(at, offsets.end() - 1, offsets.end());
}

bool Dictionary::contains(const char* word) const {
    const char* base = pool.data();
    auto found = std::lower_bound(
        offsets.begin(), offsets.end(), word,
        [base](size_t offset, const char* w) { return std::strcmp(base + offset, w) < 0; });
    return found != offsets.end() && std::strcmp(base + *found, word) == 0;
}

void Dictionary::clear() {
    pool.clear();
    offsets.clear();
}

std::string userWordsPath() { return registryFilePath("user.words"); }

void useWordListFiles(const WordListFiles* files) {
    std::lock_guard<std::recursive_mutex> hold(dictionaryLock);
    listsGiven = files != nullptr;
    givenLists = files ? *files : WordListFiles();
}

WordListFiles wordListFilesFromSettings() {
    WordListFiles files;
    if (intSetting("english"))
        files.language.push_back(languageList("english.words", debianEnglish));
    if (intSetting("german")) files.language.push_back(languageList("german.words", debianGerman));
    files.optional.push_back(std::string(getProgramDir()) + "kalix.words");
    files.optional.push_back(userWordsPath());
    return files;
}

bool loadDictionary(const WordListFiles& files, std::string* missing) {
    std::lock_guard<std::recursive_mutex> hold(dictionaryLock);
    dictionary.clear();
    dictionaryLoaded = false;
    for (const std::string& path : files.language) {
        if (addListFile(path, dictionary)) continue;
        if (missing) *missing = path;
        dictionary.clear();
        return false;
    }
    for (const std::string& path : files.optional) addListFile(path, dictionary);
    // The help's topics are Kalix names too.
    for (const HelpEntry& entry : helpDatabase.entries())
        for (const std::string& topic : entry.topics) dictionary.addWord(topic.c_str());
    if (dictionary.size() == 0) return false;
    dictionary.sortWords();
    dictionaryLoaded = true;
    return true;
}

void freeDictionary() {
    std::lock_guard<std::recursive_mutex> hold(dictionaryLock);
    dictionary.clear();
    dictionaryLoaded = false;
    checkTurnedOff = false;
}

bool isKnownWord(char* word) {
    std::lock_guard<std::recursive_mutex> hold(dictionaryLock);
    if (!ensureDictionary(nullptr)) return true;
    if (dictionary.contains(word)) return true;
    word[0] = char(std::tolower(static_cast<unsigned char>(word[0])));
    return dictionary.contains(word);
}

bool spellCheckAvailable() {
    std::lock_guard<std::recursive_mutex> hold(dictionaryLock);
    return ensureDictionary(nullptr);
}

// --- the passes ----------------------------------------------------------------------

void spellCheck(NotebookEditor& editor) {
    {
        TextLockHold hold(editor, "spellcheck");
        std::lock_guard<std::recursive_mutex> words(dictionaryLock);
        bool available = ensureDictionary(&editor);
        for (NotebookLine* line = editor.document().getFirstLine(); line; line = line->next) {
            if (line->kind != lineComment || line->isFolded()) continue;
            if (available)
                markLine(line);
            else
                line->clearMisspelt();
        }
    }
    editor.getHost().invalidate();
}

void clearSpellingMarks(NotebookEditor& editor) {
    {
        TextLockHold hold(editor, "spellcheck");
        for (NotebookLine* line = editor.document().getFirstLine(); line; line = line->next)
            line->clearMisspelt();
    }
    editor.getHost().invalidate();
}

namespace {

// The unknown words of a line's displayed text that are worth adding.
std::vector<std::string> unknownWords(NotebookLine* line) {
    std::vector<std::string> words;
    const char* text = NotebookEditor::displayText(line);
    const bool utf8 = isUtf8Text(text);
    for (size_t i = NotebookEditor::hasUtf8Bom(text) ? 3 : 0; text[i];) {
        if (text[i] == '"') {
            const char* close = std::strchr(text + i + 1, '"');
            i = close ? size_t(close - text) + 1 : std::strlen(text);
        } else if (text[i] == '&' && std::strchr(text + i, ';')) {
            // An entity such as "&eacute;" is one character, no word.
            i = size_t(std::strchr(text + i, ';') - text) + 1;
        } else if (isLetterCode(characterCode(text + i, utf8))) {
            size_t bytes = 0;
            std::string word = wordAt(text + i, utf8, &bytes);
            char after = text[i + bytes];
            bool called = after == '(' || (after >= '0' && after <= '9');
            if (characterCount(word.c_str(), bytes, utf8) >= shortestChecked && !called &&
                !isKnownWord(&word[0])) {
                words.push_back(word);
                dictionary.insertWord(word.c_str());
            }
            i += bytes;
        } else {
            i += size_t(characterLength(text + i, utf8));
        }
    }
    return words;
}

// Creates the folders on the way to a file.
void makeFolderOf(const std::string& path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0777);
}

}  // namespace

int addMarkedWordsToDictionary(NotebookEditor& editor, const std::string& path) {
    if (!editor.cursor().getSelectionFirst()) return 1;
    makeFolderOf(path);
    FILE* file = std::fopen(path.c_str(), "a");
    if (!file) {
        editor.queueMessage("Could not open\n" + path);
        return 0;
    }
    {
        TextLockHold hold(editor, "spellcheck");
        std::lock_guard<std::recursive_mutex> words(dictionaryLock);
        if (ensureDictionary(&editor)) {
            for (NotebookLine* line = editor.cursor().getSelectionFirst(); line;
                 line = line->next) {
                if (line->kind == lineComment && !line->isFolded()) {
                    line->clearMisspelt();
                    for (const std::string& word : unknownWords(line)) {
                        std::string utf8;
                        codePageToUtf8(word.c_str(), utf8);
                        std::fprintf(file, "%s\n", utf8.c_str());
                    }
                }
                if (line == editor.cursor().getSelectionLast()) break;
            }
        }
    }
    std::fclose(file);
    spellCheck(editor);
    return 1;
}

}  // namespace kalix
