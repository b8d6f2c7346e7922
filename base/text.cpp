// Text conversions: the program's code page and UTF-8 (through iconv), and
// UTF-8 characters one at a time.
#include "base/text.h"

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

// --- code pages -----------------------------------------------------------

static std::mutex conversionMutex;
static int selectedCodePage = 0;
static iconv_t toUtf8 = reinterpret_cast<iconv_t>(-1);
static iconv_t fromUtf8 = reinterpret_cast<iconv_t>(-1);
static const iconv_t noConversion = reinterpret_cast<iconv_t>(-1);

static iconv_t openConversion(const char* to, const char* from) { return iconv_open(to, from); }

int selectCodePage(int codePageNumber) {
    std::lock_guard<std::mutex> lock(conversionMutex);
    iconv_t to = noConversion;
    iconv_t from = noConversion;
    if (codePageNumber != 65001) {
        char name[32];
        std::snprintf(name, sizeof name, "CP%d", codePageNumber);
        to = openConversion("UTF-8", name);
        if (to == noConversion) {
            std::snprintf(name, sizeof name, "WINDOWS-%d", codePageNumber);
            to = openConversion("UTF-8", name);
        }
        if (to == noConversion) return 0;
        from = openConversion(name, "UTF-8");
        if (from == noConversion) {
            iconv_close(to);
            return 0;
        }
    }
    if (toUtf8 != noConversion) iconv_close(toUtf8);
    if (fromUtf8 != noConversion) iconv_close(fromUtf8);
    toUtf8 = to;
    fromUtf8 = from;
    selectedCodePage = codePageNumber;
    return 1;
}

// Bytes of the complete, well-formed UTF-8 sequence at `text`, else 0.
static size_t utf8SequenceLength(const unsigned char* text, size_t available) {
    unsigned char lead = text[0];
    size_t length = lead < 0x80                    ? 1
                    : lead >= 0xC2 && lead <= 0xDF ? 2
                    : lead >= 0xE0 && lead <= 0xEF ? 3
                    : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                   : 0;
    if (length == 0 || length > available) return 0;
    for (size_t i = 1; i < length; i++) {
        if ((text[i] & 0xC0) != 0x80) return 0;
    }
    return length;
}

// A character the target cannot hold becomes "?". Bytes that are not
// UTF-8 at all are taken as they are (text already in the code page).
// `out` may be the string `text` belongs to.
static void convert(iconv_t conversion, const char* text, std::string& out, bool fromUtf8Text) {
    std::string result;
    size_t left = std::strlen(text);
    std::lock_guard<std::mutex> lock(conversionMutex);
    if (conversion == noConversion) {
        out.assign(text, left);
        return;
    }
    iconv(conversion, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(text);
    char chunk[4096];
    while (left > 0) {
        char* o = chunk;
        size_t room = sizeof chunk;
        size_t converted = iconv(conversion, &in, &left, &o, &room);
        result.append(chunk, size_t(o - chunk));
        if (converted != size_t(-1) || errno == E2BIG) continue;
        size_t skip = 1;
        if (fromUtf8Text) {
            skip = utf8SequenceLength(reinterpret_cast<unsigned char*>(in), left);
            result += skip ? '?' : *in;
            if (!skip) skip = 1;
        } else {
            result += '?';
        }
        in += skip;
        left -= skip;
    }
    out = std::move(result);
}

void codePageToUtf8(const char* text, std::string& out) { convert(toUtf8, text, out, false); }

void utf8ToCodePage(const char* text, std::string& out) { convert(fromUtf8, text, out, true); }

int codePageIsUtf8() { return selectedCodePage == 65001; }

// Copies a converted text into a 64 KB buffer; null when it does not fit.
static const char* intoBuffer(char* buffer, const std::string& text) {
    if (text.size() >= 65536) return nullptr;
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return buffer;
}

const char* utf8ToAnsi(const char* text) {
    static char buffer[65536];
    std::string converted;
    utf8ToCodePage(text, converted);
    return intoBuffer(buffer, converted);
}

const char* ansiToUtf8(const char* text) {
    static char buffer[65536];
    std::string converted;
    codePageToUtf8(text, converted);
    return intoBuffer(buffer, converted);
}

char* appendUtf8(int codePoint, char* destination) {
    unsigned c = unsigned(codePoint);
    if (c < 0x80) {
        *destination++ = char(c);
    } else if (c < 0x800) {
        *destination++ = char(0xC0 | (c >> 6));
        *destination++ = char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *destination++ = char(0xE0 | (c >> 12));
        *destination++ = char(0x80 | ((c >> 6) & 0x3F));
        *destination++ = char(0x80 | (c & 0x3F));
    } else {
        *destination++ = char(0xF0 | ((c >> 18) & 0x07));
        *destination++ = char(0x80 | ((c >> 12) & 0x3F));
        *destination++ = char(0x80 | ((c >> 6) & 0x3F));
        *destination++ = char(0x80 | (c & 0x3F));
    }
    return destination;
}

const char* decodeUtf8Char(const char* text, int* code) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    unsigned lead = *p++;
    if (lead < 0x80) {
        *code = int(lead);
        return reinterpret_cast<const char*>(p);
    }
    unsigned count = 0, mask = 63, bits = 0;
    while ((lead & 0xC0) == 0xC0 && *p != 0) {
        lead = (lead << 1) & 0xFF;
        count++;
        mask >>= 1;
        bits = (bits << 6) | (*p++ & 0x3F);
    }
    // Past five continuation bytes the lead byte holds no payload; its shift
    // would reach beyond the word.
    unsigned payload = (lead >> count) & mask;
    unsigned high = count < 6 ? payload << (6 * count) : 0;
    *code = int(high | bits);
    return reinterpret_cast<const char*>(p);
}
