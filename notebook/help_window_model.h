// The help window without its widgets: the query field's text, the answer
// shown for it, the keys and double clicks that change them, the pages a
// browser opens, and the remembered place of the window. A window shows
// `shownText()` in a read-only text field and hands its events here; the
// model answers at once (a query takes well under the time between two
// keystrokes, see bench/help.sh).
//
// Text is in the program's code page; lines end with "\n".
#pragma once

#include <cstddef>
#include <functional>
#include <string>

namespace kalix {

class HelpWindowModel {
  public:
    // `interpreterReadable` tells whether the interpreter's state (user
    // functions, variables, aliases) may be read now; it is asked, and the
    // query answered, inside a hold of the hand-over (state_hand_over.h):
    // the window passes stateHandedToCaller.
    explicit HelpWindowModel(std::function<bool()> interpreterReadable = nullptr);

    // The query field changed (every keystroke): the answer is computed.
    void setQuery(const std::string& text);
    const std::string& query() const { return queryText; }
    // The answer converted for the text field: tabs widened to the next
    // multiple of 4 columns, "___" as a no-break space, at most 31,998
    // bytes.
    const std::string& shownText() const { return shown; }

    // Shows a topic looked up exactly: a blank is appended unless the text
    // is empty, ends with a blank or "(", begins with "?" or ends with ".k".
    void showTopic(const std::string& text);
    // Enter in the query field: the first match of the last query.
    void enter();
    // Escape: an empty field asks to hide the window (true); otherwise the
    // field is emptied (which shows the list of topics).
    bool escape();
    // Double click at a byte of the shown text: the word there (2 to 255
    // characters, beginning with a letter) is looked up, as a Maxima topic
    // when the field holds one. False when there is no such word.
    bool doubleClick(size_t position);

    // The documentation page for the query field (F2, the browser button).
    std::string browserPage();

  private:
    std::function<bool()> interpreterReadable;
    std::string queryText;
    std::string shown;
};

// The word of a help text around a byte position, as a double click takes
// it; empty when the byte is no letter.
std::string helpWordAt(const std::string& text, size_t position);
// The answer text as the text field shows it.
std::string helpDisplayText(const std::string& answer);

// The name at `column` of a notebook line: the run of name characters
// around it, beginning with a letter (the one before "(" when the cursor
// stands just behind it); "" when there is none.
std::string helpNameAt(const std::string& line, size_t column);

// F1 on the notebook: the selected text, else the name at the cursor
// (`selection`), whether the cursor stands in a symbolic expression or a
// Maxima mode is on, and the status help (for an empty `selection`). A
// selection beginning "http", "See: " or "see: " opens the browser
// on it; otherwise the help window opens on the returned topic.
struct HelpRequest {
    bool browser = false;
    std::string target;  // a topic, or what the browser opens
};
HelpRequest helpRequestForWord(const std::string& selection, bool symbolic);
// Ctrl+H: the documentation page for the same word.
std::string browserPageForWord(const std::string& selection);

// The remembered place of the window (settings "helpx", "helpy", "helpw",
// "helph"; 200, 200, 700, 500 when unset), at least 500 by 300.
struct HelpWindowPlace {
    int x, y, width, height;
};
HelpWindowPlace readHelpWindowPlace();
void rememberHelpWindowPlace(const HelpWindowPlace& place);

}  // namespace kalix
