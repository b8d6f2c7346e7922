// The ".kn" file: round trips, line ends, encodings, images, long lines,
// and saves that fail without harming the old file.
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstring>

#include "notebook_fixture.h"

namespace kalix {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class NotebookFileTest : public NotebookTest {
  protected:
    // A second editor reads what the first wrote.
    Lines readBack(const fs::path& path) {
        RecordingHost otherHost;
        otherHost.fixed = host.fixed;
        NotebookEditor other(&otherHost, &metrics);
        EXPECT_EQ(other.readNotebook(path.c_str()), 1);
        EXPECT_EQ(other.isNotebookChanged(), 0);
        return look(other);
    }
    // Lines of a written file, without the mark.
    static Lines fileLines(const fs::path& path) {
        std::string data = readFile(path);
        if (data.rfind("\xEF\xBB\xBF", 0) == 0) data.erase(0, 3);
        Lines lines;
        size_t start = 0;
        while (start < data.size()) {
            size_t end = data.find("\r\n", start);
            lines.push_back(data.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }
};

TEST_F(NotebookFileTest, EveryKindOfLineAndAnImageReadBackTheSame) {
    fs::path dir = makeFolder();
    std::string png = pngBytes(40, 50);
    writeFile(dir / "source.png", png);
    build({"% * Results", "% first line", "%% second line", ">function f(x)", "$  return x^2",
           "$endfunction", ">f(3)", "out:9", "out:>not a command", "out:$ nor a body",
           "out:% nor a comment", "out:", ">plot", "out:", "out:", "out:", ">"},
          6);
    for (int i = 13; i <= 15; i++) {
        NotebookLine* row = editor.lineAt(i);
        row->image = loadPngPicture((dir / "source.png").c_str());
        row->imageRow = i - 13;
        if (i > 13) row->image = editor.lineAt(13)->image;
    }
    editor.lineAt(13)->formula = std::make_unique<String>("x^2\ny");
    Lines written = look();
    fs::path path = dir / "nb.kn";
    ASSERT_EQ(editor.writeNotebook(path.c_str()), 1);
    EXPECT_EQ(
        fileLines(path),
        (Lines{"% * Results", "% first line", "%% second line", ">function f(x)", "$  return x^2",
               "$endfunction", ">f(3)", "9", " >not a command", " $ nor a body", " % nor a comment",
               "", ">plot", " %image% nb-001.png", "% // latex: x^2 y", ">"}));
    EXPECT_EQ(readFile(dir / "images" / "nb-001.png"), png);
    EXPECT_EQ(editor.lineAt(13)->imageNumber, 1);
    // 50 pixels at 20 a row: 3 rows (rounded), as written.
    Lines read = readBack(path);
    Lines expected = written;
    for (std::string* line : {&expected[8], &expected[9], &expected[10]}) line->insert(4, " ");
    EXPECT_EQ(read, expected);
    RecordingHost otherHost;
    NotebookEditor other(&otherHost, &metrics);
    other.readNotebook(path.c_str());
    EXPECT_EQ(std::string(other.lineAt(13)->getFormula()), "x^2 y");
    EXPECT_EQ(other.getFilePath(), path.string());
}

TEST_F(NotebookFileTest, ANotebookOfOutputGetsAPromptWithTheCursor) {
    fs::path path = makeFolder() / "out.kn";
    writeFile(path, "12\r\n 13\r\n");
    RecordingHost otherHost;
    NotebookEditor other(&otherHost, &metrics);
    ASSERT_EQ(other.readNotebook(path.c_str()), 1);
    EXPECT_EQ(look(other), (Lines{"out:12", "out: 13", ">"}));
    EXPECT_EQ(other.cursor().getLine(), other.lastLine());
    EXPECT_EQ(other.cursor().getColumn(), 1);
}

TEST_F(NotebookFileTest, LineEndsAreReadEitherWayAndWrittenAsCrLf) {
    fs::path dir = makeFolder();
    writeFile(dir / "crlf.kn", "% c\r\n>1+1\r\n2\r\n");
    writeFile(dir / "lf.kn", "% c\n>1+1\n2\n");
    Lines expected{"% c", ">1+1", "out:2"};
    EXPECT_EQ(readBack(dir / "crlf.kn"), expected);
    EXPECT_EQ(readBack(dir / "lf.kn"), expected);
    RecordingHost otherHost;
    NotebookEditor other(&otherHost, &metrics);
    other.readNotebook((dir / "crlf.kn").c_str());
    for (NotebookLine* line = other.document().getFirstLine(); line; line = line->next)
        EXPECT_EQ(std::string(line->text.getText()).find('\r'), std::string::npos);
    ASSERT_EQ(other.writeNotebook((dir / "again.kn").c_str()), 1);
    EXPECT_EQ(readFile(dir / "again.kn"), "\xEF\xBB\xBF% c\r\n>1+1\r\n2\r\n");
}

TEST_F(NotebookFileTest, EncodingFollowsTheUtfSetting) {
    selectCodePage(1252);  // the text of the notebook in a single-byte code page
    fs::path dir = makeFolder();
    build({"% caf\xE9", ">x=\"\xE9t\xE9\""});
    host.fixed.utf = 1;
    ASSERT_EQ(editor.writeNotebook((dir / "utf.kn").c_str()), 1);
    EXPECT_EQ(readFile(dir / "utf.kn"),
              "\xEF\xBB\xBF% caf\xC3\xA9\r\n>x=\"\xC3\xA9t\xC3\xA9\"\r\n");
    host.fixed.utf = 0;
    ASSERT_EQ(editor.writeNotebook((dir / "ansi.kn").c_str()), 1);
    EXPECT_EQ(readFile(dir / "ansi.kn"), "% caf\xE9\r\n>x=\"\xE9t\xE9\"\r\n");
    EXPECT_EQ(readBack(dir / "utf.kn"), look());
    EXPECT_EQ(readBack(dir / "ansi.kn"), look());
}

// Characters of a UTF-8 notebook that code page 1252 cannot hold are
// shown as "?" but never saved as "?": unchanged lines are written as they
// were read (in a UTF-8 file whatever "utf" says), and a changed one that
// still holds "?" refuses the save, naming its line.
TEST_F(NotebookFileTest, CharactersTheCodePageCannotHoldAreNeverSavedAsQuestionMarks) {
    selectCodePage(1252);  // a code page that cannot hold every character
    fs::path dir = makeFolder();
    const std::string text =
        "\xEF\xBB\xBF% Greek \xCE\xB1\xCE\xB2\xCE\xB3 caf\xC3\xA9\r\n"
        "% \xD0\x9A\xD0\xB8\xD1\x80\r\n"
        ">s=\"\xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80\"\r\n"
        " \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80\r\n"
        ">x=1\r\n";
    for (int utf : {0, 1}) {
        host.fixed.utf = utf;
        writeFile(dir / "in.kn", text);
        RecordingHost otherHost;
        otherHost.fixed = host.fixed;
        NotebookEditor other(&otherHost, &metrics);
        ASSERT_EQ(other.readNotebook((dir / "in.kn").c_str()), 1);
        EXPECT_EQ(std::string(other.lineAt(2)->text.getText()), ">s=\"?? ?\"");
        ASSERT_EQ(other.writeNotebook((dir / "out.kn").c_str()), 1);
        EXPECT_EQ(readFile(dir / "out.kn"), text) << utf;

        // A changed line that still shows "?" for lost characters.
        {
            TextLockHold hold(other, "test");
            other.lineAt(2)->text.assign(">s=\"?? ?\"+1");
        }
        EXPECT_EQ(other.writeNotebook((dir / "out.kn").c_str()), 0);
        ASSERT_FALSE(otherHost.messages.empty());
        EXPECT_EQ(otherHost.messages.back().rfind("Line 3 holds characters", 0), 0u)
            << otherHost.messages.back();
        EXPECT_EQ(readFile(dir / "out.kn"), text);
        // Retyped without them, the line saves.
        {
            TextLockHold hold(other, "test");
            other.lineAt(2)->text.assign(">s=\"Nihon\"");
        }
        ASSERT_EQ(other.writeNotebook((dir / "out.kn").c_str()), 1);
        Lines lines = fileLines(dir / "out.kn");
        ASSERT_EQ(lines.size(), 5u);
        EXPECT_EQ(lines[0], "% Greek \xCE\xB1\xCE\xB2\xCE\xB3 caf\xC3\xA9");
        EXPECT_EQ(lines[2], ">s=\"Nihon\"");
    }
}

// A notebook without the mark is in the code page; in UTF-8 one whose
// bytes are no UTF-8 was written in 1252 by an older version and is read
// as such, so that nothing shows as U+FFFD and an updated comment keeps
// its letters.
TEST_F(NotebookFileTest, ANotebookWithoutTheMarkThatIsNoUtf8IsReadAsCodePage1252) {
    const struct {
        int codePage;
        const char* file;
        Lines lines;
    } cases[] = {
        {65001,
         "% Gr\xF6\337e\r\n>x=\"\x80 \x85 \xB1\"\r\n",
         {"% Gr\xC3\xB6\xC3\237e", ">x=\"\xE2\x82\xAC \xE2\x80\xA6 \xC2\xB1\""}},
        // A byte 1252 leaves undefined stays a character of its own.
        {65001, "% a\x81\r\n>b\r\n", {"% a\xC2\x81", ">b"}},
        // Valid UTF-8 without the mark is read as it is.
        {65001,
         "% Gr\xC3\xB6\xC3\237e \xCE\xB1\r\n>x\r\n",
         {"% Gr\xC3\xB6\xC3\237e \xCE\xB1", ">x"}},
        // In code page 1252 the bytes are the characters.
        {1252, "% Gr\xF6\337e\r\n>x\r\n", {"% Gr\xF6\337e", ">x"}},
    };
    fs::path dir = makeFolder();
    for (const auto& c : cases) {
        selectCodePage(c.codePage);
        writeFile(dir / "old.kn", c.file);
        RecordingHost otherHost;
        NotebookEditor other(&otherHost, &metrics);
        ASSERT_EQ(other.readNotebook((dir / "old.kn").c_str()), 1);
        EXPECT_EQ(look(other), c.lines) << c.file;
        // What the comment dialog's OK and a comment update do.
        {
            TextLockHold hold(other, "test");
            other.setCursorLine(other.lineAt(1), 1);
        }
        other.setComment(other.getComment().c_str());
        EXPECT_EQ(look(other), c.lines) << c.file;
        ASSERT_EQ(other.writeNotebook((dir / "new.kn").c_str()), 1);
        std::string saved = readFile(dir / "new.kn");
        if (c.codePage == 65001) {
            EXPECT_TRUE(isValidUtf8(saved.data(), saved.size())) << saved;
            EXPECT_EQ(saved.find("\xEF\xBF\xBD"), std::string::npos) << saved;
        }
        EXPECT_EQ(readBack(dir / "new.kn"), c.lines) << c.file;
    }
    selectCodePage(1252);
}

// A comment update rebuilds the comment lines from the text the lines
// show; a line that comes out as it was keeps what the file held, one
// that does not but shows "?" refuses the save, naming its line.
TEST_F(NotebookFileTest, AnUpdatedCommentKeepsCharactersTheCodePageCannotHold) {
    selectCodePage(1252);  // a code page that cannot hold every character
    fs::path dir = makeFolder();
    const std::string comment = "% Gr\xC3\xBC\xC3\237e \xE6\xBC\xA2\xE5\xAD\x97 \xF0\x9F\x98\x80";
    const struct {
        std::string file;
        const char* update;   // the comment text set, or null for its own
        const char* refusal;  // the start of the message, or null for a save
    } cases[] = {
        {"\xEF\xBB\xBF" + comment + "\r\n%% Why?\r\n>x=1\r\n", nullptr, nullptr},
        // Two equal lines each keep their own file line.
        {"\xEF\xBB\xBF" + comment + "\r\n%% Why?\r\n%% " + comment.substr(2) + "\r\n>x=1\r\n",
         nullptr, nullptr},
        // Joined with the next line, the lost characters are nowhere.
        {"\xEF\xBB\xBF" + comment + "\r\n% Why?\r\n>x=1\r\n", "Gr\xFC\337e ?? ? Why?",
         "Line 1 holds characters"},
        // A "?" the user wrote in a line of its own is no lost character.
        {"\xEF\xBB\xBF" + comment + "\r\n% Why?\r\n>x=1\r\n",
         "Gr\xFC\337e ?? ?\r\nWhy?\r\nAnd how?", nullptr},
    };
    for (const auto& c : cases) {
        writeFile(dir / "in.kn", c.file);
        RecordingHost otherHost;
        NotebookEditor other(&otherHost, &metrics);
        ASSERT_EQ(other.readNotebook((dir / "in.kn").c_str()), 1);
        NotebookLine* command = other.document().getFirstLine();
        while (command->kind != lineCommand) command = command->next;
        {
            TextLockHold hold(other, "test");
            other.setCursorLine(command, 1);
        }
        other.setComment(c.update ? c.update : other.getComment().c_str());
        int saved = other.writeNotebook((dir / "out.kn").c_str());
        if (c.refusal) {
            EXPECT_EQ(saved, 0) << c.file;
            ASSERT_FALSE(otherHost.messages.empty());
            EXPECT_EQ(otherHost.messages.back().rfind(c.refusal, 0), 0u)
                << otherHost.messages.back();
            continue;
        }
        ASSERT_EQ(saved, 1) << c.file << otherHost.messages.back();
        std::string out = readFile(dir / "out.kn");
        if (!c.update) {
            EXPECT_EQ(out, c.file);
            continue;
        }
        EXPECT_EQ(fileLines(dir / "out.kn")[0], comment) << out;
        EXPECT_NE(out.find("And how?"), std::string::npos) << out;
    }
}

TEST_F(NotebookFileTest, EntitiesAreShownDecodedAndSavedAsWritten) {
    fs::path dir = makeFolder();
    writeFile(dir / "e.kn", "% p &not; q &notin; r\r\n>x\r\n");
    RecordingHost otherHost;
    NotebookEditor other(&otherHost, &metrics);
    ASSERT_EQ(other.readNotebook((dir / "e.kn").c_str()), 1);
    EXPECT_EQ(std::string(other.document().getFirstLine()->text.getText()),
              "\xEF\xBB\xBFp \xC2\xAC q \xE2\x88\x89 r");
    ASSERT_EQ(other.writeNotebook((dir / "f.kn").c_str()), 1);
    EXPECT_EQ(readFile(dir / "f.kn"), "\xEF\xBB\xBF% p &not; q &notin; r\r\n>x\r\n");
}

TEST_F(NotebookFileTest, LinesOfAnyLengthStayWhole) {
    fs::path path = makeFolder() / "long.kn";
    std::string command = ">x=" + std::string(100000 - 3, '1');
    build({command.c_str(), "out:"});
    editor.document().getFirstLine()->next->text.assign(std::string(40000, 'y').c_str());
    ASSERT_EQ(editor.writeNotebook(path.c_str()), 1);
    Lines read = readBack(path);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], command);
    EXPECT_EQ(read[1], "out:" + std::string(40000, 'y'));
}

TEST_F(NotebookFileTest, ImagesAreNumberedFromOneAtEverySaveAndOldOnesRemoved) {
    fs::path dir = makeFolder();
    build({">a", "out:", ">b", "out:pic", ">c", "out:", ">d"}, 0);
    for (int i : {1, 3, 5}) {
        editor.lineAt(i)->image =
            std::make_shared<NotebookPicture>(10, 10, pngBytes(10, 10, char('0' + i)));
    }
    editor.lineAt(3)->largeImage = std::make_shared<NotebookPicture>(30, 30, pngBytes(30, 30));
    fs::path path = dir / "nb.kn";
    ASSERT_EQ(editor.writeNotebook(path.c_str()), 1);
    for (const char* name : {"nb-001.png", "nb-002-pic.png", "nb-002-pic-large.png", "nb-003.png"})
        EXPECT_TRUE(fs::exists(dir / "images" / name)) << name;
    // Without the first picture the others move up one number.
    editor.deleteNotebookLine(editor.lineAt(1));
    ASSERT_EQ(editor.writeNotebook(path.c_str()), 1);
    EXPECT_EQ(readFile(dir / "images" / "nb-001-pic.png"), pngBytes(10, 10, '3'));
    EXPECT_EQ(readFile(dir / "images" / "nb-002.png"), pngBytes(10, 10, '5'));
    EXPECT_FALSE(fs::exists(dir / "images" / "nb-003.png"));
    EXPECT_FALSE(fs::exists(dir / "images" / "nb-002-pic.png"));
    EXPECT_FALSE(fs::exists(dir / "images" / "nb-002-pic-large.png"));
    EXPECT_TRUE(fs::exists(dir / "images" / "nb-001-pic-large.png"));
    Lines read = readBack(path);
    EXPECT_EQ(read, (Lines{">a", ">b", "image0", ">c", "image0", ">d"}));
    // Nothing but the notebook and its images is left in the folders.
    int files = 0;
    for (auto& entry : fs::recursive_directory_iterator(dir)) files += entry.is_regular_file();
    EXPECT_EQ(files, 4);
}

TEST_F(NotebookFileTest, AMissingImageDropsItsLine) {
    fs::path dir = makeFolder();
    writeFile(dir / "m.kn", ">a\r\n %image% gone.png\r\n% // latex: x\r\n>b\r\n");
    EXPECT_EQ(readBack(dir / "m.kn"), (Lines{">a", ">b"}));
}

TEST_F(NotebookFileTest, NewForgetsThePath) {
    fs::path path = makeFolder() / "kept.kn";
    build({">old"});
    ASSERT_EQ(editor.writeNotebook(path.c_str()), 1);
    EXPECT_EQ(editor.notebookName(), "kept");
    editor.startNewNotebook();
    EXPECT_EQ(look(), Lines{">"});
    EXPECT_EQ(editor.getFilePath(), std::string());
    EXPECT_EQ(editor.notebookName(), "New Notebook");
    editor.insertText("new");
    EXPECT_EQ(editor.saveNotebook(), 0);
    EXPECT_EQ(readFile(path), "\xEF\xBB\xBF>old\r\n");
}

// Each failure is reported, leaves the old file as it was, leaves no
// temporary behind and keeps the changed flag.
class FailedSaveTest : public NotebookFileTest {
  protected:
    void expectFailureHarmsNothing(const fs::path& path, const std::string& old) {
        editor.setNotebookChanged(1);
        EXPECT_EQ(editor.writeNotebook(path.c_str()), 0);
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.lockDepthAtMessage[0], 0);
        EXPECT_EQ(editor.isNotebookChanged(), 1);
        EXPECT_EQ(readFile(path), old);
        for (auto& entry : fs::directory_iterator(path.parent_path()))
            EXPECT_EQ(entry.path().filename().string().rfind(".", 0), std::string::npos)
                << entry.path();
    }
};

static int setImmutable(const fs::path& path, bool on) {
    int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return -1;
    int flags = 0;
    int result = ioctl(fd, FS_IOC_GETFLAGS, &flags);
    if (result == 0) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        result = ioctl(fd, FS_IOC_SETFLAGS, &flags);
    }
    close(fd);
    return result;
}

TEST_F(FailedSaveTest, AReadOnlyFolderFailsVisibly) {
    fs::path dir = makeFolder() / "locked";
    fs::path path = dir / "nb.kn";
    writeFile(path, "old contents\r\n");
    build({">new"});
    fs::permissions(dir, fs::perms::owner_read | fs::perms::owner_exec);
    // Permissions do not bind the superuser; an immutable folder does.
    if (geteuid() == 0) setImmutable(dir, true);
    int probe = open((dir / "probe").c_str(), O_CREAT | O_WRONLY, 0644);
    bool locked = probe < 0;
    if (probe >= 0) close(probe);
    if (locked) expectFailureHarmsNothing(path, "old contents\r\n");
    if (geteuid() == 0) setImmutable(dir, false);
    fs::permissions(dir, fs::perms::owner_all);
    if (!locked) GTEST_SKIP() << "this file system cannot make a folder read-only here";
}

TEST_F(FailedSaveTest, AnImageFolderThatCannotBeMadeFailsVisibly) {
    fs::path dir = makeFolder();
    fs::path path = dir / "nb.kn";
    writeFile(path, "old\r\n");
    writeFile(dir / "images", "a file where the folder should be");
    build({">a", "out:"});
    editor.lineAt(1)->image = std::make_shared<NotebookPicture>(5, 5, pngBytes(5, 5));
    expectFailureHarmsNothing(path, "old\r\n");
}

TEST_F(FailedSaveTest, AFolderInThePlaceOfTheFileFailsVisibly) {
    fs::path dir = makeFolder();
    fs::create_directories(dir / "nb.kn");
    build({">a"});
    editor.setNotebookChanged(1);
    EXPECT_EQ(editor.writeNotebook((dir / "nb.kn").c_str()), 0);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(editor.isNotebookChanged(), 1);
    int files = 0;
    for (auto& entry : fs::directory_iterator(dir)) files += entry.is_regular_file();
    EXPECT_EQ(files, 0);
}

// Texts that begin like a marker of the file, as output, comment, comment
// after a hard break and heading, each after a command so that every
// comment starts a paragraph. A file "a.png" lies beside the notebook, so an
// image marker taken at its word would bring in a picture.
TEST_F(NotebookFileTest, TextsBeginningWithAMarkerReadBackAsWritten) {
    fs::path dir = makeFolder();
    writeFile(dir / "a.png", pngBytes(10, 10));
    writeFile(dir / "images" / "a.png", pngBytes(10, 10));
    const char* texts[] = {"%",
                           "% x",
                           "%% x",
                           "% //",
                           "% // x",
                           "% // latex: x^2",
                           "% // mathjax: y",
                           "% %image% a.png",
                           "%image% a.png",
                           " %image% a.png",
                           "  %image% a.png",
                           "   %image% a.png",
                           "//",
                           "// a note",
                           "// latex: x^2",
                           "// mathjax: y",
                           " // a note",
                           "  // a note",
                           "* not a heading",
                           " * x",
                           ">",
                           ">1+1",
                           " >1+1",
                           "$",
                           "$endfunction",
                           "latex: x^2",
                           "mathjax: y",
                           "maxima: integrate(x,x)",
                           "image: a.png",
                           "Maxima mode is on (compatibility mode)",
                           "Maxima mode is on (direct mode)",
                           " ",
                           ""};
    std::vector<std::string> looks;
    for (const char* text : texts) {
        std::string t = text;
        looks.push_back(">1");
        looks.push_back("out:" + t);
        looks.push_back(">2");
        looks.push_back("% " + t);
        looks.push_back(">3");
        looks.push_back("%% " + t);
        looks.push_back(">4");
        looks.push_back("% * " + t);
    }
    looks.push_back(">");
    editor.clearNotebook();
    NotebookLine* line = nullptr;
    for (const std::string& look : looks) {
        line = line ? editor.newLineAfter(line, "", lineOutput) : editor.document().getFirstLine();
        std::string kind = look.substr(0, look.find(' '));
        if (look.rfind("out:", 0) == 0) {
            line->kind = lineOutput;
            line->text.assign(look.c_str() + 4);
        } else if (look[0] == '>') {
            line->kind = lineCommand;
            line->text.assign(look.c_str());
        } else {
            line->kind = lineComment;
            line->hardBreak = kind == "%%";
            line->heading = look.rfind("% * ", 0) == 0;
            line->text.assign(look.c_str() + (line->heading ? 4 : kind.size() + 1));
        }
    }
    Lines written = look();
    ASSERT_EQ(written, looks);
    fs::path path = dir / "markers.kn";
    ASSERT_EQ(editor.writeNotebook(path.c_str()), 1);
    // Output beginning ">", "$" or "%" keeps the blank it was written with.
    Lines expected = written;
    for (std::string& text : expected)
        if (text.rfind("out:", 0) == 0 && text.size() > 4 && std::strchr(">$%", text[4]))
            text.insert(4, " ");
    RecordingHost otherHost;
    otherHost.fixed = host.fixed;
    NotebookEditor other(&otherHost, &metrics);
    ASSERT_EQ(other.readNotebook(path.c_str()), 1);
    EXPECT_EQ(look(other), expected);
    EXPECT_EQ(otherHost.maximaMode, 0);
    fs::path again = dir / "again.kn";
    ASSERT_EQ(other.writeNotebook(again.c_str()), 1);
    std::string first = readFile(path), second = readFile(again);
    EXPECT_EQ(first, second);
}

// The Maxima-mode line counts only as the whole first line.
TEST_F(NotebookFileTest, OnlyAFirstLineThatIsAMaximaModeTextSwitchesTheMode) {
    fs::path dir = makeFolder();
    struct Case {
        const char* first;
        int mode;
    } cases[] = {{"Maxima mode is on (compatibility mode)", 1},
                 {"Maxima mode is on (direct mode)", 2},
                 {"\xEF\xBB\xBFMaxima mode is on (direct mode)", 2},
                 {"Maxima mode is on (direct mode) and more", 0},
                 {" Maxima mode is on (compatibility mode)", 0},
                 {"% Maxima mode is on (compatibility mode)", 0},
                 {"Maxima mode is off", 0}};
    for (const Case& c : cases) {
        writeFile(dir / "m.kn", std::string(c.first) + "\r\n>expand((a+b)^2)\r\n");
        RecordingHost otherHost;
        NotebookEditor other(&otherHost, &metrics);
        ASSERT_EQ(other.readNotebook((dir / "m.kn").c_str()), 1);
        EXPECT_EQ(otherHost.maximaMode, c.mode) << c.first;
    }
}

}  // namespace kalix
