// The notebook as a LaTeX document. The layout lives in the style package
// "kalnb.sty" (resources/kalnb.sty, installed beside the program), which is
// copied beside the exported file; its first line may carry the document
// class. One environment per kind of block: kalixoutput, kalixprompt,
// kalixudf (kept lines), kalixcomment (paragraphs), kalixttcomment (kept
// comment lines), kalixformula; macros \kalixheading, \kalixsubheading and
// \kaliximg{rows}{file}.
#include <cstdio>
#include <cstring>
#include <fstream>

#include "base/file_reading.h"
#include "base/text.h"
#include "notebook/export_common.h"

namespace kalix {

std::string escapeLatexText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '$':
                out += "\\textdollar{}";
                break;
            case '%':
                out += "\\%";
                break;
            case '&':
                out += "\\&";
                break;
            case '#':
                out += "\\#";
                break;
            case '~':
                out += "\\textasciitilde{}";
                break;
            case '<':
                out += "\\textless{}";
                break;
            case '>':
                out += "\\textgreater{}";
                break;
            case '\\':
                out += "\\textbackslash{}";
                break;
            case '^':
                out += "\\textasciicircum{}";
                break;
            case '_':
                out += "\\_";
                break;
            case '{':
                out += "\\{";
                break;
            case '|':
                out += "\\textbar{}";
                break;
            case '}':
                out += "\\}";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::string escapeLatexVerbatim(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '\\')
            out += "\\(\\backslash\\)";
        else if (c == '{')
            out += "\\{";
        else if (c == '}')
            out += "\\}";
        else
            out += c;
    }
    return out;
}

namespace {

enum Block { blockNone, blockOutput, blockPrompt, blockUdf, blockComment, blockTtComment };

const char* const environmentNames[] = {"",         "kalixoutput",  "kalixprompt",
                                        "kalixudf", "kalixcomment", "kalixttcomment"};

// What the last written piece was, for the blank comment lines.
enum Written { wroteStart, wroteComment, wroteOther };

bool copyFileBytes(const std::string& from, const std::string& to) {
    std::string data;
    if (!readWholeFile(from.c_str(), data)) return false;
    return replaceFile(to, data) != 0;
}

// The line's text in UTF-8 (the LaTeX file is UTF-8).
std::string utf8Text(const NotebookLine* line) {
    const char* text = line->text.getText();
    if (NotebookEditor::hasUtf8Bom(text)) return text + 3;
    std::string converted;
    codePageToUtf8(text, converted);
    return converted;
}

class LatexExport {
  public:
    LatexExport(NotebookEditor& editor, const char* path, const ExportOptions& options)
        : options(options),
          notebook(editor.options()),
          names(exportNames(editor, path, 0)),
          first(editor.document().getFirstLine()),
          last(editor.lastLine()) {}

    std::string build(const std::string& classLine);

  private:
    int blockOf(const NotebookLine* line) const;
    void open(int block);
    void close();
    void closeComment() {
        if (state == blockComment) close();
    }
    void formula(const std::string& text);
    NotebookLine* line(NotebookLine* line);
    void comment(NotebookLine* line);

    const ExportOptions& options;
    NotebookOptions notebook;
    ExportNames names;
    NotebookLine* first;
    NotebookLine* last;
    std::string out;
    int state = blockNone;
    int written = wroteStart;
};

int LatexExport::blockOf(const NotebookLine* line) const {
    switch (line->kind) {
        case lineOutput:
            return blockOutput;
        case lineCommand:
            return blockPrompt;
        case lineFunctionBody:
            return blockUdf;
        default:
            return plainText(line)[0] == ' ' ? blockTtComment : blockComment;
    }
}

void LatexExport::open(int block) {
    if (state == block) return;
    close();
    out += std::string("\\begin{") + environmentNames[block] + "}\n";
    state = block;
}

void LatexExport::close() {
    if (state == blockNone) return;
    out += std::string("\\end{") + environmentNames[state] + "}\n";
    state = blockNone;
}

void LatexExport::formula(const std::string& text) {
    out += "\\begin{kalixformula}\n\\[\n" + text + "\n\\]\n\\end{kalixformula}\n";
    state = blockNone;
    written = wroteOther;
}

std::string LatexExport::build(const std::string& classLine) {
    out = classLine;
    out += "\\usepackage{kalnb}\n\n\\begin{document}\n\\begin{kalixnotebook}\n";
    for (NotebookLine* l = first; l;) {
        NotebookLine* next = line(l);
        // The environment stays open while the next line belongs to it.
        if (!next || next->image || blockOf(next) != state) close();
        l = next;
    }
    close();
    out += "\\end{kalixnotebook}\n\\end{document}\n";
    return out;
}

// Writes one line (a whole picture for its first row); returns the next.
NotebookLine* LatexExport::line(NotebookLine* line) {
    if (line->image) {
        if (line->imageRow != 0) return line->next;
        NotebookLine* end = lastRowOf(line);
        close();
        if (line->formula) {
            formula(line->formula->getText());
        } else {
            std::string file = imageLink(line, names, notebook, line->largeImage != nullptr, 0);
            char rows[32];
            std::snprintf(rows, sizeof rows, "%d", end->imageRow);
            out += std::string("\\kaliximg{") + rows + "}{" + file + "}\n";
        }
        return end->next;
    }
    if (line->kind == lineComment && plainStartsWith(line, "latexformat: ")) {
        out += std::string(plainText(line) + 13) + "\n";
        return line->next;
    }
    bool formulaComment = line->kind == lineComment &&
                          (plainStartsWith(line, "mathjax: ") || plainStartsWith(line, "latex: "));
    if (line->isFolded() && !formulaComment) return line->next;
    std::string text = utf8Text(line);
    switch (line->kind) {
        case lineOutput:
            open(blockOutput);
            out += "  " + escapeLatexVerbatim(text) + "\n";
            return line->next;
        case lineCommand:
            if (line->text.length() > 1 && !line->text.equals(">//") &&
                !line->text.equals("> //") && line != last) {
                open(blockPrompt);
                out += escapeLatexVerbatim(text) + "\n";
                written = wroteOther;
            }
            return line->next;
        case lineFunctionBody:
            open(blockUdf);
            out += "  " + escapeLatexVerbatim(text.empty() ? text : text.substr(1)) + "\n";
            return line->next;
        default:
            break;
    }
    if (formulaComment) {
        closeComment();
        formula(text.substr(plainStartsWith(line, "mathjax: ") ? 9 : 7));
        NotebookLine* next = line->next;
        if (next && next->kind == lineComment && next->image) next = lastRowOf(next)->next;
        return next;
    }
    comment(line);
    return line->next;
}

void LatexExport::comment(NotebookLine* line) {
    std::string text = utf8Text(line);
    if (text[0] == ' ') {
        closeComment();
        open(blockTtComment);
        out += escapeLatexVerbatim(text) + "\n";
        written = wroteComment;
        return;
    }
    if (line->heading || text.compare(0, 3, "---") == 0 || text.compare(0, 3, "** ") == 0) {
        closeComment();
        if (line->heading)
            out += "\\kalixheading{" + escapeLatexText(text) + "}\n";
        else if (text[0] == '-')
            out += "\\kalixsubheading{}\n";
        else
            out += "\\kalixsubheading{" + escapeLatexText(text.substr(3)) + "}\n";
        state = blockNone;
        written = wroteOther;
        return;
    }
    open(blockComment);
    if (isBlankComment(line)) {
        // A paragraph break only after comment text.
        if (written == wroteComment) out += "\n";
        written = wroteOther;
        return;
    }
    NotebookLine* next = line->next;
    // A line break only before text that stays in this paragraph.
    bool lineBreak = next && next->kind == lineComment && next->hardBreak && !next->image &&
                     !isMarkedComment(next) && !isBlankComment(next) && plainText(next)[0] != ' ';
    out += escapeLatexText(text) + (lineBreak ? "\\\\\n" : "\n");
    written = wroteComment;
}

// The document class line: the first line of kalnb.sty after "% ", else
// the article class.
std::string classLineOf(const std::string& style) {
    std::ifstream in(style, std::ios::binary);
    std::string first;
    if (in && std::getline(in, first) && first.compare(0, 2, "% ") == 0)
        return first.substr(2) + "\n";
    return "\\documentclass{article}\n\n";
}

}  // namespace

int exportLatex(NotebookEditor& editor, const char* path, const ExportOptions& options,
                const char* styleDirectory) {
    std::string style = directoryOf(path) + "kalnb.sty";
    if (!fileExists(style)) {
        std::string source = std::string(styleDirectory ? styleDirectory : "") + "kalnb.sty";
        if (!fileExists(source) || !copyFileBytes(source, style)) {
            editor.getHost().showTitledMessage("Could not find kalnb.sty!", "Kalixbench");
            return 0;
        }
    }
    std::string document;
    {
        ExportHold hold(editor, "export Latex", options.respectFolding);
        LatexExport exporter(editor, path, options);
        document = exporter.build(classLineOf(style));
    }
    return writeExport(editor, path, document);
}

}  // namespace kalix
