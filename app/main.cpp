// The program: in its notebook window when a display is there, else on
// the terminal.
#include "app/shutdown.h"
#include "app/startup.h"
#include "gui/graphics_commands.h"
#include "gui/notebook_window_host.h"
#include "gui/qt_pixels.h"

int main(int argc, char** argv) {
    installQtPixelBackend();
    offeredWindowHost = &notebookWindowHost();
    printJobRunning = printJobActive;
    return runMain(argc, argv);
}
