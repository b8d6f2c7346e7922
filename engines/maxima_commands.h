// Commands to Maxima and their replies on the interpreter's side: texts
// sent in pieces, replies printed, dropped or collected, answers taken
// from Maxima in one line (with Maxima's questions answered), TeX forms.
#pragma once

#include <string>

namespace kalix {

// Calls inside this namespace are qualified: the reply-kind enums would
// otherwise find the interpreter's entries of the same names.
namespace maxima {

// A line width to send before the next displayed line (0: none).
extern int pendingLineWidth;

// Starts Maxima when it is not running; one that ended since the last
// command (killed from outside, say) is replaced by a new one, saying so.
// False with errorCode set when none could be started.
bool ensureMaxima();
// Sends `text` (a MaximaReplyKind, a MaximaConversion; see
// interpreter/maxima_services.h), starting Maxima when needed.
void sendToMaxima(const std::string& text, int kind, int conversion);
// One displayed line: Maxima's two-dimensional display, reply printed;
// ".." and "..." continue it on the next line, "$$" shows nothing.
void sendMaximaLine(const std::string& line, int conversion);
// Maxima's answer in one line; "" with errorCode set on failure.
std::string askMaxima(const std::string& text, int depth, bool doubleUnderscores);
// The TeX form of an expression ("" when Maxima gives none).
std::string getTexFromMaxima(const std::string& expression);
// Maxima's whole reply to "tex(" expression ");" (the TeX form stands
// between its first two "$$"); "" with errorCode set when Maxima could not
// answer.
std::string getTexReply(const std::string& expression);
// Ends a question that cannot be answered.
void dismissMaximaQuestion();

}  // namespace maxima

}  // namespace kalix
