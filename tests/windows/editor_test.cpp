// The internal editor on the temporary program file, a loaded file, a
// function definition and a continued command, Ctrl+D, and the external
// editor started on the file of a load or tccompile line.
#include <QPlainTextEdit>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/settings.h"
#include "gui/internal_editor.h"
#include "gui/kalix_menu.h"
#include "modal_helpers.h"
#include "window_fixture.h"

namespace kalix {

namespace {

class EditorTest : public WindowTest {
  protected:
    void SetUp() override {
        folder =
            std::filesystem::temp_directory_path() / ("kalix-editor-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        const char* home = std::getenv("HOME");
        savedHome = home ? home : "";
        setenv("HOME", folder.c_str(), 1);
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        setenv("HOME", savedHome.c_str(), 1);
        std::filesystem::remove_all(folder);
    }
    // Opens the editor with a command (or key): `edit` sees the field's text
    // and gives the new one; OK, or Cancel when it gives nothing.
    void editWith(std::function<void()> open,
                  std::function<std::optional<std::string>(const std::string&)> edit) {
        bool shown = false;
        whenModal([&](QWidget* dialog) {
            shown = true;
            EXPECT_EQ(dialog->windowTitle(), "Internal Editor");
            auto* field = controlById<QPlainTextEdit>(dialog, 12);
            ASSERT_NE(field, nullptr);
            std::optional<std::string> text = edit(field->toPlainText().toStdString());
            if (text) field->setPlainText(QString::fromStdString(*text));
            clickControl(dialog, text ? 1 : 2);
        });
        activateAgain(frame);
        open();
        EXPECT_TRUE(shown);
    }
    void setLines(const std::vector<std::string>& texts, size_t cursor) {
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().document().getFirstLine();
        editor().setCursorLine(line, 0);
        while (line->next) editor().deleteNotebookLine(line->next);
        line->text.assign(texts[0].c_str());
        line->kind = texts[0][0] == '$' ? lineFunctionBody : lineCommand;
        NotebookLine* at = line;
        for (size_t i = 1; i < texts.size(); i++)
            line = editor().newLineAfter(line, texts[i].c_str(),
                                         texts[i][0] == '$' ? lineFunctionBody : lineCommand);
        for (size_t i = 0; i < cursor; i++) at = at->next;
        editor().setCursorLine(at, 1);
    }
    static std::string fileText(const std::filesystem::path& path) {
        std::ifstream in(path);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    std::filesystem::path folder;
    std::string savedHome;
};

}  // namespace

TEST_F(EditorTest, F9OnAnEmptyPromptEditsTheTemporaryFile) {
    std::filesystem::path temporary = folder / "Kalix" / "KalixTemp.k";
    EXPECT_EQ(temporaryProgramFile(), temporary.string());
    std::ofstream(temporary) << "a=1\r\nb=2\n";
    editWith([this] { press(Qt::Key_F9); },
             [](const std::string& text) {
                 EXPECT_EQ(text, "a=1\nb=2\n");
                 return std::optional<std::string>("x=3\ny=x^2\n");
             });
    EXPECT_EQ(fileText(temporary), "x=3\ny=x^2\n");
    EXPECT_EQ(cursorText(), ">load \"" + temporary.string() + "\"");
    EXPECT_EQ(cursorColumn(), 1);
    // The command is left to the user: Return runs the file.
    ASSERT_TRUE(returnAndWait());
    ASSERT_TRUE(run("y"));
    EXPECT_EQ(lines().at(lines().size() - 2), "9");
}

TEST_F(EditorTest, F9OnALoadCommandEditsThatFileWithK) {
    std::filesystem::path program = folder / "tools.k";
    std::ofstream(program) << "t=1\n";
    setLines({">load \"" + (folder / "tools").string() + "\""}, 0);
    editWith([this] { press(Qt::Key_F9); },
             [](const std::string& text) {
                 EXPECT_EQ(text, "t=1\n");
                 return std::optional<std::string>("t=2\n");
             });
    EXPECT_EQ(fileText(program), "t=2\n");
    EXPECT_EQ(cursorText(), ">load \"" + (folder / "tools").string() + "\"");
}

TEST_F(EditorTest, EditingAFunctionKeepsBodyLinesAndAddsEndfunction) {
    setLines({">function g(x)", "$  y=x+1", "$  return y", ">g(1)"}, 0);
    editWith([this] { press(Qt::Key_F9); },
             [](const std::string& text) {
                 EXPECT_EQ(text, "function g(x)\n  y=x+1\n  return y");
                 return std::optional<std::string>("function g(x)\n\n  return 2*x\n");
             });
    EXPECT_EQ(lines(), (std::vector<std::string>{">function g(x) ...", "$  return 2*x",
                                                 "$endfunction", ">g(1)"}));
    // The definition runs as it stands.
    ASSERT_TRUE(returnAndWait());
    {
        TextLockHold hold(editor(), "test");
        for (NotebookLine* line = editor().document().getFirstLine(); line; line = line->next)
            if (line->text.getText() == std::string(">g(1)")) editor().setCursorLine(line, 1);
    }
    ASSERT_TRUE(returnAndWait());
    std::vector<std::string> all = lines();
    auto call = std::find(all.begin(), all.end(), ">g(1)");
    ASSERT_NE(call, all.end());
    EXPECT_EQ(*(call + 1), "2");

    // A text that is no function definition changes nothing.
    setLines({">function h(x)", "$return x"}, 0);
    std::vector<std::string> before = lines();
    std::string message;
    editWith([this] { press(Qt::Key_F9); },
             [&message](const std::string&) {
                 answerNextBox(&message);
                 return std::optional<std::string>("fun h(x)\nreturn x");
             });
    EXPECT_EQ(message, "Editor: Function definition missing!");
    EXPECT_EQ(lines(), before);
}

TEST_F(EditorTest, AContinuedCommandEditedShorterKeepsItsLastOldLine) {
    setLines({">a=1 ...", ">+2 ...", ">+3", ">b=1"}, 1);
    editWith([this] { press(Qt::Key_F9); },
             [](const std::string& text) {
                 EXPECT_EQ(text, "a=1 ...\n+2 ...\n+3");
                 return std::optional<std::string>("a=5\n+6");
             });
    EXPECT_EQ(lines(), (std::vector<std::string>{">a=5 ...", ">+6", ">+3", ">b=1"}));
    // Longer: new command lines follow the old ones.
    setLines({">c=1"}, 0);
    editWith([this] { press(Qt::Key_F9); },
             [](const std::string&) { return std::optional<std::string>("c=1 ...\n+2\n+3"); });
    EXPECT_EQ(lines(), (std::vector<std::string>{">c=1 ...", ">+2 ...", ">+3"}));
    // Cancel changes nothing.
    editWith([this] { press(Qt::Key_F9); },
             [](const std::string&) { return std::optional<std::string>(); });
    EXPECT_EQ(lines(), (std::vector<std::string>{">c=1 ...", ">+2 ...", ">+3"}));
}

TEST_F(EditorTest, CtrlDInsertsAFunctionBelowATypedCommand) {
    type("1+1");
    editWith([this] { press(Qt::Key_D, Qt::ControlModifier); },
             [](const std::string& text) {
                 EXPECT_EQ(text, "function f(x)");
                 return std::optional<std::string>("function f(x)\nreturn x^2");
             });
    EXPECT_EQ(lines(), (std::vector<std::string>{">1+1", ">function f(x) ...", "$return x^2",
                                                 "$endfunction"}));
}

TEST_F(EditorTest, TheExternalEditorGetsTheFileOfALoadOrTccompileLine) {
    std::filesystem::path script = folder / "editor.sh";
    std::filesystem::path record = folder / "arguments.txt";
    std::ofstream(script) << "#!/bin/sh\nprintf '%s;' \"$@\" > " << record.string() << ".part\nmv "
                          << record.string() << ".part " << record.string() << "\n";
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    writeSetting("externaleditor", script.c_str());
    writeSetting("externalparameters", "-n \"two words\"");
    std::ofstream(folder / "prog.k") << "p=1\n";

    auto started = [&](const char* line) {
        std::filesystem::remove(record);
        setLines({line}, 0);
        host.getMenu()->dispatchMenuCommand(130);
        EXPECT_TRUE(waitFor([&] { return std::filesystem::exists(record); }));
        return fileText(record);
    };
    EXPECT_EQ(started((">load \"" + (folder / "prog").string() + "\"").c_str()),
              "-n;two words;" + (folder / "prog.k").string() + ";");
    EXPECT_EQ(started((">tccompile " + (folder / "fast").string()).c_str()),
              "-n;two words;" + (folder / "fast.c").string() + ";");
    writeSetting("externalfile", "");
    EXPECT_EQ(started(">"), "-n;two words;" + temporaryProgramFile() + ";");
    EXPECT_EQ(cursorText(), ">load \"" + temporaryProgramFile() + "\"");
    writeSetting("externaleditor", "");
    writeSetting("externalparameters", "");
}

TEST_F(EditorTest, TheExternalEditorComesFromTheSettingOrTheEnvironment) {
    writeSetting("externaleditor", "");
    writeSetting("externalparameters", "");
    setenv("VISUAL", "code --wait", 1);
    EXPECT_EQ(externalEditorCommand("f.k"), (std::vector<std::string>{"code", "--wait", "f.k"}));
    unsetenv("VISUAL");
    setenv("EDITOR", "nano", 1);
    EXPECT_EQ(externalEditorCommand("f.k"), (std::vector<std::string>{"nano", "f.k"}));
    unsetenv("EDITOR");
    EXPECT_EQ(externalEditorCommand("f.k"), (std::vector<std::string>{"xdg-open", "f.k"}));
    writeSetting("externaleditor", "/opt/My Editor/edit");
    EXPECT_EQ(externalEditorCommand("f.k"),
              (std::vector<std::string>{"/opt/My Editor/edit", "f.k"}));
    writeSetting("externaleditor", "");
}

}  // namespace kalix
