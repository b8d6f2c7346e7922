// Texts on their way to Maxima: values in Maxima syntax, variables named
// with "@" replaced by their values, matrix literals, underscores, and the
// pieces a text is sent in. Failures print their message, set errorCode
// and give an empty text.
#pragma once

#include <string>
#include <vector>

#include "interpreter/stack.h"

namespace kalix {

// "%0.16g", or the interpreter's fraction when `asFraction`.
std::string formatMaximaReal(double x, bool asFraction);
// The value in Maxima syntax after `prefix`.
std::string convertValueToMaxima(header* value, const std::string& prefix, bool asFraction);
// "@name" (with `allowPercent` also "%" alone and ":=") replaced; "__",
// "|" and backslashes unescaped; a leading "!" sends the rest as it is.
std::string substituteVariables(const std::string& text, bool allowPercent);
// "[1,2;3,4]" -> "matrix([1,2],[3,4])".
std::string convertMatrixSyntax(const std::string& text);
// "__" -> "_".
std::string collapseDoubleUnderscores(const std::string& text);

// The pieces of a text, each up to and including a ";" or "$" outside
// double quotes (a backslash escapes the next character); the rest without
// a terminator is the last piece. Blank rests are not sent.
std::vector<std::string> splitMaximaPieces(const std::string& text);
// Whether a double quote of the text opens a string that does not close
// (a backslash escapes the next character): Maxima would wait for the rest
// of it.
bool hasUnclosedString(const std::string& text);
// Whether a piece ends in ";" or "$".
bool isTerminatedPiece(const std::string& piece);

}  // namespace kalix
