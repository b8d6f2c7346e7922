// URL builtins: urlopen, urlgetline, urleof and urlclose read one URL line
// by line. The host delivers the data in chunks; here they are cut into
// lines: a carriage return is dropped, a line feed ends the line, and a
// line is cut after 32767 bytes (the rest comes with the next call).
#include <string>

#include "interpreter/arguments.h"
#include "interpreter/builtin_table.h"
#include "interpreter/output.h"
#include "platform/url_reader.h"

namespace kalix {

namespace {

constexpr int chunkSize = 32768;
constexpr int lineLimit = 32767;

char chunk[chunkSize];
int chunkFill = 0;
int chunkPosition = 0;

constexpr Signature urlopenSignature = {"urlopen", "string", {{takesString}}};

void builtinUrlopen(header* first) {
    const Arguments a(first, urlopenSignature);
    if (!a) return;
    std::string text = a.text(0);
    chunkFill = chunkPosition = 0;
    int opened = openUrl(text.c_str());
    if (opened < 0) {
        fail(errorInterrupt, "Interrupt\n");
        return;
    }
    moveResult(first, pushReal(opened));
}

// The next line of the open URL; at the end of the data the URL is closed.
// A transfer that broke off is an error, not the end of the data.
void builtinUrlgetline(header*) {
    static char line[lineLimit + 1];
    int n = 0;
    while (urlIsOpen() && n < lineLimit) {
        if (chunkPosition >= chunkFill) {
            int got = readUrlChunk(chunk, chunkSize);
            if (got == urlInterrupted) {
                fail(errorInterrupt, "Interrupt\n");
                return;
            }
            // The part of a line before a break-off comes first; the error
            // with the next call.
            if (got == urlReadFailed && n > 0) break;
            if (got == urlReadFailed) {
                closeUrl();
                fail(errorFailed, "Error while reading the URL: %s\n", urlErrorText());
                return;
            }
            if (got <= 0) {
                closeUrl();
                break;
            }
            chunkFill = got;
            chunkPosition = 0;
        }
        char c = chunk[chunkPosition++];
        if (c == '\r') continue;
        if (c == '\n') break;
        line[n++] = c;
    }
    pushString(line, n);
}

void builtinUrleof(header*) { pushReal(urlIsOpen() ? 0 : 1); }

void builtinUrlclose(header*) {
    closeUrl();
    chunkFill = chunkPosition = 0;
    pushMarker(markerNoResult);
}

const BuiltinRecord rows[] = {
    {"urlclose", 0, 0, builtinUrlclose},
    {"urleof", 0, 0, builtinUrleof},
    {"urlgetline", 0, 0, builtinUrlgetline},
    {"urlopen", 1, 0, builtinUrlopen},
};

}  // namespace

KALIX_BUILTIN_FAMILY(urlBuiltins, rows);

}  // namespace kalix
