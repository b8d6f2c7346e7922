// The permission question on the terminal.
#include "platform/allow_question.h"

#include <unistd.h>

#include <cstdio>
#include <string>

#include "shell/settings.h"
#include "shell/text.h"

int askAllowQuestion(const char* question) {
    // Input from a pipe or file: nobody is there to answer.
    if (!isatty(STDIN_FILENO)) return allowNo;
    FILE* terminal = std::fopen("/dev/tty", "r+");
    if (!terminal) return allowNo;
    std::string text;
    codePageToUtf8(question, text);
    std::fprintf(terminal, "%s\n(y)es, (n)o, (a)lways until restart: ", text.c_str());
    std::fflush(terminal);
    char answer[64] = "";
    if (!std::fgets(answer, sizeof answer, terminal)) answer[0] = 0;
    std::fclose(terminal);
    if (answer[0] == 'y' || answer[0] == 'Y') return allowYes;
    if (answer[0] == 'a' || answer[0] == 'A') return allowUntilRestart;
    return allowNo;
}

bool askAllowed(const char* question, int* allowedUntilRestart) {
    if (!intSetting("askexec") || *allowedUntilRestart) return true;
    int answer = askAllowQuestion(question);
    if (answer == allowUntilRestart) *allowedUntilRestart = 1;
    return answer != allowNo;
}
