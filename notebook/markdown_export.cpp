// The notebook as a Markdown file: commands as escaped paragraphs, output
// and function bodies as indented code, comments as headings, paragraphs
// and lists, pictures as image links, formulas as "$$" blocks.
#include <cstring>
#include <vector>

#include "notebook/export_common.h"

namespace kalix {

namespace {

class MarkdownExport {
  public:
    MarkdownExport(NotebookEditor& editor, const char* path, const ExportOptions& options)
        : options(options),
          notebook(editor.options()),
          names(exportNames(editor, path, 0)),
          out(options.htmlUtf),
          last(editor.lastLine()) {}

    std::string build();

  private:
    NotebookLine* block(NotebookLine* line);
    NotebookLine* command(NotebookLine* line);
    NotebookLine* comment(NotebookLine* line);
    void formula(const std::string& text) {
        out.put("$$");
        out.put(text);
        out.put("$$\n\n");
    }
    // A body line as code: its text after the "$".
    void bodyLine(const NotebookLine* line, int html) {
        std::string text = line->text.length() > 0 ? line->text.getText() + 1 : "";
        out.put("    " + (html ? escapeHtml(text) : text) + "\n");
    }
    void text(const NotebookLine* line, int skip = 0) { out.put(lineMarkup(line, skip, 0)); }

    const ExportOptions& options;
    NotebookOptions notebook;
    ExportNames names;
    ExportText out;
    NotebookLine* last;
};

std::string MarkdownExport::build() {
    if (options.htmlUtf) out.putRaw(utf8Mark);
    makeImageFolder(names, notebook);
    out.put("# ");
    out.put(names.title);
    out.put("\n");
    for (NotebookLine* line = names.start; line;) line = block(line);
    return out.data;
}

NotebookLine* MarkdownExport::block(NotebookLine* line) {
    if (line->image) {
        if (line->imageRow != 0) return line->next;
        if (line->formula) {
            formula(line->formula->getText());
        } else {
            std::string name = imageLink(line, names, notebook, 0);
            out.put("![" + name + "](" + name + ")\n");
            out.put("\n");
        }
        return lastRowOf(line)->next;
    }
    if (line->isFolded() && !isFormulaComment(line, options.latexAsMathJax)) return line->next;
    switch (line->kind) {
        case lineOutput:
            // Code blocks show their text as it is: no escaping.
            for (; line && line->kind == lineOutput && !line->image; line = line->next)
                out.put(std::string("    ") + line->text.getText() + "\n");
            out.put("\n");
            return line;
        case lineCommand:
            return command(line);
        case lineFunctionBody:
            out.put("<pre class=\"udf\">\n");
            for (; line && line->kind == lineFunctionBody && !line->image; line = line->next)
                if (!line->isFolded()) bodyLine(line, 1);
            out.put("</pre>\n");
            return line;
        default:
            return comment(line);
    }
}

NotebookLine* MarkdownExport::command(NotebookLine* line) {
    if (isEmptyCommand(line) || line == last) return line->next;
    NotebookLine* next = line->next;
    if (next && next->kind == lineFunctionBody && !next->image) {
        out.put(lineMarkup(line, 0, 1));
        out.put("\n\n\n");
        for (; next && next->kind == lineFunctionBody && !next->image; next = next->next)
            if (!next->isFolded()) bodyLine(next, 0);
        out.put("\n");
        return next;
    }
    // The lines shown; a hidden continuation line is left out with its
    // marker.
    std::vector<NotebookLine*> shown;
    for (next = line; next && next->kind == lineCommand && !next->image && next != last &&
                      (next == line || !isEmptyCommand(next));
         next = next->next)
        if (next == line || !next->isFolded()) shown.push_back(next);
    for (size_t i = 0; i < shown.size(); i++) {
        out.put(lineMarkup(shown[i], 0, 1));
        bool continued = shown[i]->text.endsWith("...") && i + 1 < shown.size() &&
                         shown[i]->next == shown[i + 1];
        out.put(continued ? "  \n\\>  " : "\n\n");
    }
    out.put("\n");
    return next;
}

NotebookLine* MarkdownExport::comment(NotebookLine* line) {
    if (isFormulaComment(line, options.latexAsMathJax)) {
        int marker = plainStartsWith(line, "mathjax: ") ? 9 : 7;
        std::string rest = plainText(line) + marker;
        if (plainText(line) != line->text.getText())
            rest = utf8Mark + escapeHtml(rest);
        else
            rest = escapeHtml(rest);
        formula(rest);
        NotebookLine* next = line->next;
        if (next && next->kind == lineComment && next->image) next = lastRowOf(next)->next;
        return next;
    }
    if (line->heading) {
        out.put("# ");
        text(line);
        out.put("\n\n");
        return line->next;
    }
    if (plainStartsWith(line, "---")) {
        out.put("---\n\n");
        return line->next;
    }
    if (plainStartsWith(line, "** ")) {
        out.put("## ");
        text(line);
        out.put("\n\n");
        return line->next;
    }
    if (isBlankComment(line)) return line->next;
    if (plainStartsWith(line, "- ")) {
        while (continuesComment(line) && plainStartsWith(line, "- ")) {
            out.put("* ");
            text(line, 2);
            out.put("\n");
            for (line = line->next;
                 continuesComment(line) && !isBlankComment(line) && !plainStartsWith(line, "- ");
                 line = line->next) {
                out.put("  ");
                text(line);
                out.put("\n");
            }
            out.put("\n");
        }
        out.put("\n");
        return line;
    }
    if (plainStartsWith(line, "See: ") || plainStartsWith(line, "see: ") ||
        plainStartsWith(line, "http:")) {
        out.put(lineMarkup(line, 0, 1));
        out.put("  \n\n");
        return line->next;
    }
    if (plainText(line)[0] == ' ') {
        for (; continuesComment(line) && plainText(line)[0] == ' ' && !isBlankComment(line);
             line = line->next) {
            text(line);
            out.put("  \n");
        }
        out.put("\n");
        return line;
    }
    // A paragraph, ended by a blank line.
    NotebookLine* first = line;
    for (; line == first || continuesComment(line); line = line->next) {
        if (isBlankComment(line)) {
            line = line->next;
            break;
        }
        if (line->hardBreak && line != first) out.put("\n\n");
        text(line);
        out.put("\n");
    }
    out.put("\n\n");
    return line;
}

}  // namespace

int exportMarkdown(NotebookEditor& editor, const char* path, const ExportOptions& options) {
    return buildAndWrite<MarkdownExport>(editor, path, options, "export markdown");
}

}  // namespace kalix
