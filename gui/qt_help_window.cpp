#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>

#include "gui/dialog_templates.h"
#include "gui/help_window.h"
#include "gui/notebook_commands.h"
#include "gui/program_launch.h"
#include "gui/qt_window_parts.h"
#include "gui/text_window.h"
#include "interpreter/state.h"
#include "interpreter/state_hand_over.h"
#include "notebook/help_database.h"
#include "notebook/help_window_model.h"
#include "notebook/line_editor.h"

namespace kalix {

namespace {

class HelpWindow;
// Null again when the window goes with its owner.
QPointer<HelpWindow> helpWindow;

constexpr int queryFieldId = 11;
constexpr int helpTextId = 12;
constexpr int browserButtonId = 13;

const char* templateLabel(int id) {
    for (const DialogControl* c : templateControls(15))
        if (c->id == id) return c->label;
    return "";
}

class HelpWindow : public QDialog {
  public:
    explicit HelpWindow(QWidget* parent) : QDialog(parent), model(stateHandedToCaller) {
        const DialogTemplate* t = findDialogTemplate(15);
        setWindowTitle(fromCodePage(t ? t->caption : ""));
        setObjectName("dialog15");
        setModal(false);
        field = new QLineEdit;
        field->setObjectName(QString::number(queryFieldId));
        button = new QPushButton(fromCodePage(templateLabel(browserButtonId)));
        button->setObjectName(QString::number(browserButtonId));
        button->setAutoDefault(false);
        text = new QPlainTextEdit;
        text->setObjectName(QString::number(helpTextId));
        text->setReadOnly(true);
        text->setLineWrapMode(QPlainTextEdit::NoWrap);
        if (textWindow) text->setFont(qtFontOf(textWindow->getFonts().normal));
        // Margins of 10 pixels; the field and the button on top, the text
        // below them takes the rest.
        auto* outer = new QVBoxLayout(this);
        outer->setContentsMargins(10, 10, 10, 10);
        outer->setSpacing(10);
        auto* top = new QHBoxLayout;
        top->setSpacing(10);
        top->addWidget(field, 1);
        top->addWidget(button);
        outer->addLayout(top);
        outer->addWidget(text, 1);
        field->installEventFilter(this);
        text->installEventFilter(this);
        text->viewport()->installEventFilter(this);
        connect(field, &QLineEdit::textChanged, this, [this](const QString& value) {
            if (syncing) return;
            model.setQuery(toCodePage(value));
            showAnswer();
        });
        connect(button, &QPushButton::clicked, this, [this] { openInBrowserFromField(); });
        placeOnScreen();
    }

    // Shows a topic looked up exactly, with the keyboard in the field.
    void showTopic(const std::string& topic) {
        rememberPlace();
        model.showTopic(topic);
        showModelQuery();
        showAndFocus();
    }

    void showAndFocus() {
        show();
        raise();
        activateWindow();
        field->setFocus();
    }

    void setQueryText(const std::string& query) { field->setText(fromCodePage(query.c_str())); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == field && event->type() == QEvent::KeyPress)
            return fieldKey(static_cast<QKeyEvent*>(event));
        if (watched == text && event->type() == QEvent::KeyPress)
            return textKey(static_cast<QKeyEvent*>(event));
        if (watched == text && event->type() == QEvent::KeyRelease) return true;
        if (watched == text->viewport() && event->type() == QEvent::MouseButtonDblClick) {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) doubleClickAt(mouse->position().toPoint());
            return true;
        }
        return QDialog::eventFilter(watched, event);
    }

    // Escape outside the two fields, and the dialog's own reject.
    void reject() override {
        if (model.escape()) {
            rememberPlace();
            hide();
        } else {
            showModelQuery();
        }
    }

    // The close box: hidden and forgotten; the next request makes a new one.
    void closeEvent(QCloseEvent* event) override {
        rememberPlace();
        event->accept();
        helpWindow = nullptr;
        deleteLater();
    }

  private:
    bool fieldKey(QKeyEvent* key) {
        switch (key->key()) {
            case Qt::Key_F1:
                if (textWindow) textWindow->raiseWindow();
                return true;
            case Qt::Key_F2:
                openInBrowserFromField();
                return true;
            case Qt::Key_Return:
            case Qt::Key_Enter:
                rememberPlace();
                model.enter();
                showModelQuery();
                return true;
            case Qt::Key_Escape:
                reject();
                return true;
            default:
                return false;
        }
    }

    bool textKey(QKeyEvent* key) {
        if (key->key() == Qt::Key_F1) {
            openInBrowserFromField();
        } else if (key->key() == Qt::Key_Escape) {
            if (field->text().isEmpty())
                hide();
            else
                field->clear();
        } else if (key->matches(QKeySequence::Copy)) {
            return false;
        }
        return true;
    }

    void doubleClickAt(QPoint point) {
        int position = text->cursorForPosition(point).position();
        // The model counts bytes of the code page.
        size_t offset = toCodePage(text->toPlainText().left(position)).size();
        rememberPlace();
        if (model.doubleClick(offset)) showModelQuery();
    }

    void openInBrowserFromField() {
        std::string before = model.query();
        std::string page = model.browserPage();
        if (model.query() != before) showModelQuery();
        openInBrowser(page.c_str());
    }

    // The field takes the model's query without asking it again.
    void showModelQuery() {
        syncing = true;
        field->setText(fromCodePage(model.query().c_str()));
        syncing = false;
        showAnswer();
    }

    void showAnswer() { text->setPlainText(fromCodePage(model.shownText().c_str())); }

    void placeOnScreen() {
        HelpWindowPlace place = readHelpWindowPlace();
        if (QScreen* screen = QApplication::primaryScreen()) {
            QRect area = screen->availableGeometry();
            place.width = std::min(place.width, area.width());
            place.height = std::min(place.height, area.height());
            place.x = std::clamp(place.x, area.left(), area.right() + 1 - place.width);
            place.y = std::clamp(place.y, area.top(), area.bottom() + 1 - place.height);
        }
        move(place.x, place.y);
        resize(place.width, place.height);
    }

    void rememberPlace() {
        if (isVisible()) rememberHelpWindowPlace({x(), y(), width(), height()});
    }

    HelpWindowModel model;
    QLineEdit* field = nullptr;
    QPushButton* button = nullptr;
    QPlainTextEdit* text = nullptr;
    bool syncing = false;
};

// The text of the last request, used again while the selection is only the
// highlighted matching bracket.
std::string lastRequest;

std::string selectedWord(bool& symbolic) {
    symbolic = currentMaximaMode != 0;
    NotebookEditor* editor = menuEditor();
    if (!editor) return lastRequest;
    TextLockHold hold(*editor, "help word", std::try_to_lock);
    if (!hold.owns()) return lastRequest;
    symbolic = symbolic || editor->isSymbolicAtCursor();
    if (editor->isBracketMatchShown()) return lastRequest;
    lastRequest = editor->getSelectionText();
    // Nothing selected: the name at the cursor.
    if (lastRequest.empty())
        lastRequest = helpNameAt(editor->cursor().getLine()->text.getText(),
                                 size_t(editor->cursor().getColumn()));
    return lastRequest;
}

}  // namespace

QWidget* helpWindowWidget() { return helpWindow; }

void openHelpWindow() {
    if (helpWindow) {
        helpWindow->showAndFocus();
        return;
    }
    helpWindow = new HelpWindow(textWindow ? frameOf(textWindow) : nullptr);
    helpWindow->setQueryText(getStatusHelp());
    helpWindow->showAndFocus();
}

void showHelpTopic(const char* topic) {
    if (!helpWindow) openHelpWindow();
    helpWindow->showTopic(topic ? topic : "");
}

void showHelpForWord() {
    bool symbolic = false;
    std::string word = selectedWord(symbolic);
    HelpRequest request = helpRequestForWord(word, symbolic);
    if (request.browser)
        openInBrowser(request.target.c_str());
    else
        showHelpTopic(request.target.c_str());
}

void showBrowserHelpForWord() {
    bool symbolic = false;
    std::string word = selectedWord(symbolic);
    openInBrowser(browserPageForWord(word).c_str());
}

void showHelpOverview() { showHelpTopic(""); }

}  // namespace kalix
