// The notebook: a doubly linked list of lines, each one line of text with a
// kind. NotebookEditor holds the document (notebook_document.h: the lines,
// the changed state, deleted commands), the cursor and the selection
// (notebook_cursor.h) and the view (notebook_view.h), and carries out the
// operations that involve them together.
//
// Text is 8-bit in the program's code page. A comment line whose character
// entities were decoded holds UTF-8 after the marker bytes EF BB BF and
// keeps the undecoded text in `originalText` for saving.
//
// Threads: every operation that reads or changes lines or editor state
// holds the "Text" lock (textLock) for its whole work; the lock is
// re-entrant, so operations call each other. Queries without a place label
// (row heights, folding, margins) expect the caller to hold it. Nothing
// waits for a process or the GUI while the lock is held.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "base/string.h"
#include "base/threads.h"
#include "notebook/notebook_cursor.h"
#include "notebook/notebook_document.h"
#include "notebook/notebook_host.h"
#include "notebook/notebook_view.h"

namespace kalix {

enum LineKind : int {
    lineOutput = 0,        // output of the interpreter, as printed
    lineCommand = 1,       // ">" and the command
    lineFunctionBody = 2,  // "$" and one body line of a function
    lineComment = 3,       // comment text, without the file's "%"
};

// A picture shown in consecutive rows of the notebook. Its width and height
// are the size it is shown at, before the presentation magnification. The
// base keeps the picture's PNG file contents; a window may keep pixels
// instead by overriding the operations.
class NotebookPicture {
  public:
    NotebookPicture(int width, int height, std::string png = std::string());
    virtual ~NotebookPicture() = default;

    int getWidth() const { return width; }
    int getHeight() const { return height; }
    // Shows the picture at another size.
    virtual void scaleTo(int newWidth, int newHeight);
    // Writes the picture as a PNG file; 1 on success.
    virtual int writePng(const char* path) const;
    // The PNG file contents (empty when the picture keeps none).
    const std::string& pngBytes() const { return png; }

  protected:
    int width;
    int height;
    std::string png;
};

// Reads a PNG file: its size from the header, its bytes kept. Null when the
// file is missing or no PNG.
std::shared_ptr<NotebookPicture> loadPngPicture(const char* path);

constexpr int lineBackupCount = 8;
constexpr int misspeltMarkLimit = 16;

class NotebookEditor;

// Whether text of the notebook holds UTF-8: in code page 65001, and a line
// that begins with the marker bytes EF BB BF (decoded entities).
bool isUtf8Text(const char* text);

class NotebookLine {
  public:
    // Links itself in between previous and next (either may be null).
    NotebookLine(NotebookEditor* editor, NotebookLine* previous, NotebookLine* next,
                 const char* text);
    // Unlinks itself.
    ~NotebookLine();
    NotebookLine(const NotebookLine&) = delete;
    NotebookLine& operator=(const NotebookLine&) = delete;

    String text;
    NotebookLine* previous;
    NotebookLine* next;
    int kind = lineOutput;
    int selected = 0;     // inside the selection
    int imageMarked = 0;  // a row of a picture marked by a click (copied as picture)
    NotebookEditor* editor;
    // Older texts of the line, newest first (null where empty).
    std::unique_ptr<String> backups[lineBackupCount];
    int backupIndex = 0;
    std::unique_ptr<String> formula;      // first row of a formula picture
    std::unique_ptr<String> svgFileName;  // first row of a graphic saved as SVG
    int formulaIsMathJax = 0;
    int16_t misspeltStart[misspeltMarkLimit] = {};
    int16_t misspeltLength[misspeltMarkLimit] = {};
    int misspeltCount = 0;
    // The picture of which this line is row `imageRow`; every row holds it,
    // so it lives as long as any of its rows.
    std::shared_ptr<NotebookPicture> image;
    std::shared_ptr<NotebookPicture> largeImage;  // first row only
    std::unique_ptr<String> imageFileName;        // where it was last saved
    std::unique_ptr<String> largeImageFileName;
    std::unique_ptr<String> originalText;  // undecoded comment text
    // A line read from a UTF-8 notebook with characters the code page cannot
    // hold: the file line as read ("?" for those characters) and as it was
    // in the file. While the line is written unchanged it is written as it
    // was, so that no character becomes "?". A comment line rebuilt from
    // such lines that matches none of them holds an empty pair: its "?"
    // may stand for a lost character, so a save refuses it.
    std::unique_ptr<std::pair<std::string, std::string>> unheldText;
    int imageNumber = 0;
    int imageRow = 0;
    int hardBreak = 0;  // comment line that starts a new line ("%%")
    int heading = 0;    // comment line that is a heading ("* ")
    // Never reused within one editor; refers to the line without a pointer.
    uint64_t id;

    const char* getFormula() const { return formula ? formula->getText() : nullptr; }
    const char* getOriginalText() const { return originalText ? originalText->getText() : nullptr; }
    const char* getSvgFileName() const { return svgFileName ? svgFileName->getText() : nullptr; }
    int isFormulaMathJax() const { return formulaIsMathJax; }
    int isSectionRule() const { return kind == lineComment && text.matchesAt(0, "---"); }
    int isSubheading() const { return kind == lineComment && text.matchesAt(0, "** "); }
    void setImageMarked(int value) { imageMarked = value; }
    void setSelected(int value) { selected = value; }
    void clearMisspelt() { misspeltCount = 0; }
    void addMisspelt(int start, int length);
    void setLineKind(int value) { kind = value; }
    void setOriginalText(const char* value);
    int hasImage() const { return image != nullptr; }

    // Columns are byte offsets into `text`; the cursor and the selection
    // stand on the starts of characters, which are UTF-8 sequences in code
    // page 65001 and after the marker bytes EF BB BF, else single bytes.
    bool holdsUtf8() const { return isUtf8Text(text.getText()); }
    // The column after the character at `column` (the length at the end).
    int nextColumn(int column) const;
    // The start of the character before `column` (0 at the start).
    int previousColumn(int column) const;
    // The start of the character that holds byte `column`.
    int characterStart(int column) const;
    // The code of the character at `column` (0 at the end; see characterCode).
    int characterAt(int column) const;

    int getLeftMargin() const;
    int getRowHeight() const;
    int isFolded() const;
};

// Flags of the interpreter's waits that the notebook reads (set by the
// line input and the waits).
extern IntCell inputWaiting;        // the interpreter waits for an input line
extern IntCell userWaitFlag;        // an input or key wait is under way
extern IntCell functionEntryState;  // 1 body lines typed at "$"; 2 a body edited in place
extern IntCell inputStartColumn;    // column where the typed command starts
extern IntCell keyWaitFlag;         // the computation thread waits for a line or key
// The code of the no-break space: U+00A0 in code page 65001, else its byte
// in the code page (set at start).
extern int noBreakSpaceChar;
// A letter of the notebook's word rules, by character code: A-Z, a-z, a
// code from 0xC2 on, or the no-break space (bytes 0xC2-0xFF in a
// single-byte code page, code points in UTF-8).
int isLetterCode(int code);
// The text of a character code in the code page (its UTF-8 in 65001, else
// its byte).
std::string characterText(int code);
// The text with every blank made a no-break space.
std::string withNoBreakSpaces(const std::string& text);

// Holds the text lock for a scope. When the outermost hold of a thread
// ends, the messages queued meanwhile are shown (after the lock was left).
class TextLockHold {
  public:
    TextLockHold(NotebookEditor& editor, const char* place);
    // Takes the lock only when it is free (or the caller's): the GUI thread
    // never waits for it. `owns` tells whether it was taken.
    TextLockHold(NotebookEditor& editor, const char* place, std::try_to_lock_t);
    ~TextLockHold();
    TextLockHold(const TextLockHold&) = delete;
    TextLockHold& operator=(const TextLockHold&) = delete;
    bool owns() const { return held; }

  private:
    void taken();

    NotebookEditor& editor;
    const char* place;
    bool held = true;
};

class NotebookEditor {
  public:
    // Null host or metrics: no window and fixed metrics.
    explicit NotebookEditor(NotebookHost* host = nullptr, NotebookMetrics* metrics = nullptr);
    ~NotebookEditor();
    NotebookEditor(const NotebookEditor&) = delete;
    NotebookEditor& operator=(const NotebookEditor&) = delete;

    // The three parts; each keeps its state to itself.
    NotebookDocument& document() { return doc; }
    const NotebookDocument& document() const { return doc; }
    NotebookCursor& cursor() { return cur; }
    const NotebookCursor& cursor() const { return cur; }
    NotebookView& view() { return shown; }
    const NotebookView& view() const { return shown; }

    NotebookHost& getHost() { return *host; }
    NotebookMetrics& getMetrics() { return *metrics; }
    // The options; read once per outermost hold of the lock.
    NotebookOptions options();
    // Sets "foldallmultilines" as the caller's hold of the lock sees it
    // (exports that do not respect folding); returns the value it had.
    int setHeldFolding(int foldAll);

    // --- the model -------------------------------------------------------
    void clearNotebook();
    void setNotebookChanged(int flag);
    int isNotebookChanged() const { return doc.isChanged(); }
    int getTextLineHeight();
    void measureLineHeight();
    int getHorizontalScroll() const { return shown.getHorizontalScroll(); }
    int isCursorInFunctionBody() const { return cur.getLine()->kind == lineFunctionBody; }
    int isSelectionOnCursorLine() const {
        return cur.getSelectionFirst() == cur.getLine() && cur.getSelectionLast() == cur.getLine();
    }
    int isBracketMatchShown() const { return cur.isBracketMatchShown(); }
    int countCommandLines();
    void resumeInterpreter();
    int startsSection(const NotebookLine* line) const;
    static int isBlankCommand(const char* text);
    int isSymbolicAtCursor() const;
    // A character of a name (by its code), "%" or "$".
    static int isWordChar(int character);
    static int hasUtf8Bom(const char* text);
    // A new notebook: cleared, an empty prompt, no file path.
    void startNewNotebook();
    void clearTextWindow();

    // Unlinks and frees a line, moving first, top, anchor and selection
    // off it; the cursor line moves to a neighbour.
    void deleteNotebookLine(NotebookLine* line);
    // A new line after `after` (first when null).
    NotebookLine* newLineAfter(NotebookLine* after, const char* text, int kind);
    NotebookLine* newLineBefore(NotebookLine* before, const char* text, int kind);
    int lineCount() const { return doc.lineCount(); }
    NotebookLine* lineAt(int index) const { return doc.lineAt(index); }  // null past the end
    NotebookLine* lastLine() const { return doc.lastLine(); }
    // -1 when not in the notebook
    int indexOf(const NotebookLine* line) const { return doc.indexOf(line); }
    NotebookLine* findLine(uint64_t id) const { return doc.findLine(id); }

    // The file the notebook was read from or written to; empty for a new one.
    const char* getFilePath() const { return doc.getFilePath().c_str(); }
    void setFilePath(const char* path);
    // The file name without directory and extension, or "New Notebook".
    std::string notebookName() const { return notebookNameOf(doc.getFilePath()); }
    static std::string notebookNameOf(const std::string& path);

    // --- editing -------------------------------------------------------
    void insertChar(int character);
    void insertText(const char* text);
    void insertLine();
    void deleteChar();
    void deleteLineEnd();
    void moveCursorLeft(int minimumColumn);
    void moveCursorRight();
    void moveCursorRightTyped();
    void clearPlaceholder();
    void insertCommandAbove();
    void joinWithPreviousLine();
    void moveLineUp();
    void moveLineDown();
    void gotoTextStart();
    void gotoTextEnd();
    void executeText(const char* text);
    int endFunctionLine();
    void backupCursorLine();
    void openLineAfterFunctionBody();
    // The line and column under a point of the text area; nothing (line
    // null) unless the interpreter waits for input.
    LinePosition lineAtPoint(int x, int y);
    void startDrag(int x, int y);
    void dragTo(int x, int y);
    int endDrag(int x, int y);
    std::string getSelectionText();
    void deleteSelection();
    void deleteSelectedOutput();
    void deleteFunctionBody();
    void copySelection();
    void copyCommands();
    void copyFormatted();
    // The texts the copy operations put on the clipboard (empty when
    // nothing qualifies).
    std::string selectionAsText();
    std::string selectionAsCommands();
    std::string selectionAsFormatted();

    // --- cursor, view, selection and pasting ------------------------------
    void scrollDown();
    void scrollUp();
    void pageDown(int ctrl);
    void pageUp(int ctrl);
    void setScrollFromBar(int position);
    int verticalBarPosition();
    void setHorizontalFromBar(int position);
    int horizontalBarPosition();
    void setHorizontalScroll(int pixels);
    void setCursorLine(NotebookLine* line, int column);
    void setCursorColumn(int column);
    void setCursorCommand(const char* text, int column);
    void setInputLine(const char* text, int column);
    void setLineKindFromPrefix();
    void setShiftAnchor(int on);
    void skipBlanksAtCursor();
    void showCursorLine();
    void showCursor() { showCursorLine(); }
    void updateTop() { showCursorLine(); }
    void showCommentAbove();
    void relayout();
    void makeNewPrompt();
    void moveToNextPrompt();
    static NotebookLine* findNextPromptLine(NotebookLine* line);
    void removeOutput();
    void selectAll();
    void unmarkAll();
    void unmarkIfSelected();
    void followCursorAndRepaint();
    void updateCommentAbove();
    void markTo(NotebookLine* line, int column);
    NotebookLine* computeTopLine(NotebookLine* command);
    // Places the caret (caretX, caretY) for the current view.
    void setCaret();
    int highlightMatchingBracket();
    void splitCommand(int continued);
    void pasteAsCommands(const char* text);
    void pasteCommands(const char* text);

    static const char* displayText(const NotebookLine* line);
    static const char* commentPrefixOf(const NotebookLine* line);
    static int isFunctionStart(const char* text);

    // --- undo, deleted commands and search -------------------------------
    static void pushLineBackup(NotebookLine* line) { NotebookDocument::pushLineBackup(line); }
    static void restoreOlderBackup(NotebookLine* line) {
        NotebookDocument::restoreOlderBackup(line);
    }
    static void restoreLaterBackup(NotebookLine* line) {
        NotebookDocument::restoreLaterBackup(line);
    }
    void restoreCursorLine();
    void undoRestoreCursorLine();
    void deleteCommand();
    void undoDelete();
    void searchText(const char* text);
    void searchNext(const char* text);
    // As searchNext, towards the start of the notebook.
    void searchPrevious(const char* text);

    // --- output and comments ---------------------------------------------
    // Output of the interpreter at the cursor (drops the rest of the cursor
    // line unless the text begins with "\n").
    void insertOutput(const char* text);
    // A command was taken: its old output goes and a new output line opens.
    void beginCommandOutput();
    std::string getComment();
    void setComment(const char* text);
    static void parseCommentPrefix(NotebookLine* line);
    // Decodes the entities of a comment line read or typed (text and
    // originalText); 1 when it was decoded.
    static int decodeLineEntities(NotebookLine* line);
    // Shows an image file ("(rows) name") in comment rows above the cursor
    // line; 0 (and a message) when it cannot be read.
    int insertCommentImage(const char* text, int factor, const char* largeFile, const char* formula,
                           int mathJax);
    // The text a line shows from a column on.
    static std::string drawnText(const NotebookLine* line, int startColumn);
    // A comment line as HTML (markdown 0) or Markdown (1).
    static std::string commentLineMarkup(const NotebookLine* line, int startColumn, int markdown);

    // --- the notebook file -----------------------------------------------
    // 1 when read; 0 (notebook unchanged, message shown) when the file
    // cannot be opened.
    int readNotebook(const char* path);
    // 1 when written; 0 (old file intact, message shown) on any failure.
    int writeNotebook(const char* path);
    // writeNotebook to the notebook's own path; 0 when it has none.
    int saveNotebook();
    // The line as the notebook file holds it, in the code page.
    static std::string fileLineOf(const NotebookLine* line);
    // The image files the last read or write of the notebook's file used.
    std::vector<std::string> getSavedImageFiles();
    // A copy at `path` with its pictures, written as a save writes the
    // notebook (temporaries and renames); the notebook's file, image names
    // and changed state stay as they are, and nothing is asked or shown.
    // `changes` gets the change count the copy holds. 1 when written.
    int writeCopy(const char* path, uint64_t& changes);
    // Reads a copy as the notebook of `notebookPath` ("" for a new one): the
    // notebook is then changed, and a save writes it to that file.
    int readCopyOf(const char* path, const char* notebookPath);
    // Counts every change (read under the lock).
    uint64_t changeCount() const { return doc.changeCount(); }

    // Queued while the lock is held, shown when the outermost hold ends.
    void queueMessage(const std::string& text);

  private:
    friend class TextLockHold;

    void insertRun(const char* text, int length);
    void invalidate() { host->invalidate(); }
    void deleteRange(NotebookLine* first, NotebookLine* last);
    NotebookLine* firstOfCommand(NotebookLine* line) const;
    NotebookLine* commentBlockStart(NotebookLine* command) const;
    void insertImageRows(std::shared_ptr<NotebookPicture> picture, int rows, int kind,
                         NotebookLine* before);
    void insertPastedLine(NotebookLine* before, const std::string& text, int kind,
                          NotebookLine*& firstCommand);
    void pasteLines(const char* text, int fileFormat);

    NotebookHost* host;
    NotebookMetrics* metrics;
    std::unique_ptr<NotebookHost> ownHost;
    std::unique_ptr<NotebookMetrics> ownMetrics;
    // The parts, each under the text lock (see their headers).
    NotebookDocument doc;
    NotebookCursor cur;
    NotebookView shown;
    std::vector<std::string> pendingMessages;
    NotebookOptions heldOptions;
};

// The one editor of the text window (set by the window).
extern NotebookEditor* notebookEditor;

// Copies text with each tab widened to the next multiple of 4 columns.
std::string expandTabs(const char* text, int length);
int isNumberChar(int character);
int deleteFileIfPresent(const char* path);
// The directory part of a path with its "/", or "" for a bare name.
std::string directoryOf(const std::string& path);
// The file an image name refers to: "images/" + name first when
// imagesInDirectory is on, else the name first; the first that exists, or
// the first tried. Relative names are taken in `directory`.
std::string findImageFile(const std::string& directory, const std::string& name,
                          int imagesInDirectory);

}  // namespace kalix
