// The HTML page that documents a program file (".k"): its "// " comments
// become the title, headings and paragraphs, "// >" lines examples, and
// each function its header line with its first "##" help lines.
#include <iterator>
#include <string>
#include <vector>

#include "base/file_reading.h"
#include "notebook/export_common.h"

namespace kalix {

namespace {

bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

const char* const builtInStyle[] = {
    "<style type=\"text/css\">",
    "body { width : 800px; font-family: arial, sans-serif; font-size: 10pt; margin: 20px; }",
    "pre { font-family : \"Courier New\", monospace; background: #EEE; padding: 10px; }",
    "pre.output { font-family : \"Courier New\", monospace; font-size : 10pt; margin-left: 20px; "
    "}",
    "pre.udf { font-family : \"Courier New\", monospace; font-size : 10pt; color : #007; }",
    "pre.prompt { font-family : \"Courier New\", monospace; font-size : 10pt; color : #700; }",
    "pre.comment { font-family : \"Courier New\", monospace; font-size : 10pt; color : #060; "
    "background: none; margin-left: 20px; }",
    "h1.title { font-family : arial, sans-serif; text-align : right; font-size : 240%; "
    "padding-bottom: 10px; border-bottom: 2px solid #e9b06e; }",
    "h1.comment { font-family : arial, sans-serif; text-align : right; font-size : 160%; color : "
    "#000; border-bottom: 2px solid #e9b06e; }",
    "img.kalix { margin-left:20px; }",
    "p.image { text-align:center; }",
    "</style>",
};

class Documentation {
  public:
    explicit Documentation(const std::vector<std::string>& lines) : lines(lines) {}

    void body();
    std::string out;

  private:
    bool isDoc(size_t i, const char* prefix) const {
        return i < lines.size() && startsWith(lines[i], prefix);
    }
    // A plain "// " line: neither a heading nor an example.
    bool isParagraphLine(size_t i) const {
        return isDoc(i, "// ") && !isDoc(i, "// * ") && !isDoc(i, "// >");
    }
    bool endsFunction(size_t i) const {
        return lines[i].empty() || startsWith(lines[i], "endfunction") ||
               startsWith(lines[i], "function");
    }
    size_t function(size_t i);
    size_t comment(size_t i);

    const std::vector<std::string>& lines;
};

void Documentation::body() {
    size_t i = 0;
    if (isDoc(0, "// ")) {
        out += "<H1>\n" + escapeHtml(lines[0].substr(isDoc(0, "// * ") ? 5 : 3)) + "\n</H1>\n";
        i = 1;
    }
    while (i < lines.size()) {
        const std::string& line = lines[i];
        if (isDoc(i, "// * ")) {
            out += "<h2>\n" + escapeHtml(line.substr(5)) + "\n</h2>";
            i++;
        } else if (isDoc(i, "// >")) {
            out += "<pre class=\"function\">\n";
            for (; isDoc(i, "// >"); i++) out += escapeHtml(lines[i].substr(3)) + "\n";
            out += "</pre>\n";
        } else if (isParagraphLine(i)) {
            out += "<p>\n";
            for (; isParagraphLine(i); i++) out += escapeHtml(lines[i].substr(3)) + "\n";
            out += "</p>\n";
        } else if (startsWith(line, "comment")) {
            i = comment(i + 1);
        } else if (line.find(":=") != std::string::npos) {
            out += "<pre class=\"function\">\n" + escapeHtml(line) + "\n</pre>\n";
            i++;
        } else if (startsWith(line, "function ")) {
            i = function(i);
        } else {
            i++;
        }
    }
}

// The lines up to "endcomment" as paragraphs; returns the line after it.
size_t Documentation::comment(size_t i) {
    out += "<p>\n";
    for (; i < lines.size() && !startsWith(lines[i], "endcomment"); i++)
        out += lines[i].empty() ? "</p>\n<p>\n" : escapeHtml(lines[i]) + "\n";
    out += "</p>\n";
    return i < lines.size() ? i + 1 : i;
}

// The header and the first run of "##" help lines on one line; returns the
// line that ended the function, which is looked at again.
size_t Documentation::function(size_t i) {
    out += "<pre class=\"function\">\n" + escapeHtml(lines[i]);
    bool helpDone = false;
    for (i++; i < lines.size() && !endsFunction(i); i++) {
        if (helpDone || !isDoc(i, "##")) continue;
        out += "\n " + escapeHtml(lines[i].substr(2));
        for (i++; isDoc(i, "##"); i++) out += " " + escapeHtml(lines[i].substr(2));
        helpDone = true;
        if (i < lines.size() && endsFunction(i)) break;
    }
    out += "\n</pre>\n";
    return i;
}

}  // namespace

int createHtmlDocumentation(const char* programFile, NotebookHost& host) {
    std::string source = programFile;
    std::string target = source + ".html";
    std::vector<std::string> lines;
    if (!readFileLines(source.c_str(), lines)) {
        host.showMessage(("Could not open\n" + source).c_str());
        return 0;
    }
    std::string directory = directoryOf(source);
    std::string title = source.substr(directory.size());
    size_t dot = title.rfind('.');
    if (dot != std::string::npos && dot > 0) title.erase(dot);

    std::vector<std::string> pattern;
    bool hasPattern = readFileLines(patternFile(directory).c_str(), pattern);
    size_t tail = pattern.size();
    std::string page;
    if (hasPattern) {
        for (size_t i = 0; i < pattern.size(); i++) {
            if (startsWith(pattern[i], "#")) {
                tail = i + 1;
                break;
            }
            page += pattern[i] + "\n";
        }
    } else {
        page = "<!DOCTYPE html>\n\n<head>\n<title>" + escapeHtml(title) + "</title>\n";
        if (fileExists(directory + "kalix.css")) {
            page += "<LINK REL=\"stylesheet\" TYPE=\"text/css\" HREF=\"kalix.css\">\n";
        } else {
            for (const char* rule : builtInStyle) page += std::string(rule) + "\n";
        }
        page += "</head>\n\n<body>\n";
    }
    Documentation documentation(lines);
    documentation.body();
    page += documentation.out;
    if (hasPattern) {
        for (size_t i = tail; i < pattern.size(); i++) page += pattern[i] + "\n";
    } else {
        page += "</body>\n</html>\n";
    }
    if (!replaceFile(target, page)) {
        host.showMessage(("Could not open\n" + target).c_str());
        return 0;
    }
    return 1;
}

}  // namespace kalix
