// Reading one URL at a time in chunks, with one session for the whole run
// (libcurl; the agent name is "KXW"). Only URLs with a scheme of http,
// https, ftp or ftps are opened; redirections are followed.
#pragma once

#include <cstddef>

namespace kalix {

// 1 when the URL was opened (its first data or its end has arrived), 0 when
// it cannot be opened (no such URL, host or resource, or an HTTP error),
// -1 when Escape stopped the attempt. An open URL is closed first.
int openUrl(const char* url);

// What readUrlChunk returns besides a byte count (0 is the end of the data).
constexpr int urlNotOpen = -1;
constexpr int urlReadFailed = -2;   // the transfer broke off; see urlErrorText
constexpr int urlInterrupted = -3;  // Escape while waiting for data

// Copies up to `size` bytes of the open URL into `buffer`, waiting for them
// when none have arrived: the byte count, 0 at the end of the data, or one
// of the codes above.
int readUrlChunk(char* buffer, size_t size);

// Why the last read failed.
const char* urlErrorText();

// Closes the open URL, if any; the session stays.
void closeUrl();

// 1 while a URL is open.
int urlIsOpen();

}  // namespace kalix
