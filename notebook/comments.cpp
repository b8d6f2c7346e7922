// Comments: the comment block above a command as one editable text and
// back (wrapping, paragraphs, headings), the markers that make a comment
// line an image or a formula, entities, and the text and markup a comment
// line shows.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/html_entities.h"
#include "base/text.h"
#include "interpreter/state.h"
#include "notebook/notebook_model.h"

namespace kalix {

static bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

// --- reading comment lines -------------------------------------------------------

void NotebookEditor::parseCommentPrefix(NotebookLine* line) {
    String& text = line->text;
    if (text.matchesAt(0, "%")) {
        if (text.matchesAt(1, "%")) {
            text.erase(0, 1);
            line->hardBreak = 1;
        }
        text.dropPrefix(text.matchesAt(1, " ") ? 2 : 1);
    }
    if (text.matchesAt(0, "* ")) {
        const NotebookLine* above = line->previous;
        bool continues =
            above && above->kind == lineComment && !above->text.isStringEmpty() && !line->hardBreak;
        if (!continues) {
            text.dropPrefix(2);
            line->heading = 1;
        }
    }
}

int NotebookEditor::decodeLineEntities(NotebookLine* line) {
    if (line->kind != lineComment || !checkEntities(line->text.getText())) return 0;
    std::string decoded;
    if (!decodeCommentEntities(line->text.getText(), 1, decoded)) return 0;
    line->setOriginalText(line->text.getText());
    line->text.assign(decoded.c_str());
    return 1;
}

// --- the comment text --------------------------------------------------------------

static void trimTrailingBlanks(std::string& text) {
    while (!text.empty() && text.back() == ' ') text.pop_back();
}

std::string NotebookEditor::getComment() {
    TextLockHold hold(*this, "comment");
    std::string out;
    bool afterEmpty = false;
    bool textBefore = false;
    bool headingBefore = false;
    for (NotebookLine* line = commentBlockStart(cur.getLine()); line != cur.getLine();
         line = line->next) {
        if (line->image) continue;
        const char* text = line->text.getText();
        if (hasUtf8Bom(text)) text = line->originalText ? line->originalText->getText() : text + 3;
        if (*text) {
            if (!out.empty() && !afterEmpty) {
                // A line after a heading starts a line of its own as well,
                // or it would join the heading when the text is set again.
                bool newLine =
                    line->hardBreak || line->heading || startsWith(text, "%% ") || headingBefore;
                out += newLine ? "\r\n" : " ";
            }
            if (line->heading) out += "* ";
            out += text;
            afterEmpty = false;
            textBefore = true;
            headingBefore = line->heading;
        } else {
            out += textBefore ? "\r\n\r\n" : "\r\n";
            afterEmpty = true;
            textBefore = headingBefore = false;
        }
        trimTrailingBlanks(out);
    }
    return out;
}

namespace {

// A picture ready to be placed in rows.
struct PreparedPicture {
    std::shared_ptr<NotebookPicture> picture;
    std::shared_ptr<NotebookPicture> large;
    int rows = 0;
    std::string formula;
    int mathJax = 0;
};

// One line of a comment text as setComment makes it.
struct CommentPiece {
    std::string text;
    int hardBreak = 0;
    int heading = 0;
    int decode = 0;
    PreparedPicture picture;
    // The formula could not be rendered for want of LaTeX or Maxima: the
    // picture rows the line had stay.
    int keepRows = 0;
};

const char* const unwrappedMarkers[] = {"latex: ", "maxima: ",  "&latex: ", "image: ", "http",
                                        "See: ",   "mathjax: ", "%% ",      nullptr};

bool isUnwrapped(const char* text) {
    for (const char* const* marker = unwrappedMarkers; *marker; marker++)
        if (startsWith(text, *marker)) return true;
    return false;
}

bool isWordEnd(char c) { return c == ' ' || c == '\r' || c == '\n' || c == 0; }

// The end of the piece that starts at `start`: the line break for an
// unwrapped piece, else after the last word that keeps the piece within
// `limit` characters (at least one word; UTF-8 sequences count as one
// character in code page 65001).
size_t pieceEnd(const std::string& text, size_t start, int limit) {
    const bool utf8 = codePageIsUtf8();
    size_t n = text.size();
    if (isUnwrapped(text.c_str() + start)) {
        size_t end = text.find_first_of("\r\n", start);
        return end == std::string::npos ? n : end;
    }
    size_t end = start;
    bool any = false;
    size_t p = start;
    while (true) {
        while (p < n && text[p] == ' ') p++;
        if (p >= n || text[p] == '\r' || text[p] == '\n') break;
        size_t wordEnd = p;
        while (!isWordEnd(text[wordEnd])) wordEnd++;
        if (any && characterCount(text.c_str() + start, wordEnd - start, utf8) > size_t(limit))
            break;
        end = wordEnd;
        any = true;
        p = wordEnd;
    }
    return end;
}

}  // namespace

// Steps of showing an image file in rows: its name, its size limits and
// its row count. Fails (with the message to show) when it cannot be read.
static bool preparePicture(NotebookEditor& editor, const char* text, int factor,
                           const char* largeFile, const char* formula, int mathJax,
                           PreparedPicture& out, std::string& failure) {
    const char* p = text;
    while (*p == ' ') p++;
    int rows = 25;
    if (*p == '(' && p[1] >= '0' && p[1] <= '9') {
        rows = 0;
        for (p++; *p >= '0' && *p <= '9'; p++) rows = rows < 1000 ? rows * 10 + (*p - '0') : rows;
        if (*p == ')') p++;
        rows = rows < 5 ? 5 : rows > 60 ? 60 : rows;
    }
    String name(p);
    name.trimBlanks();
    if (!*name.findExtension()) name.append(".png");
    NotebookOptions options = editor.options();
    std::string path =
        findImageFile(directoryOf(editor.getFilePath()), name.getText(), options.imagesInDirectory);
    std::shared_ptr<NotebookPicture> picture = editor.getHost().loadPicture(path.c_str());
    if (!picture) {
        failure = std::string("Could not open\n") + text;
        return false;
    }
    double width = picture->getWidth(), height = picture->getHeight();
    if (factor > 0) {
        width /= factor;
        height /= factor;
    }
    double m = options.magnifyMode ? 1.2 : 1.0;
    double limit = 0.8 * editor.getMetrics().textPixelWidth();
    if (width > limit) {
        double newWidth = std::floor(limit / m + 0.5);
        height = std::floor(height * newWidth / width + 0.5);
        width = newWidth;
    }
    int rowHeight = editor.getTextLineHeight();
    if (rowHeight <= 0) rowHeight = 1;
    int needed = int(height * m / rowHeight) + 1;
    if (needed > rows) {
        double newHeight = std::floor(double(rowHeight) * rows / m + 0.5);
        width = std::floor(width * newHeight / height + 0.5);
        height = newHeight;
        needed = rows;
    }
    picture->scaleTo(int(width) > 0 ? int(width) : 1, int(height) > 0 ? int(height) : 1);
    out.picture = picture;
    out.rows = needed;
    if (largeFile) out.large = editor.getHost().loadPicture(largeFile);
    if (formula) out.formula = formula;
    out.mathJax = mathJax;
    return true;
}

// A LaTeX formula rendered (by the host) into a picture; `unavailable`
// set when LaTeX could not run.
static void prepareFormula(NotebookEditor& editor, const char* formula, int mathJax,
                           PreparedPicture& out, std::string& failure, int& unavailable) {
    NotebookOptions options = editor.options();
    std::string file =
        editor.getHost().renderFormula(formula, mathJax, editor.getTextLineHeight(), &unavailable);
    if (file.empty()) return;
    preparePicture(editor, file.c_str(), options.latexAntialias ? 3 : 1,
                   options.latexKeepLarge ? file.c_str() : nullptr, formula, mathJax, out, failure);
    // The picture keeps the file's bytes; the rendering's file is ours.
    std::remove(file.c_str());
}

// A Maxima expression: its TeX form (between the first two "$$" of the
// answer) rendered as a formula; `unavailable` set when Maxima or LaTeX
// could not run.
static void prepareMaximaFormula(NotebookEditor& editor, const char* expression, int mathJax,
                                 PreparedPicture& out, std::string& failure, int& unavailable) {
    int ok = 0;
    std::string answer = editor.getHost().maximaTex(expression, ok);
    if (!ok) {
        unavailable = 1;
        return;
    }
    size_t open = answer.find("$$");
    size_t close = open == std::string::npos ? open : answer.find("$$", open + 2);
    std::string tex;
    if (close != std::string::npos) tex = answer.substr(open + 2, close - open - 2);
    if (tex.empty()) {
        failure = answer;
        return;
    }
    prepareFormula(editor, tex.c_str(), mathJax, out, failure, unavailable);
}

// The piece's marker: a picture to prepare, a heading, or entities.
static void prepareMarker(NotebookEditor& editor, CommentPiece& piece, std::string& failure) {
    NotebookOptions options = editor.options();
    const char* text = piece.text.c_str();
    bool formulas = !options.disableLatex && options.displayMathjaxAsLatex;
    PreparedPicture& out = piece.picture;
    int& keep = piece.keepRows;
    if (startsWith(text, "image: ")) {
        preparePicture(editor, text + 7, 0, nullptr, nullptr, 0, out, failure);
    } else if (startsWith(text, "latex: ")) {
        if (!options.disableLatex) prepareFormula(editor, text + 7, 0, out, failure, keep);
    } else if (startsWith(text, "mathjax: ")) {
        if (formulas) prepareFormula(editor, text + 8, 1, out, failure, keep);
    } else if (startsWith(text, "&mathjax: ")) {
        if (formulas) prepareMaximaFormula(editor, text + 9, 1, out, failure, keep);
    } else if (startsWith(text, "maxima: ") || startsWith(text, "&latex: ")) {
        prepareMaximaFormula(editor, text + 8, 0, out, failure, keep);
    } else if (startsWith(text, "* ")) {
        piece.text.erase(0, 2);
        piece.heading = 1;
    } else {
        piece.decode = 1;
    }
}

// For a formula that could not be rendered: the picture rows below the
// line of the same text in the old block (from `first` up to `end`), each
// line taken once.
static void keepOldRows(NotebookLine* first, NotebookLine* end, CommentPiece& piece,
                        std::vector<const NotebookLine*>& taken) {
    for (NotebookLine* line = first; line && line != end; line = line->next) {
        NotebookLine* row = line->next;
        if (line->image || !row || row == end || !row->image || row->imageRow != 0) continue;
        const char* text = line->text.getText();
        if (NotebookEditor::hasUtf8Bom(text))
            text = line->originalText ? line->originalText->getText() : text + 3;
        if (piece.text != text) continue;
        if (std::find(taken.begin(), taken.end(), line) != taken.end()) continue;
        taken.push_back(line);
        PreparedPicture& kept = piece.picture;
        kept.picture = row->image;
        kept.large = row->largeImage;
        kept.formula = row->getFormula() ? row->getFormula() : "";
        kept.mathJax = row->formulaIsMathJax;
        for (kept.rows = 0; row != end && row && row->image == kept.picture; row = row->next)
            kept.rows++;
        return;
    }
}

// Cuts a comment text into its lines, wrapped at `limit` characters.
static std::vector<CommentPiece> cutComment(const std::string& text, int limit) {
    std::vector<CommentPiece> pieces;
    size_t n = text.size();
    size_t position = 0;
    bool afterBreak = false, afterHeading = false, afterEmpty = false;
    while (position < n) {
        size_t end = pieceEnd(text, position, limit);
        CommentPiece piece;
        std::string raw = text.substr(position, end - position);
        piece.text = expandTabs(raw.c_str(), int(raw.size()));
        bool empty = piece.text.empty();
        bool isHeading = startsWith(piece.text.c_str(), "* ");
        if (!empty && afterBreak && !afterHeading && !afterEmpty && !pieces.empty())
            piece.hardBreak = 1;
        position = end;
        while (position < n && text[position] == ' ') position++;
        bool lineBreak = false;
        if (position < n && (text[position] == '\r' || text[position] == '\n')) {
            position += text.compare(position, 2, "\r\n") == 0 ? 2 : 1;
            lineBreak = true;
        }
        if (!empty) afterEmpty = false;
        if (empty && lineBreak) afterEmpty = true;
        afterBreak = lineBreak;
        afterHeading = isHeading && !empty;
        pieces.push_back(std::move(piece));
    }
    return pieces;
}

namespace {

// An old line of a comment block: its own text and, for a line read with
// characters the code page cannot hold, its file line as read and as the
// file held it (both empty when its characters were lost before).
struct OldCommentLine {
    std::string own;
    std::string read;
    std::string held;
    bool unheld = false;
};

std::string ownTextOf(const NotebookLine* line) {
    return line->originalText ? line->originalText->getText() : line->text.getText();
}

// Gives a new comment line the file text of the old line it equals (with
// its own prefix, which is ASCII in both forms); false when it equals none.
bool keepUnheldText(NotebookLine* line, std::vector<OldCommentLine>& old) {
    using Pair = std::pair<std::string, std::string>;
    std::string own = ownTextOf(line);
    for (auto same = old.begin(); same != old.end(); ++same) {
        if (same->own != own) continue;
        const size_t oldPrefix = same->read.size() - std::min(same->read.size(), own.size());
        if (same->unheld && (same->held.empty() || same->held.size() < oldPrefix)) {
            line->unheldText = std::make_unique<Pair>();
        } else if (same->unheld) {
            std::string file = NotebookEditor::fileLineOf(line);
            std::string prefix = file.substr(0, file.size() - own.size());
            line->unheldText = std::make_unique<Pair>(file, prefix + same->held.substr(oldPrefix));
        }
        old.erase(same);
        return true;
    }
    return false;
}

// When an old line with lost characters equals no new one, its "?" may
// stand in any new line that equals no old one and shows "?".
void markLostCharacters(const std::vector<OldCommentLine>& old,
                        const std::vector<NotebookLine*>& unmatched) {
    bool lost = false;
    for (const OldCommentLine& line : old) lost = lost || line.unheld;
    if (!lost) return;
    for (NotebookLine* line : unmatched)
        if (ownTextOf(line).find('?') != std::string::npos)
            line->unheldText = std::make_unique<std::pair<std::string, std::string>>();
}

}  // namespace

void NotebookEditor::setComment(const char* text) {
    // Pictures and formulas are made before the lock is taken: rendering
    // waits for outside programs. The comment belongs to the command the
    // cursor is on now, wherever the cursor goes meanwhile.
    uint64_t commandId;
    {
        TextLockHold hold(*this, "comment");
        commandId = cur.getLine()->id;
    }
    std::vector<CommentPiece> pieces = cutComment(text ? text : "", lineLength);
    std::vector<std::string> failures;
    for (CommentPiece& piece : pieces) {
        std::string failure;
        prepareMarker(*this, piece, failure);
        if (!failure.empty()) failures.push_back(failure);
    }
    TextLockHold hold(*this, "comment end");
    for (const std::string& failure : failures) queueMessage(failure);
    // A command deleted meanwhile took its comment with it.
    NotebookLine* command = findLine(commandId);
    if (!command) return;
    NotebookLine* line = commentBlockStart(command);
    std::vector<const NotebookLine*> taken;
    for (CommentPiece& piece : pieces)
        if (piece.keepRows) keepOldRows(line, command, piece, taken);
    // Lines read with characters the code page cannot hold show "?" for
    // them; a line set again as it was keeps what the file held.
    std::vector<OldCommentLine> old;
    std::vector<NotebookLine*> unmatched;
    bool unheld = false;
    while (line != command) {
        NotebookLine* next = line->next;
        if (!line->image) {
            OldCommentLine kept;
            kept.own = ownTextOf(line);
            if (line->unheldText) {
                kept.read = line->unheldText->first;
                kept.held = line->unheldText->second;
                kept.unheld = unheld = true;
            }
            old.push_back(std::move(kept));
        }
        deleteNotebookLine(line);
        line = next;
    }
    for (CommentPiece& piece : pieces) {
        NotebookLine* added = newLineBefore(command, piece.text.c_str(), lineComment);
        added->hardBreak = piece.hardBreak;
        added->heading = piece.heading;
        if (piece.decode) decodeLineEntities(added);
        if (unheld && !keepUnheldText(added, old)) unmatched.push_back(added);
        if (piece.picture.picture) {
            PreparedPicture& prepared = piece.picture;
            for (int row = 0; row < prepared.rows; row++) {
                NotebookLine* rowLine = newLineBefore(command, "", lineComment);
                rowLine->image = prepared.picture;
                rowLine->imageRow = row;
                if (row > 0) continue;
                rowLine->largeImage = prepared.large;
                if (!prepared.formula.empty()) {
                    rowLine->formula = std::make_unique<String>(prepared.formula.c_str());
                    rowLine->formulaIsMathJax = prepared.mathJax;
                }
            }
        }
    }
    markLostCharacters(old, unmatched);
    updateTop();
    if (command == cur.getLine()) showCommentAbove();
    setNotebookChanged(1);
    invalidate();
}

int NotebookEditor::insertCommentImage(const char* text, int factor, const char* largeFile,
                                       const char* formula, int mathJax) {
    PreparedPicture prepared;
    std::string failure;
    bool ok = preparePicture(*this, text, factor, largeFile, formula, mathJax, prepared, failure);
    TextLockHold hold(*this, "comment end");
    if (!ok) {
        queueMessage(failure);
        return 0;
    }
    for (int row = 0; row < prepared.rows; row++) {
        NotebookLine* line = newLineBefore(cur.getLine(), "", lineComment);
        line->image = prepared.picture;
        line->imageRow = row;
        if (row == 0) {
            line->largeImage = prepared.large;
            if (formula) {
                line->formula = std::make_unique<String>(formula);
                line->formulaIsMathJax = mathJax;
            }
        }
    }
    setNotebookChanged(1);
    invalidate();
    return 1;
}

// --- what a comment line shows ---------------------------------------------------

std::string NotebookEditor::drawnText(const NotebookLine* line, int startColumn) {
    int length = line->text.length();
    const char* text = line->text.getText() + (startColumn < 0        ? 0
                                               : startColumn > length ? length
                                                                      : startColumn);
    if (line->kind == lineComment) {
        if (startsWith(text, "See: ") || startsWith(text, "see: ")) {
            const char* bar = std::strstr(text, " | ");
            return std::string("  ") + (bar ? bar + 3 : text + 5);
        }
        if (startsWith(text, "http")) return std::string("  ") + text;
        if (startsWith(text, "latex: ")) return std::string("  ") + (text + 7);
        if (startsWith(text, "mathjax: ")) return std::string("  ") + (text + 9);
        if (startsWith(text, "** ")) return text + 3;
        if (startsWith(text, "%% ")) return std::string();
    }
    bool continuation = line->kind == lineCommand && line->previous &&
                        line->previous->kind == lineCommand && line->previous->text.endsWith("...");
    if ((continuation || line->kind == lineFunctionBody) && *text)
        return std::string(" ") + (text + 1);
    return text;
}

static std::string trimmed(const std::string& text) {
    size_t start = text.find_first_not_of(' ');
    if (start == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(' ');
    return text.substr(start, end - start + 1);
}

static std::string linkMarkup(const std::string& target, const std::string& label, int markdown) {
    if (markdown) return "  [" + label + "](" + target + ")";
    return "  <a href=\"" + target + "\">" + label + "</a>";
}

std::string NotebookEditor::commentLineMarkup(const NotebookLine* line, int startColumn,
                                              int markdown) {
    int length = line->text.length();
    std::string text = line->text.getText() + (startColumn < 0        ? 0
                                               : startColumn > length ? length
                                                                      : startColumn);
    if ((startsWith(text.c_str(), "See: ") || startsWith(text.c_str(), "see: ")) &&
        text.find(',') == std::string::npos) {
        std::string link = text.substr(5);
        size_t bar = link.find(" | ");
        std::string target = trimmed(bar == std::string::npos ? link : link.substr(0, bar));
        std::string label = bar == std::string::npos ? target : trimmed(link.substr(bar + 3));
        String path(target.c_str());
        bool needsHtml = !startsWith(target.c_str(), "http") &&
                         !startsWith(target.c_str(), "file") && !*path.findExtension() &&
                         (bar != std::string::npos || target.find('#') == std::string::npos);
        if (needsHtml) target += ".html";
        return linkMarkup(target, label, markdown);
    }
    if (startsWith(text.c_str(), "http")) return linkMarkup(text, text, 0);
    std::string shown = drawnText(line, startColumn);
    std::string out;
    for (char c : shown) {
        if (!markdown && c == '&')
            out += "&amp;";
        else if (!markdown && c == '<')
            out += "&lt;";
        else if (!markdown && c == '>')
            out += "&gt;";
        else if (markdown && (c == '*' || c == '>' || c == '\\' || c == '_'))
            out += std::string("\\") + c;
        else
            out += c;
    }
    return out;
}

// --- image files ---------------------------------------------------------------------

std::string directoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

static bool fileExists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string findImageFile(const std::string& directory, const std::string& name,
                          int imagesInDirectory) {
    if (!name.empty() && name[0] == '/') return name;
    std::string inFolder = directory + "images/" + name;
    std::string beside = directory + name;
    const std::string& first = imagesInDirectory ? inFolder : beside;
    const std::string& second = imagesInDirectory ? beside : inFolder;
    if (fileExists(first)) return first;
    if (fileExists(second)) return second;
    return first;
}

}  // namespace kalix
