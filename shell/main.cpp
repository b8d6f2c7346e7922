// The program: in its notebook window when a display is there, else on
// the terminal.
#include "shell/shutdown.h"
#include "shell/startup.h"
#include "shell/windows/graphics_commands.h"
#include "shell/windows/notebook_window_host.h"
#include "shell/windows/qt_pixels.h"

int main(int argc, char** argv) {
    installQtPixelBackend();
    offeredWindowHost = &notebookWindowHost();
    printJobRunning = printJobActive;
    return runMain(argc, argv);
}
