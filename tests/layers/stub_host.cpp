// A host that does nothing, and empty builtin and command lists: what the
// layers below the hosts and the program expect from above. The link
// checks link a layer alone with it, so that a call from a layer into one
// above it fails to link.
#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "platform/host.h"

namespace kalix {

namespace {

class StubHost : public Host {
  public:
    int readInputLine(char* buffer) override {
        buffer[0] = 0;
        return 0;
    }
    int checkEscape() override { return 0; }
    int pollKey() override { return 0; }
    int waitKeyWithStatus(int* keyCode, const char*) override {
        *keyCode = keyEscape;
        return 0;
    }
    int waitWithStatus(double, int* keyCode, const char*) override {
        *keyCode = keyEscape;
        return 0;
    }
    int waitMouseClick(double* x, double* y, const char*) override {
        *x = *y = 0;
        return keyEscape;
    }
    int waitMouseDrag(double* x, double* y, int* time, int* key, const char*) override {
        *x = *y = 0;
        *time = 0;
        *key = keyEscape;
        return 0;
    }
    int getMousePosition(double* x, double* y) override {
        *x = *y = 0;
        return 0;
    }
    int printToTextWindow(const char*) override { return 0; }
    void showWarning(const char*, const char*) override {}
    void insertLatexImage(const char*) override {}
    int askAllowDialog(const char*) override { return 0; }
};

StubHost stubHost;
[[maybe_unused]] const bool installed = (installHost(&stubHost), true);

}  // namespace

const BuiltinFamily* const builtinFamilies[] = {nullptr};
const size_t builtinFamilyCount = 0;
const CommandFamily* const commandFamilies[] = {nullptr};

}  // namespace kalix
