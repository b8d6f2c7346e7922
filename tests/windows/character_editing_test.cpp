// Text of several bytes a character typed at the prompt of the notebook
// window through real key events, in the default code page 65001: keys,
// a click, a Shift selection cut and pasted through the clipboard, key(),
// the caret, misspelt-word marks, and the saved notebook.
#include <QClipboard>
#include <QGuiApplication>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/settings.h"
#include "base/text.h"
#include "gui/kalix_menu.h"
#include "gui/notebook_painting.h"
#include "gui/spelling_commands.h"
#include "modal_helpers.h"
#include "notebook/notebook_file_operations.h"
#include "notebook/spell_check.h"
#include "window_fixture.h"

namespace kalix {

namespace fs = std::filesystem;

namespace {

class CharacterEditingTest : public WindowTest {
  protected:
    // The width of UTF-8 text in the notebook font, as the painter
    // measures the text it draws.
    int widthOf(const std::string& utf8) {
        std::unique_ptr<OffscreenImage> image = OffscreenImage::make(10, 10);
        std::unique_ptr<WindowSurface> surface = image->paint();
        surface->setFont(window->getFonts().normal);
        return surface->textWidth(utf8);
    }
    // The notebook painted now, with the caret shown or hidden.
    QImage grabbed(bool caret) {
        if (caret)
            window->showCaret();
        else
            window->hideCaret();
        EXPECT_TRUE(waitFor([this] { return window->redrawText(); }));
        return client->grab().toImage();
    }
    // The first rows, four times larger, into KALIX_SCREENSHOT_DIR when
    // that names a folder (to look at).
    static void keep(const QImage& image, const std::string& name) {
        const char* folder = std::getenv("KALIX_SCREENSHOT_DIR");
        if (!folder) return;
        QImage rows = image.copy(0, 0, std::min(image.width(), 300), 30);
        rows.scaled(rows.size() * 4).save(QString::fromStdString(std::string(folder) + "/" + name));
    }
    static std::string fileText(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

struct Step {
    Qt::Key key;  // 0: type `text`
    Qt::KeyboardModifiers modifiers;
    const char* text;
};

}  // namespace

// The sequences and the word steps: each key moves over, deletes or
// types a whole character; the notebook saves valid UTF-8.
TEST_F(CharacterEditingTest, KeysEditWholeCharactersAndTheNotebookSavesThem) {
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    struct Case {
        const char* typed;
        std::vector<Step> keys;
        const char* expected;
    } cases[] = {
        {"\"x\u00e4y\"",
         {{Qt::Key_Home, none, ""},
          {Qt::Key_Right, none, ""},
          {Qt::Key_Right, none, ""},
          {Qt::Key_Right, none, ""},
          {Qt::Key_Delete, none, ""}},
         ">\"x\u00e4\""},
        {"\"\u6f22\u5b57\"",
         {{Qt::Key_Home, none, ""},
          {Qt::Key_Right, none, ""},
          {Qt::Key_Right, none, ""},
          {Qt::Key(0), none, "Z"}},
         ">\"\u6f22Z\u5b57\""},
        {"\"\U0001F600a\"",
         {{Qt::Key_End, none, ""},
          {Qt::Key_Left, none, ""},
          {Qt::Key_Left, none, ""},
          {Qt::Key_Backspace, none, ""}},
         ">\"a\""},
        {"\"\u00e4\u00f6 \u00fc\u00df\"",
         {{Qt::Key_End, none, ""}, {Qt::Key_Left, ctrl, ""}, {Qt::Key_Backspace, none, ""}},
         ">\"\u00e4 \u00fc\u00df\""},
        {"\"\u00e4\u00f6 \u00fc\u00df\"",
         {{Qt::Key_Home, none, ""},
          {Qt::Key_Right, ctrl, ""},
          {Qt::Key_Right, none, ""},
          {Qt::Key_Delete, none, ""}},
         ">\"\u00e4\u00f6 \u00df\""},
        // Ctrl+Space types the no-break space.
        {"\"a", {{Qt::Key_Space, ctrl, ""}, {Qt::Key(0), none, "b\""}}, ">\"a\u00a0b\""},
    };
    std::vector<std::string> commands;
    for (const Case& c : cases) {
        type(c.typed);
        for (const Step& step : c.keys) {
            if (step.key)
                press(step.key, step.modifiers);
            else
                type(step.text);
        }
        EXPECT_EQ(cursorText(), c.expected) << c.typed;
        commands.push_back(cursorText());
        ASSERT_TRUE(returnAndWait());
    }

    char pattern[] = "/tmp/kalix-characters-XXXXXX";
    fs::path folder = mkdtemp(pattern);
    fs::path file = folder / "typed.kn";
    ASSERT_EQ(saveNotebookTo(editor(), file.string()), 1);
    std::string saved = fileText(file);
    EXPECT_TRUE(isValidUtf8(saved.c_str(), saved.size())) << saved;
    ASSERT_EQ(saved.rfind("\xEF\xBB\xBF", 0), 0u);
    std::vector<std::string> savedLines;
    std::istringstream lines(saved.substr(3));
    for (std::string line; std::getline(lines, line);) savedLines.push_back(line);
    for (const std::string& command : commands) {
        EXPECT_NE(std::find(savedLines.begin(), savedLines.end(), command + "\r"), savedLines.end())
            << command << "\n"
            << saved;
    }
    fs::remove_all(folder);
}

// A click puts the cursor before the character under the mouse; a Shift
// selection cut with Ctrl+X goes through the clipboard whole and Ctrl+V
// pastes it back.
TEST_F(CharacterEditingTest, AClickAndACutAndPastedSelectionTakeWholeCharacters) {
    type("\"a\u6f22\u5b57b\"");
    ASSERT_TRUE(waitFor([this] { return window->redrawText(); }));
    int left = 5 + widthOf(">\"a\u6f22");
    int wide = widthOf("\u5b57");
    int y = editor().view().getTopMargin() + editor().view().getLineHeight() / 2;
    for (int x : {left + 1, left + wide / 2, left + wide - 1}) {
        press(Qt::Key_End);
        QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
        EXPECT_EQ(cursorColumn(), int(std::string(">\"a\u6f22").size())) << x - left;
    }
    type("Z");
    EXPECT_EQ(cursorText(), ">\"a\u6f22Z\u5b57b\"");

    // From after the quote: a, 漢 and Z selected, cut, and pasted before the
    // closing quote.
    press(Qt::Key_Home);
    press(Qt::Key_Right);
    for (int i = 0; i < 3; i++) press(Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(editor().getSelectionText(), "a\u6f22Z");
    QGuiApplication::clipboard()->setText("before");
    press(Qt::Key_X, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([] { return QGuiApplication::clipboard()->text() != "before"; }));
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "a\u6f22Z\r\n");
    EXPECT_EQ(cursorText(), ">\"\u5b57b\"");
    press(Qt::Key_End);
    press(Qt::Key_Left);
    press(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(cursorText(), ">\"\u5b57ba\u6f22Z\"");

    // An emoji: two halves of UTF-16 typed one after the other are one
    // character.
    press(Qt::Key_End);
    type("+\"\U0001F600\"");
    press(Qt::Key_Left);
    press(Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(editor().getSelectionText(), "\U0001F600");
    press(Qt::Key_Delete);
    EXPECT_EQ(cursorText(), ">\"\u5b57ba\u6f22Z\"+\"\"");
}

// A double click selects the name under the mouse, letters of several
// bytes and the no-break space included.
TEST_F(CharacterEditingTest, ADoubleClickSelectsANameOfWholeLetters) {
    type("gr\u00f6\u00dfe+\u6f22\u5b57\u00a0x*2.5");
    ASSERT_TRUE(waitFor([this] { return window->redrawText(); }));
    int y = editor().view().getTopMargin() + editor().view().getLineHeight() / 2;
    struct Case {
        const char* before;  // the text before the clicked character
        const char* word;
    } cases[] = {
        {">gr", "gr\u00f6\u00dfe"},
        {">gr\u00f6\u00df", "gr\u00f6\u00dfe"},
        {">gr\u00f6\u00dfe+\u6f22", "\u6f22\u5b57\u00a0x"},
        {">gr\u00f6\u00dfe+\u6f22\u5b57\u00a0x*2", "2.5"},
    };
    for (const Case& c : cases) {
        int x = 5 + widthOf(c.before) + 2;
        QTest::mouseDClick(client, Qt::LeftButton, Qt::NoModifier, QPoint(x, y));
        EXPECT_EQ(editor().getSelectionText(), c.word) << c.before;
    }
}

// key() gives the character's code: 228 for ä, 28450 for 漢.
TEST_F(CharacterEditingTest, KeyGivesTheCodeOfTheCharacter) {
    struct Case {
        const char* typed;
        const char* code;
    } cases[] = {{"\u00e4", "228"}, {"\u6f22", "28450"}, {"\U0001F600", "128512"}, {"x", "120"}};
    for (const Case& c : cases) {
        int waits = host.getInputWaitCount();
        startCommand("key()");
        ASSERT_TRUE(waitingForUser());
        type(c.typed);
        ASSERT_TRUE(waitForPrompt(waits));
        EXPECT_EQ(lastOutput(), c.code) << c.typed;
    }
}

// The caret stands at the cursor: after the characters before it, as wide
// as they are drawn.
TEST_F(CharacterEditingTest, TheCaretIsDrawnAtTheCursor) {
    activateAgain(frame);
    client->setFocus();
    type("\"\u6f22\u5b57\U0001F600x\u00e4\"");
    struct Case {
        Qt::Key key;
        const char* before;  // the text before the cursor
    } cases[] = {
        {Qt::Key_Home, ">"},
        {Qt::Key_Right, ">\""},
        {Qt::Key_Right, ">\"\u6f22"},
        {Qt::Key_Right, ">\"\u6f22\u5b57"},
        {Qt::Key_End, ">\"\u6f22\u5b57\U0001F600x\u00e4\""},
        {Qt::Key_Left, ">\"\u6f22\u5b57\U0001F600x\u00e4"},
        {Qt::Key_Left, ">\"\u6f22\u5b57\U0001F600x"},
    };
    int shot = 0;
    for (const Case& c : cases) {
        press(c.key);
        QImage without = grabbed(false);
        QImage with = grabbed(true);
        keep(with, "caret-" + std::to_string(shot++) + ".png");
        ASSERT_EQ(with.size(), without.size());
        // The caret inverts two columns of the cursor's row.
        int top = editor().view().getTopMargin(), bottom = top + editor().view().getLineHeight();
        int first = -1, last = -1;
        for (int x = 0; x < with.width(); x++) {
            for (int y = top; y < bottom; y++) {
                if (with.pixel(x, y) == without.pixel(x, y)) continue;
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
        int expected = 5 + widthOf(c.before);
        EXPECT_EQ(first, expected) << c.before;
        EXPECT_EQ(last, expected + 1) << c.before;
    }
}

// The marks of misspelt words lie under the words as drawn, after letters
// of several bytes and after an entity.
TEST_F(CharacterEditingTest, MisspeltWordsAreUnderlinedWhereTheyAreDrawn) {
    char pattern[] = "/tmp/kalix-words-XXXXXX";
    fs::path folder = mkdtemp(pattern);
    {
        std::ofstream list(folder / "english.words");
        list << "entity\nthen\nhere\ngr\u00fc\u00dfe\n";
    }
    WordListFiles files{{(folder / "english.words").string()}, {}};
    useWordListFiles(&files);
    freeDictionary();
    struct Case {
        const char* comment;
        const char* before;  // the text drawn before the misspelt word
        const char* word;
    } cases[] = {
        {"Entity &alpha; then Wrongg here", "Entity \u03b1 then ", "Wrongg"},
        {"Gr\u00fc\u00dfe \u6f22\u5b57 Wrongg here", "Gr\u00fc\u00dfe \u6f22\u5b57 ", "Wrongg"},
        {"Then W\u00f6rterr here", "Then ", "W\u00f6rterr"},
    };
    writeIntSetting("spellcheck", 0);
    host.getMenu()->dispatchMenuCommand(7470);
    ASSERT_EQ(intSetting("spellcheck"), 1);
    int number = 0;
    for (const Case& c : cases) {
        {
            TextLockHold hold(editor(), "test");
            editor().setCursorLine(editor().lastLine(), 1);
        }
        editor().setComment(c.comment);
        markMisspeltWordsAgain();
        {
            TextLockHold hold(editor(), "test");
            editor().view().setTopLine(editor().document().getFirstLine());
            ASSERT_EQ(editor().document().getFirstLine()->misspeltCount, 1) << c.comment;
        }
        QImage shot = grabbed(false);
        keep(shot, "misspelt-" + std::to_string(number++) + ".png");
        // The mark: a line in the command colour 2 pixels above the row's
        // bottom.
        int y = editor().view().getTopMargin() + editor().view().getLineHeight() - 2;
        Rgb colour = notebookTextColour(1);
        int first = -1, last = -1;
        for (int x = 0; x < shot.width(); x++) {
            QRgb p = shot.pixel(x, y);
            if (qRed(p) != colour.red || qGreen(p) != colour.green || qBlue(p) != colour.blue)
                continue;
            if (first < 0) first = x;
            last = x;
        }
        int start = 20 + widthOf(c.before);
        EXPECT_EQ(first, start) << c.comment;
        EXPECT_EQ(last, 20 + widthOf(std::string(c.before) + c.word)) << c.comment;
        // The comment goes for the next case.
        TextLockHold hold(editor(), "test");
        while (editor().document().getFirstLine()->kind == lineComment)
            editor().deleteNotebookLine(editor().document().getFirstLine());
    }
    host.getMenu()->dispatchMenuCommand(7470);
    useWordListFiles(nullptr);
    freeDictionary();
    fs::remove_all(folder);
}

}  // namespace kalix
