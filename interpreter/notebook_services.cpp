// Services of the notebook and help for the interpreter. Pictures go to the
// host's picture service; the terminal has none: images are read and
// checked, not inserted. Help is reached through the
// handler the help installs.
#include "interpreter/notebook_services.h"

#include <cstring>

#include "graphics/picture_files.h"
#include "graphics/png_export.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/stack.h"

namespace kalix {

std::atomic<int> lineLength{70};
char functionKeyTexts[functionKeyCount + 1][functionKeyTextSize];

void clearFunctionKeys() { std::memset(functionKeyTexts, 0, sizeof functionKeyTexts); }

void insertGraphicsImage(int lineCount, const char* text, int antialias, double top, double bottom,
                         double left, double right) {
    PictureService* pictureService = installedHost->pictureService();
    if (pictureService)
        pictureService->insertGraphicsImage(lineCount, text, antialias, top, bottom, left, right);
}

int insertRgbImage(int lineCount, const char* text, const double* values, int columns, int rows) {
    PictureService* pictureService = installedHost->pictureService();
    if (pictureService)
        return pictureService->insertRgbImage(lineCount, text, values, columns, rows);
    return 1;
}

int insertImageFile(int lineCount, const char* path, double scale, int mode, const char* formula,
                    int mathJax) {
    PictureService* pictureService = installedHost->pictureService();
    if (pictureService)
        return pictureService->insertImageFile(lineCount, path, scale, mode, formula, mathJax);
    // Without a notebook the file is only read.
    PixelImage image;
    std::string used;
    return loadRgbImage(path, image, &used) ? 1 : 0;
}

int loadAnaglyphImage(int lineCount, const char* left, const char* right, std::string& message) {
    PictureService* pictureService = installedHost->pictureService();
    if (pictureService) return pictureService->loadAnaglyphImage(lineCount, left, right, message);
    PixelImage image;
    return loadAnaglyphFiles(left, right, image, message) ? 1 : 0;
}

int askKeepWaiting(const char* question) {
    PictureService* pictureService = installedHost->pictureService();
    return pictureService ? pictureService->askKeepWaiting(question) : 0;
}

static void (*helpHandler)(int) = nullptr;

void setHelpHandler(void (*handler)(int)) { helpHandler = handler; }

void showHelp(int flag) {
    if (helpHandler) return helpHandler(flag);
    scanPointer += std::strlen(scanPointer);
    fail(errorFailed, "Help is not available.\n");
}

}  // namespace kalix
