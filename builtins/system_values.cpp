#include "builtins/system_values.h"

#include <algorithm>
#include <cstring>

#include "interpreter/function_calls.h"
#include "interpreter/output.h"
#include "interpreter/values.h"

namespace kalix {

void keepArgumentAsResult(header* first, header* value) {
    if (value == first) return;
    header* copy = pushRecordCopy(reinterpret_cast<char*>(value), value->size);
    if (!copy) return;
    setRecordName(copy, "");
    copy->flags &= flagUtf8;
    moveResult(first, copy);
}

namespace {

// A string vector record of `bytes` data bytes (the strings with their
// zero bytes); `fill` writes them. The closing byte 1 and the padding are
// added here.
template <typename Fill>
header* pushVector(size_t bytes, Fill fill) {
    header* record = recordAt(newram);
    char* data = pushHeader(kindStringMatrix, int64_t(headerSize + bytes + 1), "");
    if (!data) return nullptr;
    char* end = fill(data);
    *end++ = 1;
    std::memset(end, 0, size_t(endOf(record) - end));
    return record;
}

}  // namespace

header* pushLineVector(std::string_view text, bool restAlways) {
    size_t lastFeed = text.rfind('\n');
    size_t restStart = lastFeed == std::string_view::npos ? 0 : lastFeed + 1;
    bool restString =
        restAlways || text.find_first_not_of("\r", restStart) != std::string_view::npos;
    std::string_view lines = text.substr(0, restString ? text.size() : restStart);
    // Carriage returns and zero bytes are dropped; each line feed becomes
    // the zero byte that ends its string, and the rest needs one of its own.
    auto dropped = [](char c) { return c == '\r' || c == 0; };
    size_t bytes = lines.size() - size_t(std::count_if(lines.begin(), lines.end(), dropped)) +
                   (restString ? 1 : 0);
    return pushVector(bytes, [&](char* out) {
        for (char c : lines) {
            if (!dropped(c)) *out++ = c == '\n' ? 0 : c;
        }
        if (restString) *out++ = 0;
        return out;
    });
}

header* pushNameVector(const std::vector<std::string>& names) {
    size_t bytes = 0;
    for (const std::string& name : names) bytes += name.size() + 1;
    return pushVector(bytes, [&](char* out) {
        for (const std::string& name : names) {
            std::memcpy(out, name.c_str(), name.size() + 1);
            out += name.size() + 1;
        }
        return out;
    });
}

}  // namespace kalix
