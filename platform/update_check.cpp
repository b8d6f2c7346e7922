#include "platform/update_check.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "base/settings.h"
#include "base/text.h"
#include "base/threads.h"
#include "platform/child_process.h"
#include "platform/curl_library.h"
#include "platform/host.h"

namespace kalix {

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

// The code of the no-break space: U+00A0 in UTF-8, else its byte in the
// code page.
int noBreakSpace(bool utf8) {
    if (utf8) return 0xA0;
    std::string converted;
    utf8ToCodePage("\xC2\xA0", converted);
    return converted.empty() ? 0xA0 : static_cast<unsigned char>(converted[0]);
}

// Characters of a version token, by code: digits, letters (codes from 0xC2
// on and the no-break space) and ".".
bool isTokenCharacter(int c, bool utf8) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
           c >= 0xC2 || c == noBreakSpace(utf8) || c == '.';
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
    const bool utf8 = codePageIsUtf8();
    for (const char* p = published.c_str(); *p;) {
        int length = 1;
        if (!isTokenCharacter(characterCode(p, utf8, &length), utf8)) break;
        token->append(p, size_t(length));
        p += length;
    }
    return UpdateResult::newVersion;
}

// The check on the page at `address`, with `announced` the version the
// automatic check said last; reads no setting.
static UpdateResult checkPage(const std::string& address, const std::string& announced,
                              bool automatic, std::string* token) {
    token->clear();
    if (address.empty()) return UpdateResult::noAddress;
    const CurlLibrary* curl = curlLibrary();
    CURL* transfer = curl ? curl->easy_init() : nullptr;
    if (!transfer) return UpdateResult::unreachable;
    Download download;
    curl->easy_setopt(transfer, CURLOPT_URL, address.c_str());
    curl->easy_setopt(transfer, CURLOPT_USERAGENT, "Kalix");
    curl->easy_setopt(transfer, CURLOPT_PROTOCOLS_STR, "http,https");
    curl->easy_setopt(transfer, CURLOPT_FOLLOWLOCATION, 1L);
    curl->easy_setopt(transfer, CURLOPT_FAILONERROR, 1L);
    curl->easy_setopt(transfer, CURLOPT_TIMEOUT, 10L);
    curl->easy_setopt(transfer, CURLOPT_NOSIGNAL, 1L);
    curl->easy_setopt(transfer, CURLOPT_FRESH_CONNECT, 1L);
    curl->easy_setopt(transfer, CURLOPT_WRITEFUNCTION, takeBytes);
    curl->easy_setopt(transfer, CURLOPT_WRITEDATA, &download);
    curl->easy_setopt(transfer, CURLOPT_NOPROGRESS, 0L);
    curl->easy_setopt(transfer, CURLOPT_XFERINFOFUNCTION, progress);
    const CURLcode code = curl->easy_perform(transfer);
    curl->easy_cleanup(transfer);
    const bool complete =
        code == CURLE_OK || (code == CURLE_WRITE_ERROR && !download.bytes.empty());
    if (!complete || download.bytes.empty()) return UpdateResult::unreachable;
    return judgeChangesPage(download.bytes, runningVersion(), announced, automatic, token);
}

UpdateResult checkForNewVersion(bool automatic, std::string* token) {
    return checkPage(changesPageAddress(), readTextSetting("showedversion", ""), automatic, token);
}

namespace {

using Report = void (*)(UpdateResult result, const char* version, bool automatic);

// One check on a thread of its own. It takes its own copy of the settings
// it reads when it is started, so that a check left running at exit reads
// nothing the exit frees; it writes "showedversion" only under checksLock
// and before stopUpdateChecks.
class UpdateCheck : public Thread {
  public:
    UpdateCheck(bool automatic, Report report)
        : automatic(automatic),
          report(report),
          address(changesPageAddress()),
          announced(readTextSetting("showedversion", "")) {}
    int run() override;

  private:
    const bool automatic;
    const Report report;
    const std::string address;
    const std::string announced;
};

// Guards `checks` and the stopping test before a check writes a setting.
std::mutex checksLock;
std::vector<std::unique_ptr<UpdateCheck>> checks;

int UpdateCheck::run() {
    if (automatic) {
        for (int i = 0; i < 10 && !stopping && !stopRequested(); i++)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    if (stopping) return 0;
    std::string token;
    const UpdateResult result = checkPage(address, announced, automatic, &token);
    {
        std::lock_guard hold(checksLock);
        if (stopping) return 0;
        if (automatic && result == UpdateResult::newVersion)
            writeSetting("showedversion", token.c_str());
    }
    if (report) report(result, token.c_str(), automatic);
    return 0;
}

}  // namespace

void startUpdateCheck(bool automatic, Report report) {
    std::lock_guard hold(checksLock);
    if (stopping) return;
    // Checks that have ended are joined here.
    std::erase_if(checks, [](const auto& check) { return !check->isThreadRunning(); });
    auto check = std::make_unique<UpdateCheck>(automatic, report);
    if (check->startThread() == 0) checks.push_back(std::move(check));
}

void stopUpdateChecks() {
    std::vector<std::unique_ptr<UpdateCheck>> running;
    {
        std::lock_guard hold(checksLock);
        stopping = 1;
        running.swap(checks);
    }
    // The transfer ends at its next progress call. A check still running
    // after the wait (its report waiting for a window that is gone) is left
    // to end with the process: it holds all it reads and writes no more.
    for (auto& check : running)
        if (check->killThread() != 0) static_cast<void>(check.release());
}

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

}  // namespace kalix
