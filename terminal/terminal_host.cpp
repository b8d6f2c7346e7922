// The host on a terminal. Command lines come from standard input: on a
// terminal with the prompt ">" and GNU readline editing and history, from a
// pipe or file without a prompt. Output goes to standard output, converted
// from the program's code page to UTF-8. Ctrl-C clears the line at the
// prompt and is the Escape key during a computation; key waits read one key
// from the terminal in raw mode.
#include "terminal/terminal_host.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "base/text.h"
#include "interpreter/globals.h"
#include "interpreter/stack.h"
#include "interpreter/state.h"
#include "interpreter/state_snapshot.h"
#include "notebook/help.h"
#include "platform/allow_question.h"
#include "terminal/readline_library.h"
#include "terminal/terminal_keys.h"

namespace kalix {

namespace {

class TerminalHost : public Host {
  public:
    int readInputLine(char* buffer) override;
    int checkEscape() override;
    int pollKey() override;
    int waitKeyWithStatus(int* keyCode, const char* status) override;
    int waitWithStatus(double seconds, int* keyCode, const char* status) override;
    int waitMouseClick(double* x, double* y, const char* status) override;
    int waitMouseDrag(double* x, double* y, int* time, int* key, const char* status) override;
    int getMousePosition(double* x, double* y) override;
    int printToTextWindow(const char* text) override;
    void showWarning(const char* text, const char* title) override;
    void insertLatexImage(const char* latex) override;
    int askAllowDialog(const char* question) override;
    bool runsStartupJobs() override;
};

}  // namespace

Host& terminalHost() {
    static TerminalHost host;
    return host;
}

// Until start-up installs a host, the terminal serves.
[[maybe_unused]] static const bool installedFirst = [] {
    if (!installedHost) installHost(&terminalHost());
    return true;
}();

// The key code stored by Ctrl-C; the signal handler also writes a byte into
// the pipe so that a wait on the terminal wakes up.
static std::atomic<int> storedKeyCode{0};
// The program is to end: a computation stops as with Ctrl-C, and line
// input ends.
static std::atomic<int> quitRequested{0};
static int interruptPipe[2] = {-1, -1};

static void onInterrupt(int) {
    storedKeyCode = keyEscape;
    if (interruptPipe[1] >= 0) {
        char byte = 1;
        ssize_t ignored = write(interruptPipe[1], &byte, 1);
        (void)ignored;
    }
}

void installInterruptHandler() {
    if (pipe2(interruptPipe, O_CLOEXEC | O_NONBLOCK) != 0) interruptPipe[0] = interruptPipe[1] = -1;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    signal(SIGPIPE, SIG_IGN);
}

static void drainInterruptPipe() {
    char buffer[64];
    while (interruptPipe[0] >= 0 && read(interruptPipe[0], buffer, sizeof buffer) > 0) {}
}

// Forgets a pending Ctrl-C.
static void clearStoredKey() {
    storedKeyCode = 0;
    drainInterruptPipe();
}

int TerminalHost::checkEscape() {
    // Every loop and wait ends when the program is to end.
    if (quitRequested) return keyEscape;
    // Loops ask at every pass: a plain load first, the exchange only when
    // a key is there.
    if (storedKeyCode.load(std::memory_order_relaxed) != keyEscape) return 0;
    int expected = keyEscape;
    if (!storedKeyCode.compare_exchange_strong(expected, 0)) return 0;
    drainInterruptPipe();
    return keyEscape;
}

void requestTerminalQuit() {
    quitRequested = 1;
    onInterrupt(SIGINT);
}

static bool inputIsTerminal() { return isatty(STDIN_FILENO); }

// Waits until standard input (when `useInput`) has data or Ctrl-C was
// pressed; `milliseconds` < 0 waits without limit. Returns 1 for input,
// 2 for Ctrl-C, 0 after the time.
static int waitForInput(bool useInput, long long milliseconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        int timeout = -1;
        if (milliseconds >= 0) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
            if (left < 0) left = 0;
            timeout = left > INT_MAX ? INT_MAX : int(left);
        }
        if (quitRequested) return 2;
        pollfd watch[2] = {{interruptPipe[0], POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
        int n = poll(watch, useInput ? 2 : 1, timeout);
        if (n < 0 && errno == EINTR) continue;
        if (storedKeyCode == keyEscape) return 2;
        if (n > 0 && useInput && (watch[1].revents & (POLLIN | POLLHUP | POLLERR))) return 1;
        if (n > 0) {
            drainInterruptPipe();
            continue;
        }
        if (milliseconds >= 0 && std::chrono::steady_clock::now() >= deadline) return 0;
    }
}

// --- line input -----------------------------------------------------------

static std::string terminalLine;
static int terminalLineState = 0;  // 0 waiting, 1 a line, 2 end of input
static bool keepInHistory = true;

// The output line that is still open (its UTF-8 text as written): the
// prompt of an input builtin stands there.
static std::string openOutputLine;

static void takeTerminalLine(char* text) {
    if (!text) {
        terminalLineState = 2;
    } else {
        terminalLine = text;
        if (*text && keepInHistory) readlineLibrary()->addHistory(text);
        std::free(text);
        terminalLineState = 1;
    }
    readlineLibrary()->callbackHandlerRemove();
}

// Tab completes the name before the cursor: builtins, user functions,
// commands and aliases as in the notebook, then the variables of the
// current frame and the globals. Runs on the computation thread, which waits for the line.
static std::vector<std::string> completionNames;

static char* nextCompletion(const char*, int state) {
    static size_t next;
    if (state == 0) next = 0;
    if (next >= completionNames.size()) return nullptr;
    return strdup(completionNames[next++].c_str());
}

static char** completeTerminalName(const char* word, int, int) {
    const ReadlineLibrary* rl = readlineLibrary();
    *rl->attemptedCompletionOver = 1;
    *rl->completionAppendCharacter = 0;
    completionNames = completeName(word, takeStateSnapshot()).names;
    size_t length = std::strlen(word);
    auto add = [&](const char* name) {
        if (name[0] && std::strncmp(name, word, length) == 0 &&
            std::find(completionNames.begin(), completionNames.end(), name) ==
                completionNames.end())
            completionNames.emplace_back(name);
    };
    for (char* p = startlocal; p && p < endlocal; p += recordAt(p)->size) add(recordAt(p)->name);
    for (header* global : globalRecords()) add(global->name);
    return rl->completionMatches(word, nextCompletion);
}

static int readPipedLine(std::string& line);

// One line from the terminal with readline; Ctrl-C clears the line.
// Without the library, the prompt and a plain line.
static int readTerminalLine(const char* prompt, std::string& line, bool history) {
    const ReadlineLibrary* rl = readlineLibrary();
    if (!rl) {
        std::fputs(prompt, stdout);
        std::fflush(stdout);
        return readPipedLine(line);
    }
    keepInHistory = history;
    static bool prepared = false;
    if (!prepared) {
        *rl->catchSignals = 0;
        *rl->outstream = isatty(STDOUT_FILENO) ? stdout : stderr;
        *rl->attemptedCompletionFunction = completeTerminalName;
        *rl->basicWordBreakCharacters = const_cast<char*>(" \t\n\"()[]{},;=+-*/^<>!&|:'~");
        prepared = true;
    }
    terminalLineState = 0;
    clearStoredKey();
    rl->callbackHandlerInstall(prompt, takeTerminalLine);
    while (terminalLineState == 0) {
        int ready = waitForInput(true, -1);
        if (quitRequested) {
            rl->callbackHandlerRemove();
            rl->crlf();
            terminalLineState = 2;
        } else if (ready == 2) {
            clearStoredKey();
            rl->replaceLine("", 0);
            rl->crlf();
            rl->onNewLine();
            rl->redisplay();
        } else {
            rl->callbackReadChar();
        }
    }
    line = terminalLine;
    keepInHistory = true;
    return terminalLineState == 1;
}

// Reads a command line, or the answer of an input builtin after the
// question it printed.
static int readTerminalAnswer(std::string& line) {
    if (!inputBuiltinActive) return readTerminalLine(functionEntryActive ? "$" : ">", line, true);
    // The question is written again as readline's prompt, over itself.
    std::string prompt;
    if (isatty(STDOUT_FILENO) && !openOutputLine.empty()) {
        std::fputs("\r", stdout);
        prompt = openOutputLine;
    }
    return readTerminalLine(prompt.c_str(), line, false);
}

static int readPipedLine(std::string& line) {
    char* text = nullptr;
    size_t capacity = 0;
    ssize_t n = getline(&text, &capacity, stdin);
    if (n < 0) {
        std::free(text);
        return 0;
    }
    while (n > 0 && (text[n - 1] == '\n' || text[n - 1] == '\r')) n--;
    line.assign(text, size_t(n));
    std::free(text);
    return 1;
}

int TerminalHost::readInputLine(char* buffer) {
    std::fflush(stdout);
    if (quitRequested) {
        buffer[0] = 0;
        return 0;
    }
    std::string line;
    bool terminal = inputIsTerminal();
    int read = terminal ? readTerminalAnswer(line) : readPipedLine(line);
    // A typed answer ends its line; a piped one is not shown.
    if (!terminal && inputBuiltinActive && !openOutputLine.empty()) kalix::printToTextWindow("\n");
    openOutputLine.clear();
    inputBuiltinActive = 0;
    clearStoredKey();
    buffer[0] = 0;
    if (!read) return 0;
    // A leading byte-order mark stays as it is: the statement executor
    // recognises and refuses it.
    std::string converted;
    size_t mark = line.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    utf8ToCodePage(line.c_str() + mark, converted);
    converted.insert(0, line, 0, mark);
    if (converted.size() > 0x7fff) return refuseLongLine(converted, buffer);
    std::memcpy(buffer, converted.c_str(), converted.size() + 1);
    return 1;
}

// --- keys and waits -------------------------------------------------------

// The terminal without line editing and echo while a key is read.
class RawTerminal {
  public:
    RawTerminal() {
        if (tcgetattr(STDIN_FILENO, &saved) != 0) return;
        termios raw = saved;
        raw.c_lflag &= ~tcflag_t(ICANON | ECHO);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        active = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
    }
    ~RawTerminal() {
        if (active) tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    }
    RawTerminal(const RawTerminal&) = delete;
    RawTerminal& operator=(const RawTerminal&) = delete;

  private:
    termios saved;
    bool active = false;
};

// Where the bytes of a key come from: keys queued ahead (queueKeys), the
// terminal in raw mode, or piped input.
enum class KeySource { queue, terminal, pipe };

static std::deque<unsigned char> queuedKeys;

void queueKeys(const char* bytes) {
    if (!bytes) queuedKeys.clear();
    for (; bytes && *bytes; bytes++) queuedKeys.push_back(static_cast<unsigned char>(*bytes));
}

static int readTerminalByte(int milliseconds) {
    pollfd watch = {STDIN_FILENO, POLLIN, 0};
    if (poll(&watch, 1, milliseconds) <= 0) return -1;
    unsigned char byte;
    return read(STDIN_FILENO, &byte, 1) == 1 ? byte : -1;
}

// The next byte of a key, -1 when none follows: a terminal sends the bytes
// of one key together, so it is given 50 ms.
static int nextKeyByte(KeySource source) {
    switch (source) {
        case KeySource::queue: {
            if (queuedKeys.empty()) return -1;
            int c = queuedKeys.front();
            queuedKeys.pop_front();
            return c;
        }
        case KeySource::terminal:
            return readTerminalByte(50);
        case KeySource::pipe: {
            int c = std::getc(stdin);
            return c == EOF ? -1 : c;
        }
    }
    return -1;
}

// A byte read too far goes back to the queue or the pipe (a terminal sends
// a lone Escape with a pause after it).
static void putBackKeyByte(KeySource source, int c) {
    if (source == KeySource::queue) queuedKeys.push_front(static_cast<unsigned char>(c));
    if (source == KeySource::pipe) std::ungetc(c, stdin);
}

// The key code of the bytes after ESC: cursor keys, Insert, Delete and the
// function keys as xterm, the Linux console and VT100 send them; 0 for a
// sequence of another key.
static int readEscapeSequence(KeySource source) {
    int introducer = nextKeyByte(source);
    if (introducer < 0) return keyEscape;
    if (introducer != '[' && introducer != 'O') {
        if (source == KeySource::terminal) return 0;  // Alt and a key
        putBackKeyByte(source, introducer);
        return keyEscape;
    }
    char sequence[8];
    int n = 0;
    int c;
    while (n < 7 && (c = nextKeyByte(source)) >= 0) {
        sequence[n++] = char(c);
        // Ends at its final byte; "[[" of the Linux console is no final.
        if (c >= 0x40 && c <= 0x7E && !(n == 1 && c == '[')) break;
    }
    sequence[n] = 0;
    // ESC O P..S (VT100 F1..F4) and ESC [ [ A..E (Linux console F1..F5).
    if (introducer == 'O' && n == 1 && sequence[0] >= 'P' && sequence[0] <= 'S')
        return keyF1 + sequence[0] - 'P';
    if (introducer == '[' && n == 2 && sequence[0] == '[' && sequence[1] >= 'A' &&
        sequence[1] <= 'E')
        return keyF1 + sequence[1] - 'A';
    // ESC [ A or, in application mode, ESC O A; modifiers ("1;5A") ignored.
    char last = n > 0 ? sequence[n - 1] : 0;
    bool plain = n == 1 || (n > 1 && sequence[0] == '1' && sequence[1] == ';');
    if (plain) {
        switch (last) {
            case 'A':
                return keyCursorUp;
            case 'B':
                return keyCursorDown;
            case 'C':
                return keyCursorRight;
            case 'D':
                return keyCursorLeft;
            case 'P':
            case 'Q':
            case 'R':
            case 'S':
                return keyF1 + last - 'P';
        }
    }
    if (introducer != '[') return 0;
    static const struct {
        const char* text;
        int code;
    } numbered[] = {
        {"2~", keyInsert},  {"3~", keyDelete},  {"11~", keyF1},     {"12~", keyF1 + 1},
        {"13~", keyF1 + 2}, {"14~", keyF1 + 3}, {"15~", keyF1 + 4}, {"17~", keyF1 + 5},
        {"18~", keyF1 + 6}, {"19~", keyF1 + 7}, {"20~", keyF1 + 8}, {"21~", keyF1 + 9},
    };
    for (const auto& key : numbered) {
        if (std::strcmp(sequence, key.text) == 0) return key.code;
    }
    return 0;
}

// The key that starts with the byte `c`: the character typed (its code
// point in code page 65001, else its byte in the code page), or 0 with the
// key code of a special key.
static int decodeKey(KeySource source, int c, int* keyCode) {
    *keyCode = keyNone;
    if (c == 27) {
        *keyCode = readEscapeSequence(source);
        return 0;
    }
    if (c == 127) return 8;
    if (c == '\n') return 13;
    if (c < 0xC0) return c;
    char text[5] = {char(c)};
    int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    for (int i = 1; i < length; i++) {
        int next = nextKeyByte(source);
        if (next < 0) break;
        text[i] = char(next);
    }
    std::string converted;
    utf8ToCodePage(text, converted);
    return converted.empty() ? 0 : characterCode(converted.c_str(), codePageIsUtf8());
}

// One key: a queued one, else one from the raw terminal, waiting at most
// `milliseconds` (< 0 without limit; Ctrl-C is Escape), else one from
// piped input when `fromPipe` (the end of the input is Escape).
static int readKey(long long milliseconds, int* keyCode, bool fromPipe) {
    *keyCode = keyNone;
    if (!queuedKeys.empty())
        return decodeKey(KeySource::queue, nextKeyByte(KeySource::queue), keyCode);
    if (!inputIsTerminal()) {
        if (!fromPipe) return 0;
        int c = nextKeyByte(KeySource::pipe);
        if (c < 0) {
            *keyCode = keyEscape;
            return 0;
        }
        return decodeKey(KeySource::pipe, c, keyCode);
    }
    RawTerminal raw;
    int ready = waitForInput(true, milliseconds);
    if (ready == 2) {
        clearStoredKey();
        *keyCode = keyEscape;
        return 0;
    }
    if (ready == 0) return 0;
    int c = readTerminalByte(0);
    if (c < 0) return 0;
    return decodeKey(KeySource::terminal, c, keyCode);
}

int TerminalHost::pollKey() {
    int keyCode;
    return readKey(0, &keyCode, false);
}

int TerminalHost::waitKeyWithStatus(int* keyCode, const char* status) {
    kalix::setStatusText(status);
    std::fflush(stdout);
    return readKey(-1, keyCode, true);
}

int TerminalHost::waitWithStatus(double seconds, int* keyCode, const char* status) {
    *keyCode = keyNone;
    std::fflush(stdout);
    if (!(seconds >= 1)) {
        long milliseconds = seconds > 0 ? long(seconds * 1000) : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds < 1 ? 1 : milliseconds));
        return 0;
    }
    kalix::setStatusText(status);
    // At most about 30 years: the deadline is counted in nanoseconds.
    long long milliseconds = seconds * 1000 < 1e12 ? (long long)(seconds * 1000) : (long long)1e12;
    // Piped input holds commands, not keys: only Ctrl-C ends the wait.
    if (!inputIsTerminal() && queuedKeys.empty()) {
        if (waitForInput(false, milliseconds) == 2) {
            clearStoredKey();
            *keyCode = keyEscape;
        }
        return 0;
    }
    return readKey(milliseconds, keyCode, false);
}

// A terminal has no graphics window: a key ends a mouse wait, and the
// position stays where it was. Escape is the character 27 there too.
static double lastMouseX = 0, lastMouseY = 0;

static int keyOf(int character, int keyCode) {
    if (character) return character;
    return keyCode == keyEscape ? 27 : keyCode;
}

int TerminalHost::waitMouseClick(double* x, double* y, const char* status) {
    int keyCode;
    int character = kalix::waitKeyWithStatus(&keyCode, status);
    *x = lastMouseX;
    *y = lastMouseY;
    return keyOf(character, keyCode);
}

int TerminalHost::waitMouseDrag(double* x, double* y, int* time, int* key, const char* status) {
    int keyCode;
    int character = kalix::waitKeyWithStatus(&keyCode, status);
    *x = lastMouseX;
    *y = lastMouseY;
    *time = 0;
    *key = keyOf(character, keyCode);
    return 0;
}

int TerminalHost::getMousePosition(double* x, double* y) {
    *x = lastMouseX;
    *y = lastMouseY;
    return 0;
}

// --- output ---------------------------------------------------------------

static bool isAscii(const char* text) {
    for (; *text; text++) {
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    }
    return true;
}

// A text of the code page (or UTF-8 after a byte-order mark) as UTF-8:
// the text itself when it needs no conversion, else `converted`.
static std::string_view utf8Of(const char* text, std::string& converted) {
    if (std::strncmp(text, "\xEF\xBB\xBF", 3) == 0) return text + 3;
    if (isAscii(text)) return text;
    codePageToUtf8(text, converted);
    return converted;
}

static void writeUtf8(FILE* stream, const char* text) {
    std::string converted;
    std::string_view bytes = utf8Of(text, converted);
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

int TerminalHost::printToTextWindow(const char* text) {
    std::string converted;
    std::string_view bytes = utf8Of(text, converted);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    size_t lineEnd = bytes.rfind('\n');
    if (lineEnd == std::string_view::npos)
        openOutputLine += bytes;
    else
        openOutputLine.assign(bytes.substr(lineEnd + 1));
    return 1;
}

void TerminalHost::showWarning(const char* text, const char* title) {
    std::fflush(stdout);
    writeUtf8(stderr, title);
    std::fputs(": ", stderr);
    writeUtf8(stderr, text);
    std::fputc('\n', stderr);
}

// A terminal shows a formula's LaTeX text; it has no notebook, status bar
// or menus.
void TerminalHost::insertLatexImage(const char* latex) {
    kalix::printToTextWindow(latex);
    kalix::printToTextWindow("\n");
}

// A user at the terminal gets the jobs of the interpreter's start; input
// from a pipe or a file does not.
bool TerminalHost::runsStartupJobs() { return inputIsTerminal(); }

// --- the permission question ----------------------------------------------

int TerminalHost::askAllowDialog(const char* question) {
    // Nobody at a terminal to answer: refused.
    if (!inputIsTerminal()) return allowNo;
    std::fflush(stdout);
    writeUtf8(stdout, question);
    std::fputs("\n", stdout);
    std::string answer;
    if (!readTerminalLine("(y)es, (n)o, (a)llow all until restart? ", answer, false))
        return allowNo;
    if (answer == "y" || answer == "Y" || answer == "yes") return allowYes;
    if (answer == "a" || answer == "A") return allowUntilRestart;
    return allowNo;
}

}  // namespace kalix
