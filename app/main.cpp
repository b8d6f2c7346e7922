// The program: in its notebook window when a display is there, else on
// the terminal.
#include "app/startup.h"
#include "gui/notebook_window_host.h"
#include "gui/qt_pixels.h"

int main(int argc, char** argv) {
    installQtPixelBackend();
    offeredWindowHost = &notebookWindowHost();
    return runMain(argc, argv);
}
