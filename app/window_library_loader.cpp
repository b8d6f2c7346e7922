#include "app/window_library_loader.h"

#include <dlfcn.h>

#include <cstdio>
#include <mutex>
#include <string>

#include "graphics/pixel_device.h"
#include "gui/window_library.h"
#include "platform/host.h"

namespace kalix {

namespace {

const WindowLibrary* library = nullptr;  // written once, under `opened`
std::string openError;
std::once_flag opened;

void openLibrary() {
#ifdef KALIX_WINDOWS_LINKED_IN
    library = kalixWindowLibrary();
#else
    const std::string path = std::string(getProgramDir()) + windowLibraryFile;
    void* handle = dlopen(path.c_str(), RTLD_LAZY | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        openError = reason ? reason : path;
        return;
    }
    using Entry = const WindowLibrary* (*)();
    auto entry = reinterpret_cast<Entry>(dlsym(handle, windowLibraryEntry));
    if (!entry) {
        openError = path + ": no entry " + windowLibraryEntry;
        return;
    }
    library = entry();
#endif
}

const WindowLibrary* windowLibrary() {
    std::call_once(opened, openLibrary);
    if (!library) writeLog("Windows' library: %s", openError.c_str());
    return library;
}

class LoadingPixelBackend : public PixelBackend {
  public:
    std::unique_ptr<PixelDevice> deviceOn(PixelImage& image, const FontSpec& font) override {
        const WindowLibrary* windows = windowLibrary();
        return windows ? windows->pixels->deviceOn(image, font) : nullptr;
    }
    bool loadImage(const char* file, PixelImage& out) override {
        const WindowLibrary* windows = windowLibrary();
        return windows && windows->pixels->loadImage(file, out);
    }
};

}  // namespace

WindowHost* loadedWindowHost() {
    const WindowLibrary* windows = windowLibrary();
    if (!windows) {
        std::fprintf(stderr, "Could not open the windows: %s\n", openError.c_str());
        return nullptr;
    }
    return windows->host;
}

PixelBackend& loadingPixelBackend() {
    static LoadingPixelBackend backend;
    return backend;
}

}  // namespace kalix
