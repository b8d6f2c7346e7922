// libcurl, opened on first use: the URL reader and the update check.
#pragma once

#define CURL_DISABLE_TYPECHECK
#include <curl/curl.h>

namespace kalix {

struct CurlLibrary {
    decltype(&curl_easy_init) easy_init;
    decltype(&curl_easy_setopt) easy_setopt;
    decltype(&curl_easy_perform) easy_perform;
    decltype(&curl_easy_reset) easy_reset;
    decltype(&curl_easy_cleanup) easy_cleanup;
    decltype(&curl_easy_strerror) easy_strerror;
    decltype(&curl_multi_init) multi_init;
    decltype(&curl_multi_add_handle) multi_add_handle;
    decltype(&curl_multi_remove_handle) multi_remove_handle;
    decltype(&curl_multi_perform) multi_perform;
    decltype(&curl_multi_info_read) multi_info_read;
    decltype(&curl_multi_poll) multi_poll;
    decltype(&curl_url) url;
    decltype(&curl_url_set) url_set;
    decltype(&curl_url_cleanup) url_cleanup;
};

// The functions, with the library's global set-up done; null when libcurl
// cannot be opened or set up (transfers then fail as unreachable).
const CurlLibrary* curlLibrary();

}  // namespace kalix
