#include "notebook/help_writer.h"

#include "interpreter/output.h"

namespace kalix {

void HelpWriter::text(std::string_view text) {
    if (!answer) {
        printText(std::string(text).c_str());
        return;
    }
    if (isFull) return;
    if (answer->size() + text.size() <= limit) {
        answer->append(text);
        return;
    }
    // The last whole line that fits.
    answer->append(text.substr(0, limit - answer->size()));
    size_t end = answer->rfind('\n');
    answer->resize(end == std::string::npos ? 0 : end + 1);
    isFull = true;
}

}  // namespace kalix
