// Maxima lines at the prompt and the command `maximamode`.
#pragma once

#include <string>

namespace kalix {

// The rest of the input line sent to Maxima nearly as typed.
void maximaCollectDirectModeLine();
// The rest of the input line rewritten from compatibility syntax and sent.
void maximaTranslateCompatibilityLine();
// The compatibility rewriting of one line ("a:=5, b:=a^2;" ->
// "a:5; b:a^2$"); the bracket state lasts over lines ending in "..".
std::string translateCompatibilityText(const std::string& line);
void clearMaximaTranslation();
void maximaModeCommand();

}  // namespace kalix
