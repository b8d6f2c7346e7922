// Text conversions: the program's code page and UTF-8 (through iconv), and
// UTF-8 characters one at a time.
#include "base/text.h"

#include <iconv.h>
#include <langinfo.h>
#include <strings.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

namespace kalix {

// --- code pages -----------------------------------------------------------

static std::mutex conversionMutex;
static int selectedCodePage = 0;
static iconv_t toUtf8 = reinterpret_cast<iconv_t>(-1);
static iconv_t fromUtf8 = reinterpret_cast<iconv_t>(-1);
static const iconv_t noConversion = reinterpret_cast<iconv_t>(-1);

static iconv_t openConversion(const char* to, const char* from) { return iconv_open(to, from); }

// Single-byte code pages that iconv knows by another name than "CPnnnn".
struct NamedCodePage {
    int number;
    const char* name;
};
static const NamedCodePage namedCodePages[] = {
    {28591, "ISO-8859-1"},  {28592, "ISO-8859-2"},  {28593, "ISO-8859-3"},  {28594, "ISO-8859-4"},
    {28595, "ISO-8859-5"},  {28596, "ISO-8859-6"},  {28597, "ISO-8859-7"},  {28598, "ISO-8859-8"},
    {28599, "ISO-8859-9"},  {28600, "ISO-8859-10"}, {28601, "ISO-8859-11"}, {28603, "ISO-8859-13"},
    {28604, "ISO-8859-14"}, {28605, "ISO-8859-15"}, {28606, "ISO-8859-16"}, {20866, "KOI8-R"},
    {21866, "KOI8-U"},      {874, "TIS-620"},
};

int codePageOfCharset(const char* charset) {
    if (!charset || !*charset) return 65001;
    // The C/POSIX locale names plain ASCII; it takes UTF-8 as modern tools do.
    if (strcasecmp(charset, "UTF-8") == 0 || strcasecmp(charset, "UTF8") == 0 ||
        strcasecmp(charset, "ANSI_X3.4-1968") == 0 || strcasecmp(charset, "ASCII") == 0 ||
        strcasecmp(charset, "US-ASCII") == 0)
        return 65001;
    if (strcasecmp(charset, "ISO-8859-1") == 0 || strcasecmp(charset, "ISO8859-1") == 0)
        return 1252;
    for (const NamedCodePage& page : namedCodePages)
        if (strcasecmp(charset, page.name) == 0) return page.number;
    int number = 0;
    if (std::sscanf(charset, "CP%d", &number) == 1 || std::sscanf(charset, "cp%d", &number) == 1 ||
        std::sscanf(charset, "WINDOWS-%d", &number) == 1 ||
        std::sscanf(charset, "windows-%d", &number) == 1)
        return number > 0 ? number : 65001;
    // A multi-byte set the program's 8-bit text cannot follow: UTF-8.
    return 65001;
}

int localeCodePage() { return codePageOfCharset(nl_langinfo(CODESET)); }

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
        for (const NamedCodePage& page : namedCodePages) {
            if (to != noConversion || page.number != codePageNumber) continue;
            std::snprintf(name, sizeof name, "%s", page.name);
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

int utf8SequenceLength(const char* text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned lead = p[0];
    if (lead < 0x80) return lead ? 1 : 0;
    const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
    for (int i = 1; i < length; i++)
        if ((p[i] & 0xC0) != 0x80) return 0;
    if (length == 3 && ((lead == 0xE0 && p[1] < 0xA0) || (lead == 0xED && p[1] >= 0xA0))) return 0;
    if (length == 4 && ((lead == 0xF0 && p[1] < 0x90) || (lead == 0xF4 && p[1] >= 0x90))) return 0;
    return length;
}

bool isValidUtf8(const char* text, size_t bytes) {
    size_t i = 0;
    while (i < bytes) {
        const int length = utf8SequenceLength(text + i);
        if (length == 0 || i + size_t(length) > bytes) return false;
        i += size_t(length);
    }
    return true;
}

size_t previousCharacter(const char* text, size_t offset, bool utf8) {
    if (offset == 0) return 0;
    if (!utf8) return offset - 1;
    // The lead byte of a sequence ending at offset lies at most three
    // continuation bytes back.
    for (size_t back = 1; back <= 4 && back <= offset; back++) {
        const auto byte = static_cast<unsigned char>(text[offset - back]);
        if ((byte & 0xC0) != 0x80) {
            return utf8SequenceLength(text + offset - back) == int(back) ? offset - back
                                                                         : offset - 1;
        }
    }
    return offset - 1;
}

size_t characterCount(const char* text, size_t bytes, bool utf8) {
    if (!utf8) return bytes;
    size_t count = 0;
    for (size_t i = 0; i < bytes && text[i]; count++) i += size_t(characterLength(text + i, true));
    return count;
}

size_t characterOffset(const char* text, size_t index, bool utf8) {
    size_t offset = 0;
    for (size_t k = 0; k < index && text[offset]; k++)
        offset += size_t(characterLength(text + offset, utf8));
    return offset;
}

size_t characterPrefix(const char* text, size_t bytes, bool utf8) {
    size_t offset = 0;
    for (int length;
         (length = characterLength(text + offset, utf8)) && offset + size_t(length) <= bytes;)
        offset += size_t(length);
    return offset;
}

int characterCode(const char* text, bool utf8, int* length) {
    const int bytes = characterLength(text, utf8);
    int code = static_cast<unsigned char>(*text);
    if (bytes > 1) decodeUtf8Char(text, &code);
    if (length) *length = bytes;
    return code;
}

// A character the target cannot hold becomes "?"; returns how many did.
// Bytes that are not UTF-8 at all are taken as they are (text already in
// the code page). `out` may be the string `text` belongs to.
static int convert(iconv_t conversion, const char* text, std::string& out, bool fromUtf8Text) {
    std::string result;
    int replaced = 0;
    size_t left = std::strlen(text);
    std::lock_guard<std::mutex> lock(conversionMutex);
    if (conversion == noConversion) {
        out.assign(text, left);
        return 0;
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
            skip = size_t(utf8SequenceLength(in));
            if (skip > left) skip = 0;
            result += skip ? '?' : *in;
            if (skip) replaced++;
            if (!skip) skip = 1;
        } else {
            result += '?';
            replaced++;
        }
        in += skip;
        left -= skip;
    }
    out = std::move(result);
    return replaced;
}

void codePageToUtf8(const char* text, std::string& out) { convert(toUtf8, text, out, false); }

void utf8ToCodePage(const char* text, std::string& out) { convert(fromUtf8, text, out, true); }

int utf8ToCodePageLosing(const char* text, std::string& out) {
    return convert(fromUtf8, text, out, true);
}

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

// The code points of the bytes 128..159 in code page 1252 (0: undefined).
static const char16_t codePage1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

int codePage1252Code(unsigned char byte) {
    if (byte < 128 || byte >= 160 || !codePage1252High[byte - 128]) return byte;
    return codePage1252High[byte - 128];
}

int codePage1252Byte(int codePoint) {
    if (codePoint < 0) return -1;
    if (codePoint < 256 && codePage1252Code(static_cast<unsigned char>(codePoint)) == codePoint)
        return codePoint;
    for (int k = 0; k < 32; k++)
        if (codePage1252High[k] && codePoint == codePage1252High[k]) return 128 + k;
    return -1;
}

void codePage1252ToUtf8(const char* text, std::string& out) {
    std::string result;
    char buffer[4];
    for (const char* p = text; *p; p++)
        result.append(buffer, appendUtf8(codePage1252Code(static_cast<unsigned char>(*p)), buffer));
    out = std::move(result);
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

}  // namespace kalix
