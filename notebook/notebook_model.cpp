// The notebook's lines and editor: construction, clearing, the lock, the
// small queries, folding and row heights.
#include "notebook/notebook_model.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base/file_reading.h"
#include "base/settings.h"
#include "base/text.h"
#include "graphics/antialias.h"
#include "graphics/pixel_device.h"
#include "graphics/png_file.h"

namespace kalix {

IntCell inputWaiting{0};
IntCell userWaitFlag{0};
IntCell functionEntryState{0};
IntCell inputStartColumn{1};
IntCell keyWaitFlag{0};
int noBreakSpaceChar = 0xA0;

NotebookEditor* notebookEditor = nullptr;

// --- pictures ---------------------------------------------------------------

NotebookPicture::NotebookPicture(int width, int height, std::string png)
    : width(width), height(height), png(std::move(png)) {}

void NotebookPicture::scaleTo(int newWidth, int newHeight) {
    width = newWidth;
    height = newHeight;
}

static unsigned readBigEndian(const unsigned char* p) {
    return unsigned(p[0]) << 24 | unsigned(p[1]) << 16 | unsigned(p[2]) << 8 | unsigned(p[3]);
}

// The width and height in a PNG file's header; false when it has none.
static bool pngSize(const std::string& bytes, unsigned& width, unsigned& height) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 24 || std::memcmp(bytes.data(), signature, 8) != 0 ||
        bytes.compare(12, 4, "IHDR") != 0)
        return false;
    auto header = reinterpret_cast<const unsigned char*>(bytes.data());
    width = readBigEndian(header + 16);
    height = readBigEndian(header + 20);
    return true;
}

// A picture scaled when it was shown is written at the size shown, so that
// it reads back (and exports) as it was seen.
int NotebookPicture::writePng(const char* path) const {
    if (png.empty()) return 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(png.data(), std::streamsize(png.size()));
    out.close();
    if (!out.good()) return 0;
    unsigned fileWidth = 0, fileHeight = 0;
    if (!pngSize(png, fileWidth, fileHeight) ||
        (fileWidth == unsigned(width) && fileHeight == unsigned(height)))
        return 1;
    PixelBackend* backend = pixelBackend();
    PixelImage image, shown;
    if (!backend || !backend->loadImage(path, image) || !shown.allocate(width, height)) return 0;
    reduceInto(image, shown, false, false);
    return writePngFile(shown, path) ? 1 : 0;
}

std::shared_ptr<NotebookPicture> loadPngPicture(const char* path) {
    std::string bytes;
    if (!readWholeFile(path, bytes)) return nullptr;
    unsigned width = 0, height = 0;
    if (!pngSize(bytes, width, height)) return nullptr;
    if (width == 0 || height == 0 || width > 1000000 || height > 1000000) return nullptr;
    return std::make_shared<NotebookPicture>(int(width), int(height), std::move(bytes));
}

// --- host defaults ------------------------------------------------------------

NotebookOptions notebookOptionsFromSettings() {
    NotebookOptions options;
    options.utf = intSetting("utf");
    options.imagesInDirectory = intSetting("imagesindirectory");
    options.saveImages = intSetting("saveimages");
    options.foldAllMultilines = intSetting("foldallmultilines");
    options.disableLatex = intSetting("disablelatex");
    options.displayMathjaxAsLatex = intSetting("displaymathjaxaslatex");
    options.latexAntialias = intSetting("latexantialias");
    options.latexKeepLarge = intSetting("latexkeeplarge");
    return options;
}

std::shared_ptr<NotebookPicture> NotebookHost::loadPicture(const char* path) {
    return loadPngPicture(path);
}

// --- the lock -----------------------------------------------------------------

// The editor whose options this thread read when it took the lock; the
// settings are not read again for every row height while it holds it.
static thread_local const NotebookEditor* optionsHolder = nullptr;

TextLockHold::TextLockHold(NotebookEditor& editor, const char* place)
    : editor(editor), place(place) {
    textLock.enter(place);
    taken();
}

TextLockHold::TextLockHold(NotebookEditor& editor, const char* place, std::try_to_lock_t)
    : editor(editor), place(place), held(textLock.tryEnter() != 0) {
    if (held) taken();
}

void TextLockHold::taken() {
    if (textLock.getDepth() == 1) {
        editor.heldOptions = editor.host->options();
        optionsHolder = &editor;
    }
}

TextLockHold::~TextLockHold() {
    if (!held) return;
    std::vector<std::string> messages;
    if (textLock.getDepth() == 1) {
        messages.swap(editor.pendingMessages);
        optionsHolder = nullptr;
    }
    textLock.leave(place);
    for (const std::string& message : messages) editor.host->showMessage(message.c_str());
}

NotebookOptions NotebookEditor::options() {
    return optionsHolder == this ? heldOptions : host->options();
}

int NotebookEditor::setHeldFolding(int foldAll) {
    KALIX_CHECK_HELD(textLock);
    int old = options().foldAllMultilines;
    if (optionsHolder == this) heldOptions.foldAllMultilines = foldAll;
    return old;
}

void NotebookEditor::queueMessage(const std::string& text) {
    TextLockHold hold(*this, "message");
    pendingMessages.push_back(text);
}

// --- lines ----------------------------------------------------------------------

NotebookLine::NotebookLine(NotebookEditor* editor, NotebookLine* previous, NotebookLine* next,
                           const char* text)
    : text(text, 16), previous(previous), next(next), editor(editor), id(0) {
    if (previous) previous->next = this;
    if (next) next->previous = this;
}

NotebookLine::~NotebookLine() {
    if (previous) previous->next = next;
    if (next) next->previous = previous;
}

void NotebookLine::addMisspelt(int start, int length) {
    if (misspeltCount >= misspeltMarkLimit) return;
    misspeltStart[misspeltCount] = int16_t(start);
    misspeltLength[misspeltCount] = int16_t(length);
    misspeltCount++;
}

bool isUtf8Text(const char* text) { return codePageIsUtf8() || NotebookEditor::hasUtf8Bom(text); }

int isLetterCode(int code) {
    return (code >= 'A' && code <= 'Z') || (code >= 'a' && code <= 'z') || code >= 0xC2 ||
           (code == noBreakSpaceChar && code != 0);
}

std::string characterText(int code) {
    if (!codePageIsUtf8() || code < 0x80) return std::string(1, char(code));
    char bytes[4];
    return std::string(bytes, appendUtf8(code, bytes));
}

std::string withNoBreakSpaces(const std::string& text) {
    const std::string space = characterText(noBreakSpaceChar);
    std::string out;
    for (char c : text) {
        if (c == ' ')
            out += space;
        else
            out += c;
    }
    return out;
}

int FixedMetrics::textWidth(const char* text, int length) {
    int from = NotebookEditor::hasUtf8Bom(text) ? std::min(length, 3) : 0;
    if (length <= from) return 0;
    return int(characterCount(text + from, size_t(length - from), isUtf8Text(text))) *
           characterWidth;
}

int NotebookLine::nextColumn(int column) const {
    int length = text.length();
    if (column >= length) return length;
    if (column < 0) return 0;
    return column + characterLength(text.getText() + column, holdsUtf8());
}

int NotebookLine::previousColumn(int column) const {
    int length = text.length();
    if (column > length) column = length;
    if (column <= 0) return 0;
    return int(previousCharacter(text.getText(), size_t(column), holdsUtf8()));
}

int NotebookLine::characterStart(int column) const {
    int length = text.length();
    if (column >= length) return length;
    if (column <= 0) return 0;
    return int(characterPrefix(text.getText(), size_t(column), holdsUtf8()));
}

int NotebookLine::characterAt(int column) const {
    if (column < 0 || column >= text.length()) return 0;
    return characterCode(text.getText() + column, holdsUtf8());
}

void NotebookLine::setOriginalText(const char* value) {
    if (value)
        originalText = std::make_unique<String>(value);
    else
        originalText.reset();
}

int NotebookLine::getLeftMargin() const { return kind == lineCommand ? 5 : 20; }

static int endsWithDots(const NotebookLine* line) { return line->text.endsWith("..."); }

// The first line of the multi-line command holding `line`; `cursor` set
// when the walk meets the cursor line.
static const NotebookLine* walkToCommandStart(const NotebookLine* line, const NotebookLine* c,
                                              bool& metCursor) {
    while (line->previous && line->previous->kind == lineCommand && endsWithDots(line->previous)) {
        line = line->previous;
        if (line == c) metCursor = true;
    }
    return line;
}

// Walks down over the rest of the command; true when it meets the cursor.
static bool restOfCommandMeets(const NotebookLine* line, const NotebookLine* c) {
    while (endsWithDots(line) && line->next && line->next->kind == lineCommand) {
        line = line->next;
        if (line == c) return true;
    }
    return false;
}

static bool startsWithAny(const String& text, const char* const* prefixes) {
    for (; *prefixes; prefixes++)
        if (text.matchesAt(0, *prefixes)) return true;
    return false;
}

int NotebookLine::isFolded() const {
    KALIX_CHECK_HELD(textLock);
    const NotebookLine* c = editor->cursor().getLine();
    if (kind == lineCommand && this != c && (text.equals(">//") || text.equals("> //")) &&
        previous && previous->kind == lineComment)
        return 1;
    if (kind == lineComment && text.matchesAt(0, "latexformat: ")) return 1;
    int foldAll = editor->options().foldAllMultilines;
    if (foldAll && kind == lineCommand) {
        if (this == c) return 0;
        bool met = false;
        const NotebookLine* first = walkToCommandStart(this, c, met);
        if (met || first == this) return 0;
        return restOfCommandMeets(this, c) ? 0 : 1;
    }
    if (kind == lineFunctionBody && this != c && getIntCell(functionEntryState) != 2) {
        const NotebookLine* line = this;
        while (line->previous && line->previous->kind == lineFunctionBody) {
            line = line->previous;
            if (line == c) return 0;
        }
        const NotebookLine* header = line->previous;
        if (header == c) return 0;
        if (foldAll) return 1;
        if (header && header->kind == lineCommand &&
            (header->text.matchesAt(0, ">%+ ") || header->text.matchesAt(0, ">%% ")))
            return 1;
    }
    if (kind == lineCommand && this != c && !text.matchesAt(0, ">%+ ")) {
        bool met = false;
        const NotebookLine* first = walkToCommandStart(this, c, met);
        if (met) return 0;
        if (first->text.matchesAt(0, ">%% ") || first->text.matchesAt(0, ">%+ "))
            return restOfCommandMeets(this, c) ? 0 : 1;
    }
    static const char* const formulaMarkers[] = {
        "image: ", "latex: ", "&latex: ", "maxima: ", "mathjax: ", "&mathjax: ", nullptr};
    if (kind == lineComment && next && next->image && startsWithAny(text, formulaMarkers)) return 1;
    return 0;
}

static int rounded(double value) { return int(value + 0.5); }

int NotebookLine::getRowHeight() const {
    KALIX_CHECK_HELD(textLock);
    int h = editor->getTextLineHeight();
    if (isFolded()) {
        if (kind == lineCommand) return endsWithDots(this) ? 0 : rounded(h * 0.5);
        return 0;
    }
    if (kind == lineComment && !image) {
        if (heading) return 2 * h;
        if (text.matchesAt(0, "** ")) return rounded(h * 1.5);
        if (text.matchesAt(0, "%% ")) return 0;
    }
    bool nextDiffers = next && next->kind != kind;
    bool lastRowOfPicture = image && !(next && next->image == image && next->imageRow > 0);
    if (lastRowOfPicture) {
        double factor = editor->options().magnifyMode ? 1.2 : 1.0;
        return rounded(image->getHeight() * factor) + (nextDiffers ? h / 2 : h / 3) - h * imageRow;
    }
    return nextDiffers ? h * 3 / 2 : h;
}

// --- the editor ---------------------------------------------------------------------

NotebookEditor::NotebookEditor(NotebookHost* host, NotebookMetrics* metrics)
    : host(host), metrics(metrics), doc(this) {
    if (!this->host) {
        ownHost = std::make_unique<NotebookHost>();
        this->host = ownHost.get();
    }
    if (!this->metrics) {
        ownMetrics = std::make_unique<FixedMetrics>();
        this->metrics = ownMetrics.get();
    }
    cur.setLine(doc.getFirstLine());
    shown.setTopLine(doc.getFirstLine());
}

NotebookEditor::~NotebookEditor() {
    if (notebookEditor == this) notebookEditor = nullptr;
}

NotebookLine* NotebookEditor::newLineAfter(NotebookLine* after, const char* text, int kind) {
    return doc.newLineAfter(after, text, kind);
}

NotebookLine* NotebookEditor::newLineBefore(NotebookLine* before, const char* text, int kind) {
    return doc.newLineBefore(before, text, kind);
}

void NotebookEditor::deleteNotebookLine(NotebookLine* line) {
    TextLockHold hold(*this, "delete line");
    NotebookLine* neighbour = line->next ? line->next : line->previous;
    shown.lineDeleted(line, neighbour);
    cur.lineDeleted(line, neighbour);
    doc.deleteLine(line);
    if (!doc.getFirstLine()) {
        // Clearing always leaves one empty line.
        NotebookLine* empty = doc.restart();
        shown.setTopLine(empty);
        cur.setLine(empty);
        cur.setColumn(0);
    }
}

void NotebookEditor::setFilePath(const char* path) {
    doc.setFilePath(path);
    host->filePathChanged(doc.getFilePath().c_str());
}

std::string NotebookEditor::notebookNameOf(const std::string& filePath) {
    if (filePath.empty()) return "New Notebook";
    String name(filePath.c_str());
    std::string base = name.findFileName();
    size_t slash = base.rfind('/');
    if (slash != std::string::npos) base.erase(0, slash + 1);
    size_t dot = base.rfind('.');
    if (dot != std::string::npos && dot > 0) base.erase(dot);
    return base;
}

void NotebookEditor::clearNotebook() {
    {
        TextLockHold hold(*this, "clear");
        shown.setFollowCursor(1);
        // The anchor and the selection go with the lines.
        cur = NotebookCursor();
        NotebookLine* empty = doc.restart();
        shown.setTopLine(empty);
        cur.setLine(empty);
        unmarkAll();
    }
    invalidate();
    setNotebookChanged(0);
}

void NotebookEditor::setNotebookChanged(int flag) {
    if (doc.setChanged(flag)) host->changedFlagShown(doc.isChanged());
}

void NotebookEditor::measureLineHeight() { shown.measure(*metrics); }

int NotebookEditor::getTextLineHeight() {
    if (shown.getLineHeight() == 0) measureLineHeight();
    return shown.getLineHeight();
}

int NotebookEditor::countCommandLines() {
    TextLockHold hold(*this, "count lines");
    int count = 0;
    for (NotebookLine* line = doc.getFirstLine(); line; line = line->next)
        if (line->kind == lineCommand) count++;
    return count;
}

void NotebookEditor::resumeInterpreter() {
    host->resumeInterpreter();
    setNotebookChanged(1);
}

int NotebookEditor::startsSection(const NotebookLine* line) const {
    if (line->kind != lineCommand) return 0;
    if (line->text.length() <= 1) return 1;
    const NotebookLine* comment = nullptr;
    for (const NotebookLine* p = line->previous; p && p->kind == lineComment; p = p->previous)
        comment = p;
    if (!comment) return 0;
    return comment->text.isStringEmpty() || comment->heading || comment->text.matchesAt(0, "---");
}

int NotebookEditor::isBlankCommand(const char* text) {
    if (!text || std::strlen(text) <= 1) return 1;
    return text[1] == '/' && text[2] == '/';
}

int NotebookEditor::isSymbolicAtCursor() const {
    const char* text = cur.getLine()->text.getText();
    int length = cur.getLine()->text.length();
    int start = getIntCell(inputStartColumn);
    if (start < length && text[start] == ':') return 1;
    bool afterBlank = false;
    for (int i = cur.getColumn() < length ? cur.getColumn() : length - 1; i >= start && i >= 0;
         i--) {
        if (!afterBlank) {
            if (text[i] == '&') return 1;
            if (text[i] == ' ') afterBlank = true;
        } else if (text[i] == '&' && text[i + 1] == '=') {
            return 1;
        }
    }
    return 0;
}

int NotebookEditor::isWordChar(int character) {
    return isLetterCode(character) || (character >= '0' && character <= '9') || character == '%' ||
           character == '$';
}

int NotebookEditor::hasUtf8Bom(const char* text) {
    return text && std::strncmp(text, "\xEF\xBB\xBF", 3) == 0;
}

void NotebookEditor::startNewNotebook() {
    host->stopStatusHelpTimer();
    clearNotebook();
    makeNewPrompt();
    // A new notebook has no file: a plain save must not overwrite the last.
    setFilePath("");
    doc.setSavedImageFiles({});
    setNotebookChanged(0);
}

void NotebookEditor::clearTextWindow() {
    clearNotebook();
    host->stopStatusHelpTimer();
}

// --- small helpers --------------------------------------------------------------

std::string expandTabs(const char* text, int length) {
    std::string out;
    out.reserve(size_t(length));
    const bool utf8 = codePageIsUtf8();
    size_t column = 0;  // characters written
    for (int i = 0; i < length;) {
        if (text[i] == '\t') {
            out.append(4 - column % 4, ' ');
            column += 4 - column % 4;
            i++;
            continue;
        }
        int bytes = std::max(1, characterLength(text + i, utf8));
        out.append(text + i, size_t(std::min(bytes, length - i)));
        column++;
        i += bytes;
    }
    return out;
}

int isNumberChar(int character) {
    return (character >= '0' && character <= '9') || character == '.';
}

}  // namespace kalix
