#include "engines/maxima_bridge.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "engines/maxima_commands.h"
#include "engines/maxima_conversions.h"
#include "engines/maxima_help.h"
#include "engines/maxima_lines.h"
#include "engines/maxima_session.h"
#include "interpreter/maxima_services.h"
#include "platform/host.h"

namespace kalix {

namespace {

// Texts handed to the interpreter stay valid until the next call of the
// same entry.
const char* keep(std::string& buffer, std::string text) {
    buffer = std::move(text);
    return buffer.c_str();
}

void sendLine(const char* line, int conversion) { maxima::sendMaximaLine(line, conversion); }

void send(const char* text, int kind, int conversion) {
    maxima::sendToMaxima(text, kind, conversion);
}

const char* ask(const char* text, int depth, int doubleUnderscores) {
    static std::string answer;
    return keep(answer, maxima::askMaxima(text, depth, doubleUnderscores != 0));
}

const char* convert(header* value, const char* prefix, int asFraction) {
    static std::string text;
    return keep(text, convertValueToMaxima(value, prefix ? prefix : "", asFraction != 0));
}

const char* substitute(const char* text, int allowPercent) {
    static std::string out;
    return keep(out, substituteVariables(text, allowPercent != 0));
}

const char* tex(const char* expression) {
    static std::string latex;
    return keep(latex, maxima::getTexFromMaxima(expression));
}

const char* texReply(const char* expression) {
    static std::string reply;
    return keep(reply, maxima::getTexReply(expression));
}

// Completion into the interpreter's 32 KB buffers.
int complete(const char* word, char* completion, char* help, int index) {
    std::string names, line;
    int count = matchMaximaFunctions(word, &names, &line, index);
    std::snprintf(completion, 32768, "%s", names.c_str());
    std::snprintf(help, 32768, "%s", line.c_str());
    return count;
}

const MaximaBridge bridge = {
    maximaCollectDirectModeLine,
    maximaTranslateCompatibilityLine,
    clearMaximaTranslation,
    sendLine,
    send,
    ask,
    convert,
    substitute,
    tex,
    texReply,
    complete,
    maximaIsRunning,
    maximaModeCommand,
    maximaHelpCommand,
};

}  // namespace

void installMaximaBridge() {
    std::string directory = getProgramDir();
    loadMaximaFunctionListLater((directory + "/maxima.txt").c_str());
    setMaximaStartupCommands(loadMaximaStartupList((directory + "/maximastartup.txt").c_str()));
    setMaximaBridge(&bridge);
    setStartupJob(startMaximaInBackground);
}

void endMaximaBridge() { closeMaxima(); }

}  // namespace kalix
