// The notebook as one HTML page: commands, function bodies and output as
// preformatted blocks, comments as headings, paragraphs, lists and links,
// pictures as image elements that name the files the notebook's save
// wrote, formulas for MathJax. "kalix.css" beside the page replaces the
// built-in style; "pattern.html" beside it supplies the page around the
// content.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "base/file_reading.h"
#include "notebook/export_common.h"

namespace kalix {

namespace {

// The lines of a file with their line ends; empty when it cannot be read.
std::vector<std::string> fileLinesWithEnds(const std::string& path) {
    std::string data;
    readWholeFile(path.c_str(), data);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        end = end == std::string::npos ? data.size() : end + 1;
        lines.push_back(data.substr(start, end - start));
        start = end;
    }
    return lines;
}

std::string attribute(const std::string& text) {
    std::string out;
    for (char c : escapeHtml(text)) {
        if (c == '"')
            out += "&quot;";
        else
            out += c;
    }
    return out;
}

bool isLinkComment(const NotebookLine* line) {
    return plainStartsWith(line, "See: ") || plainStartsWith(line, "see: ") ||
           plainStartsWith(line, "http:");
}

class HtmlExport {
  public:
    HtmlExport(NotebookEditor& editor, const char* path, const ExportOptions& options)
        : editor(editor),
          options(options),
          notebook(editor.options()),
          names(exportNames(editor, path, 0)),
          out(options.htmlUtf),
          last(editor.lastLine()) {}

    std::string build();

  private:
    bool needsMathJax() const;
    void styleRules();
    void mathJaxScript();
    void head(bool styleSheet);
    NotebookLine* block(NotebookLine* line);
    void formula(const std::string& text);
    void picture(const NotebookLine* line);
    NotebookLine* outputBlock(NotebookLine* line);
    NotebookLine* command(NotebookLine* line);
    NotebookLine* bodyLines(NotebookLine* line);
    NotebookLine* comment(NotebookLine* line);
    NotebookLine* unformattedComments(NotebookLine* line);
    NotebookLine* list(NotebookLine* line);
    NotebookLine* paragraph(NotebookLine* line);
    void text(const NotebookLine* line, int skip = 0) {
        out.put(lineMarkup(line, skip, 0));
        out.put("\n");
    }

    NotebookEditor& editor;
    const ExportOptions& options;
    NotebookOptions notebook;
    ExportNames names;
    ExportText out;
    NotebookLine* last;
    bool mathJax = false;
};

bool HtmlExport::needsMathJax() const {
    for (NotebookLine* line = editor.document().getFirstLine(); line && line != last;
         line = line->next) {
        if (line->image && line->formula && (line->formulaIsMathJax || options.latexAsMathJax))
            return true;
        if (isFormulaComment(line, options.latexAsMathJax)) return true;
    }
    return false;
}

void HtmlExport::styleRules() {
    int width = options.fixLineLength ? 650 : options.textWindowWidth + 100;
    char body[256];
    std::snprintf(body, sizeof body,
                  "body { width : %dpx; font-family: arial, sans-serif; font-size: 10pt; margin: "
                  "20px; margin-left: auto; margin-right: auto; }\n",
                  width + 50);
    out.put(body);
    out.put(
        "pre { font-family : \"Courier New\", monospace; background: #EEE; padding: 10px; "
        "margin-left: 15%; }\n");
    out.put("pre.output { color: #000; background:none; margin-left: 5%; }\n");
    bool colors = options.useColors;
    std::string udf = colors ? "#006" : "#000";
    std::string prompt = colors ? "#700" : "#000";
    std::string green = colors ? "#040" : "#000";
    std::string border = colors ? "2px solid #e9b06e" : "2px solid #000";
    out.put("pre.udf { color : " + udf + "; margin-left: 0; }\n");
    out.put("pre.prompt { color : " + prompt + "; margin-left: 0; }\n");
    out.put("pre.comment { color : " + green + "; background: none; margin-left: 7%; }\n");
    out.put("p.comment { color : " + green + "; margin-left: 5%; margin-right: 5%; }\n");
    out.put("p.indentedcomment { color : " + green + "; margin-left: 10%; }\n");
    out.put(
        "h1.title { font-family : arial, sans-serif; text-align : right; font-size : 24pt; "
        "padding-bottom: 5pt; }\n");
    out.put(
        "h1.comment, h1.comment a { font-family : arial, sans-serif; text-align : right; "
        "font-size : 16pt; color : #000; }\n");
    out.put(
        "h2.comment, h2.comment a { font-family : arial, sans-serif; text-align : right; "
        "font-size : 12pt; color : #000; }\n");
    out.put("h1.title, h1.comment, h2.comment { border-bottom: " + border + "; }\n");
    if (colors)
        out.put(
            "ul.comment { font-family : arial, sans-serif; font-size : 10pt; color : #040; "
            "margin-left: 10%; margin-right: 10%; padding-left:0; }\n");
    out.put("img.kalix { }\n");
    out.put("p.image { text-align:center; margin-left:50px; }\n");
    out.put("a:link { color:#448; font-weight:bolder; text-decoration:none; }\n");
    out.put("a:visited { color:#446; font-weight:bolder; text-decoration:none; }\n");
    if (mathJax)
        out.put(std::string("p.mathjax { color:") + (colors ? "#040" : "#000") +
                "; font-size: 9pt; text-align: center; padding-left:50px; }\n");
}

void HtmlExport::mathJaxScript() {
    out.put("<script type=\"text/javascript\"\n");
    out.put("src=\"" + attribute(options.mathJaxAddress) + "\">\n");
    out.put("</script>\n");
}

void HtmlExport::head(bool styleSheet) {
    if (options.generateXhtml) {
        out.put(options.htmlUtf ? "<?xml version='1.0' encoding='utf-8'?>\n"
                                : "<?xml version='1.0'?>\n");
        out.put("<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en\">\n");
    } else {
        out.put("<!DOCTYPE html>\n");
        out.put("<html>\n");
    }
    out.put("\n");
    out.put("<head>\n");
    out.put("<title>");
    out.put(names.title);
    out.put("</title>\n");
    if (styleSheet) {
        out.put("<LINK REL=\"stylesheet\" TYPE=\"text/css\" HREF=\"kalix.css\">\n");
    } else {
        out.put("<style type=\"text/css\">\n");
        styleRules();
        out.put("</style>\n");
    }
    if (mathJax) mathJaxScript();
    out.put("</head>\n");
    out.put("\n");
    out.put("<body>\n");
}

std::string HtmlExport::build() {
    mathJax = needsMathJax();
    std::vector<std::string> pattern = fileLinesWithEnds(patternFile(names.directory));
    size_t tail = pattern.size();
    if (pattern.empty()) {
        if (options.htmlUtf) out.putRaw(utf8Mark);
        head(fileExists(names.directory + "kalix.css"));
    } else {
        for (size_t i = 0; i < pattern.size(); i++) {
            if (pattern[i][0] == '#') {
                tail = i + 1;
                break;
            }
            if (mathJax && pattern[i].compare(0, 5, "<body") == 0) mathJaxScript();
            out.putRaw(pattern[i]);
        }
    }
    out.put("<h1 class=\"title\">");
    out.put(names.title);
    out.put("</h1>\n");
    for (NotebookLine* line = names.start; line;) line = block(line);
    if (pattern.empty()) {
        out.put("</body>\n");
        out.put("</html>\n");
    } else {
        for (size_t i = tail; i < pattern.size(); i++) out.putRaw(pattern[i]);
    }
    return out.data;
}

// Writes the block that begins at `line`; returns the line after it.
NotebookLine* HtmlExport::block(NotebookLine* line) {
    if (line->image) {
        if (line->imageRow != 0) return line->next;
        if (line->formula && (line->formulaIsMathJax || options.latexAsMathJax))
            formula(line->formula->getText());
        else
            picture(line);
        return lastRowOf(line)->next;
    }
    if (line->isFolded() && !isFormulaComment(line, options.latexAsMathJax)) return line->next;
    switch (line->kind) {
        case lineOutput:
            return outputBlock(line);
        case lineCommand:
            return command(line);
        case lineFunctionBody:
            return bodyLines(line);
        default:
            return comment(line);
    }
}

void HtmlExport::formula(const std::string& text) {
    out.put("<p class=\"mathjax\">\n");
    out.put("$$");
    out.putEscaped(text);
    out.put("$$");
    out.put("</p>\n");
}

void HtmlExport::picture(const NotebookLine* line) {
    out.put("<p class=\"image\">\n");
    const char* svg = line->getSvgFileName();
    bool object = svg && svg[0] && fileExists(names.directory + svg);
    int width = line->image->getWidth();
    int height = line->image->getHeight();
    char size[64];
    std::snprintf(size, sizeof size, " width=\"%d\" height=\"%d\"", width, height);
    if (object)
        out.put("<object data=\"" + attribute(svg) + "\" type=\"image/svg+xml\"" + size + ">\n");
    bool large = line->largeImage != nullptr;
    std::string shown =
        attribute(imageLink(line, names, notebook, large && options.useLargeImages));
    std::string alt = attribute(names.base);
    if (large) {
        std::string big = attribute(imageLink(line, names, notebook, 1));
        out.put("<img class=\"kalix\" src=\"" + shown + "\" srcset=\"" + shown + " 1x, " + big +
                " 3x\"" + size + " alt=\"" + alt + "\" />\n");
    } else {
        out.put("<img class=\"kalix\" src=\"" + shown + "\"" + size + " alt=\"" + alt + "\" />\n");
    }
    if (object) out.put("</object>\n");
    out.put("</p>\n");
}

NotebookLine* HtmlExport::outputBlock(NotebookLine* line) {
    out.put("<pre class=\"output\">");
    for (; line && line->kind == lineOutput && !line->image; line = line->next) text(line);
    out.put("</pre>\n");
    return line;
}

NotebookLine* HtmlExport::command(NotebookLine* line) {
    if (isEmptyCommand(line) || line == last) return line->next;
    NotebookLine* next = line->next;
    if (next && next->kind == lineFunctionBody && !next->image) {
        out.put("<pre class=\"udf\">");
        text(line);
        for (; next && next->kind == lineFunctionBody && !next->image; next = next->next)
            if (!next->isFolded()) text(next);
        out.put("</pre>\n");
        return next;
    }
    out.put("<pre class=\"prompt\">");
    text(line);
    for (;
         next && next->kind == lineCommand && !next->image && !isEmptyCommand(next) && next != last;
         next = next->next)
        if (!next->isFolded()) text(next);
    out.put("</pre>\n");
    return next;
}

NotebookLine* HtmlExport::bodyLines(NotebookLine* line) {
    out.put("<pre class=\"udf\">");
    for (; line && line->kind == lineFunctionBody && !line->image; line = line->next)
        if (!line->isFolded()) text(line);
    out.put("</pre>\n");
    return line;
}

NotebookLine* HtmlExport::comment(NotebookLine* line) {
    if (isFormulaComment(line, options.latexAsMathJax)) {
        int marker = plainStartsWith(line, "mathjax: ") ? 9 : 7;
        std::string rest = plainText(line) + marker;
        if (plainText(line) != line->text.getText()) rest = utf8Mark + rest;
        formula(rest);
        NotebookLine* next = line->next;
        if (next && next->kind == lineComment && next->image) next = lastRowOf(next)->next;
        return next;
    }
    if (line->heading) {
        std::string anchor = plainText(line);
        for (char& c : anchor)
            if (c == ' ') c = '_';
        if (plainText(line) != line->text.getText())
            anchor = utf8Mark + attribute(anchor);
        else
            anchor = attribute(anchor);
        out.put("<h1 class=\"comment\"><a name=\"");
        out.put(anchor);
        out.put("\">");
        out.put(lineMarkup(line, 0, 0));
        out.put("</a></h1>\n");
        return line->next;
    }
    if (plainStartsWith(line, "---")) {
        out.put("<h1 class=\"comment\"></h1>\n");
        return line->next;
    }
    if (plainStartsWith(line, "** ")) {
        out.put("<h2 class=\"comment\">");
        out.put(lineMarkup(line, 0, 0));
        out.put("</h2>\n");
        return line->next;
    }
    if (isBlankComment(line)) return line->next;
    if (options.noReformat) return unformattedComments(line);
    if (plainStartsWith(line, "- ")) return list(line);
    if (isLinkComment(line)) {
        out.put("<p class=\"indentedcomment\">");
        text(line);
        for (line = line->next; continuesComment(line) && isLinkComment(line); line = line->next) {
            out.put("<br />");
            text(line);
        }
        out.put("</p>");
        return line;
    }
    if (plainText(line)[0] == ' ') {
        out.put("<pre class=\"comment\">");
        text(line);
        for (line = line->next;
             continuesComment(line) && plainText(line)[0] == ' ' && !isBlankComment(line);
             line = line->next)
            text(line);
        out.put("</pre>");
        return line;
    }
    return paragraph(line);
}

NotebookLine* HtmlExport::unformattedComments(NotebookLine* line) {
    out.put("<pre class=\"comment\">");
    text(line);
    bool blank = false;
    for (line = line->next; continuesComment(line); line = line->next) {
        if (isBlankComment(line)) {
            blank = true;
            continue;
        }
        if (blank) out.put("\n");
        blank = false;
        text(line);
    }
    out.put("</pre>\n");
    return line;
}

NotebookLine* HtmlExport::list(NotebookLine* line) {
    out.put("<ul class=\"comment\">\n");
    while (continuesComment(line) && plainStartsWith(line, "- ")) {
        out.put("<li>\n");
        text(line, 2);
        for (line = line->next;
             continuesComment(line) && !isBlankComment(line) && !plainStartsWith(line, "- ");
             line = line->next)
            text(line);
        out.put("</li>\n");
    }
    out.put("</ul>\n");
    return line;
}

// Comment lines up to and including the first blank one.
NotebookLine* HtmlExport::paragraph(NotebookLine* line) {
    out.put("<p class=\"comment\">");
    text(line);
    for (line = line->next; continuesComment(line); line = line->next) {
        if (isBlankComment(line)) {
            line = line->next;
            break;
        }
        if (line->hardBreak) out.put("<br />");
        text(line);
    }
    out.put("</p>\n");
    return line;
}

}  // namespace

int exportHtml(NotebookEditor& editor, const char* path, const ExportOptions& options) {
    return buildAndWrite<HtmlExport>(editor, path, options, "export HTML");
}

}  // namespace kalix
