// The terminal program.
#include "shell/startup.h"
#include "shell/windows/qt_pixels.h"

int main(int argc, char** argv) {
    installQtPixelBackend();
    return runMain(argc, argv);
}
