// Answers of the help window's query field, the full-text search, name
// completion and the help line of a builtin.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/function_index.h"
#include "interpreter/functions.h"
#include "interpreter/maxima_services.h"
#include "interpreter/printing.h"
#include "interpreter/state_hand_over.h"
#include "interpreter/state_snapshot.h"
#include "notebook/help.h"
#include "notebook/help_database.h"
#include "notebook/help_user_functions.h"
#include "notebook/help_writer.h"
#include "notebook/maxima_help.h"

namespace kalix {

namespace {

constexpr size_t candidateLimit = 128;
constexpr int searchLinesPerEntry = 10;
constexpr size_t completionLimit = 32768;
constexpr size_t shortNameLimit = 31;

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

void trimTrailingBlanks(std::string& text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
}

void describeUserFunction(HelpWriter& out, header* function, const std::string& aliasName) {
    addHelpHistory(function->name, 0);
    if (!aliasName.empty()) out.text(aliasName + " is an alias to ");
    out.text(std::string(function->name) + "\n\n");
    writeFunctionHeader(out, function, true);
    if (function->flags & userFunctionHidden) out.text("\nComment function.\n");
    out.text("\n");
    for (const std::string& line : functionHelpLines(function)) out.line(line);
    if (writeFunctionDefaults(out, function)) out.text("\n");
}

// A user function of exactly that name.
header* userFunctionNamed(const std::string& name) {
    if (name.size() > shortNameLimit) return nullptr;
    header* function = findAnyFunction(name.c_str());
    return function && name == function->name ? function : nullptr;
}

// The user function of the name, or of an alias's target; describes it.
bool describeFunctionOrAlias(HelpWriter& out, const std::string& name) {
    if (header* function = userFunctionNamed(name)) {
        describeUserFunction(out, function, "");
        return true;
    }
    const char* target = resolveAlias(name.c_str());
    if (header* function = target ? userFunctionNamed(target) : nullptr) {
        describeUserFunction(out, function, name);
        return true;
    }
    return false;
}

// The interpreter's output of a listing, captured into the answer.
template <typename Listing>
void captureListing(std::string& answer, Listing listing) {
    size_t start = answer.size();
    if (start >= helpAnswerLimit) return;
    std::vector<char> buffer(helpAnswerLimit - start + 1, 0);
    char* savedDestination = captureDestination;
    char* savedLimit = captureLimit;
    int savedOverflow = captureOverflow;
    captureDestination = buffer.data();
    captureLimit = buffer.data() + buffer.size() - 1;
    captureOverflow = 0;
    listing();
    captureDestination = savedDestination;
    captureLimit = savedLimit;
    captureOverflow = savedOverflow;
    errorCode = 0;
    answer += buffer.data();
}

struct QueryMarks {
    std::string text;
    bool databaseOnly = false;  // "_": no user functions, the whole name
    bool substring = false;     // "*"
};

QueryMarks readMarks(std::string query) {
    QueryMarks marks;
    if (query.size() > 1 && query[0] == '_') {
        marks.databaseOnly = true;
        query.erase(0, 1);
    }
    if (query.size() > 1 && query[0] == '*') {
        marks.substring = true;
        query.erase(0, 1);
    }
    marks.text = query;
    return marks;
}

bool nameMatches(const std::string& name, const QueryMarks& marks) {
    if (marks.substring) return name.find(marks.text) != std::string::npos;
    if (marks.databaseOnly) return name == marks.text;
    return startsWith(name, marks.text.c_str());
}

std::vector<std::string> candidates(const QueryMarks& marks, bool interpreterReadable) {
    std::vector<std::string> names;
    for (const HelpEntry& entry : helpDatabase.entries())
        for (const std::string& topic : entry.topics)
            if (names.size() < candidateLimit && nameMatches(topic, marks)) names.push_back(topic);
    if (!interpreterReadable) return names;
    if (!marks.databaseOnly)
        for (header* function : userFunctions())
            if (names.size() < candidateLimit && nameMatches(function->name, marks))
                names.push_back(function->name);
    const char* aliases[candidateLimit];
    int n = collectAliasNames(marks.text.c_str(), aliases, 0, int(candidateLimit - names.size()));
    for (int i = 0; i < n; i++) names.push_back(aliases[i]);
    return names;
}

// Names shortest first (a stable order among equal lengths), each once.
std::vector<std::string> byLength(std::vector<std::string> names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return a.size() < b.size();
    });
    std::vector<std::string> distinct;
    for (std::string& name : names)
        if (std::find(distinct.begin(), distinct.end(), name) == distinct.end())
            distinct.push_back(std::move(name));
    return distinct;
}

void writeCandidates(HelpWriter& out, const std::vector<std::string>& names) {
    setCurrentHelpWord(names.front());
    int width = 0;
    for (const std::string& name : names) {
        width += int(name.size()) + 1;
        if (width > 60) {
            out.text("\n");
            width = int(name.size()) + 1;
        }
        out.text(name + " ");
    }
    out.text("\n");
}

bool answerSpecialQuery(std::string& answer, const std::string& query, bool interpreterReadable) {
    bool type = startsWith(query, "type ") && query.size() > 5;
    bool list = startsWith(query, "list ") && query.size() > 5;
    bool listvar = startsWith(query, "listvar ");
    if (!type && !list && !listvar) return false;
    if (!interpreterReadable) {
        answer += "Kalix is computing; the answer comes when it waits for input.\n";
        return true;
    }
    std::string rest = query.substr(listvar ? 8 : 5);
    trimTrailingBlanks(rest);
    if (type)
        captureListing(answer, [&] { describeName(rest.c_str()); });
    else if (list)
        captureListing(answer, [&] { listNames(rest.c_str()); });
    else
        captureListing(answer, [&] { listVariables(rest.c_str()); });
    return true;
}

bool isFileQuery(const std::string& query) {
    return (query.size() > 3 && query.compare(query.size() - 2, 2, ".k") == 0) ||
           startsWith(query, "load ");
}

}  // namespace

bool showHelpEntry(HelpWriter& out, std::string name, bool interpreterReadable) {
    if (!name.empty() && name.back() == ' ') name.pop_back();
    const HelpEntry* entry = helpDatabase.findTopic(name);
    std::string topic = name;
    if (!entry && interpreterReadable) {
        const char* target = resolveAlias(name.c_str());
        if (target && (entry = helpDatabase.findTopic(target))) {
            out.text(name + " is an alias to ");
            topic = target;
        }
    }
    if (!entry) return false;
    // Found with no-break spaces: the name as the entry writes it.
    if (std::find(entry->topics.begin(), entry->topics.end(), topic) == entry->topics.end())
        topic = entry->topics.front();
    out.text(topic + "\n");
    addHelpHistory(topic, 0);
    for (const std::string& line : entry->lines) out.line(line);
    return true;
}

void searchHelpText(HelpWriter& out, const std::string& text, bool interpreterReadable) {
    out.text("Searching for \"" + text + "\"\n\n");
    auto writeMatches = [&](const std::string& name, const std::vector<std::string>& lines) {
        int written = 0;
        for (const std::string& line : lines) {
            if (line.find(text) == std::string::npos) continue;
            if (written == searchLinesPerEntry) break;
            if (written++ == 0) out.line(name + " :");
            out.line("  " + line);
        }
    };
    if (interpreterReadable)
        for (header* function : userFunctions())
            writeMatches(function->name, functionHelpLines(function));
    for (const HelpEntry& entry : helpDatabase.entries()) {
        if (out.full()) return;
        writeMatches(entry.topics.front(), entry.lines);
    }
    searchMaximaInfo(out, text);
}

std::string answerHelpQuery(const std::string& typed, bool interpreterReadable) {
    std::string answer = helpHistoryText() + "\n" + std::string(70, '-') + "\n\n";
    HelpWriter out(&answer);
    if (typed.size() > 3 && typed[0] == '?') {
        searchHelpText(out, typed.substr(1), interpreterReadable);
        return answer;
    }
    if (answerSpecialQuery(answer, typed, interpreterReadable)) return answer;
    setCurrentHelpWord("");
    std::string query = typed.empty() ? "Topics " : typed;
    if (query.size() > 1 && query.back() == '(') query.back() = ' ';
    if (isFileQuery(query)) {
        std::string file = startsWith(query, "load ") ? query.substr(5) : query;
        trimTrailingBlanks(file);
        if (interpreterReadable) printFileComments(out, file);
        return answer;
    }
    if (query[0] == '&' || query[0] == ' ') {
        findMaximaHelp(out, query.substr(1));
        std::string name = query.substr(1);
        trimTrailingBlanks(name);
        if (query[0] == ' ' || !interpreterReadable || !userFunctionNamed(name)) return answer;
        out.text("\n");
        query = name;
    }
    QueryMarks marks = readMarks(query);
    std::vector<std::string> names = byLength(candidates(marks, interpreterReadable));
    // A name with a blank after it is asked for exactly, also where topics
    // of several words begin with it ("Variables", "Variables in Functions").
    std::string exact = marks.text.substr(0, marks.text.size() - 1);
    if (!marks.substring && marks.text.back() == ' ' && helpDatabase.findTopic(exact))
        names.clear();
    if (names.size() > 1 || (marks.substring && !names.empty())) {
        writeCandidates(out, names);
        return answer;
    }
    if (names.size() == 1) {
        setCurrentHelpWord(names[0]);  // Enter shows it
        if (!marks.databaseOnly && interpreterReadable && describeFunctionOrAlias(out, names[0]))
            return answer;
        showHelpEntry(out, names[0], interpreterReadable);
        return answer;
    }
    size_t blank = marks.text.find(' ');
    if (!marks.databaseOnly && interpreterReadable && blank != std::string::npos &&
        describeFunctionOrAlias(out, marks.text.substr(0, blank)))
        return answer;
    if (!showHelpEntry(out, marks.text, interpreterReadable))
        searchHelpText(out, marks.text, interpreterReadable);
    return answer;
}

// --- completion and help lines -----------------------------------------------------

std::string helpLineOf(const std::string& name) {
    const HelpEntry* entry = helpDatabase.findTopic(name);
    if (!entry || entry->lines.empty()) return "";
    std::string call = name + "(";
    for (const std::string& line : entry->lines) {
        size_t start = line.find_first_not_of(" \t");
        if (start != std::string::npos && line.compare(start, call.size(), call) == 0)
            return line.substr(start);
    }
    return entry->lines.front();
}

namespace {

// The search word: backslash escapes taken plainly, "__" as one "_".
std::string plainWord(const std::string& word) {
    std::string out;
    for (size_t i = 0; i < word.size(); i++) {
        if (word[i] == '\\' && i + 1 < word.size()) {
            out += word[++i];
        } else if (word[i] == '_' && i + 1 < word.size() && word[i + 1] == '_') {
            out += '_';
            i++;
        } else {
            out += word[i];
        }
    }
    return out;
}

// The hint of a name: a user function's header with its help line, else a
// builtin's help line; the name becomes the status help. False when it is
// neither.
bool hintFor(const std::string& name, const StateSnapshot& state, NameCompletion& result) {
    const std::string* target = state.aliasTarget(name);
    std::string resolved = target && !state.findsFunction(name) ? *target : name;
    const std::string* hint = resolved.size() > shortNameLimit ? nullptr : state.hintOf(resolved);
    if (hint) {
        result.hint = *hint;
    } else if (const BuiltinRecord* row = findBuiltin(resolved.c_str(), -1);
               row && resolved == row->name) {
        result.hint = helpLineOf(resolved);
    } else {
        return false;
    }
    result.names = {name};
    result.candidates = name;
    setStatusHelp(name, 0);
    return true;
}

}  // namespace

NameCompletion completeName(const std::string& typed, const StateSnapshot& state) {
    NameCompletion result;
    std::string word = plainWord(typed);
    std::vector<std::string> names;
    auto add = [&](const std::string& name) {
        if (names.size() < candidateLimit && startsWith(name, word.c_str())) names.push_back(name);
    };
    for (int i = 0; i < builtinCount; i++) add(builtinTable[i].name);
    for (const std::string& name : state.functionNames) add(name);
    for (int i = 0; i < commandCount; i++) add(commandTable[i].name);
    for (const auto& alias : state.aliases) add(alias.first);

    size_t open = word.find('(');
    if (names.empty() && open != std::string::npos) {
        hintFor(word.substr(0, open), state, result);
        return result;
    }
    std::vector<std::string> distinct = byLength(names);
    if (distinct.size() == 1 && hintFor(distinct[0], state, result)) return result;
    for (const std::string& name : distinct) {
        if (result.candidates.size() + name.size() + 1 > completionLimit) break;
        result.names.push_back(name);
        result.candidates += name + " ";
    }
    result.hint = result.candidates;
    return result;
}

MaximaCompletion completeMaximaName(const std::string& word, int index) {
    MaximaCompletion result;
    if (word.empty()) return result;
    std::vector<char> names(completionLimit, 0), help(completionLimit, 0);
    result.more = findMaximaFunctions(word.c_str(), names.data(), help.data(), index);
    names.back() = 0;
    help.back() = 0;
    result.help = help.data();
    for (const char* at = names.data(); *at;) {
        const char* end = std::strchr(at, ' ');
        if (!end) end = at + std::strlen(at);
        if (end > at) result.names.emplace_back(at, size_t(end - at));
        at = *end ? end + 1 : end;
    }
    if (word.back() == '(' && !result.help.empty())
        setStatusHelp(word.substr(0, word.size() - 1), 1);
    else if (result.names.size() == 1)
        setStatusHelp(result.names[0], 1);
    return result;
}

}  // namespace kalix
