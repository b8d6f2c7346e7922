// The notebook model, typing and deleting, the view, selections, bracket
// matching, splitting and pasting.
#include <thread>

#include "notebook_fixture.h"
#include "threaded_suite.h"

namespace kalix {

using Lines = std::vector<std::string>;

TEST_F(NotebookTest, NewAndClearedNotebookIsOneEmptyLine) {
    EXPECT_EQ(look(), Lines{"out:"});
    EXPECT_EQ(editor.cursor().getLine(), editor.document().getFirstLine());
    EXPECT_EQ(editor.cursor().getColumn(), 0);
    build({">a", "out:x", "% c"}, 0);
    editor.setNotebookChanged(1);
    editor.clearNotebook();
    EXPECT_EQ(look(), Lines{"out:"});
    EXPECT_EQ(editor.cursor().getColumn(), 0);
    EXPECT_EQ(editor.isNotebookChanged(), 0);
}

TEST_F(NotebookTest, InsertTextOpensLinesAtEveryLineEnd) {
    struct Case {
        const char* text;
        Lines lines;
    };
    const Case cases[] = {
        {"a\r\nb", {"out:a", "out:b"}}, {"a\n\rb", {"out:a", "out:b"}},
        {"a\rb", {"out:a", "out:b"}},   {"a\n\nb", {"out:a", "out:", "out:b"}},
        {"x\ty", {"out:x   y"}},
    };
    for (const Case& c : cases) {
        editor.clearNotebook();
        editor.insertText(c.text);
        EXPECT_EQ(look(), c.lines) << c.text;
        EXPECT_EQ(editor.cursor().getLine(), editor.lastLine());
        EXPECT_EQ(editor.isNotebookChanged(), 1);
    }
}

TEST_F(NotebookTest, TabWidensToTheNextMultipleOfFour) {
    const int cases[][2] = {{5, 3}, {8, 4}, {0, 4}, {3, 1}};
    for (const auto& c : cases) {
        build({">0123456789"});
        editor.cursor().setColumn(c[0]);
        editor.insertChar('\t');
        EXPECT_EQ(editor.cursor().getLine()->text.length(), 11 + c[1]) << "column " << c[0];
        EXPECT_EQ(editor.cursor().getColumn(), c[0] + c[1]);
    }
}

TEST_F(NotebookTest, DeletingTheWholeCursorLineKeepsThePrompt) {
    build({">abc"});
    select(editor.cursor().getLine(), 0, editor.cursor().getLine(), 4);
    editor.cursor().setColumn(4);
    editor.deleteSelection();
    EXPECT_EQ(look(), Lines{">"});
    EXPECT_EQ(editor.cursor().getColumn(), 1);
    EXPECT_EQ(editor.cursor().getSelectionFirst(), nullptr);
}

TEST_F(NotebookTest, DeletingAcrossLinesEndingInTheCursorLineKeepsItsPrompt) {
    build({"out:first", "out:second", ">abcdef"}, 2);
    select(editor.document().getFirstLine(), 3, editor.cursor().getLine(), 4);
    editor.deleteSelection();
    EXPECT_EQ(look(), (Lines{"out:fir", ">def"}));
    EXPECT_EQ(editor.cursor().getColumn(), 1);
}

TEST_F(NotebookTest, DeletingTheCursorLineOpensANewPrompt) {
    build({">a", "out:1", ">b"}, 2);
    select(editor.lineAt(1), 0, editor.lineAt(2), 2);
    editor.deleteSelection();
    EXPECT_EQ(look(), (Lines{">a", ">"}));
    EXPECT_EQ(editor.cursor().getLine(), editor.lastLine());
}

TEST_F(NotebookTest, SplittingACommandRepeatsItsPrompt) {
    struct Case {
        const char* line;
        int column;
        const char* first;
        const char* second;
        int cursor;
    };
    const Case cases[] = {
        {">> abc", 4, ">> a", ">> bc", 3}, {">:: ab", 5, ">:: a", ">:: b", 4},
        {">: ab", 4, ">: a", ">: b", 3},   {">>> ab", 5, ">>> a", ">b", 1},
        {">ab", 2, ">a", ">b", 1},         {">a ...", 6, ">a", ">", 1},
    };
    for (const Case& c : cases) {
        build({c.line, ">next"});
        editor.cursor().setColumn(c.column);
        editor.splitCommand(0);
        EXPECT_EQ(look(), (Lines{c.first, c.second, ">next"})) << c.line;
        EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(1));
        EXPECT_EQ(editor.cursor().getColumn(), c.cursor) << c.line;
    }
}

TEST_F(NotebookTest, SplitWithContinuationMarksTheFirstPart) {
    build({">a=1; b=2"});
    editor.cursor().setColumn(5);
    editor.splitCommand(1);
    EXPECT_EQ(look(), (Lines{">a=1; ...", "> b=2"}));
    build({">function f(x) ...", "$  y=1"});
    editor.cursor().setLine(editor.document().getFirstLine());
    editor.splitCommand(0);
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(1));
    EXPECT_EQ(getIntCell(functionEntryState), 2);
    EXPECT_EQ(editor.cursor().getColumn(), 3);
}

TEST_F(NotebookTest, PastingOneLineTurnsTabsIntoCommas) {
    build({">x="});
    editor.cursor().setColumn(3);
    editor.pasteAsCommands("1\t2\t3");
    EXPECT_EQ(look(), Lines{">x=1,2,3"});
    build({">x="});
    editor.cursor().setColumn(3);
    editor.pasteCommands("4\t5\r\n");
    EXPECT_EQ(look(), Lines{">x=4,5"});
}

TEST_F(NotebookTest, PastingLinesInsertsThemBeforeTheCommentOfTheCursorCommand) {
    build({">a", "% about b", ">b"}, 2);
    editor.pasteAsCommands("  >x=1\r\ny\t2\r\n");
    EXPECT_EQ(look(), (Lines{">a", ">x=1", ">y,2", "% about b", ">b"}));
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(1));

    build({">a", ">b"}, 1);
    editor.pasteCommands("% note &not;\r\n>c\r\n 3\r\n$ body\r\n");
    // The body line follows output, not a command: it is left out.
    Lines got = look();
    ASSERT_EQ(got.size(), 6u);
    EXPECT_EQ(editor.lineAt(1)->getOriginalText(), std::string("note &not;"));
    EXPECT_EQ(got[2], ">c");
    EXPECT_EQ(got[3], "out:3");
    EXPECT_EQ(got[4], ">");
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(2));
}

TEST_F(NotebookTest, BracketMatchingIgnoresBracketsInStrings) {
    build({">f(a,\")\",g(b))"});
    editor.cursor().setColumn(14);
    EXPECT_EQ(editor.highlightMatchingBracket(), 1);
    EXPECT_EQ(editor.cursor().getSelectionStartColumn(), 2);
    EXPECT_EQ(editor.cursor().getSelectionEndColumn(), 14);
    EXPECT_EQ(editor.isBracketMatchShown(), 1);

    editor.cursor().setColumn(2);
    EXPECT_EQ(editor.highlightMatchingBracket(), 1);
    EXPECT_EQ(editor.cursor().getSelectionStartColumn(), 2);
    EXPECT_EQ(editor.cursor().getSelectionEndColumn(), 14);

    // An argument before a comma; an unmatched bracket selects nothing.
    editor.cursor().setColumn(9);
    EXPECT_EQ(editor.highlightMatchingBracket(), 1);
    EXPECT_EQ(editor.cursor().getSelectionStartColumn(), 5);
    EXPECT_EQ(editor.cursor().getSelectionEndColumn(), 8);
    build({">(1]"});
    editor.cursor().setColumn(1);
    EXPECT_EQ(editor.highlightMatchingBracket(), 0);
    EXPECT_EQ(editor.cursor().getSelectionFirst(), nullptr);
}

TEST_F(NotebookTest, BracketMatchingCrossesContinuationLines) {
    build({">f(1, ..", ">2)"}, 1);
    editor.cursor().setColumn(3);
    EXPECT_EQ(editor.highlightMatchingBracket(), 1);
    EXPECT_EQ(editor.cursor().getSelectionFirst(), editor.document().getFirstLine());
    EXPECT_EQ(editor.cursor().getSelectionStartColumn(), 2);
    EXPECT_EQ(editor.cursor().getSelectionLast(), editor.lineAt(1));
}

TEST_F(NotebookTest, PlaceholdersTakeTheCursorAndGoWhenTypedOver) {
    build({">plot(?x,\"?s\",?y)"});
    editor.cursor().setColumn(1);
    editor.moveCursorRightTyped();
    EXPECT_EQ(editor.cursor().getColumn(), 6);
    editor.moveCursorRightTyped();
    EXPECT_EQ(editor.cursor().getColumn(), 10);  // in quotes, right after the quote
    editor.moveCursorRightTyped();
    EXPECT_EQ(editor.cursor().getColumn(), 14);
    editor.cursor().setColumn(6);
    editor.clearPlaceholder();
    EXPECT_EQ(look(), Lines{">plot(,\"?s\",?y)"});
}

TEST_F(NotebookTest, JoiningDropsTheContinuationMark) {
    build({">a=1 ...", ">b=2"}, 1);
    editor.joinWithPreviousLine();
    EXPECT_EQ(look(), Lines{">a=1 b=2"});
    EXPECT_EQ(editor.cursor().getColumn(), 5);
}

TEST_F(NotebookTest, MovingBetweenCommandsSkipsOtherLines) {
    build({">a", "out:1", "% c", ">b", "out:2"}, 0);
    editor.moveLineDown();
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(3));
    editor.moveLineDown();
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(3));
    editor.moveLineUp();
    EXPECT_EQ(editor.cursor().getLine(), editor.document().getFirstLine());
    editor.insertCommandAbove();
    EXPECT_EQ(look(), (Lines{">", ">a", "out:1", "% c", ">b", "out:2"}));
    EXPECT_EQ(editor.cursor().getLine(), editor.document().getFirstLine());
}

TEST_F(NotebookTest, ExecuteTextWritesTheCommandAndResumes) {
    build({">old"});
    editor.executeText("1+1");
    EXPECT_EQ(look(), Lines{">1+1"});
    EXPECT_EQ(host.resumed, 1);
}

TEST_F(NotebookTest, CopyFormsCarryTheirPrefixes) {
    build({">a=1", "out:>1", "% note", "$ body", ">b=2"}, 0);
    select(editor.document().getFirstLine(), 2, editor.lastLine(), 3);
    editor.copySelection();
    EXPECT_EQ(host.clipboard, ">=1\r\n >1\r\n% note\r\n$ body\r\n>b=\r\n");
    EXPECT_EQ(host.statuses.back(), ">>> Text copied to clipboard!");
    editor.copyCommands();
    EXPECT_EQ(host.clipboard, "=1\r\n$  body\r\nb=\r\n");
    editor.copyFormatted();
    EXPECT_EQ(host.clipboard, "  >=1\r\n     >1\r\n   note\r\n  $   body\r\n  >b=\r\n");
    select(editor.document().getFirstLine(), 1, editor.document().getFirstLine(), 3);
    EXPECT_EQ(editor.selectionAsText(), "a=\r\n");
    EXPECT_EQ(editor.getSelectionText(), "a=");
}

TEST_F(NotebookTest, FoldedCommandsAndRowHeights) {
    build({">%+ a ...", ">b ...", ">c", ">x"}, 3);
    EXPECT_EQ(rowHeightOf(0), 20);
    EXPECT_EQ(rowHeightOf(1), 0);
    EXPECT_EQ(rowHeightOf(2), 10);
    editor.cursor().setLine(editor.lineAt(1));
    for (int i = 0; i < 3; i++) EXPECT_EQ(rowHeightOf(i), 20) << i;

    build({"% c", ">//", ">%% hidden", ">x"}, 3);
    EXPECT_EQ(isFoldedAt(1), 1);
    EXPECT_EQ(rowHeightOf(2), 10);
    editor.cursor().setLine(editor.lineAt(1));
    EXPECT_EQ(isFoldedAt(1), 0);

    // A picture of 100 pixels in 3 rows followed by a command.
    build({"out:", "out:", "out:", ">x"}, 3);
    auto picture = std::make_shared<NotebookPicture>(50, 100);
    for (int i = 0; i < 3; i++) {
        editor.lineAt(i)->image = picture;
        editor.lineAt(i)->imageRow = i;
    }
    EXPECT_EQ(rowHeightOf(0), 20);
    EXPECT_EQ(rowHeightOf(2), 70);
}

TEST_F(NotebookTest, TheViewKeepsTheCursorCommandVisible) {
    for (int i = 0; i < 100; i++) editor.insertText("line\n");
    // 600 pixels at 20 a row: the top follows the end of the output.
    int top = editor.indexOf(editor.view().getTopLine());
    EXPECT_GT(top, 60);
    EXPECT_LT(top, 90);
    editor.setHorizontalFromBar(50);
    EXPECT_EQ(editor.getHorizontalScroll(), 900);
    EXPECT_EQ(editor.horizontalBarPosition(), 50);
}

TEST_F(NotebookTest, PageDownStopsAtAHeading) {
    build({">a", "out:1", "out:2", "% * Part two", ">b", "out:3"}, 0);
    editor.pageDown(1);
    EXPECT_EQ(editor.view().getTopLine(), editor.lineAt(3));
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(4));
}

TEST_F(NotebookTest, MouseClicksAndDragsSelect) {
    build({">abc", "out:1", ">def"}, 2);
    // Row 0 from y 5 to 25 (commands before output take 30).
    editor.startDrag(5 + 8 * 1, 10);
    editor.dragTo(5 + 8 * 3, 10);
    EXPECT_EQ(editor.endDrag(5 + 8 * 3, 10), 0);
    EXPECT_EQ(editor.cursor().getSelectionFirst(), editor.document().getFirstLine());
    EXPECT_EQ(editor.cursor().getSelectionStartColumn(), 1);
    EXPECT_EQ(editor.cursor().getSelectionEndColumn(), 3);
    EXPECT_EQ(editor.cursor().getLine(), editor.document().getFirstLine());
    // A click on output puts the cursor on the next command.
    editor.unmarkAll();
    editor.startDrag(30, 40);
    editor.endDrag(30, 40);
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(2));
}

// A click, a Shift selection, its copy and its deletion take whole
// characters in both code pages (characters 8 pixels wide).
TEST_F(NotebookTest, ClicksSelectionsAndCopiesTakeWholeCharactersInBothCodePages) {
    struct Case {
        const char* line;
        int clicked;  // the character clicked in its middle
        const char* selected;
        const char* left;
        bool singleByte;
    } cases[] = {
        {">\u00e4\u00f6\u00fc=1", 2, "\u00f6\u00fc", ">\u00e4=1", true},
        {">\u6f22\u5b57\U0001F600a", 2, "\u5b57\U0001F600", ">\u6f22a", false},
        {">x\U0001F600\u00e9y", 1, "x\U0001F600", ">\u00e9y", false},
    };
    for (int page : {65001, 1252}) {
        selectCodePage(page);
        const bool utf8 = page == 65001;
        for (const Case& c : cases) {
            if (!utf8 && !c.singleByte) continue;
            std::string line, selected, left;
            utf8ToCodePage(c.line, line);
            utf8ToCodePage(c.selected, selected);
            utf8ToCodePage(c.left, left);
            build({line.c_str()});
            auto characters = [&] {
                return int(characterCount(editor.document().getFirstLine()->text.getText(),
                                          size_t(editor.cursor().getColumn()), utf8));
            };
            editor.startDrag(5 + 8 * c.clicked + 4, 10);
            editor.endDrag(5 + 8 * c.clicked + 4, 10);
            EXPECT_EQ(characters(), c.clicked) << page << " " << c.line;
            editor.setShiftAnchor(1);
            editor.moveCursorRight();
            editor.moveCursorRight();
            editor.setShiftAnchor(0);
            EXPECT_EQ(editor.selectionAsText(), selected + "\r\n") << page << " " << c.line;
            editor.copySelection();
            EXPECT_EQ(host.clipboard, selected + "\r\n");
            editor.deleteSelection();
            EXPECT_EQ(std::string(editor.document().getFirstLine()->text.getText()), left)
                << page << " " << c.line;
            EXPECT_EQ(characters(), c.clicked);
            // A column inside a character means the character's start
            // (the character after the prompt has several bytes in 65001).
            editor.setCursorColumn(2);
            EXPECT_EQ(editor.cursor().getColumn(), utf8 ? 1 : 2);
        }
    }
}

// Every operation holds the "Text" lock while it changes the notebook, and
// messages are shown only after it was left.
class LockCheckingHost : public RecordingHost {
  public:
    int heldOnInvalidate = 0;
    int otherThreadGotIt = 0;
    void invalidate() override {
        heldOnInvalidate += textLock.getDepth() > 0;
        std::thread other([this] {
            if (textLock.tryEnter()) {
                otherThreadGotIt++;
                textLock.leave("test");
            }
        });
        other.join();
    }
};

THREADED_SUITE(NotebookLock);

TEST(NotebookLock, OperationsHoldTheTextLock) {
    LockCheckingHost host;
    NotebookEditor editor(&host);
    editor.insertText("a\nb");
    editor.selectAll();
    EXPECT_GT(host.heldOnInvalidate, 0);
    EXPECT_EQ(host.otherThreadGotIt, 0);
    EXPECT_EQ(textLock.getDepth(), 0);
    EXPECT_EQ(editor.readNotebook("/nonexistent/x.kn"), 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Could not open file\n/nonexistent/x.kn");
    EXPECT_EQ(host.lockDepthAtMessage[0], 0);
}

}  // namespace kalix
