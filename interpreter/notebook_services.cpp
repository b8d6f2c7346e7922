// Services of the notebook and help for the interpreter. The terminal has
// no notebook: images are not inserted. Help is reached through the
// handler the help installs.
#include "interpreter/notebook_services.h"

#include <cstring>

#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/stack.h"

int lineLength = 70;
char functionKeyTexts[functionKeyCount + 1][functionKeyTextSize];

void clearFunctionKeys() { std::memset(functionKeyTexts, 0, sizeof functionKeyTexts); }

void insertGraphicsImage(int, const char*, int, double, double, double, double) {}

void insertImageFile(int, const char*, double, int, const char*, int) {}

static void (*helpHandler)(int) = nullptr;

void setHelpHandler(void (*handler)(int)) { helpHandler = handler; }

void showHelp(int flag) {
    if (helpHandler) return helpHandler(flag);
    scanPointer += std::strlen(scanPointer);
    fail(errorFailed, "Help is not available.\n");
}
