// The notebook window's recovery copy: renewed while the notebook is
// changed, removed by a save, and offered when a run left one.
#include <QFileDialog>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "gui/file_menu_commands.h"
#include "gui/kalix_menu.h"
#include "gui/notebook_recovery.h"
#include "modal_helpers.h"
#include "notebook/notebook_file_operations.h"
#include "notebook/recovery_copy.h"
#include "window_fixture.h"

namespace kalix {

namespace fs = std::filesystem;

namespace {

class RecoveryCopyTest : public WindowTest {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/kalix-recovery-XXXXXX";
        folder = mkdtemp(pattern);
        start = fs::current_path();
        setenv("KALIX_RECOVERY_INTERVAL_MS", "40", 1);
        // Copies of this test's own, apart from other tests running beside it.
        const char* config = std::getenv("XDG_CONFIG_HOME");
        savedConfig = config ? config : "";
        hadConfig = config != nullptr;
        setenv("XDG_CONFIG_HOME", (folder / "config").c_str(), 1);
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        // A copy the save thread still writes would meet the removal below;
        // no event runs from here on, so no tick starts another.
        windowSaveWorker(editor()).wait();
        unsetenv("KALIX_RECOVERY_INTERVAL_MS");
        if (hadConfig)
            setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        fs::current_path(start);
        fs::remove_all(folder);
    }
    static std::string contents(const std::string& file) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // The window's copy holds `text`.
    bool copyHolds(const char* text) {
        return waitFor([text] {
            std::string path = windowRecoveryCopy().copyPath();
            return !path.empty() && contents(path).find(text) != std::string::npos;
        });
    }
    bool hasLine(const char* text) {
        std::vector<std::string> all = lines();
        return std::find(all.begin(), all.end(), text) != all.end();
    }

    fs::path folder, start;
    std::string savedConfig;
    bool hadConfig = false;
};

// Counts the ticks of the GUI thread's timers of one interval (GUI thread).
class TimerTicks : public QObject {
  public:
    explicit TimerTicks(int interval) : interval(interval) {
        QCoreApplication::instance()->installEventFilter(this);
    }
    bool eventFilter(QObject* object, QEvent* event) override {
        auto* timer = qobject_cast<QTimer*>(object);
        if (event->type() == QEvent::Timer && timer && timer->interval() == interval) count++;
        return false;
    }
    const int interval;
    int count = 0;
};

}  // namespace

TEST_F(RecoveryCopyTest, AChangedNotebookHasACopyUntilItIsSaved) {
    // A new notebook, unchanged over several renewals: nothing to keep. (After
    // a first command the copy may already be made: the new prompt is a second
    // command line.)
    TimerTicks renewals(recoveryCopyInterval());
    ASSERT_TRUE(waitFor([&] { return renewals.count >= 3; }));
    // A copy would be written on the save thread.
    ASSERT_TRUE(waitFor([&] { return !windowSaveWorker(editor()).isRunning(); }));
    EXPECT_TRUE(windowRecoveryCopy().copyPath().empty());
    ASSERT_TRUE(run("a=1"));
    ASSERT_TRUE(run("b=22"));
    ASSERT_TRUE(copyHolds(">b=22"));
    std::string copy = windowRecoveryCopy().copyPath();
    EXPECT_EQ(copy.rfind(recoveryRoot(), 0), 0u);
    // The notebook itself stays new and changed; the copy follows the edits.
    EXPECT_EQ(std::string(editor().getFilePath()), "");
    EXPECT_TRUE(editor().isNotebookChanged());
    ASSERT_TRUE(run("c=333"));
    ASSERT_TRUE(copyHolds(">c=333"));

    // Saved: the copy goes with its folder.
    std::string file = (folder / "work.kn").string();
    whenModal([file](QWidget* widget) {
        auto* chooser = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(chooser, nullptr);
        chooser->selectFile(QString::fromStdString(file));
        static_cast<QDialog*>(chooser)->accept();
    });
    host.getMenu()->dispatchMenuCommand(105);
    ASSERT_TRUE(waitFor([&] { return fs::exists(file) && !editor().isNotebookChanged(); }));
    ASSERT_TRUE(waitFor([] { return windowRecoveryCopy().copyPath().empty(); }));
    EXPECT_FALSE(fs::exists(fs::path(copy).parent_path()));
    EXPECT_TRUE(fs::is_empty(recoveryRoot()));
    // A later change is kept again, now under the notebook's name; Ctrl+S
    // removes it again.
    ASSERT_TRUE(run("d=4444"));
    ASSERT_TRUE(copyHolds(">d=4444"));
    EXPECT_EQ(contents(fs::path(windowRecoveryCopy().copyPath()).parent_path() / "notebook"),
              file + "\n");
    EXPECT_EQ(contents(file).find("d=4444"), std::string::npos);
    host.getMenu()->dispatchMenuCommand(104);
    ASSERT_TRUE(waitFor([&] { return contents(file).find("d=4444") != std::string::npos; }));
    ASSERT_TRUE(waitFor([] { return windowRecoveryCopy().copyPath().empty(); }));
    EXPECT_TRUE(fs::is_empty(recoveryRoot()));
}

TEST_F(RecoveryCopyTest, ACopyLeftByAnEndedRunIsOfferedAndOpened) {
    // A notebook saved, changed and copied by a run that then ended.
    std::string file = (folder / "work.kn").string();
    ASSERT_TRUE(run("x=12345"));
    ASSERT_EQ(saveNotebookTo(editor(), file), 1);
    std::string saved = contents(file);
    ASSERT_TRUE(run("y=777"));
    {
        RecoveryCopy ended;
        ASSERT_EQ(ended.keep(editor(), true), 1);
    }
    {
        RecoveryCopy declined;
        ASSERT_EQ(declined.keep(editor(), true), 1);
    }
    editor().startNewNotebook();
    ASSERT_TRUE(waitFor([] { return windowRecoveryCopy().copyPath().empty(); }));

    // Two copies: Cancel keeps both for a later start; then the first is
    // declined (and deleted), the second opened.
    std::string kept[2];
    whenModal([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        kept[0] = box->text().toStdString();
        box->button(QMessageBox::Cancel)->click();
        answerNextBox(&kept[1], QMessageBox::Cancel);
    });
    offerRecoveryCopies(window);
    EXPECT_EQ(findRecoveryCopies().size(), 2u);
    std::string first, second;
    whenModal([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        first = box->text().toStdString();
        box->button(QMessageBox::No)->click();
        answerNextBox(&second, QMessageBox::Yes);
    });
    offerRecoveryCopies(window);
    const std::string asked = "Kalix ended without saving work.kn. Open the copy made at ";
    for (const std::string& text : {kept[0], first}) EXPECT_EQ(text.rfind(asked, 0), 0u) << text;
    EXPECT_EQ(kept[1].rfind("Kalix: " + asked, 0), 0u) << kept[1];
    EXPECT_EQ(second.rfind("Kalix: " + asked, 0), 0u) << second;
    // The copy is read at the next prompt: the notebook of its file, changed.
    ASSERT_TRUE(run("z=1"));
    ASSERT_TRUE(waitFor([&] { return hasLine(">y=777"); }));
    EXPECT_EQ(std::string(editor().getFilePath()), file);
    EXPECT_TRUE(editor().isNotebookChanged());
    EXPECT_EQ(contents(file), saved);
    std::string taken = windowRecoveryCopy().copyPath();
    EXPECT_FALSE(taken.empty());
    EXPECT_TRUE(findRecoveryCopies().empty());
    int folders = 0;
    for (const auto& entry : fs::directory_iterator(recoveryRoot()))
        folders += entry.is_directory();
    EXPECT_EQ(folders, 1);
    // Saving writes it to its file and removes the copy.
    host.getMenu()->dispatchMenuCommand(104);
    ASSERT_TRUE(waitFor([&] { return contents(file).find("y=777") != std::string::npos; }));
    ASSERT_TRUE(waitFor([] { return windowRecoveryCopy().copyPath().empty(); }));
    EXPECT_TRUE(fs::is_empty(recoveryRoot()));
}

TEST_F(RecoveryCopyTest, KeysTypedWhileTheNotebookIsBusyWaitForIt) {
    // Another thread reads the notebook (as the copy does) while keys come.
    std::atomic<int> held{0}, release{0};
    std::thread reader([&] {
        TextLockHold hold(editor(), "test reader");
        held = 1;
        while (!release) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
    while (!held) std::this_thread::yield();
    type("q=9");
    type("8");
    release = 1;
    reader.join();
    type("7");
    ASSERT_TRUE(waitFor([&] { return cursorText() == ">q=987"; })) << cursorText();
    ASSERT_TRUE(returnAndWait());
    EXPECT_TRUE(hasLine(">q=987"));
}

}  // namespace kalix
