// Dialogs built from the template table: the items' order, the closing
// steps, the controls found by their ids, and every template.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>

#include <vector>

#include "gui/dialog.h"
#include "gui/dialog_templates.h"
#include "gui/dialogs.h"
#include "modal_helpers.h"

namespace kalix {

namespace {

class DialogTest : public testing::Test {
  protected:
    void SetUp() override {
        static char name[] = "kalix";
        static char* words[] = {name, nullptr};
        ASSERT_TRUE(initApplication(1, words));
    }
};

// Records the order in which its items are visited.
std::vector<int> visits;

class RecordingItem : public StringItem {
  public:
    using StringItem::StringItem;
    void initItem() override {
        visits.push_back(getId());
        StringItem::initItem();
    }
    void readBack() override {
        visits.push_back(-getId());
        StringItem::readBack();
    }
};

class RefusingDialog : public Dialog {
  public:
    using Dialog::Dialog;
    int accept() override { return asked++ > 0; }
    int asked = 0;
};

class ClosingList : public ListItem {
  public:
    using ListItem::ListItem;
    int acceptOnDoubleClick() override { return 1; }
};

}  // namespace

TEST_F(DialogTest, ItemsAreVisitedNewestFirstAndCancelReadsBackToo) {
    visits.clear();
    Dialog dialog(nullptr, 12);
    RecordingItem program(10, dialog, "maxima");
    RecordingItem folder(11, dialog, "/opt");
    whenModal([](QWidget* widget) {
        EXPECT_EQ(controlById<QLineEdit>(widget, 10)->text(), "maxima");
        controlById<QLineEdit>(widget, 11)->setText("/usr");
        clickControl(widget, 2);
    });
    EXPECT_EQ(dialog.runModal(), dialogCancel);
    EXPECT_EQ(visits, (std::vector<int>{11, 10, -11, -10}));
    EXPECT_EQ(folder.getItemString(), "/usr");
}

TEST_F(DialogTest, AcceptMayKeepTheDialogOpenAndOnlyOkStoresTheRectangle) {
    RefusingDialog dialog(nullptr, 11);
    StringItem field(10, dialog, "");
    dialog.fitToScreen(1280, 1024, 100, 120, 420, 200, 10, 10);
    whenModal([&dialog](QWidget* widget) {
        clickControl(widget, 1);
        EXPECT_TRUE(dialog.isOpen());
        widget->move(300, 310);
        clickControl(widget, 1);
    });
    EXPECT_EQ(dialog.runModal(), dialogOk);
    EXPECT_EQ(dialog.asked, 2);
    int x, y, w, h;
    dialog.getRememberedRect(x, y, w, h);
    EXPECT_EQ(x, 300);
    EXPECT_EQ(y, 310);

    whenModal([](QWidget* widget) {
        widget->move(500, 510);
        clickControl(widget, 2);
    });
    EXPECT_EQ(dialog.runModal(), dialogCancel);
    dialog.getRememberedRect(x, y, w, h);
    EXPECT_EQ(x, 300);
}

TEST_F(DialogTest, NumbersReadTheirLeadingDigitsAndKeepTheValueOtherwise) {
    struct Case {
        const char* typed;
        int expected;
    };
    for (Case c : {Case{"12abc", 12}, Case{"abc", 7}, Case{" -3", -3}, Case{"", 7},
                   Case{"99999999999", 2147483647}}) {
        Dialog dialog(nullptr, 22);
        LongItem page(10, dialog, 7);
        whenModal([&c](QWidget* widget) {
            controlById<QLineEdit>(widget, 10)->setText(c.typed);
            clickControl(widget, 1);
        });
        dialog.runModal();
        EXPECT_EQ(page.getValue(), c.expected) << c.typed;
    }
    Dialog dialog(nullptr, 19);
    DoubleItem aspect(10, dialog, 1.5);
    whenModal([](QWidget* widget) {
        EXPECT_EQ(controlById<QLineEdit>(widget, 10)->text(), "1.5");
        controlById<QLineEdit>(widget, 10)->setText("2.25x");
        clickControl(widget, 1);
    });
    dialog.runModal();
    EXPECT_EQ(aspect.getValue(), 2.25);
}

TEST_F(DialogTest, ADoubleClickOnAListEndsTheDialogAsThatControl) {
    Dialog dialog(nullptr, 4);
    ClosingList printers(10, dialog);
    printers.addString("first");
    printers.addString("second");
    whenModal([](QWidget* widget) {
        auto* list = controlById<QListWidget>(widget, 10);
        ASSERT_EQ(list->count(), 2);
        list->setCurrentRow(1);
        emit list->itemDoubleClicked(list->item(1));
    });
    EXPECT_EQ(dialog.runModal(), 10);
    EXPECT_EQ(printers.getSelectedIndex(), 1);
    EXPECT_EQ(printers.getSelectedText(), "second");
}

TEST_F(DialogTest, MultilineTextsKeepTheirLineBreaksAsCrLf) {
    Dialog dialog(nullptr, 1);
    MultilineItem comment(10, dialog, "first\r\nsecond");
    whenModal([](QWidget* widget) {
        auto* edit = controlById<QPlainTextEdit>(widget, 10);
        EXPECT_EQ(edit->toPlainText(), "first\nsecond");
        edit->setPlainText("one\ntwo\n\nthree");
        clickControl(widget, 1);
    });
    EXPECT_EQ(dialog.runModal(), dialogOk);
    EXPECT_EQ(comment.getItemString(), "one\r\ntwo\r\n\r\nthree");
}

TEST_F(DialogTest, FitToScreenMovesADialogOntoTheScreen) {
    Dialog dialog(nullptr, 6);
    dialog.fitToScreen(1280, 1024, 900, 50, 600, 400, 400, 400);
    int x, y, w, h;
    dialog.getRememberedRect(x, y, w, h);
    EXPECT_EQ(x, 680);
    EXPECT_EQ(y, 50);
    EXPECT_EQ(w, 600);
    EXPECT_EQ(h, 400);
    dialog.fitToScreen(1280, 1024, -20, 900, 2000, 100, 400, 400);
    dialog.getRememberedRect(x, y, w, h);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 624);
    EXPECT_EQ(w, 1280);
    EXPECT_EQ(h, 400);
}

// Every template opens with its caption, and every control of the table
// is found by its id.
TEST_F(DialogTest, EveryTemplateBuildsWithItsCaptionAndControls) {
    for (int id = 1; id <= 22; id++) {
        const DialogTemplate* t = findDialogTemplate(id);
        ASSERT_NE(t, nullptr) << id;
        Dialog dialog(nullptr, id);
        whenModal([t, id](QWidget* widget) {
            EXPECT_EQ(widget->windowTitle().toStdString(), t->caption);
            for (const DialogControl* c : templateControls(id)) {
                if (c->kind == controlStretch || c->id == staticLabelId) continue;
                EXPECT_NE(controlById<QWidget>(widget, c->id), nullptr)
                    << "template " << id << " control " << c->id;
            }
            widget->close();
        });
        EXPECT_EQ(dialog.runModal(), dialogCancel) << id;
    }
    EXPECT_EQ(findDialogTemplate(23), nullptr);
    std::string message;
    answerNextBox(&message);
    Dialog missing(nullptr, 23);
    EXPECT_EQ(missing.runModal(), -1);
    EXPECT_EQ(message, "Error: Could not carry out the Dialog!");
}

// A modeless dialog returns at once; its values come back when it closes,
// and it opens again after that.
TEST_F(DialogTest, AModelessDialogStaysOpenBesideTheProgramAndOpensAgain) {
    Dialog dialog(nullptr, 11);
    StringItem field(10, dialog, "first");
    ASSERT_EQ(dialog.create(), 1);
    EXPECT_TRUE(dialog.isOpen());
    ASSERT_FALSE(openDialogs().empty());
    EXPECT_EQ(openDialogs().front(), &dialog);
    QWidget* widget = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == "dialog11" && top->isVisible()) widget = top;
    ASSERT_NE(widget, nullptr);
    EXPECT_FALSE(widget->isModal());
    EXPECT_EQ(controlById<QLineEdit>(widget, 10)->text(), "first");
    controlById<QLineEdit>(widget, 10)->setText("second");
    clickControl(widget, 1);
    EXPECT_FALSE(dialog.isOpen());
    EXPECT_FALSE(widget->isVisible());
    EXPECT_EQ(dialog.getDialogResult(), dialogOk);
    EXPECT_EQ(field.getItemString(), "second");
    EXPECT_TRUE(openDialogs().empty());
    // Open again: the value read back is shown.
    ASSERT_EQ(dialog.create(), 1);
    widget = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->objectName() == "dialog11" && top->isVisible()) widget = top;
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(controlById<QLineEdit>(widget, 10)->text(), "second");
    // While open, a second create fails with its message.
    std::string message;
    answerNextBox(&message);
    EXPECT_EQ(dialog.create(), 0);
    EXPECT_EQ(message, "Error: Could not create the Dialog!");
    widget->close();
    EXPECT_EQ(dialog.getDialogResult(), dialogCancel);
    EXPECT_FALSE(dialog.isOpen());
}

// The printer list: the system's printers with the current one chosen, or
// printing into a PDF file when the system has none.
TEST_F(DialogTest, ThePrinterListOffersThePrintersOrAPdfFile) {
    const std::vector<std::string> names = printerNames();
    for (const std::string& current : {std::string(), std::string("no such printer")}) {
        Dialog dialog(nullptr, 10);
        PrinterItem printers(10, dialog, current);
        std::vector<std::string> shown;
        int row = -1;
        whenModal([&shown, &row](QWidget* widget) {
            auto* list = controlById<QListWidget>(widget, 10);
            for (int i = 0; i < list->count(); i++)
                shown.push_back(list->item(i)->text().toStdString());
            row = list->currentRow();
            clickControl(widget, 1);
        });
        ASSERT_EQ(dialog.runModal(), dialogOk);
        if (names.empty()) {
            EXPECT_EQ(shown, std::vector<std::string>{printToPdfEntry});
            EXPECT_TRUE(printers.printsToPdf());
        } else {
            EXPECT_EQ(shown, names);
            EXPECT_FALSE(printers.printsToPdf());
        }
        if (!current.empty() || names.empty()) {
            EXPECT_EQ(row, 0);
            EXPECT_EQ(printers.getPrinter(), shown[0]);
        }
    }
}

}  // namespace kalix
