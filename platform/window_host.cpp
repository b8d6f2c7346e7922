#include "platform/window_host.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace kalix {

static bool isSocket(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode);
}

// A display that a window can be opened on: a local X display whose socket
// exists, any remote X display, or a Wayland socket. (The toolkit ends the
// program when it cannot reach a display, so look before.)
static bool displayReachable() {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (wayland && *wayland) {
        std::string path =
            wayland[0] == '/' ? wayland : std::string(runtime ? runtime : "") + "/" + wayland;
        if (isSocket(path)) return true;
    }
    const char* display = std::getenv("DISPLAY");
    if (!display || !*display) return false;
    if (display[0] != ':') return true;
    std::string number(display + 1);
    number = number.substr(0, number.find('.'));
    return isSocket("/tmp/.X11-unix/X" + number);
}

int windowsWanted(int scriptMode) {
    if (scriptMode) return 0;
    if (!displayReachable()) return 0;
    // A desktop starts programs with input from /dev/null (a device): that
    // is no script. A pipe or a file is.
    struct stat input;
    if (fstat(STDIN_FILENO, &input) == 0 &&
        (S_ISFIFO(input.st_mode) || S_ISREG(input.st_mode) || S_ISSOCK(input.st_mode)))
        return 0;
    return 1;
}

}  // namespace kalix
