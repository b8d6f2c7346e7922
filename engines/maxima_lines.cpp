// Maxima lines typed at the prompt: direct mode (sent nearly as typed),
// compatibility mode (the interpreter's own style rewritten into Maxima
// syntax), and the command `maximamode` that switches between them.
#include "engines/maxima_lines.h"

#include <cstring>
#include <string>

#include "base/settings.h"
#include "engines/maxima_commands.h"
#include "interpreter/maxima_services.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"

namespace kalix {

namespace {

constexpr size_t directLineLimit = 1023;
constexpr size_t translatedLimit = 0x7ff0;

// State of the compatibility translation that lasts over ".." lines.
int bracketDepth = 0;
int closingPending = 0;

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = std::strlen(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

void dropTrailingBlanks(std::string& text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
}

bool needsTerminator(const std::string& text) {
    return !text.empty() && !endsWith(text, ";") && !endsWith(text, "$") && !endsWith(text, "..");
}

// Takes the rest of the input line.
std::string takeRestOfLine() {
    std::string rest = scanPointer;
    scanPointer += rest.size();
    return rest;
}

// The compatibility rewriting of one line (see translateLine below).
struct Translator {
    std::string out;
    bool inString = false;
    bool afterFunctionWord = false;
    bool atStatementStart = true;
    bool noParenthesisYet = true;

    void closePending() {
        if (closingPending) out += ')';
        closingPending = 0;
    }

    // ":=" at position i of `line`; returns the next position.
    size_t assignment(const std::string& line, size_t i) {
        i += 2;
        if (afterFunctionWord) {
            out += ":=";
        } else if (!noParenthesisYet) {
            // A function: its body is evaluated once, at definition.
            out += ":= ";
            while (i < line.size() && line[i] == ' ') i++;
            if (line.compare(i, 5, "block") != 0) {
                out += "''(";
                closingPending = 1;
            }
        } else {
            out += ':';
        }
        return i;
    }

    void translate(const std::string& line) {
        size_t i = 0;
        while (i < line.size()) {
            char c = line[i];
            if (inString) {
                out += c;
                if (c == '"') inString = false;
                i++;
            } else if (line.compare(i, 2, "//") == 0) {
                break;
            } else if (bracketDepth == 0 && (c == ',' || c == ';')) {
                closePending();
                out += c == ',' ? ';' : '$';
                atStatementStart = noParenthesisYet = true;
                afterFunctionWord = false;
                i++;
            } else if (line.compare(i, 2, "\\:") == 0) {
                out += ':';
                i += 2;
            } else if (line.compare(i, 2, ":=") == 0) {
                i = assignment(line, i);
            } else if (c == '(' || c == '[' || c == ')' || c == ']') {
                bracketDepth += c == '(' || c == '[' ? 1 : -1;
                if (c == '(') noParenthesisYet = false;
                out += c;
                i++;
            } else if (c == ' ') {
                out += c;
                i++;
            } else if (atStatementStart && bracketDepth == 0 &&
                       line.compare(i, 9, "function ") == 0) {
                afterFunctionWord = true;
                i += 9;
            } else {
                if (c == '"') inString = true;
                out += c;
                atStatementStart = false;
                i++;
            }
        }
        bool continued = endsWith(out, "..");
        if (!continued) closePending();
        dropTrailingBlanks(out);
        if (needsTerminator(out)) out += ';';
        if (!continued) bracketDepth = 0;
    }
};

}  // namespace

void maximaCollectDirectModeLine() {
    skipBlanks();
    std::string line = takeRestOfLine();
    if (line.size() > directLineLimit) {
        fail(errorFailed, "Maxima line too long!\n");
        return;
    }
    size_t comment = line.find("//");
    if (comment != std::string::npos) line.resize(comment);
    dropTrailingBlanks(line);
    if (needsTerminator(line)) line += ';';
    maxima::sendMaximaLine(line, maximaAsTyped);
}

std::string translateCompatibilityText(const std::string& line) {
    Translator t;
    t.translate(line);
    return t.out;
}

void maximaTranslateCompatibilityLine() {
    std::string text = translateCompatibilityText(takeRestOfLine());
    if (text.size() > translatedLimit) {
        fail(errorFailed, "Maxima line too long!\n");
        return;
    }
    maxima::sendMaximaLine(text, maximaMatrixAndVariables);
}

void clearMaximaTranslation() { bracketDepth = closingPending = 0; }

void maximaModeCommand() {
    skipSpaces();
    const char* words[] = {"off", "on", "direct"};
    bool named = false;
    for (int mode = 0; mode < 3; mode++) {
        size_t n = std::strlen(words[mode]);
        if (std::strncmp(scanPointer, words[mode], n) == 0 && !isLetterAt(scanPointer + n)) {
            currentMaximaMode = mode;
            scanPointer += n;
            named = true;
        }
    }
    if (!named && isLetterAt(scanPointer)) {
        // Any other word changes nothing.
        scanPointer = endOfLetters(scanPointer, false);
        named = true;
    }
    if (!named) currentMaximaMode = currentMaximaMode ? 0 : intSetting("usedirectmode") ? 2 : 1;
    skipSpaces();
    bool silent = *scanPointer == ';';
    if (*scanPointer == ';' || *scanPointer == ',') scanPointer++;
    if (silent) return;
    static const char* const states[] = {"Maxima mode is off\n",
                                         "Maxima mode is on (compatibility mode)\n",
                                         "Maxima mode is on (direct mode)\n"};
    printText(states[currentMaximaMode]);
}

}  // namespace kalix
