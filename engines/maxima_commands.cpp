#include "engines/maxima_commands.h"

#include <vector>

#include "base/settings.h"
#include "engines/maxima_conversions.h"
#include "engines/maxima_session.h"
#include "interpreter/maxima_services.h"
#include "interpreter/output.h"
#include "platform/host.h"

namespace kalix {

namespace maxima {

int pendingLineWidth = 0;

namespace {

constexpr size_t inputLimit = 32768;  // texts askMaxima sends
constexpr size_t answerLimit = 0x8000;

int question = 0;    // the last reply was a question
std::string answer;  // the collected reply (kind 2)

bool escapePressed() { return checkEscape() == keyEscape; }

bool endsWith(const std::string& text, const char* suffix) {
    size_t n = std::char_traits<char>::length(suffix);
    return text.size() >= n && text.compare(text.size() - n, n, suffix) == 0;
}

// Reads the reply to the piece just sent and uses it as `kind` says;
// false (error set, Maxima ended) when there was none.
bool readReply(int kind) {
    MaximaReply reply;
    MaximaWait wait = maximaProcess.readReply(&reply, escapePressed);
    if (wait != MaximaWait::done) {
        // Escape or a process that ended: nothing of it is left running.
        closeMaxima();
        fail(errorFailed, wait == MaximaWait::cancelled
                              ? "User interrupted!\n"
                              : "Could not receive results from Maxima!\n");
        return false;
    }
    question = reply.question;
    dropLeadingBlankLines(reply.text);
    if ((kind == maximaReplyDropped || kind == maximaReplyPrinted) && intSetting("killo"))
        blankOutputLabel(reply.text);
    if (kind == maximaReplyPrinted) {
        printText("\n");
        printText(reply.text.c_str());
        printText("\n");
    } else if (kind == maximaReplyCollected) {
        answer += reply.text;
    }
    return true;
}

std::string convert(const std::string& text, int conversion) {
    switch (conversion) {
        case maximaMatrixAndVariables:
        case maximaMatrixVariablesPercent: {
            std::string matrices = convertMatrixSyntax(text);
            if (errorCode) return "";
            return substituteVariables(matrices, conversion == maximaMatrixVariablesPercent);
        }
        case maximaSingleUnderscores:
            return collapseDoubleUnderscores(text);
        default:
            return text;
    }
}

// The line of the question before its "?", and the answer to give: the
// last word, or "positive", "nonzero" or "no" (for "equal") when the line
// offers them (the leftmost wins). False when there is no "?".
bool chooseAnswer(const std::string& reply, std::string* line, std::string* choice) {
    size_t mark = reply.rfind('?');
    if (mark == std::string::npos) return false;
    size_t start = reply.rfind('\n', mark);
    start = start == std::string::npos ? 0 : start + 1;
    *line = reply.substr(start, mark - start);
    size_t blank = line->rfind(' ');
    *choice = blank == std::string::npos ? *line : line->substr(blank + 1);
    size_t best = std::string::npos;
    static const char* const offers[][2] = {
        {"nonzero", "nonzero"}, {"positive", "positive"}, {"equal", "no"}};
    for (const auto& offer : offers) {
        size_t at = line->find(offer[0]);
        if (at < best) {
            best = at;
            *choice = offer[1];
        }
    }
    return !choice->empty();
}

// Maxima's reply in one line: the lines from the first output label on,
// label cut, leading blanks and a trailing backslash dropped, joined.
bool joinAnswer(const std::string& reply, std::string* out) {
    size_t label = reply.find("(%o");
    if (label == std::string::npos) return false;
    size_t blank = reply.find(' ', label);
    size_t lineEnd = reply.find('\n', label);
    size_t from = blank != std::string::npos && blank < lineEnd ? blank : lineEnd;
    out->clear();
    while (from != std::string::npos && from < reply.size()) {
        size_t end = reply.find('\n', from);
        std::string line = reply.substr(from, end == std::string::npos ? end : end - from);
        line.erase(0, line.find_first_not_of(" \t"));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.back() == '\\') line.pop_back();
        *out += line;
        from = end == std::string::npos ? end : end + 1;
    }
    return true;
}

std::string doubled(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c;
        if (c == '_') out += c;
    }
    return out;
}

}  // namespace

bool ensureMaxima() {
    bool ended = maximaIsRunning() && maximaProcess.hasEnded();
    if (ended) closeMaxima();
    if (!maximaIsRunning()) openMaxima(getProgramDir());
    if (errorCode) return false;
    if (ended) {
        question = 0;
        printText("Maxima ended; a new Maxima was started (its variables are lost).\n");
    }
    return true;
}

void sendToMaxima(const std::string& text, int kind, int conversion) {
    if (!ensureMaxima()) return;
    std::string converted = convert(text, conversion);
    if (errorCode) return;
    // A continued line may close its string in the next line.
    if (kind != maximaReplyContinued && hasUnclosedString(converted)) {
        fail(errorFailed, "Unclosed string in the input for Maxima!\n");
        return;
    }
    std::vector<std::string> pieces;
    if (conversion == maximaOnePiece) {
        if (converted.find_first_not_of(" \t\r\n") != std::string::npos)
            pieces.push_back(converted);
    } else {
        pieces = splitMaximaPieces(converted);
    }
    for (size_t k = 0; k < pieces.size(); k++) {
        const std::string& piece = pieces[k];
        if (!maximaProcess.write(piece + "\n")) {
            closeMaxima();
            fail(errorFailed, "Could not send commands to Maxima!\n");
            return;
        }
        int pieceKind = endsWith(piece, "$") ? maximaReplyDropped : kind;
        if (kind == maximaReplyContinued) {
            // Only an unfinished last piece waits for the next line; a
            // finished one is answered now and its reply must be read.
            if (k + 1 == pieces.size() && !isTerminatedPiece(piece)) return;
            pieceKind = maximaReplyDropped;
        }
        if (pieceKind == maximaReplyCollected) answer.clear();
        if (!readReply(pieceKind)) return;
    }
}

void sendMaximaLine(const std::string& text, int conversion) {
    // A new Maxima starts with its own display settings.
    if (!ensureMaxima()) return;
    if (maximaDisplay2d == 0) {
        maxima::sendToMaxima("display2d:true;", maximaReplyInternal, maximaAsTyped);
        if (errorCode) return;
        maximaDisplay2d = 1;
    }
    if (pendingLineWidth != 0) {
        maxima::sendToMaxima("linel:" + std::to_string(pendingLineWidth) + ";\n",
                             maximaReplyInternal, maximaAsTyped);
        pendingLineWidth = 0;
        if (errorCode) return;
    }
    std::string line = text;
    int kind = maximaReplyPrinted;
    if (line.size() > 4 && endsWith(line, "...")) {
        line.resize(line.size() - 3);
        kind = maximaReplyContinued;
    } else if (line.size() > 3 && endsWith(line, "..")) {
        line.resize(line.size() - 2);
        kind = maximaReplyContinued;
    } else if (line.size() > 3 && endsWith(line, "$$")) {
        line.pop_back();
        kind = maximaReplyInternal;
    }
    maxima::sendToMaxima(line, kind, conversion);
}

void dismissMaximaQuestion() { maxima::sendToMaxima("1a;", maximaReplyDropped, maximaAsTyped); }

namespace {

// Sends the text (an answer when Maxima asked) and collects the answer.
std::string evaluate(const std::string& input, int depth, bool doubleUnderscores) {
    if (maximaDisplay2d == 1) {
        maxima::sendToMaxima("display2d:false;", maximaReplyInternal, maximaAsTyped);
        if (errorCode) return "";
        maximaDisplay2d = 0;
    }
    if (input.empty()) return "";
    if (input.size() > inputLimit) {
        fail(errorFailed, "Maxima input too long!\n");
        return "";
    }
    std::string text = input;
    if (!endsWith(text, ";") && !endsWith(text, "$")) text += ";";
    answer.clear();
    maxima::sendToMaxima(text, maximaReplyCollected, maximaMatrixVariablesPercent);
    if (errorCode) return "";
    std::string reply = answer;
    if (!question) {
        if (reply.size() < 3) return "";
        std::string joined;
        if (!joinAnswer(reply, &joined)) {
            printText("Maxima said:\n");
            printText((reply + "\n").c_str());
            errorCode = errorMaximaSaid;
            return "";
        }
        if (joined.size() > answerLimit) {
            fail(errorFailed, "\nMaxima output too long!\n");
            return "";
        }
        return doubleUnderscores ? doubled(joined) : joined;
    }
    if (depth > 0) {
        std::string line, choice;
        if (chooseAnswer(reply, &line, &choice)) {
            if (!intSetting("answermaxima"))
                printFormatted("Answering \"%s?\" with \"%s\"\n", line.c_str(), choice.c_str());
            return evaluate(choice, depth - 1, doubleUnderscores);
        }
        dismissMaximaQuestion();
        fail(errorFailed, "Cannot answer \"%s\"\n", reply.c_str());
        return "";
    }
    dismissMaximaQuestion();
    printText("Maxima is asking\n");
    printText(reply.c_str());
    fail(errorFailed, "\nUse assume!\n");
    return "";
}

// Maxima runs and no question of its own is pending (one left from a
// displayed line would take the next text as its answer); false with
// errorCode set when Maxima could not be started.
bool readyForCommand() {
    if (!ensureMaxima()) return false;
    if (question) dismissMaximaQuestion();
    return errorCode == 0;
}

// Sends a "tex" command and collects its reply in `answer`; false when
// Maxima could not be reached.
bool sendTex(const std::string& command) {
    if (!readyForCommand()) return false;
    answer.clear();
    maxima::sendToMaxima(command, maximaReplyCollected, maximaAsTyped);
    return true;
}

}  // namespace

std::string askMaxima(const std::string& input, int depth, bool doubleUnderscores) {
    if (!readyForCommand()) return "";
    return evaluate(input, depth, doubleUnderscores);
}

std::string getTexReply(const std::string& expression) {
    if (!sendTex("tex(" + expression + ");") || errorCode) return "";
    return answer;
}

std::string getTexFromMaxima(const std::string& expression) {
    std::string command = "tex(" + expression + ");";
    if (!sendTex(command)) return "";
    // No reply, or Maxima rejected the expression: its message says why.
    auto reportError = [&] {
        errorCode = 0;
        printText(("Maxima error in " + command + " command.\n").c_str());
        dropLeadingBlankLines(answer);
        printText(answer.c_str());
        return std::string();
    };
    if (errorCode) return reportError();
    size_t open = answer.find("$$");
    size_t close = open == std::string::npos ? open : answer.find("$$", open + 2);
    if (close == std::string::npos) return reportError();
    return answer.substr(open + 2, close - open - 2);
}

}  // namespace maxima

}  // namespace kalix
