// The host on a terminal. Command lines come from standard input: on a
// terminal with the prompt ">" and GNU readline editing and history, from a
// pipe or file without a prompt. Output goes to standard output, converted
// from the program's code page to UTF-8. Ctrl-C clears the line at the
// prompt and is the Escape key during a computation; key waits read one key
// from the terminal in raw mode.
#include "platform/host.h"

#include <fcntl.h>
#include <poll.h>
#include <readline/history.h>
#include <readline/readline.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "platform/window_host.h"
#include "shell/text.h"

int inputBuiltinActive = 0;
int functionEntryActive = 0;

// The key code stored by Ctrl-C; the signal handler also writes a byte into
// the pipe so that a wait on the terminal wakes up.
static std::atomic<int> storedKeyCode{0};
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

int checkEscape() {
    if (windowHost) return windowHost->checkEscape();
    // Loops ask at every pass: a plain load first, the exchange only when
    // a key is there.
    if (storedKeyCode.load(std::memory_order_relaxed) != keyEscape) return 0;
    int expected = keyEscape;
    if (!storedKeyCode.compare_exchange_strong(expected, 0)) return 0;
    drainInterruptPipe();
    return keyEscape;
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

static void takeTerminalLine(char* text) {
    if (!text) {
        terminalLineState = 2;
    } else {
        terminalLine = text;
        if (*text) add_history(text);
        std::free(text);
        terminalLineState = 1;
    }
    rl_callback_handler_remove();
}

// One line from the terminal with readline; Ctrl-C clears the line.
static int readTerminalLine(const char* prompt, std::string& line) {
    static bool prepared = false;
    if (!prepared) {
        rl_catch_signals = 0;
        rl_outstream = isatty(STDOUT_FILENO) ? stdout : stderr;
        prepared = true;
    }
    terminalLineState = 0;
    clearStoredKey();
    rl_callback_handler_install(prompt, takeTerminalLine);
    while (terminalLineState == 0) {
        int ready = waitForInput(true, -1);
        if (ready == 2) {
            clearStoredKey();
            rl_replace_line("", 0);
            rl_crlf();
            rl_on_new_line();
            rl_redisplay();
        } else {
            rl_callback_read_char();
        }
    }
    line = terminalLine;
    return terminalLineState == 1;
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

int readInputLine(char* buffer) {
    if (windowHost) return windowHost->readInputLine(buffer);
    std::fflush(stdout);
    std::string line;
    int read = inputIsTerminal() ? readTerminalLine(functionEntryActive ? "$" : ">", line)
                                 : readPipedLine(line);
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
    if (converted.size() > 0x7fff) return inputLineTooLong;
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

static int readByte(int milliseconds) {
    pollfd watch = {STDIN_FILENO, POLLIN, 0};
    if (poll(&watch, 1, milliseconds) <= 0) return -1;
    unsigned char byte;
    return read(STDIN_FILENO, &byte, 1) == 1 ? byte : -1;
}

// The key code of an escape sequence after ESC, 0 when unknown.
static int readEscapeSequence() {
    int introducer = readByte(50);
    if (introducer < 0) return keyEscape;
    char sequence[8];
    int n = 0;
    int c;
    while (n < 7 && (c = readByte(50)) >= 0) {
        sequence[n++] = char(c);
        if (c >= 0x40 && c <= 0x7E) break;
    }
    sequence[n] = 0;
    if (introducer == 'O' && n == 1 && sequence[0] >= 'P' && sequence[0] <= 'S')
        return keyF1 + sequence[0] - 'P';
    if (introducer != '[') return 0;
    switch (sequence[0]) {
        case 'A':
            return keyCursorUp;
        case 'B':
            return keyCursorDown;
        case 'C':
            return keyCursorRight;
        case 'D':
            return keyCursorLeft;
    }
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

// One key from the raw terminal: the character typed (in the code page),
// or 0 with the key code of a special key. Waits at most `milliseconds`
// (< 0 without limit); Ctrl-C is Escape.
static int readKey(long long milliseconds, int* keyCode) {
    *keyCode = keyNone;
    int ready = waitForInput(true, milliseconds);
    if (ready == 2) {
        clearStoredKey();
        *keyCode = keyEscape;
        return 0;
    }
    if (ready == 0) return 0;
    int c = readByte(0);
    if (c < 0) return 0;
    if (c == 27) {
        *keyCode = readEscapeSequence();
        return 0;
    }
    if (c == 127) return 8;
    if (c == '\n') return 13;
    if (c < 0xC0) return c;
    char text[5] = {char(c)};
    int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    for (int i = 1; i < length; i++) {
        int next = readByte(50);
        if (next < 0) break;
        text[i] = char(next);
    }
    std::string converted;
    utf8ToCodePage(text, converted);
    return converted.empty() ? 0 : static_cast<unsigned char>(converted[0]);
}

int pollKey() {
    if (!inputIsTerminal()) return 0;
    RawTerminal raw;
    int keyCode;
    return readKey(0, &keyCode);
}

int waitKeyWithStatus(int* keyCode, const char* status) {
    *keyCode = keyNone;
    setStatusText(status);
    std::fflush(stdout);
    if (!inputIsTerminal()) return 0;
    RawTerminal raw;
    return readKey(-1, keyCode);
}

int waitForKey(int* keyCode) { return waitKeyWithStatus(keyCode, ""); }

int waitWithStatus(double seconds, int* keyCode, const char* status) {
    *keyCode = keyNone;
    std::fflush(stdout);
    if (!(seconds >= 1)) {
        long milliseconds = seconds > 0 ? long(seconds * 1000) : 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds < 1 ? 1 : milliseconds));
        return 0;
    }
    setStatusText(status);
    long long milliseconds = seconds * 1000 < 1e15 ? (long long)(seconds * 1000) : (long long)1e15;
    if (inputIsTerminal()) {
        RawTerminal raw;
        return readKey(milliseconds, keyCode);
    }
    if (waitForInput(false, milliseconds) == 2) {
        clearStoredKey();
        *keyCode = keyEscape;
    }
    return 0;
}

int waitSeconds(double seconds, int* keyCode) { return waitWithStatus(seconds, keyCode, ""); }

// --- output ---------------------------------------------------------------

static bool isAscii(const char* text) {
    for (; *text; text++) {
        if (static_cast<unsigned char>(*text) >= 0x80) return false;
    }
    return true;
}

// Writes a text of the code page (or UTF-8 after a byte-order mark) as UTF-8.
static void writeUtf8(FILE* stream, const char* text) {
    if (std::strncmp(text, "\xEF\xBB\xBF", 3) == 0) {
        std::fputs(text + 3, stream);
    } else if (isAscii(text)) {
        std::fputs(text, stream);
    } else {
        std::string converted;
        codePageToUtf8(text, converted);
        std::fwrite(converted.data(), 1, converted.size(), stream);
    }
}

int printToTextWindow(const char* text) {
    if (windowHost) return windowHost->printToTextWindow(text);
    writeUtf8(stdout, text);
    return 1;
}

void showWarning(const char* text, const char* title) {
    if (windowHost) {
        windowHost->showWarning(text, title);
        return;
    }
    std::fflush(stdout);
    writeUtf8(stderr, title);
    std::fputs(": ", stderr);
    writeUtf8(stderr, text);
    std::fputc('\n', stderr);
}

// A terminal has no notebook, status bar, menus or unattended runs; the
// window host takes some of these over while its windows are open.
void showTextWindow() {
    if (windowHost) windowHost->showTextWindow();
}
void setStatusText(const char* text) {
    if (windowHost) windowHost->setStatusText(text);
}
void reportAutomaticModeError(const char*) {}
void insertLatexImage(const char*) {}
void endFunctionEntry() {
    if (windowHost) windowHost->endFunctionEntry();
}
void addLoadedFileToMenu(const char* name) {
    if (windowHost) windowHost->addLoadedFileToMenu(name);
}
void setUserSubmenuName(const char* name) {
    if (windowHost) windowHost->setUserSubmenuName(name);
}
void addUserMenuItem(const char* text) {
    if (windowHost) windowHost->addUserMenuItem(text);
}
void startStartupThread() {}
void startNewNotebook() {
    if (windowHost) windowHost->startNewNotebook();
}
void clearTextWindow() {
    if (windowHost) windowHost->clearTextWindow();
}
