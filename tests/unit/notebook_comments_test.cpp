// Output below its command, comment blocks as text and back, entities,
// links, comment images; undo of line versions and deletions; search.
#include "base/html_entities.h"
#include "notebook_fixture.h"

namespace kalix {

using Lines = std::vector<std::string>;

TEST_F(NotebookTest, OutputReplacesTheOldOutputOfItsCommand) {
    build({">1+1", "out:old", "out:older", "% next", ">x"}, 0);
    editor.cursor().setColumn(4);
    editor.beginCommandOutput();
    editor.insertOutput("2\n3");
    EXPECT_EQ(look(), (Lines{">1+1", "out:2", "out:3", "% next", ">x"}));
    // Output that does not begin with a line end drops what follows the cursor.
    editor.cursor().setColumn(0);
    editor.insertOutput("4");
    EXPECT_EQ(editor.cursor().getLine()->text.getText(), std::string("4"));
    editor.insertOutput("\n5");
    EXPECT_EQ(look(), (Lines{">1+1", "out:2", "out:4", "out:5", "% next", ">x"}));
}

static std::string longSentence() {
    std::string sentence;
    for (int i = 0; sentence.size() < 200; i++) {
        if (!sentence.empty()) sentence += ' ';
        sentence += (i % 3 == 0 ? "integral" : i % 3 == 1 ? "of" : "functions") + std::to_string(i);
    }
    return sentence;
}

// Comments wrap at 70 characters, whatever their bytes: every line full,
// none cut inside a character.
TEST_F(NotebookTest, CommentsWrapByCharactersInBothCodePages) {
    struct Case {
        const char* word;  // five characters
        bool singleByte;
    } cases[] = {{"\u00e4\u00f6\u00fc\u00df\u00e9", true},
                 {"\u03b1\u03b2\u03b3\u03b4\u03b5", false},
                 {"\u6f22\u5b57\u6f22\u5b57\u6f22", false},
                 {"\U0001F600\U0001F600\U0001F600ab", false}};
    for (int page : {65001, 1252}) {
        selectCodePage(page);
        const bool utf8 = page == 65001;
        for (const Case& c : cases) {
            if (!utf8 && !c.singleByte) continue;
            std::string word;
            utf8ToCodePage(c.word, word);
            std::string sentence;
            for (int i = 0; i < 30; i++) sentence += (i ? " " : "") + word;
            build({">x=1"});
            editor.setComment(sentence.c_str());
            Lines got = look();
            // 30 words of 5 characters: 11 in a line of 65 characters.
            ASSERT_EQ(got.size(), 4u) << page << " " << c.word;
            for (size_t i = 0; i < 3; i++) {
                std::string text = editor.lineAt(int(i))->text.getText();
                EXPECT_TRUE(!utf8 || isValidUtf8(text.c_str(), text.size()));
                EXPECT_EQ(characterCount(text.c_str(), text.size(), utf8), i < 2 ? 65u : 47u)
                    << page << " " << c.word;
            }
            EXPECT_EQ(editor.getComment(), sentence);
        }
    }
}

TEST_F(NotebookTest, CommentTextBecomesHeadingBlankLineAndWrappedLines) {
    build({">x=1"});
    std::string sentence = longSentence();
    editor.setComment(("* Intro\r\n\r\n" + sentence).c_str());
    Lines got = look();
    ASSERT_GE(got.size(), 5u);
    EXPECT_EQ(got[0], "% * Intro");
    EXPECT_EQ(got[1], "% ");
    EXPECT_EQ(got.back(), ">x=1");
    std::string joined;
    for (size_t i = 2; i + 1 < got.size(); i++) {
        NotebookLine* line = editor.lineAt(int(i));
        std::string text = line->text.getText();
        EXPECT_LE(text.size(), 70u) << text;
        EXPECT_EQ(line->hardBreak, 0);
        // Each wrapped line is full: the next word would not have fitted.
        if (i + 2 < got.size()) {
            std::string next = editor.lineAt(int(i + 1))->text.getText();
            EXPECT_GT(text.size() + 1 + next.substr(0, next.find(' ')).size(), 70u);
        }
        joined += (joined.empty() ? "" : " ") + text;
    }
    EXPECT_EQ(joined, sentence);
    EXPECT_EQ(editor.getComment(), "* Intro\r\n\r\n" + sentence);
    EXPECT_EQ(editor.isNotebookChanged(), 1);
}

TEST_F(NotebookTest, CommentLineBreaksSurviveTheRoundTrip) {
    build({">x"});
    const char* texts[] = {
        "first\r\nsecond",
        "* Head\r\nnext line",
        "para one\r\n\r\npara two\r\n%% hidden",
        "averyveryveryveryveryveryveryveryveryveryveryveryveryveryveryveryverylongword short",
    };
    for (const char* text : texts) {
        editor.setComment(text);
        EXPECT_EQ(editor.getComment(), text);
    }
    editor.setComment("first\r\nsecond");
    EXPECT_EQ(look(), (Lines{"% first", "%% second", ">x"}));
}

TEST_F(NotebookTest, EntitiesShowDecodedAndKeepTheirText) {
    build({">x"});
    editor.setComment("&not; p and &#8713; q");
    NotebookLine* line = editor.document().getFirstLine();
    EXPECT_EQ(std::string(line->text.getText()), "\xEF\xBB\xBF\xC2\xAC p and \xE2\x88\x89 q");
    EXPECT_EQ(std::string(line->getOriginalText()), "&not; p and &#8713; q");
    EXPECT_EQ(editor.getComment(), "&not; p and &#8713; q");
    EXPECT_EQ(NotebookEditor::displayText(line), std::string("&not; p and &#8713; q"));
}

TEST(HtmlEntities, CheckAndDecode) {
    struct Case {
        const char* text;
        int check;
    };
    const Case cases[] = {
        {"a &not; b", 1},   {"&#172;", 1}, {"&#17x;", 0},      {"&unknown; &not;", 1},
        {"a & b &not;", 0}, {"a & b", 0},  {"R&D without", 0}, {"&amp;", 1},
    };
    for (const Case& c : cases) EXPECT_EQ(checkEntities(c.text), c.check) << c.text;
    std::string out;
    ASSERT_EQ(decodeEntities("&notin;&not;&#65;", out), 1);
    EXPECT_EQ(out,
              "\xE2\x88\x89\xC2\xAC"
              "A");
    EXPECT_EQ(decodeEntities("&nbsp;", out), 0);
    EXPECT_EQ(decodeEntities("a & b", out), 0);
    EXPECT_EQ(decodeEntities("&#0;", out), 0);
    int rows = 0;
    while (HtmlEntityTable[rows].name[0]) rows++;
    EXPECT_EQ(rows, 252);
    EXPECT_EQ(findHtmlEntity("iexcl", 5), 161);
    EXPECT_EQ(findHtmlEntity("fnof", 4), -1);
}

TEST_F(NotebookTest, SeeLinesShowTheirLabelAndExportAsLinks) {
    build({"% See: target | label", "% See: page#part", "% http://x.org/a", "% a<b & c_d", ">x"},
          4);
    NotebookLine* link = editor.document().getFirstLine();
    EXPECT_EQ(NotebookEditor::drawnText(link, 0), "  label");
    EXPECT_EQ(NotebookEditor::commentLineMarkup(link, 0, 0), "  <a href=\"target.html\">label</a>");
    EXPECT_EQ(NotebookEditor::commentLineMarkup(link, 0, 1), "  [label](target.html)");
    EXPECT_EQ(NotebookEditor::commentLineMarkup(editor.lineAt(1), 0, 0),
              "  <a href=\"page#part\">page#part</a>");
    EXPECT_EQ(NotebookEditor::commentLineMarkup(editor.lineAt(2), 0, 1),
              "  <a href=\"http://x.org/a\">http://x.org/a</a>");
    EXPECT_EQ(NotebookEditor::commentLineMarkup(editor.lineAt(3), 0, 0), "a&lt;b &amp; c_d");
    EXPECT_EQ(NotebookEditor::commentLineMarkup(editor.lineAt(3), 0, 1), "a<b & c\\_d");
}

TEST_F(NotebookTest, ImageCommentsShowThePictureInRows) {
    std::filesystem::path dir = makeFolder();
    writeFile(dir / "images" / "pic.png", pngBytes(100, 200));
    build({">x"});
    editor.setFilePath((dir / "nb.kn").c_str());
    editor.setComment("image: (3) pic\r\nimage: missing.png");
    // 200 pixels at 20 a row need 11 rows; 3 asked, at least 5 given: the
    // picture is scaled to 5 rows (100 pixels).
    EXPECT_EQ(look(), (Lines{"% image: (3) pic", "%image0", "%image1", "%image2", "%image3",
                             "%image4", "%% image: missing.png", ">x"}));
    EXPECT_EQ(editor.lineAt(1)->image->getHeight(), 100);
    EXPECT_EQ(editor.lineAt(1)->image->getWidth(), 50);
    EXPECT_EQ(isFoldedAt(0), 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Could not open\nmissing.png");
    // The rows do not enter the comment text.
    EXPECT_EQ(editor.getComment(), "image: (3) pic\r\nimage: missing.png");
}

// The formula of the first picture row of a notebook, with its MathJax
// flag ("" when there is none).
static std::string firstFormula(NotebookEditor& editor) {
    for (NotebookLine* line = editor.document().getFirstLine(); line; line = line->next)
        if (line->image && line->getFormula())
            return (line->formulaIsMathJax ? "mathjax:" : "latex:") +
                   std::string(line->getFormula());
    return "";
}

// Each formula marker, with the settings that switch it, asks LaTeX or
// Maxima for the right text and gives picture rows with the formula.
TEST_F(NotebookTest, FormulaMarkersRenderTheirFormulaAsPictureRows) {
    struct Case {
        const char* comment;
        int disableLatex, mathjaxAsLatex;
        const char* latex;    // the formula LaTeX renders ("" none)
        const char* maxima;   // the expression Maxima gets ("" none)
        const char* formula;  // the picture's formula ("" no picture)
    };
    const Case cases[] = {
        {"latex: x^2", 0, 1, "x^2", "", "latex:x^2"},
        {"latex: x^2", 1, 1, "", "", ""},
        {"mathjax: y", 0, 1, " y", "", "mathjax: y"},
        {"mathjax: y", 0, 0, "", "", ""},
        {"mathjax: y", 1, 1, "", "", ""},
        {"maxima: integrate(x,x)", 0, 1, "integrate(x,x)", "integrate(x,x)",
         "latex:integrate(x,x)"},
        {"maxima: e", 1, 1, "e", "e", "latex:e"},
        {"&latex: e", 1, 0, "e", "e", "latex:e"},
        {"&mathjax: e", 0, 1, " e", " e", "mathjax: e"},
        {"&mathjax: e", 1, 1, "", "", ""},
        {"&mathjax: e", 0, 0, "", "", ""},
    };
    for (const Case& c : cases) {
        build({">x"});
        host.fixed.disableLatex = c.disableLatex;
        host.fixed.displayMathjaxAsLatex = c.mathjaxAsLatex;
        host.latexFormulas.clear();
        host.maximaExpressions.clear();
        editor.setComment(c.comment);
        std::vector<std::string> latex, maxima;
        if (*c.latex) latex.push_back(c.latex);
        if (*c.maxima) maxima.push_back(c.maxima);
        EXPECT_EQ(host.latexFormulas, latex) << c.comment;
        EXPECT_EQ(host.maximaExpressions, maxima) << c.comment;
        EXPECT_EQ(firstFormula(editor), c.formula) << c.comment;
        // 90 x 60 pixels rendered three times as large: two rows of 20.
        Lines rows{std::string("% ") + c.comment, ">x"};
        if (*c.formula) rows = {std::string("% ") + c.comment, "%image0", "%image1", ">x"};
        EXPECT_EQ(look(), rows) << c.comment;
        EXPECT_TRUE(host.messages.empty()) << c.comment;
    }
}

// A formula LaTeX or Maxima rejects loses its rows and says why; one that
// cannot be rendered because LaTeX or Maxima is missing keeps the rows it
// had (a missing LaTeX is said once).
TEST_F(NotebookTest, AFormulaThatCannotBeRenderedKeepsItsRows) {
    const char* comment = "Area:\r\nlatex: \\int x\r\nmaxima: x^2";
    const Lines rendered{"% Area:",        "%% latex: \\int x", "%image0", "%image1",
                         "%% maxima: x^2", "%image0",           "%image1", ">x"};
    struct Case {
        RecordingHost::LatexStandIn latex;
        int maximaWorks;
        const char* maximaReply;
        const char* text;  // the comment set again ("" the same)
        Lines look;
        std::vector<std::string> messages;
    };
    const std::string missing = "Latex could not be found.\nPlease configure Latex in the Menu!";
    const Case cases[] = {
        {RecordingHost::latexMissing, 1, "", "", rendered, {missing}},
        {RecordingHost::latexWorks, 0, "", "", rendered, {}},
        {RecordingHost::latexMissing, 0, "", "", rendered, {missing}},
        {RecordingHost::latexRejects,
         1,
         "",
         "",
         {"% Area:", "%% latex: \\int x", "%% maxima: x^2", ">x"},
         {"! Undefined control sequence.\n", "! Undefined control sequence.\n"}},
        {RecordingHost::latexWorks,
         1,
         "(%o1) false",
         "",
         {"% Area:", "%% latex: \\int x", "%image0", "%image1", "%% maxima: x^2", ">x"},
         {"(%o1) false"}},
        // Another formula than the one the rows show gets none of them.
        {RecordingHost::latexMissing,
         1,
         "",
         "latex: \\int y\r\nmaxima: x^2",
         {"% latex: \\int y", "%% maxima: x^2", "%image0", "%image1", ">x"},
         {missing}},
    };
    for (const Case& c : cases) {
        build({">x"});
        host.latex = RecordingHost::latexWorks;
        host.maximaWorks = 1;
        host.maximaReply.clear();
        editor.setComment(comment);
        ASSERT_EQ(look(), rendered);
        const std::shared_ptr<NotebookPicture> latexPicture = editor.lineAt(2)->image;
        const std::shared_ptr<NotebookPicture> maximaPicture = editor.lineAt(5)->image;
        host.messages.clear();
        host.latex = c.latex;
        host.maximaWorks = c.maximaWorks;
        host.maximaReply = c.maximaReply;
        editor.setComment(*c.text ? c.text : comment);
        EXPECT_EQ(look(), c.look) << c.latex << c.maximaWorks << c.maximaReply << c.text;
        EXPECT_EQ(host.messages, c.messages) << c.latex << c.maximaWorks << c.maximaReply;
        if (c.look == rendered) {
            // The kept rows show the picture they showed; a rendered one is new.
            EXPECT_EQ(editor.lineAt(2)->image == latexPicture,
                      c.latex == RecordingHost::latexMissing);
            EXPECT_EQ(editor.lineAt(5)->image == maximaPicture,
                      c.latex == RecordingHost::latexMissing || !c.maximaWorks);
            EXPECT_STREQ(editor.lineAt(2)->getFormula(), "\\int x");
            EXPECT_STREQ(editor.lineAt(5)->getFormula(), "x^2");
        }
        // Said once: the next notebook's formulas say nothing more.
        if (c.latex == RecordingHost::latexMissing) {
            editor.setComment(comment);
            EXPECT_EQ(host.messages.size(), c.messages.size());
        }
    }
}

// The comment goes above the command it was set for, even when the cursor
// moved on while its formulas were made; a command deleted meanwhile takes
// its comment with it.
TEST_F(NotebookTest, ACommentStaysWithItsCommandWhileTheCursorMoves) {
    build({">a", ">b"}, 0);
    host.whileRendering = [this] {
        TextLockHold hold(editor, "test");
        editor.cursor().setLine(editor.lastLine());
    };
    editor.setComment("latex: x");
    EXPECT_EQ(look(), (Lines{"% latex: x", "%image0", "%image1", ">a", ">b"}));
    EXPECT_EQ(editor.cursor().getLine(), editor.lastLine());

    build({">a", ">b"}, 0);
    host.whileRendering = [this] {
        TextLockHold hold(editor, "test");
        if (editor.lineCount() == 2) editor.deleteNotebookLine(editor.document().getFirstLine());
    };
    editor.setComment("maxima: x");
    EXPECT_EQ(look(), (Lines{">b"}));
    host.whileRendering = nullptr;
}

TEST_F(NotebookTest, LineVersionsKeepTheLastEight) {
    build({">v1"});
    for (int i = 1; i <= 9; i++) {
        editor.cursor().getLine()->text.assign((">v" + std::to_string(i)).c_str());
        editor.backupCursorLine();
    }
    int kept = 0;
    for (auto& backup : editor.cursor().getLine()->backups) kept += backup != nullptr;
    EXPECT_EQ(kept, 8);
    for (int i = 8; i >= 2; i--) {
        editor.restoreCursorLine();
        EXPECT_EQ(editor.cursor().getLine()->text.getText(), ">v" + std::to_string(i));
    }
    editor.restoreCursorLine();
    EXPECT_EQ(editor.cursor().getLine()->text.getText(), std::string(">v2"));
    editor.undoRestoreCursorLine();
    EXPECT_EQ(editor.cursor().getLine()->text.getText(), std::string(">v3"));
}

TEST_F(NotebookTest, TwoDeletionsComeBackInOrder) {
    build({"% about a", ">a", "out:1", ">b", "out:%x", "out:>y", ">c"}, 1);
    Lines before = look();
    editor.deleteCommand();
    EXPECT_EQ(editor.cursor().getLine()->text.getText(), std::string(">b"));
    editor.deleteCommand();
    EXPECT_EQ(look(), Lines{">c"});
    editor.undoDelete();
    // Output that would read as another kind comes back with a blank.
    EXPECT_EQ(look(), (Lines{"% about a", ">a", "out:1", ">b", "out: %x", "out: >y", ">c"}));
    // The cursor stays on the last command restored.
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(3));
    EXPECT_EQ(editor.cursor().getColumn(), 1);
    editor.undoDelete();
    EXPECT_EQ(look().size(), 7u);
}

TEST_F(NotebookTest, MovingTheCursorBetweenDeletionsKeepsOnlyTheLast) {
    build({">a", ">b", ">c", ">d"}, 0);
    editor.deleteCommand();
    editor.cursor().setLine(editor.lineAt(1));  // ">c"
    editor.deleteCommand();
    EXPECT_EQ(look(), (Lines{">b", ">d"}));
    editor.undoDelete();
    EXPECT_EQ(look(), (Lines{">b", ">c", ">d"}));
}

TEST_F(NotebookTest, DeletingTheLastCommandLeavesAPrompt) {
    build({"% c", ">only", "out:1"}, 1);
    editor.deleteCommand();
    EXPECT_EQ(look(), Lines{">"});
    EXPECT_EQ(editor.cursor().getLine(), editor.document().getFirstLine());
}

TEST_F(NotebookTest, SearchFindsForwardAndBackward) {
    build({">x=1", "out:1", ">y=x+1", "out:2", ">z=x"}, 0);
    editor.searchText("x");
    EXPECT_EQ(editor.cursor().getSelectionFirst(), editor.document().getFirstLine());
    EXPECT_EQ(editor.cursor().getSelectionStartColumn(), 1);
    editor.searchNext("x");
    EXPECT_EQ(editor.cursor().getSelectionFirst(), editor.lineAt(2));
    EXPECT_EQ(editor.cursor().getSelectionStartColumn(), 3);
    EXPECT_EQ(editor.cursor().getSelectionEndColumn(), 4);
    editor.searchNext("x");
    EXPECT_EQ(editor.cursor().getSelectionFirst(), editor.lineAt(4));
    editor.searchPrevious("x");
    EXPECT_EQ(editor.cursor().getSelectionFirst(), editor.lineAt(2));
    editor.searchPrevious("x");
    EXPECT_EQ(editor.cursor().getSelectionFirst(), editor.document().getFirstLine());
    editor.searchPrevious("x");
    EXPECT_EQ(editor.cursor().getSelectionFirst(), nullptr);
    editor.searchText("nowhere");
    EXPECT_EQ(editor.cursor().getSelectionFirst(), nullptr);
    editor.searchText("z");
    editor.searchNext("z");
    EXPECT_EQ(editor.cursor().getSelectionFirst(), nullptr);
}

}  // namespace kalix
