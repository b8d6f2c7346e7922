#include "engines/maxima_conversions.h"

#include <cstdio>
#include <cstring>

#include "interpreter/formats.h"
#include "interpreter/output.h"
#include "interpreter/scanner.h"
#include "interpreter/values.h"
#include "interpreter/variables.h"

namespace kalix {

namespace {

constexpr size_t commandLimit = 0x7ff0;      // rewritten command texts
constexpr size_t realMatrixLimit = 32748;    // a converted real matrix
constexpr size_t complexMatrixLimit = 984;   // a converted complex matrix
constexpr size_t substitutionLimit = 32766;  // text with a value put in
constexpr size_t unchangedFrom = 32767;      // longer texts are sent as they are
constexpr int nameLimit = 31;

double element(const double* data, size_t k) {
    double x;
    std::memcpy(&x, data + k, sizeof x);
    return x;
}

std::string complexText(double re, double im, bool asFraction) {
    return formatMaximaReal(re, asFraction) + "+I*" + formatMaximaReal(im, asFraction);
}

// A real or complex matrix: one row as a list, else matrix([..],[..]).
std::string matrixText(header* value, bool asFraction) {
    bool complex = value->kind == kindComplexMatrix;
    size_t limit = complex ? complexMatrixLimit : realMatrixLimit;
    int rows = matrixRows(value), columns = matrixColumns(value);
    const double* data = matrixData(value);
    std::string text = rows == 1 ? "" : "matrix(";
    for (int r = 0; r < rows; r++) {
        text += r ? ",[" : "[";
        for (int c = 0; c < columns; c++) {
            size_t k = size_t(r) * size_t(columns) + size_t(c);
            if (c) text += ",";
            text += complex
                        ? complexText(element(data, 2 * k), element(data, 2 * k + 1), asFraction)
                        : formatMaximaReal(element(data, k), asFraction);
            if (text.size() > limit) {
                fail(errorFailed, "String too long for Maxima!\n");
                return "";
            }
        }
        text += "]";
    }
    if (rows != 1) text += ")";
    return text;
}

bool tooLong(const std::string& text, size_t limit) {
    if (text.size() <= limit) return false;
    fail(errorFailed, "Maxima command too long!\n");
    return true;
}

// Bytes of the name character at `p` (a letter, a digit or '%'); 0 when none.
int nameCharacterLength(const char* p) { return *p == '%' || isDigit(*p) ? 1 : letterLength(p); }

// Whether a name of the interpreter can start at `p`.
bool startsName(const char* p) { return isLetterAt(p) || *p == '_' || *p == '%'; }

// The value of the named variable in parentheses, or false (error set).
bool appendVariable(const std::string& name, std::string& out) {
    header* variable = findVariable(name.c_str());
    if (!variable) {
        printFormatted("Variable %s not found!\n", name.c_str());
        if (functionState != functionTopLevel && currentFunctionName)
            printFormatted("Can only see global and local variables in %s.\n", currentFunctionName);
        errorCode = errorFailed;
        return false;
    }
    std::string value = convertValueToMaxima(variable, "", false);
    if (errorCode) return false;
    out += "(" + value + ")";
    return !tooLong(out, substitutionLimit);
}

}  // namespace

std::string formatMaximaReal(double x, bool asFraction) {
    char text[128];
    if (asFraction)
        formatFraction(x, text);
    else
        std::snprintf(text, sizeof text, "%0.16g", x);
    return text;
}

std::string convertValueToMaxima(header* value, const std::string& prefix, bool asFraction) {
    char* top = newram;
    header* v = resolveValue(value);
    if (errorCode || !v) return "";
    std::string text;
    switch (v->kind) {
        case kindReal:
            text = formatMaximaReal(realOf(v), asFraction);
            break;
        case kindComplex:
            text = complexText(complexOf(v)[0], complexOf(v)[1], asFraction);
            break;
        case kindRealMatrix:
        case kindComplexMatrix:
            text = matrixText(v, asFraction);
            break;
        case kindString:
            text = stringOf(v);
            if (text.size() > realMatrixLimit) {
                fail(errorFailed, "String too long for Maxima!\n");
                text.clear();
            }
            break;
        default:
            fail(errorFailed, "Cannot convert this for Maxima!\n");
    }
    newram = top;  // a view resolved above
    return errorCode ? "" : prefix + text;
}

std::string substituteVariables(const std::string& input, bool allowPercent) {
    if (input.size() >= unchangedFrom) return input;
    bool bang = !input.empty() && input[0] == '!';
    if (bang && (input.size() < 2 || input[1] != '!')) return input.substr(1);
    size_t i = bang ? 1 : 0;
    std::string out;
    const size_t n = input.size();
    while (i < n) {
        char c = input[i];
        char next = i + 1 < n ? input[i + 1] : 0;
        // Escapes: the character after each is copied as it stands.
        if (c == '\\' || (c == '_' && next == '_') || c == '|') {
            if (c == '\\') {
                if (!next) break;
                out += next;
                i += 2;
            } else {
                out += c == '|' ? ',' : '_';
                i += c == '|' ? 1 : 2;
            }
            if (i < n) out += input[i++];
            continue;
        }
        if (allowPercent && c == ':' && next == '=') {
            out += ':';
            i += 2;
            if (i < n) out += input[i++];
            continue;
        }
        const char* after = input.c_str() + i + 1;
        bool variable = c == '@' && isLetterAt(after);
        bool percent = allowPercent && c == '%' && !startsName(after);
        if (percent && functionState != functionTopLevel) percent = false;
        if (variable || percent) {
            std::string name = percent ? "%" : "";
            i++;
            if (variable)
                for (int length; i < n && (length = nameCharacterLength(input.c_str() + i)) &&
                                 int(name.size()) + length <= nameLimit;
                     i += size_t(length))
                    name.append(input, i, size_t(length));
            if (!appendVariable(name, out)) return "";
            continue;
        }
        out += c;
        i++;
    }
    return tooLong(out, commandLimit) ? "" : out;
}

std::string convertMatrixSyntax(const std::string& text) {
    std::string out;
    int depth = 0;        // brackets outside a matrix literal
    int matrixDepth = 0;  // inside a matrix literal: its bracket count
    for (size_t i = 0; i < text.size(); i++) {
        char c = text[i];
        if (matrixDepth > 0) {
            if (c == '[' || c == '(') matrixDepth++;
            if (c == ']' || c == ')') matrixDepth--;
            if (matrixDepth == 0)
                out += "])";
            else if (c == ';' && matrixDepth == 1)
                out += "],[";
            else
                out += c;
        } else if (c == '[' && depth == 0) {
            // A matrix when a ";" stands at its own level before it closes.
            int count = 1;
            bool matrix = false;
            for (size_t j = i + 1; j < text.size() && count > 0 && !matrix; j++) {
                char d = text[j];
                if (d == '[' || d == '(') count++;
                if (d == ']' || d == ')') count--;
                if (d == ';' && count == 1) matrix = true;
            }
            if (matrix) {
                out += "matrix([";
                matrixDepth = 1;
            } else {
                out += c;
                depth++;
            }
        } else {
            if (c == '[' || c == '(') depth++;
            if ((c == ']' || c == ')') && depth > 0) depth--;
            out += c;
        }
        if (tooLong(out, commandLimit)) return "";
    }
    return out;
}

std::string collapseDoubleUnderscores(const std::string& text) {
    if (text.find('_') == std::string::npos) return text;
    std::string out;
    for (size_t i = 0; i < text.size(); i++) {
        out += text[i];
        if (text[i] == '_' && i + 1 < text.size() && text[i + 1] == '_') i++;
    }
    return out;
}

std::vector<std::string> splitMaximaPieces(const std::string& text) {
    std::vector<std::string> pieces;
    size_t start = 0;
    const size_t n = text.size();
    while (start < n && text.find_first_not_of(" \t\r\n", start) != std::string::npos) {
        size_t i = start;
        while (i < n) {
            char c = text[i];
            if (c == '"') {
                size_t close = text.find('"', i + 1);
                i = close == std::string::npos ? n : close + 1;
            } else if (c == '\\') {
                i += 2;
            } else if (c == ';' || c == '$') {
                i++;
                break;
            } else {
                i++;
            }
        }
        if (i > n) i = n;
        pieces.push_back(text.substr(start, i - start));
        start = i;
    }
    return pieces;
}

bool hasUnclosedString(const std::string& text) {
    bool inString = false;
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '"')
            inString = !inString;
        else if (text[i] == '\\')
            i++;
    }
    return inString;
}

bool isTerminatedPiece(const std::string& piece) {
    return !piece.empty() && (piece.back() == ';' || piece.back() == '$');
}

}  // namespace kalix
