#include "notebook/help_user_functions.h"

#include <cstring>

#include "interpreter/function_calls.h"
#include "interpreter/functions.h"
#include "interpreter/printing.h"
#include "interpreter/state_hand_over.h"
#include "notebook/help_writer.h"

namespace kalix {

namespace {

// Bytes of a default value's printed form shown in a help answer.
constexpr size_t defaultCaptureLimit = 1024;

const struct {
    int32_t flag;
    const char* word;
} flagWords[] = {
    {userFunctionHidden, "comment "},  {userFunctionMap, "map "},
    {userFunctionArgs, "args "},       {userFunctionStrong, "strong "},
    {userFunctionPrefix, "prefix "},   {userFunctionOperator, "operator "},
    {userFunctionPostfix, "postfix "}, {userFunctionMatlab, "matlab "},
    {userFunctionPython, "python "},
};

bool isBlockKind(int kind) {
    return kind == kindRealMatrix || kind == kindComplexMatrix || kind == kindIntervalMatrix ||
           kind == kindStringMatrix || kind == kindCompressedMatrix;
}

// The value as the interpreter prints it: into the notebook, or captured
// for an answer.
void writeValue(HelpWriter& out, header* value) {
    if (out.intoNotebook()) {
        printValue(value);
        return;
    }
    char buffer[defaultCaptureLimit + 1];
    buffer[0] = 0;
    char* savedDestination = captureDestination;
    char* savedLimit = captureLimit;
    int savedOverflow = captureOverflow;
    captureDestination = buffer;
    captureLimit = buffer + defaultCaptureLimit;
    captureOverflow = 0;
    printValue(value);
    captureDestination = savedDestination;
    captureLimit = savedLimit;
    captureOverflow = savedOverflow;
    out.text(buffer);
}

}  // namespace

std::vector<std::string> functionHelpLines(header* function) {
    std::vector<std::string> lines;
    char* p = functionTextLines(function);
    char* body = functionBody(function);
    for (int index = 0; p < body; index++) {
        size_t length = strnlen(p, size_t(body - p));
        if (index >= 2) {
            std::string line(p, length);
            size_t start = line.find_first_not_of(" \t");
            line.erase(0, start == std::string::npos ? line.size() : start);
            line.erase(0, std::min<size_t>(2, line.size()));
            if (!line.empty() && line[0] == ' ') line.erase(0, 1);
            lines.push_back(line);
        }
        p += length + 1;
    }
    return lines;
}

void writeFunctionHeader(HelpWriter& out, header* function, bool allFlags) {
    std::string head = "function ";
    for (const auto& w : flagWords)
        if ((function->flags & w.flag) && (allFlags || w.flag == userFunctionMap)) head += w.word;
    head += function->name;
    head += " (";
    out.text(head);
    int width = int(head.size());
    char* entry = functionParameters(function);
    int count = functionParameterCount(function);
    for (int i = 0; i < count; i++) {
        Parameter p = readParameter(entry);
        entry = p.next;
        if (i > 0) {
            // A long list goes on in the next line after " ..".
            width += 2;
            out.text(width > lineLength - 15 ? ", ..\n" : ", ");
            if (width > lineLength - 15) width = 0;
        }
        std::string name = p.name;
        if (p.flags & parameterGroupStart) name = "[" + name;
        if (p.flags & parameterGroupEnd) name += "]";
        out.text(name);
        width += int(std::strlen(p.name));
    }
    out.text(")\n");
}

bool writeFunctionDefaults(HelpWriter& out, header* function) {
    bool any = false;
    char* entry = functionParameters(function);
    int count = functionParameterCount(function);
    for (int i = 0; i < count && !errorCode; i++) {
        Parameter p = readParameter(entry);
        entry = p.next;
        if (!p.defaultRecord) continue;
        if (!any) out.text("\n");
        any = true;
        out.text(std::string("Default for ") + p.name + " : ");
        char* top = newram;
        header* copy = pushRecordCopy(p.defaultRecord, p.defaultSize);
        if (!copy) break;
        if (isNoneMarker(copy)) {
            out.text("none\n");
        } else {
            if (isBlockKind(copy->kind)) out.text("\n");
            writeValue(out, copy);
        }
        newram = top;
    }
    return any;
}

std::vector<header*> userFunctions() {
    KALIX_CHECK(stateReadableByCaller());
    std::vector<header*> list;
    for (char* p = ramstart; p && p < functionsEnd; p += recordAt(p)->size)
        if (recordAt(p)->kind == kindFunction) list.push_back(recordAt(p));
    return list;
}

}  // namespace kalix
