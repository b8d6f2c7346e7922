#include "platform/update_check.h"

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/child_process.h"
#include "platform/host.h"
#include "base/settings.h"
#include "base/text.h"

namespace {

constexpr size_t pageLimit = 1020;
std::atomic<int> stopping{0};

struct Download {
    std::string bytes;
};

size_t takeBytes(char* data, size_t size, size_t count, void* context) {
    auto* download = static_cast<Download*>(context);
    const size_t n = size * count;
    const size_t room = pageLimit - download->bytes.size();
    download->bytes.append(data, n < room ? n : room);
    // Enough read: ending the transfer here is no failure.
    return download->bytes.size() >= pageLimit ? 0 : n;
}

int progress(void*, curl_off_t, curl_off_t, curl_off_t, curl_off_t) { return stopping.load(); }

// The code page's byte of the no-break space.
unsigned char noBreakSpace() {
    std::string converted;
    utf8ToCodePage("\xC2\xA0", converted);
    return converted.empty() ? 0xA0 : static_cast<unsigned char>(converted[0]);
}

bool isTokenByte(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           c >= 0xC2 || c == noBreakSpace() || c == '.';
}

std::atomic<int> failureShown{0};

}  // namespace

std::string runningVersion() {
    std::string path = std::string(getProgramDir()) + "version.txt";
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return "";
    char line[33] = {};
    if (!std::fgets(line, sizeof line, file)) line[0] = 0;
    std::fclose(file);
    std::string version = line;
    while (!version.empty() && (version.back() == '\n' || version.back() == '\r'))
        version.pop_back();
    return version;
}

std::string changesPageAddress() {
    std::string address = readTextSetting("updateaddress", "");
    if (address.empty()) return "";
    while (!address.empty() && address.back() == '/') address.pop_back();
    return address + "/Programs/Changes.html";
}

UpdateResult judgeChangesPage(const std::string& page, const std::string& running,
                              const std::string& announced, bool automatic, std::string* token) {
    token->clear();
    const size_t at = page.find("Version ");
    if (at == std::string::npos) return UpdateResult::upToDate;
    const std::string published = page.substr(at + 8);
    // The published version's word (up to a blank or a tag) against the
    // running version, over their first 10 characters.
    const std::string word = published.substr(0, published.find_first_of(" \t\r\n<"));
    if (word.substr(0, 10) == running.substr(0, 10)) return UpdateResult::upToDate;
    if (automatic && !announced.empty() && published.compare(0, announced.size(), announced) == 0)
        return UpdateResult::upToDate;
    for (unsigned char c : published) {
        if (!isTokenByte(c)) break;
        token->push_back(char(c));
    }
    return UpdateResult::newVersion;
}

UpdateResult checkForNewVersion(bool automatic, std::string* token) {
    token->clear();
    const std::string address = changesPageAddress();
    if (address.empty()) return UpdateResult::noAddress;
    CURL* transfer = curl_easy_init();
    if (!transfer) return UpdateResult::unreachable;
    Download download;
    curl_easy_setopt(transfer, CURLOPT_URL, address.c_str());
    curl_easy_setopt(transfer, CURLOPT_USERAGENT, "Kalix");
    curl_easy_setopt(transfer, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(transfer, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(transfer, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(transfer, CURLOPT_TIMEOUT, 10L);
    curl_easy_setopt(transfer, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(transfer, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(transfer, CURLOPT_WRITEFUNCTION, takeBytes);
    curl_easy_setopt(transfer, CURLOPT_WRITEDATA, &download);
    curl_easy_setopt(transfer, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(transfer, CURLOPT_XFERINFOFUNCTION, progress);
    const CURLcode code = curl_easy_perform(transfer);
    curl_easy_cleanup(transfer);
    const bool complete =
        code == CURLE_OK || (code == CURLE_WRITE_ERROR && !download.bytes.empty());
    if (!complete || download.bytes.empty()) return UpdateResult::unreachable;
    const std::string announced = readTextSetting("showedversion", "");
    return judgeChangesPage(download.bytes, runningVersion(), announced, automatic, token);
}

void startUpdateCheck(bool automatic,
                      void (*report)(UpdateResult result, const char* version, bool automatic)) {
    std::thread([automatic, report] {
        if (automatic) {
            for (int i = 0; i < 10 && !stopping; i++)
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (stopping) return;
        std::string token;
        const UpdateResult result = checkForNewVersion(automatic, &token);
        if (stopping) return;
        if (automatic && result == UpdateResult::newVersion)
            writeSetting("showedversion", token.c_str());
        if (report) report(result, token.c_str(), automatic);
    }).detach();
}

void stopUpdateChecks() { stopping = 1; }

void reportUpdateCheck(UpdateResult result, const char* version, bool automatic) {
    switch (result) {
        case UpdateResult::noAddress:
        case UpdateResult::unreachable:
            // Said once a session; the automatic check says nothing more.
            if (automatic && failureShown.exchange(1)) return;
            writeLog("Update check: %s",
                     result == UpdateResult::noAddress ? "no address" : "failed");
            showWarning(result == UpdateResult::noAddress
                            ? "No address for the update check is set (setting \"updateaddress\")."
                            : "Internet is not available!",
                        "Kalix");
            return;
        case UpdateResult::upToDate:
            if (!automatic) showWarning("Your program version is up to date.", "Kalix");
            return;
        case UpdateResult::newVersion: {
            writeLog("New version %s", version);
            const std::string browser = readTextSetting("browserstring", "");
            std::vector<std::string> arguments = {browser.empty() ? "xdg-open" : browser,
                                                  changesPageAddress()};
            std::string error;
            if (!startProgram(arguments, std::string(), error) && !automatic) {
                const std::string text =
                    "Could not open the browser!\nTry editing the browser settings.\nCommand "
                    "Line was:\n" +
                    commandLineText(arguments);
                showWarning(text.c_str(), "Kalix");
            }
            return;
        }
    }
}
