// URL reading with libcurl. The session is one multi handle and one easy
// handle kept for the whole run (connections are reused); the transfer is
// driven only while the reader waits for data, so at most the bytes of one
// network read are held beyond what was asked for.
#include "platform/url_reader.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/curl_library.h"
#include "platform/host.h"

namespace kalix {

namespace {

const CurlLibrary* curl = nullptr;  // set with the session
CURLM* session = nullptr;
CURL* transfer = nullptr;
bool urlOpen = false;
bool finished = false;       // the transfer has ended
CURLcode result = CURLE_OK;  // how it ended
std::string received;        // bytes that arrived and were not read yet
size_t readPosition = 0;
std::string errorText;

constexpr int pollStepMilliseconds = 100;  // Escape is seen within one step

size_t takeBytes(char* bytes, size_t size, size_t count, void*) {
    if (readPosition == received.size()) {
        received.clear();
        readPosition = 0;
    }
    received.append(bytes, size * count);
    return size * count;
}

bool startSession() {
    if (session) return true;
    curl = curlLibrary();
    if (!curl) return false;
    session = curl->multi_init();
    return session != nullptr;
}

// Only full URLs: libcurl would otherwise guess a scheme for any word.
bool hasScheme(const char* url) {
    CURLU* parsed = curl->url();
    if (!parsed) return false;
    bool ok = curl->url_set(parsed, CURLUPART_URL, url, 0) == CURLUE_OK;
    curl->url_cleanup(parsed);
    return ok;
}

// Runs the transfer until data have arrived or it has ended; false when
// Escape stopped it.
bool driveTransfer() {
    while (readPosition == received.size() && !finished) {
        int running = 0;
        if (curl->multi_perform(session, &running) != CURLM_OK) {
            finished = true;
            result = CURLE_RECV_ERROR;
            break;
        }
        int queued;
        while (CURLMsg* message = curl->multi_info_read(session, &queued)) {
            if (message->msg == CURLMSG_DONE) {
                finished = true;
                result = message->data.result;
            }
        }
        if (finished || readPosition < received.size()) break;
        if (checkEscape()) return false;
        curl->multi_poll(session, nullptr, 0, pollStepMilliseconds, nullptr);
    }
    return true;
}

}  // namespace

void closeUrl() {
    if (!urlOpen) return;
    curl->multi_remove_handle(session, transfer);
    urlOpen = false;
    received.clear();
    readPosition = 0;
}

int urlIsOpen() { return urlOpen ? 1 : 0; }

int openUrl(const char* url) {
    closeUrl();
    if (!startSession() || !hasScheme(url)) return 0;
    if (transfer)
        curl->easy_reset(transfer);
    else
        transfer = curl->easy_init();
    if (!transfer) return 0;
    curl->easy_setopt(transfer, CURLOPT_URL, url);
    curl->easy_setopt(transfer, CURLOPT_USERAGENT, "KXW");
    curl->easy_setopt(transfer, CURLOPT_PROTOCOLS_STR, "http,https,ftp,ftps");
    curl->easy_setopt(transfer, CURLOPT_REDIR_PROTOCOLS_STR, "http,https,ftp,ftps");
    curl->easy_setopt(transfer, CURLOPT_FOLLOWLOCATION, 1L);
    curl->easy_setopt(transfer, CURLOPT_FAILONERROR, 1L);
    curl->easy_setopt(transfer, CURLOPT_CONNECTTIMEOUT, 30L);
    curl->easy_setopt(transfer, CURLOPT_NOSIGNAL, 1L);
    curl->easy_setopt(transfer, CURLOPT_WRITEFUNCTION, takeBytes);
    if (curl->multi_add_handle(session, transfer) != CURLM_OK) return 0;
    urlOpen = true;
    finished = false;
    result = CURLE_OK;
    if (!driveTransfer()) {
        closeUrl();
        return -1;
    }
    // A transfer that failed before any data is a URL that cannot be
    // opened; one that broke off later fails when its data are read.
    if (finished && result != CURLE_OK && received.empty()) {
        closeUrl();
        return 0;
    }
    return 1;
}

int readUrlChunk(char* buffer, size_t size) {
    if (!urlOpen) return urlNotOpen;
    if (!driveTransfer()) return urlInterrupted;
    size_t available = received.size() - readPosition;
    if (available > 0) {
        size_t n = std::min({available, size, size_t(1) << 30});
        std::memcpy(buffer, received.data() + readPosition, n);
        readPosition += n;
        return int(n);
    }
    if (result == CURLE_OK) return 0;
    errorText = curl->easy_strerror(result);
    return urlReadFailed;
}

const char* urlErrorText() { return errorText.c_str(); }

}  // namespace kalix
