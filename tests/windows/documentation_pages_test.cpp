// Every page of the Help menu and every Help button of every dialog opens a
// page of the documentation written at build time, with its anchor: a
// stand-in browser records what it is asked to open. A Help menu entry or a
// dialog with a Help button that the tables below leave out fails.
#include <QDialog>
#include <QMessageBox>
#include <QPointer>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "base/settings.h"
#include "gui/dialog_templates.h"
#include "gui/kalix_menu.h"
#include "modal_helpers.h"
#include "tests/documentation_pages.h"
#include "window_fixture.h"

namespace kalix {

namespace {

namespace fs = std::filesystem;

// Closes the message boxes that show (recording them); on a dialog it
// presses the Help button once, then closes the dialog.
class HelpPresser : public QObject {
  public:
    std::vector<std::string> seen;
    QTimer timer;
    HelpPresser() {
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] { step(); });
        timer.start(5);
    }
    void step() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            if (modal == lastBox) return;
            lastBox = modal;
            seen.push_back("box " + box->text().toStdString());
            QMetaObject::invokeMethod(box, "reject", Qt::QueuedConnection);
            return;
        }
        if (modal == closing) return;
        if (modal != pressed) {
            pressed = modal;
            seen.push_back("dialog " + modal->windowTitle().toStdString());
            auto* help = controlById<QAbstractButton>(modal, 30);
            if (help) {
                QMetaObject::invokeMethod(help, "click", Qt::QueuedConnection);
                return;
            }
            seen.push_back("no Help button");
        }
        closing = modal;
        if (auto* dialog = qobject_cast<QDialog*>(modal))
            QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        else
            modal->close();
    }
    QPointer<QWidget> pressed, closing, lastBox;
};

class DocumentationPagesTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        // The pages lie in "docs" of the build folder, one above this test's
        // program; the setting browserdir points there.
        docs = documentationFolder();
        work = fs::temp_directory_path() / ("kalix-docs-" + std::to_string(getpid()));
        fs::create_directories(work);
        log = work / "pages";
        fs::path browser = work / "browser";
        std::ofstream(browser) << "#!/bin/sh\necho \"$1\" >> '" << log.string() << "'\n";
        fs::permissions(browser, fs::perms::owner_all);
        savedBrowser = textSetting("browserstring");
        savedFolder = textSetting("browserdir");
        writeSetting("browserstring", browser.string().c_str());
        writeSetting("browserdir", docs.string().c_str());
    }
    void TearDown() override {
        writeSetting("browserstring", savedBrowser.c_str());
        writeSetting("browserdir", savedFolder.c_str());
        fs::remove_all(work);
        WindowTest::TearDown();
    }

    // What the browser was asked to open since the last call (after
    // `count` addresses arrived, or the time ran out).
    std::vector<std::string> opened(size_t count) {
        waitFor([&] { return readLog().size() >= count; });
        std::vector<std::string> lines = readLog();
        fs::remove(log);
        return lines;
    }
    std::vector<std::string> readLog() {
        std::ifstream in(log);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    // The address is `page` in the docs folder, the file is a page and
    // holds the anchor of the address.
    void expectPage(const std::string& address, const std::string& page) {
        EXPECT_EQ(address, "file://" + docs.string() + "/" + page);
        const size_t hash = page.find('#');
        const fs::path file = docs / page.substr(0, hash);
        ASSERT_TRUE(fs::is_regular_file(file)) << file;
        const std::string text = pageText(file);
        EXPECT_NE(text.find("<h1>"), std::string::npos) << file;
        EXPECT_NE(text.find("</html>"), std::string::npos) << file;
        if (hash != std::string::npos) {
            const std::string id = percentDecoded(page.substr(hash + 1));
            EXPECT_NE(text.find("id=\"" + escapedAttribute(id) + "\""), std::string::npos) << page;
        }
    }

    void cursorOnFirstCommand() {
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().document().getFirstLine();
        while (line && line->kind != lineCommand) line = line->next;
        ASSERT_NE(line, nullptr);
        editor().setCursorLine(line, 1);
        editor().unmarkAll();
    }

    fs::path docs, work, log;
    std::string savedBrowser, savedFolder;
};

}  // namespace

TEST_F(DocumentationPagesTest, EveryHelpMenuPageOpensAnExistingPage) {
    // Quick tips (6035) is no entry of the menu; the program posts it.
    const std::map<int, std::string> pages = {
        {6801, "documentation.html"},
        {6003, "reference/index.html"},
        {6860, "reference/maximacore.html"},
        {7981, "index.html"},
        {7010, "search.html"},
        {7030, "Programs/Changes.html"},
        {6035, "documentation/quicktips.html"},
    };
    // The entries that open no page: the help window, the help on the
    // word at the cursor (its own test), the update check and the about box.
    const std::set<int> others = {7440, 7980, 4001, 7201, 7200, 109};
    QMenu* help = frame->findChild<QMenuBar*>()->actions()[popupHelp]->menu();
    ASSERT_NE(help, nullptr);
    for (QAction* action : help->actions()) {
        if (action->isSeparator() || !action->data().isValid()) continue;
        const int id = action->data().toInt();
        EXPECT_TRUE(pages.count(id) || others.count(id))
            << id << " " << action->text().toStdString();
    }
    {
        HelpPresser boxes;  // a missing page would say so in a box
        for (const auto& [id, page] : pages) {
            SCOPED_TRACE(id);
            host.getMenu()->dispatchMenuCommand(id);
            std::vector<std::string> got = opened(1);
            ASSERT_EQ(got.size(), 1u);
            expectPage(got[0], page);
        }
        EXPECT_TRUE(boxes.seen.empty()) << boxes.seen.front();
    }

    // The about box's "Visit Homepage" opens the home page too.
    whenModal([](QWidget* about) { clickControl(about, 1); });
    host.getMenu()->dispatchMenuCommand(109);
    std::vector<std::string> got = opened(1);
    ASSERT_EQ(got.size(), 1u);
    expectPage(got[0], "index.html");
}

// The shipped changes page tells the update check that this version is the
// newest (its first "Version " is the running version).
TEST_F(DocumentationPagesTest, TheChangesPageNamesThisVersionFirst) {
    std::string version = pageText(docs.parent_path() / "version.txt");
    version.erase(version.find_last_not_of("\r\n") + 1);
    ASSERT_FALSE(version.empty());
    const std::string text = pageText(docs / "Programs" / "Changes.html");
    const size_t at = text.find("Version ");
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text.substr(at + 8, version.size() + 1), version + "<");
}

TEST_F(DocumentationPagesTest, EveryHelpButtonOfEveryDialogOpensAnExistingPage) {
    ASSERT_TRUE(run("x=1"));
    ASSERT_TRUE(run("t=linspace(0,1,20); plot(t,t^2);"));
    struct HelpDialog {
        int command;
        int templateId;
        const char* page;
    };
    const std::vector<HelpDialog> dialogs = {
        {106, 1, "documentation/gui.html#Comment"},
        {131, 2, "documentation/gui.html#External_Editor"},
        {115, 5, "reference/overview.html#Program%C2%A0Options"},
        {121, 6, "documentation/gui.html#Internal_Editor"},
        {6036, 6, "documentation/gui.html#Internal_Editor"},
        {122, 7, "documentation/gui.html#Graphics_Export"},
        {6402, 7, "documentation/gui.html#Graphics_Export"},
        {112, 7, "documentation/gui.html#Graphics_Export"},
        {125, 8, "reference/overview.html#Graphics%C2%A0Options"},
        {2000, 9, "documentation/gui.html#Colors"},
        {111, 10, "documentation/gui.html#Print"},
        {6030, 12, "documentation/installation.html#Maxima"},
        {6802, 13, "documentation/gui.html#Browser_Command"},
        {6855, 14, "documentation/installation.html#Latex"},
        {2003, 17, "documentation/export.html"},
        {7401, 18, "documentation/export.html"},
        {6880, 19, "reference/overview.html#Plot%C2%A0Aspect"},
        {7990, 21, "documentation/export.html"},
        {8001, 22, "reference/overview.html#Program%C2%A0Options"},
    };
    // Every template with a Help button is opened by an entry above, but
    // two copies that nothing opens: a printer chooser (the Print dialog
    // lists the printers itself) and the second internal editor.
    std::set<int> covered = {4, 16};
    for (const HelpDialog& d : dialogs) covered.insert(d.templateId);
    for (int id = 1; id <= 30; id++) {
        if (!findDialogTemplate(id)) continue;
        for (const DialogControl* control : templateControls(id)) {
            if (control->id == 30) {
                EXPECT_TRUE(covered.count(id)) << "template " << id;
            }
        }
    }
    for (const HelpDialog& d : dialogs) {
        SCOPED_TRACE(d.command);
        cursorOnFirstCommand();
        HelpPresser presser;
        host.getMenu()->dispatchMenuCommand(d.command);
        std::vector<std::string> got = opened(1);
        ASSERT_EQ(presser.seen.size(), 1u) << presser.seen.back();
        EXPECT_EQ(presser.seen[0],
                  std::string("dialog ") + findDialogTemplate(d.templateId)->caption);
        ASSERT_EQ(got.size(), 1u);
        expectPage(got[0], d.page);
        activateAgain(frame);
    }
}

}  // namespace kalix
