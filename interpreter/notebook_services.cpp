// Services of the notebook and help for the interpreter. The terminal has
// no notebook: images are not inserted and help is not available yet.
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

void showHelp(int) {
    scanPointer += std::strlen(scanPointer);
    fail(errorFailed, "Help is not available.\n");
}
