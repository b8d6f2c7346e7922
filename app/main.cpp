// The program: in its notebook window when a display is there, else on
// the terminal. The windows and the pixel pictures come from the windows'
// library, opened when first needed.
#include "app/startup.h"
#include "app/window_library_loader.h"
#include "graphics/pixel_device.h"

int main(int argc, char** argv) {
    using namespace kalix;
    installPixelBackend(&loadingPixelBackend());
    offeredWindowHost = loadedWindowHost;
    return runMain(argc, argv);
}
