#include "gui/program_launch.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "base/base_directory.h"
#include "base/settings.h"
#include "gui/dialogs.h"
#include "platform/child_process.h"
#include "platform/host.h"
#include "platform/processes.h"

namespace kalix {

std::string registeredBrowser() { return findProgram("xdg-open"); }

std::string systemBrowser() {
    std::string browser = textSetting("browserstring");
    return browser.empty() ? registeredBrowser() : browser;
}

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

std::string trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool hasExtension(const std::string& name) {
    size_t slash = name.rfind('/');
    size_t dot = name.rfind('.');
    return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

// Where a documentation page lies: an address, or a local file.
std::string pageTarget(const std::string& page) {
    if (startsWith(page, "http") || startsWith(page, "file")) return page;
    if (startsWith(page, "See: ") || startsWith(page, "see: ")) {
        std::string rest = page.substr(5);
        size_t bar = rest.find(" | ");
        bool labelled = bar != std::string::npos;
        std::string target = trimmed(labelled ? rest.substr(0, bar) : rest);
        if (startsWith(target, "http") || startsWith(target, "file")) return target;
        if (!hasExtension(target) && (labelled || target.find('#') == std::string::npos))
            target += ".html";
        char directory[1024];
        if (!getcwd(directory, sizeof directory)) directory[0] = 0;
        return std::string("file://") + directory + "/" + target;
    }
    std::string folder = textSetting("browserdir");
    if (folder.empty()) return std::string("file://") + programDir.getText() + "docs/" + page;
    if (startsWith(folder, "http")) return folder + "/" + page;
    return "file://" + folder + "/" + page;
}

}  // namespace

void openInBrowser(const char* page) {
    std::string browser = systemBrowser();
    if (browser.empty()) {
        showMessage("Could not find the default browser.\nPlease set it in the program settings.",
                    "Kalix");
        return;
    }
    std::vector<std::string> words = splitCommandWords(browser.c_str());
    words.push_back(pageTarget(page ? page : ""));
    std::string error;
    if (!startProgram(words, std::string(), error))
        showFormattedMessage("Kalix",
                             "Could not open the browser!\nTry editing the browser "
                             "settings.\nCommand Line was:\n%s",
                             commandLineText(words).c_str());
}

void openDocumentationPage(const char* page) {
    std::string target = pageTarget(page ? page : "");
    if (startsWith(target, "file://")) {
        std::string file = target.substr(7);
        file = file.substr(0, file.find('#'));
        if (access(file.c_str(), R_OK) != 0) {
            showFormattedMessage("Kalix", "The documentation page\n%s\nis not available.",
                                 file.c_str());
            return;
        }
    }
    openInBrowser(page);
}

}  // namespace kalix
