// Where help text goes: into the notebook through the interpreter's
// printing, or into the answer text of a help query, which is held to a
// size limit (nothing is written beyond it; the text is cut at a line end).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kalix {

constexpr size_t helpAnswerLimit = 32000;

class HelpWriter {
  public:
    // Into the notebook.
    HelpWriter() = default;
    // Into `answer`, which may already hold text; the limit counts from
    // its start.
    explicit HelpWriter(std::string* answer, size_t limit = helpAnswerLimit)
        : answer(answer), limit(limit) {}

    void text(std::string_view text);
    void line(std::string_view text) {
        this->text(text);
        this->text("\n");
    }
    bool intoNotebook() const { return answer == nullptr; }
    // The answer reached its limit; further text is dropped.
    bool full() const { return isFull; }

  private:
    std::string* answer = nullptr;
    size_t limit = helpAnswerLimit;
    bool isFull = false;
};

}  // namespace kalix
