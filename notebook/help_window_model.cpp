// The help window's model.
#include "notebook/help_window_model.h"

#include <algorithm>
#include <cstring>

#include "base/settings.h"
#include "base/text.h"
#include "interpreter/state_hand_over.h"
#include "notebook/help.h"
#include "notebook/help_database.h"
#include "notebook/notebook_model.h"

namespace kalix {

namespace {

constexpr size_t shownLimit = 31998;
constexpr size_t queryWordLimit = 255;
// Characters of a help word around a letter, by code (a no-break space
// joins the words of a topic).
bool extendsLeft(int code) {
    return isLetterCode(code) || (code > 0 && code < 0x80 && std::strchr("&_$%?", code));
}

// Also the characters of a name.
bool extendsRight(int code) {
    return isLetterCode(code) || (code >= '0' && code <= '9') || code == '$' || code == '_';
}

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// The reference page of a topic: "&" and blanks or "(" at the end dropped.
std::string referencePage(std::string topic) {
    if (!topic.empty() && (topic[0] == ' ' || topic[0] == '&')) topic.erase(0, 1);
    if (!topic.empty() && (topic.back() == ' ' || topic.back() == '(')) topic.pop_back();
    return topic.empty() ? "reference/index.html" : "reference/index.html#" + topic;
}

bool opensBrowser(const std::string& text) {
    return startsWith(text, "http") || startsWith(text, "See: ") || startsWith(text, "see: ");
}

}  // namespace

std::string helpDisplayText(const std::string& answer) {
    std::string out;
    out.reserve(std::min(answer.size() + 64, shownLimit));
    bool utf8 = codePageIsUtf8();
    int column = 0;  // in characters
    for (size_t i = 0; i < answer.size() && out.size() < shownLimit; i++) {
        char c = answer[i];
        int length = characterLength(answer.c_str() + i, utf8);
        if (length > 1) {
            // A character is shown whole or not at all.
            if (out.size() + size_t(length) > shownLimit) break;
            out.append(answer, i, size_t(length));
            column++;
            i += size_t(length) - 1;
        } else if (c == '\t') {
            do {
                out += ' ';
                column++;
            } while (column % 4 != 0 && out.size() < shownLimit);
        } else if (c == '_' && answer.compare(i, 3, "___") == 0) {
            out += characterText(noBreakSpaceChar);
            column++;
            i += 2;
        } else {
            out += c;
            column = c == '\n' ? 0 : column + 1;
        }
    }
    return out;
}

std::string helpWordAt(const std::string& text, size_t position) {
    const char* p = text.c_str();
    bool utf8 = codePageIsUtf8();
    int length = 0;
    if (position >= text.size() || !isLetterCode(characterCode(p + position, utf8, &length)))
        return "";
    size_t start = position;
    while (start > 0) {
        size_t previous = previousCharacter(p, start, utf8);
        if (!extendsLeft(characterCode(p + previous, utf8))) break;
        start = previous;
    }
    size_t end = position + size_t(length);
    while (end < text.size() && extendsRight(characterCode(p + end, utf8, &length)))
        end += size_t(length);
    if (text.compare(end, 2, ".k") == 0) end += 2;
    return text.substr(start, end - start);
}

std::string helpNameAt(const std::string& line, size_t column) {
    const char* text = line.c_str();
    const bool utf8 = codePageIsUtf8();
    auto runStart = [text, utf8](size_t at) {
        while (at > 0) {
            size_t previous = previousCharacter(text, at, utf8);
            if (!extendsRight(characterCode(text + previous, utf8))) break;
            at = previous;
        }
        return at;
    };
    column = std::min(column, line.size());
    size_t start = runStart(column), end = column;
    int length = 0;
    while (end < line.size() && extendsRight(characterCode(text + end, utf8, &length)))
        end += size_t(length);
    // Just behind "name(" the cursor still stands at the name, as the
    // status line says.
    bool name = start < end && isLetterCode(characterCode(text + start, utf8));
    if (!name && column > 0 && text[column - 1] == '(') {
        end = column - 1;
        start = runStart(end);
        name = start < end && isLetterCode(characterCode(text + start, utf8));
    }
    return name ? line.substr(start, end - start) : "";
}

HelpWindowModel::HelpWindowModel(std::function<bool()> readable)
    : interpreterReadable(std::move(readable)) {}

void HelpWindowModel::setQuery(const std::string& text) {
    queryText = text;
    StateHandOverHold hold;
    bool readable = !interpreterReadable || interpreterReadable();
    shown = helpDisplayText(answerHelpQuery(text, readable));
}

void HelpWindowModel::showTopic(const std::string& text) {
    std::string topic = text;
    bool exact = !topic.empty() && topic.back() != ' ' && topic.back() != '(' && topic[0] != '?' &&
                 !endsWith(topic, ".k");
    if (exact) topic += ' ';
    setQuery(topic);
}

void HelpWindowModel::enter() { showTopic(getCurrentHelpWord()); }

bool HelpWindowModel::escape() {
    if (queryText.empty()) return true;
    setQuery("");
    return false;
}

bool HelpWindowModel::doubleClick(size_t position) {
    std::string word = helpWordAt(shown, position);
    if (word.size() < 2 || word.size() > queryWordLimit) return false;
    bool maximaField = !queryText.empty() && (queryText[0] == '&' || queryText[0] == ' ');
    std::string query = maximaField && word[0] != '&' ? "&" + word : word;
    if (!queryText.empty() && queryText[0] == '?') addHelpHistory(queryText, 2);
    showTopic(query);
    return true;
}

std::string HelpWindowModel::browserPage() {
    if (queryText.empty()) return "reference/overview.html";
    if (queryText[0] == '*') showTopic(getCurrentHelpWord());
    return referencePage(queryText);
}

HelpRequest helpRequestForWord(const std::string& selection, bool symbolic) {
    if (opensBrowser(selection)) return {true, selection};
    if (selection.empty()) return {false, getStatusHelp()};
    return {false, symbolic ? "&" + selection : selection};
}

std::string browserPageForWord(const std::string& selection) {
    if (opensBrowser(selection)) return selection;
    return referencePage(selection);
}

HelpWindowPlace readHelpWindowPlace() {
    HelpWindowPlace place{
        readIntSetting(makeScreenKey("helpx"), 200), readIntSetting(makeScreenKey("helpy"), 200),
        readIntSetting(makeScreenKey("helpw"), 700), readIntSetting(makeScreenKey("helph"), 500)};
    place.width = std::max(place.width, 500);
    place.height = std::max(place.height, 300);
    return place;
}

void rememberHelpWindowPlace(const HelpWindowPlace& place) {
    writeIntSetting(makeScreenKey("helpx"), place.x);
    writeIntSetting(makeScreenKey("helpy"), place.y);
    writeIntSetting(makeScreenKey("helpw"), place.width);
    writeIntSetting(makeScreenKey("helph"), place.height);
}

}  // namespace kalix
