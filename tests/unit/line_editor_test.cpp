// The command-line editor on a notebook without a window: the history,
// Return and Escape with continued commands and functions, placeholders,
// words, function keys and Tab.
#include <cstring>

#include "interpreter/builtin_table.h"
#include "interpreter/commands.h"
#include "interpreter/state_snapshot.h"
#include "notebook/help.h"
#include "notebook/line_editor.h"
#include "notebook_fixture.h"
#include "platform/host.h"

namespace kalix {

using Lines = std::vector<std::string>;

namespace {

class LineEditorTest : public NotebookTest {
  protected:
    void SetUp() override {
        NotebookTest::SetUp();
        assignIntCell(commandsToRun, 0);
        assignIntCell(commandFromNotebook, 0);
        continuationActive = 0;
        inputBuiltinActive = 0;
    }
    void TearDown() override {
        assignIntCell(commandsToRun, 0);
        assignIntCell(functionEntryState, 0);
        inputBuiltinActive = 0;
        NotebookTest::TearDown();
    }
    void key(int code, int character = 0) { lines.handleKey(editor, character, code); }
    void typeText(const char* text) {
        for (const char* p = text; *p; p++)
            lines.handleKey(editor, static_cast<unsigned char>(*p), 0);
    }
    std::string cursorText() const { return editor.cursor().getLine()->text.getText(); }

    LineEditor lines;
};

}  // namespace

TEST_F(LineEditorTest, TheHistoryKeepsTheLastThirtyTwoLines) {
    build({">"});
    key(editUp);
    key(editDown);
    EXPECT_EQ(cursorText(), ">");
    for (int i = 1; i <= 33; i++) lines.history.add(("line " + std::to_string(i)).c_str());
    EXPECT_EQ(lines.history.count(), 32);
    EXPECT_EQ(lines.history.entry(0), "line 2");
    key(editUp);
    EXPECT_EQ(cursorText(), ">line 33");
    EXPECT_EQ(editor.cursor().getColumn(), 8);
    key(editUp);
    EXPECT_EQ(cursorText(), ">line 32");
    key(editDown);
    EXPECT_EQ(cursorText(), ">line 33");
    key(editDown);
    EXPECT_EQ(cursorText(), ">line 33");
    // A typed key between two Ups keeps the place; Escape sets it back.
    key(editUp);
    typeText("x");
    EXPECT_EQ(cursorText(), ">line 33x");
    key(editUp);
    EXPECT_EQ(cursorText(), ">line 32");
    key(editEscape);
    key(editUp);
    EXPECT_EQ(cursorText(), ">line 33");
    std::string longLine(40000, 'a');
    lines.history.add(longLine.c_str());
    EXPECT_EQ(lines.history.entry(31).size(), size_t(CommandHistory::entryLimit));
}

TEST_F(LineEditorTest, ContinuedCommandsCountTheLinesTakenWithoutWaiting) {
    struct Case {
        std::initializer_list<const char*> notebook;
        int cursor;
        int count;
        int cursorAfter;
        int columnAfter;
    };
    const Case cases[] = {
        {{">a ..."}, 0, -1, 0, 1},
        {{">a ...", ">"}, 0, -1, 0, 1},
        {{">a ...", ">b"}, 1, 1, 0, 0},
        {{">a ...", ">b ...", ">c"}, 2, 2, 0, 0},
        {{">a ...", ">b ...", ">c"}, 1, 2, 0, 0},
        {{">a ...", ">"}, 1, 0, 0, 0},
        {{">function f(x) ...", "$return x", "$endfunction"}, 0, 3, 0, 1},
        {{">x=1", "out:1", ">y"}, 0, 0, 0, 1},
    };
    for (const Case& c : cases) {
        build(c.notebook, c.cursor);
        assignIntCell(commandsToRun, 0);
        EXPECT_EQ(lines.multiLineCommandCount(editor), c.count) << c.notebook.begin()[c.cursor];
        EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(c.cursorAfter))
            << c.notebook.begin()[c.cursor];
        EXPECT_EQ(editor.cursor().getColumn(), c.columnAfter);
        EXPECT_EQ(getIntCell(commandsToRun), c.count > 0 ? c.count : 0);
    }
    // Lines taken from the notebook or continuing a command run alone.
    build({">a ...", ">b"}, 1);
    continuationActive = 1;
    EXPECT_EQ(lines.multiLineCommandCount(editor), 0);
    continuationActive = 0;
    assignIntCell(commandFromNotebook, 1);
    EXPECT_EQ(lines.multiLineCommandCount(editor), 0);
    assignIntCell(commandFromNotebook, 0);
}

TEST_F(LineEditorTest, ReturnRunsACommandOrContinuesIt) {
    build({">1+1"});
    key(editReturn);
    EXPECT_EQ(host.resumed, 1);
    EXPECT_EQ(editor.isNotebookChanged(), 1);
    build({">1+ ..."});
    key(editReturn);
    EXPECT_EQ(host.resumed, 1);
    EXPECT_EQ(look(), (Lines{">1+ ...", ">"}));
    EXPECT_EQ(editor.cursor().getLine(), editor.lastLine());
    // An input builtin takes the line whatever it ends with.
    build({">1+ ..."});
    inputBuiltinActive = 1;
    key(editReturn);
    EXPECT_EQ(host.resumed, 2);
}

TEST_F(LineEditorTest, ReturnInAFunctionEditedInPlace) {
    const Lines function{">function f(x) ...", "$  y=x", "$  return y", "$endfunction", ">"};
    auto start = [&](int cursor, int column) {
        build({">function f(x) ...", "$  y=x", "$  return y", "$endfunction", ">"}, cursor);
        editor.cursor().setColumn(column);
        assignIntCell(functionEntryState, 2);
        host.resumed = 0;
    };
    // Inside the body the function is committed: it runs from its header.
    for (int cursor : {1, 3}) {
        start(cursor, 3);
        key(editReturn);
        EXPECT_EQ(getIntCell(functionEntryState), 0);
        EXPECT_EQ(editor.cursor().getLine(), editor.document().getFirstLine());
        EXPECT_EQ(editor.cursor().getColumn(), 1);
        EXPECT_EQ(getIntCell(commandsToRun), 3);
        EXPECT_EQ(host.resumed, 1);
        EXPECT_EQ(look(), function);
    }
    // The last body line before "$endfunction" opens a new line, indented alike.
    build({">function f(x) ...", "$  y=x", ">"}, 1);
    editor.cursor().setColumn(6);
    assignIntCell(functionEntryState, 2);
    host.resumed = 0;
    key(editReturn);
    EXPECT_EQ(look(), (Lines{">function f(x) ...", "$  y=x", "$  ", ">"}));
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(2));
    EXPECT_EQ(editor.cursor().getColumn(), 3);
    EXPECT_EQ(host.resumed, 0);
    // Return on that empty line ends and commits the function.
    build({">function f(x) ...", "$  y=x", "$", ">"}, 2);
    assignIntCell(functionEntryState, 2);
    key(editReturn);
    EXPECT_EQ(look(), (Lines{">function f(x) ...", "$  y=x", "$endfunction", ">"}));
    EXPECT_EQ(host.resumed, 1);
    EXPECT_EQ(getIntCell(commandsToRun), 2);
    // Escape leaves the body for its header without running it.
    start(2, 3);
    key(editEscape);
    EXPECT_EQ(editor.cursor().getLine(), editor.document().getFirstLine());
    EXPECT_EQ(getIntCell(functionEntryState), 0);
    EXPECT_EQ(host.resumed, 0);
    // A body without a header gets an empty command above it.
    build({"$  y=x", "$endfunction"}, 0);
    assignIntCell(functionEntryState, 2);
    key(editEscape);
    EXPECT_EQ(look(), (Lines{">", "$  y=x", "$endfunction"}));
    EXPECT_EQ(editor.cursor().getLine(), editor.document().getFirstLine());
}

TEST_F(LineEditorTest, BodyLinesReadOneByOneEndOnAnEmptyLine) {
    build({">function g(x)", "$"}, 1);
    assignIntCell(functionEntryState, 1);
    key(editReturn);
    EXPECT_EQ(cursorText(), "$endfunction");
    EXPECT_EQ(host.resumed, 1);
    build({">function g(x)", "$return x"}, 1);
    key(editReturn);
    EXPECT_EQ(cursorText(), "$return x");
    EXPECT_EQ(host.resumed, 2);
    // Tab indents a body line instead of switching windows.
    build({">function g(x)", "$"}, 1);
    editor.cursor().setColumn(1);
    key(editTab, 9);
    EXPECT_EQ(cursorText(), "$   ");
}

TEST_F(LineEditorTest, EscapeCancelsAnInputBuiltin) {
    build({"Your name? Ann"});
    assignIntCell(inputStartColumn, 11);
    editor.cursor().setColumn(14);
    inputBuiltinActive = 1;
    key(editEscape);
    EXPECT_EQ(cursorText(), "Your name? escape");
    EXPECT_EQ(host.resumed, 1);
}

TEST_F(LineEditorTest, TypingReplacesAPlaceholderAndWordsMoveByBlanks) {
    build({">plot(?x, ?y)"});
    editor.cursor().setColumn(6);
    typeText("t");
    EXPECT_EQ(cursorText(), ">plot(t, ?y)");
    build({">one two three"});
    editor.cursor().setColumn(14);
    key(editWordLeft);
    EXPECT_EQ(editor.cursor().getColumn(), 8);
    key(editWordLeft);
    EXPECT_EQ(editor.cursor().getColumn(), 4);
    key(editWordRight);
    EXPECT_EQ(editor.cursor().getColumn(), 8);
    key(editWordLeft);
    key(editWordLeft);
    key(editWordLeft);
    EXPECT_EQ(editor.cursor().getColumn(), 1);
}

TEST_F(LineEditorTest, FunctionKeysTypeTheirTexts) {
    build({">"});
    // The keys type the texts the interpreter published when it waited.
    std::strcpy(functionKeyTexts[3], "plot(");
    key(editF1 + 2);
    EXPECT_EQ(cursorText(), ">");
    publishStateSnapshot();
    key(editF1 + 2);
    EXPECT_EQ(cursorText(), ">plot(");
    functionKeyTexts[3][0] = 0;
    publishStateSnapshot();
}

TEST_F(LineEditorTest, NamesAreCompletedShortestFirst) {
    sortBuiltins();
    sortCommands();
    NameCompletion names = completeName("si", takeStateSnapshot());
    ASSERT_GE(names.names.size(), 3u);
    EXPECT_EQ(names.names[0], "sin");
    for (size_t i = 1; i < names.names.size(); i++)
        EXPECT_LE(names.names[i - 1].size(), names.names[i].size());
    EXPECT_EQ(names.hint.rfind("sin sign size ", 0), 0u) << names.hint;
    EXPECT_TRUE(completeName("zzzz", takeStateSnapshot()).names.empty());
    // A name with its bracket asks for its hint.
    NameCompletion sin = completeName("sin(", takeStateSnapshot());
    EXPECT_EQ(sin.names, std::vector<std::string>{"sin"});
    EXPECT_EQ(completeName("s\\in", takeStateSnapshot()).names[0], "sin");
}

// Every key moves over, deletes and types whole characters: UTF-8
// sequences in code page 65001, bytes in 1252. The texts are written in
// UTF-8 and typed by their codes; 1252 takes those it can hold.
TEST_F(LineEditorTest, KeysTakeWholeCharactersInBothCodePages) {
    sortBuiltins();
    sortCommands();
    struct Step {
        int code;
        const char* typed;  // typed when the code is 0
    };
    struct Case {
        const char* typed;
        std::vector<Step> keys;
        const char* expected;
        int cursor;       // in characters
        bool singleByte;  // 1252 holds the text
    } cases[] = {
        {"\"x\u00e4y\"",
         {{editHome, 0}, {editRight, 0}, {editRight, 0}, {editRight, 0}, {editDelete, 0}},
         ">\"x\u00e4\"",
         4,
         true},
        {"\"\u6f22\u5b57\"",
         {{editHome, 0}, {editRight, 0}, {editRight, 0}, {0, "Z"}},
         ">\"\u6f22Z\u5b57\"",
         4,
         false},
        {"\"\U0001F600a\"",
         {{editEnd, 0}, {editLeft, 0}, {editLeft, 0}, {editBackspace, 0}},
         ">\"a\"",
         2,
         false},
        {"\u00e4\u00f6 \u00fc\u00df",
         {{editEnd, 0}, {editWordLeft, 0}, {editBackspace, 0}},
         ">\u00e4 \u00fc\u00df",
         2,
         true},
        {"\u00e4\u00f6 \u00fc\u00df",
         {{editHome, 0}, {editWordRight, 0}, {editRight, 0}, {editDelete, 0}},
         ">\u00e4\u00f6 \u00df",
         4,
         true},
        {"\u6f22 \U0001F600\u5b57",
         {{editEnd, 0},
          {editWordLeft, 0},
          {editWordLeft, 0},
          {editWordRight, 0},
          {editRight, 0},
          {editDelete, 0}},
         ">\u6f22 \u5b57",
         3,
         false},
        // Tab stops count characters.
        {"\u00e4", {{editTab, 0}, {0, "x"}}, ">\u00e4  x", 5, true},
        // A placeholder goes with the letters of its name.
        {"f(?w\u00f6rt, 1)",
         {{editHome, 0}, {editRight, 0}, {editRight, 0}, {0, "x"}},
         ">f(x, 1)",
         4,
         true},
        // "\u00e4si" is one name: nothing completes it.
        {"\u00e4si", {{editInsert, 0}}, ">\u00e4si", 4, true},
        {"\u00e4=si", {{editInsert, 0}}, ">\u00e4=sin", 6, true},
    };
    for (int page : {65001, 1252}) {
        selectCodePage(page);
        const bool utf8 = page == 65001;
        for (const Case& c : cases) {
            if (!utf8 && !c.singleByte) continue;
            build({">"});
            assignIntCell(functionEntryState, c.keys[0].code == editTab ? 1 : 0);
            // Typed by codes: code points, which are the bytes of 1252 for
            // these letters.
            auto typeCodes = [this](const char* text) {
                for (const char* p = text; *p;) {
                    int code = 0;
                    p = decodeUtf8Char(p, &code);
                    lines.handleKey(editor, code, 0);
                }
            };
            typeCodes(c.typed);
            for (const Step& step : c.keys) {
                if (step.code)
                    key(step.code);
                else
                    typeCodes(step.typed);
            }
            std::string expected;
            utf8ToCodePage(c.expected, expected);
            EXPECT_EQ(cursorText(), expected) << page << " " << c.typed;
            const char* text = editor.cursor().getLine()->text.getText();
            EXPECT_EQ(characterCount(text, size_t(editor.cursor().getColumn()), utf8),
                      size_t(c.cursor))
                << page << " " << c.typed;
            EXPECT_EQ(isValidUtf8(text, std::strlen(text)), utf8 || std::string(text) == c.expected)
                << page << " " << c.typed;
        }
    }
    assignIntCell(functionEntryState, 0);
}

}  // namespace kalix
