#include "platform/curl_library.h"

#include <string>

#include "numerics/shared_library.h"

namespace kalix {

static bool openCurl(CurlLibrary& functions, std::string& error) {
    decltype(&curl_global_init) globalInit = nullptr;
    return openSharedLibrary(
               {"libcurl.so.4", "libcurl-gnutls.so.4"},
               {librarySymbol("curl_global_init", globalInit),
                librarySymbol("curl_easy_init", functions.easy_init),
                librarySymbol("curl_easy_setopt", functions.easy_setopt),
                librarySymbol("curl_easy_perform", functions.easy_perform),
                librarySymbol("curl_easy_reset", functions.easy_reset),
                librarySymbol("curl_easy_cleanup", functions.easy_cleanup),
                librarySymbol("curl_easy_strerror", functions.easy_strerror),
                librarySymbol("curl_multi_init", functions.multi_init),
                librarySymbol("curl_multi_add_handle", functions.multi_add_handle),
                librarySymbol("curl_multi_remove_handle", functions.multi_remove_handle),
                librarySymbol("curl_multi_perform", functions.multi_perform),
                librarySymbol("curl_multi_info_read", functions.multi_info_read),
                librarySymbol("curl_multi_poll", functions.multi_poll),
                librarySymbol("curl_url", functions.url),
                librarySymbol("curl_url_set", functions.url_set),
                librarySymbol("curl_url_cleanup", functions.url_cleanup)},
               error) &&
           globalInit(CURL_GLOBAL_DEFAULT) == 0;
}

const CurlLibrary* curlLibrary() {
    static LibraryTable<CurlLibrary> library(openCurl);
    return library.get();
}

}  // namespace kalix
