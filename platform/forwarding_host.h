// A host that passes every service to another one: the base of a host that
// takes over only a few of them (the unattended run of a notebook takes the
// lines and the output, the terminal does the rest).
#pragma once

#include "platform/host.h"

namespace kalix {

class ForwardingHost : public Host {
  public:
    explicit ForwardingHost(Host& below) : below(below) {}

    int readInputLine(char* buffer) override { return below.readInputLine(buffer); }
    int checkEscape() override { return below.checkEscape(); }
    int pollKey() override { return below.pollKey(); }
    int waitKeyWithStatus(int* keyCode, const char* status) override {
        return below.waitKeyWithStatus(keyCode, status);
    }
    int waitWithStatus(double seconds, int* keyCode, const char* status) override {
        return below.waitWithStatus(seconds, keyCode, status);
    }
    int waitMouseClick(double* x, double* y, const char* status) override {
        return below.waitMouseClick(x, y, status);
    }
    int waitMouseDrag(double* x, double* y, int* time, int* key, const char* status) override {
        return below.waitMouseDrag(x, y, time, key, status);
    }
    int getMousePosition(double* x, double* y) override { return below.getMousePosition(x, y); }
    int printToTextWindow(const char* text) override { return below.printToTextWindow(text); }
    void showWarning(const char* text, const char* title) override {
        below.showWarning(text, title);
    }
    void insertLatexImage(const char* latex) override { below.insertLatexImage(latex); }
    int askAllowDialog(const char* question) override { return below.askAllowDialog(question); }
    void showTextWindow() override { below.showTextWindow(); }
    void setStatusText(const char* text) override { below.setStatusText(text); }
    void reportAutomaticModeError(const char* line) override {
        below.reportAutomaticModeError(line);
    }
    void endFunctionEntry() override { below.endFunctionEntry(); }
    void startNewNotebook() override { below.startNewNotebook(); }
    void clearTextWindow() override { below.clearTextWindow(); }
    void addLoadedFileToMenu(const char* name) override { below.addLoadedFileToMenu(name); }
    void setUserSubmenuName(const char* name) override { below.setUserSubmenuName(name); }
    void addUserMenuItem(const char* text) override { below.addUserMenuItem(text); }
    int isShiftKeyHeld() override { return below.isShiftKeyHeld(); }
    bool runsStartupJobs() override { return below.runsStartupJobs(); }
    void interpreterEnded() override { below.interpreterEnded(); }
    PictureService* pictureService() override { return below.pictureService(); }

  private:
    Host& below;
};

}  // namespace kalix
