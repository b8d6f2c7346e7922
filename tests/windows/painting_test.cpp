// Painting notebook lines, recorded on a surface whose characters (of
// UTF-8) are all 8 pixels wide, with rows of 20 pixels and a text width of 500 pixels.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/text.h"
#include "gui/notebook_painting.h"
#include "gui/text_window.h"

namespace kalix {

namespace {

struct Drawn {
    std::string what;  // "text", "line", "image", "fill"
    int x, y, w, h;
    std::string text;
    Rgb colour{0, 0, 0};
    Rgb background{-1, -1, -1};
    int fontHeight = 0;
};

class RecordingSurface : public WindowSurface {
  public:
    RecordingSurface(int width, int height) : surfaceWidth(width), surfaceHeight(height) {}
    int width() const override { return surfaceWidth; }
    int height() const override { return surfaceHeight; }
    void fill(int x, int y, int w, int h, Rgb colour) override {
        drawn.push_back({"fill", x, y, w, h, "", colour});
    }
    void setFont(const WindowFont& f) override { font = f; }
    int textWidth(const std::string& text) override {
        return 8 * int(characterCount(text.c_str(), text.size(), true));
    }
    void drawText(int x, int y, const std::string& text, Rgb colour) override {
        drawn.push_back({"text", x, y, 0, 0, text, colour, Rgb{-1, -1, -1}, font.height});
    }
    void drawTextOpaque(int x, int y, const std::string& text, Rgb colour,
                        Rgb background) override {
        drawn.push_back({"text", x, y, 0, 0, text, colour, background, font.height});
    }
    void drawLine(int x1, int y1, int x2, int y2, Rgb colour) override {
        drawn.push_back({"line", x1, y1, x2, y2, "", colour});
    }
    void drawImage(const WindowImage&, int x, int y, int w, int h) override {
        drawn.push_back({"image", x, y, w, h, ""});
    }
    void setClip(int, int, int, int) override {}
    void resetClip() override {}

    std::vector<Drawn> of(const std::string& what) const {
        std::vector<Drawn> out;
        for (const Drawn& d : drawn)
            if (d.what == what) out.push_back(d);
        return out;
    }

    std::vector<Drawn> drawn;
    WindowFont font;

  private:
    int surfaceWidth, surfaceHeight;
};

class NoPixels : public WindowImage {
  public:
    int width() const override { return 1; }
    int height() const override { return 1; }
};

class PaintingTest : public testing::Test {
  protected:
    void SetUp() override {
        metrics.areaWidth = 600;
        metrics.areaHeight = 400;
        metrics.fullLineWidth = 500;
        editor.measureLineHeight();
        fonts.normal = {"Courier New", 20, 400};
        fonts.bold = {"Courier New", 21, 700};
        fonts.heading = {"Courier New", 27, 700};
        writeIntSetting("usecolors", 1);
        selectCodePage(65001);
    }
    void TearDown() override { writeIntSetting("usecolors", 1); }

    // Lines by their look: ">" command, "$" body line, "% " comment,
    // "% * " heading, anything else output.
    void build(std::initializer_list<const char*> looks) {
        editor.clearNotebook();
        NotebookLine* line = nullptr;
        for (const char* look : looks) {
            line =
                line ? editor.newLineAfter(line, "", lineOutput) : editor.document().getFirstLine();
            std::string t = look;
            if (t.rfind("% * ", 0) == 0) {
                line->kind = lineComment;
                line->heading = 1;
                line->text.assign(t.c_str() + 4);
            } else if (t.rfind("% ", 0) == 0) {
                line->kind = lineComment;
                line->text.assign(t.c_str() + 2);
            } else {
                line->kind = t[0] == '>'   ? lineCommand
                             : t[0] == '$' ? lineFunctionBody
                                           : lineOutput;
                line->text.assign(t.c_str());
            }
        }
        editor.view().setTopLine(editor.document().getFirstLine());
        editor.cursor().setLine(editor.lastLine());
    }

    RecordingSurface paint(int height = 400, int width = 600) {
        RecordingSurface surface(width, height);
        NotebookPainter painter(editor, surface, fonts, 500,
                                [](const NotebookLine&) { return std::make_shared<NoPixels>(); });
        painter.drawVisibleLines(nullptr);
        return surface;
    }

    void addPicture(int width, int height, int rows) {
        auto picture = std::make_shared<NotebookPicture>(width, height);
        NotebookLine* line = editor.lastLine();
        for (int row = 0; row < rows; row++) {
            line = editor.newLineAfter(line, "", lineComment);
            line->image = picture;
            line->imageRow = row;
        }
        editor.newLineAfter(line, ">", lineCommand);
    }

    NotebookHost host;
    FixedMetrics metrics;
    NotebookEditor editor{&host, &metrics};
    NotebookFonts fonts;
};

}  // namespace

TEST_F(PaintingTest, AHeadingEndsAtTheRightEdgeOfTheTextWidth) {
    build({"% * Twenty-five characters", ">"});
    RecordingSurface s = paint();
    Drawn heading = s.of("text")[0];
    ASSERT_EQ(heading.text, "Twenty-five characters");  // 22 characters: 176 pixels
    EXPECT_EQ(heading.x, 20 + 500 - 176);
    EXPECT_EQ(heading.fontHeight, 27);
    // An eighth of its row (two rows) lower; the rule at six eighths.
    EXPECT_EQ(heading.y, 5 + 40 / 8);
    Drawn rule = s.of("line")[0];
    EXPECT_EQ(rule.x, 20);
    EXPECT_EQ(rule.w, 520);
    EXPECT_EQ(rule.y, 5 + 5 + 40 * 6 / 8);

    build({"% ** Bold line", ">"});
    s = paint();
    Drawn bold = s.of("text")[0];
    EXPECT_EQ(bold.text, "Bold line");
    EXPECT_EQ(bold.x, 20 + 500 - 72);
    EXPECT_EQ(bold.fontHeight, 21);
}

TEST_F(PaintingTest, TwoHundredPixelsOfHeadingStartThreeHundredRightOfTheMargin) {
    build({"% * A heading of 25 letters!!", ">"});
    RecordingSurface s = paint();
    ASSERT_EQ(s.of("text")[0].text.size(), 25u);
    EXPECT_EQ(s.of("text")[0].x, 20 + 300);
}

// A surface narrower than the text width and its margins (a large font with
// the fixed line width): headings end 20 pixels before its right edge, with
// their rule; one too long for that starts at the margin.
TEST_F(PaintingTest, HeadingsEndInsideASurfaceNarrowerThanTheTextWidth) {
    struct Case {
        const char* look;
        int surfaceWidth;
        int x;
        int ruleEnd;
    };
    for (Case c : {Case{"% * Twenty-five characters", 400, 20 + 360 - 176, 380},
                   Case{"% ** Bold line", 400, 20 + 360 - 72, 380},
                   Case{"% ** Bold line", 540, 20 + 500 - 72, 520},
                   Case{"% * A heading that is longer than the room it has", 400, 20, 380},
                   Case{"% * Twenty-five characters", 900, 20 + 500 - 176, 520}}) {
        build({c.look, ">"});
        RecordingSurface s = paint(400, c.surfaceWidth);
        ASSERT_FALSE(s.of("text").empty()) << c.look;
        EXPECT_EQ(s.of("text")[0].x, c.x) << c.look << " in " << c.surfaceWidth;
        ASSERT_FALSE(s.of("line").empty()) << c.look;
        EXPECT_EQ(s.of("line")[0].x, 20) << c.look;
        EXPECT_EQ(s.of("line")[0].w, c.ruleEnd) << c.look << " in " << c.surfaceWidth;
    }
}

TEST_F(PaintingTest, PicturesAreCentredOrTwentyPixelsIn) {
    for (auto [width, x] : {std::pair{300, 100}, std::pair{600, 20}}) {
        build({">plot"});
        addPicture(width, 60, 3);
        RecordingSurface s = paint();
        std::vector<Drawn> images = s.of("image");
        ASSERT_EQ(images.size(), 1u) << "drawn once for its three rows";
        EXPECT_EQ(images[0].x, x);
        EXPECT_EQ(images[0].w, width);
        EXPECT_EQ(images[0].y, 5 + 30);  // below the command and its gap
    }
}

TEST_F(PaintingTest, APictureScrolledPartlyAwayIsDrawnFromItsTrueTop) {
    build({">plot"});
    addPicture(300, 60, 3);
    editor.view().setTopLine(editor.lineAt(2));  // the second row
    RecordingSurface s = paint();
    ASSERT_EQ(s.of("image").size(), 1u);
    EXPECT_EQ(s.of("image")[0].y, 5 - 20);
}

TEST_F(PaintingTest, LinesTakeTheColourOfTheirKindUnlessColoursAreOff) {
    build({">command", "$ body", "% comment", "% http://x.org", "% See: a | label", "output"});
    struct Case {
        const char* text;
        int colour;
    };
    const Case cases[] = {{">command", 1},       {"  body", 3},  {"comment", 2},
                          {"  http://x.org", 3}, {"  label", 3}, {"output", 0}};
    for (int colours : {1, 0}) {
        writeIntSetting("usecolors", colours);
        RecordingSurface s = paint();
        std::vector<Drawn> texts = s.of("text");
        ASSERT_EQ(texts.size(), 6u);
        for (size_t i = 0; i < 6; i++) {
            EXPECT_EQ(texts[i].text, cases[i].text);
            EXPECT_EQ(texts[i].colour, notebookTextColour(colours ? cases[i].colour : 0))
                << cases[i].text << " colours " << colours;
        }
    }
}

TEST_F(PaintingTest, SelectedLinesShowTheirWholeTextInPieces) {
    build({"% See: a | label", ">abcdef"});
    NotebookLine* link = editor.document().getFirstLine();
    NotebookLine* command = link->next;
    link->selected = command->selected = 1;
    editor.cursor().select(link, 0, command, 3);
    RecordingSurface s = paint();
    std::vector<Drawn> texts = s.of("text");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "See: a | label");
    EXPECT_EQ(texts[0].background, notebookTextColour(5));
    EXPECT_EQ(texts[1].text, ">ab");
    EXPECT_EQ(texts[1].background, notebookTextColour(5));
    EXPECT_EQ(texts[2].text, "cdef");
    EXPECT_EQ(texts[2].x, 5 + 24);
    EXPECT_EQ(texts[2].background, notebookTextColour(4));

    editor.cursor().setBracketMatchShown(1);
    s = paint();
    EXPECT_EQ(s.of("text")[1].background, (Rgb{200, 200, 200}));
}

TEST_F(PaintingTest, ThePartlyVisibleBottomLineIsNotDrawn) {
    build({">a", "1", ">b", "2", ">c"});
    // Rows: 5..35 (>a, gap), 35..65 (1), 65..95, 95..125, 125..145.
    EXPECT_EQ(paint(145).of("text").size(), 5u);
    EXPECT_EQ(paint(144).of("text").size(), 4u);
}

TEST_F(PaintingTest, ThreeDashesAreARuleAcrossTheTextWidth) {
    build({"% ---", ">"});
    RecordingSurface s = paint();
    EXPECT_TRUE(s.of("text").size() == 1u && s.of("text")[0].text == ">");
    Drawn rule = s.of("line")[0];
    EXPECT_EQ(rule.x, 20);
    EXPECT_EQ(rule.w, 520);
    EXPECT_EQ(rule.y, 5 + 30 / 2);
}

TEST_F(PaintingTest, MisspeltWordsAreUnderlinedInTheCommandColour) {
    build({"% a wrnog word", ">"});
    editor.document().getFirstLine()->addMisspelt(2, 5);
    RecordingSurface s = paint();
    Drawn mark = s.of("line")[0];
    EXPECT_EQ(mark.x, 20 + 16);
    EXPECT_EQ(mark.w, 20 + 56);
    EXPECT_EQ(mark.y, 5 + 20 - 2);
    EXPECT_EQ(mark.colour, notebookTextColour(1));
}

// Marks count the characters drawn: letters of several bytes, and the
// characters of decoded entities, which the line holds after the marker
// bytes of UTF-8.
TEST_F(PaintingTest, MisspeltWordsAreUnderlinedUnderTheirCharacters) {
    struct Case {
        const char* comment;
        int start, length;
    } cases[] = {
        {"Gr\u00fc\u00dfe wrongg", 6, 6},
        {"\u6f22\u5b57 \U0001F600 wrongg", 5, 6},
        {"Entity &alpha; then Wrongg here", 14, 6},
    };
    for (const Case& c : cases) {
        build({(std::string("% ") + c.comment).c_str(), ">"});
        NotebookEditor::decodeLineEntities(editor.document().getFirstLine());
        editor.document().getFirstLine()->addMisspelt(c.start, c.length);
        RecordingSurface s = paint();
        ASSERT_EQ(s.of("line").size(), 1u) << c.comment;
        Drawn mark = s.of("line")[0];
        EXPECT_EQ(mark.x, 20 + 8 * c.start) << c.comment;
        EXPECT_EQ(mark.w, 20 + 8 * (c.start + c.length)) << c.comment;
    }
}

TEST_F(PaintingTest, CommentsWithEntitiesAreDrawnAsTheirCharacters) {
    selectCodePage(1252);  // text of a single-byte code page drawn in UTF-8
    build({"% &alpha; &lt; &beta;", "% caf\xE9", ">"});
    ASSERT_EQ(NotebookEditor::decodeLineEntities(editor.document().getFirstLine()), 1);
    RecordingSurface s = paint();
    std::vector<Drawn> texts = s.of("text");
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "\xCE\xB1 < \xCE\xB2");
    EXPECT_EQ(texts[1].text, "caf\xC3\xA9");  // code page 1252 to UTF-8
}

}  // namespace kalix
