// A host that does nothing, and empty builtin and command lists: what the
// layers below the hosts and the program expect from above. The link
// checks link a layer alone with it, so that a call from a layer into one
// above it fails to link.
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "platform/host.h"

int readInputLine(char* buffer) {
    buffer[0] = 0;
    return 0;
}
int checkEscape() { return 0; }
int waitForKey(int* keyCode) {
    *keyCode = keyEscape;
    return 0;
}
int pollKey() { return 0; }
int waitKeyWithStatus(int* keyCode, const char*) { return waitForKey(keyCode); }
int waitWithStatus(double, int* keyCode, const char*) { return waitForKey(keyCode); }
int waitMouseClick(double* x, double* y, const char*) {
    *x = *y = 0;
    return keyEscape;
}
int waitForMouse(double* x, double* y) { return waitMouseClick(x, y, ""); }
int waitMouseDrag(double* x, double* y, int* time, int* key, const char*) {
    *x = *y = 0;
    *time = 0;
    *key = keyEscape;
    return 0;
}
int getMousePosition(double* x, double* y) {
    *x = *y = 0;
    return 0;
}
void setStartupJob(void (*)()) {}
int printToTextWindow(const char*) { return 0; }
void showTextWindow() {}
void setStatusText(const char*) {}
void reportAutomaticModeError(const char*) {}
void showWarning(const char*, const char*) {}
void clearTextWindow() {}
void startNewNotebook() {}
void startStartupThread() {}
void insertLatexImage(const char*) {}
void endFunctionEntry() {}
void addLoadedFileToMenu(const char*) {}
void setUserSubmenuName(const char*) {}
void addUserMenuItem(const char*) {}
int askAllowDialog(const char*) { return 0; }

const BuiltinFamily* const builtinFamilies[] = {nullptr};
const size_t builtinFamilyCount = 0;
const CommandFamily* const commandFamilies[] = {nullptr};
