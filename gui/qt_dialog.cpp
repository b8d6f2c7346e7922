// Dialogs on Qt Widgets: a QDialog built from the template's rows with a
// grid and a row of buttons; each control's objectName is its id.
#include <QCheckBox>
#include <QCloseEvent>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <map>

#include "gui/dialog.h"
#include "gui/dialog_templates.h"
#include "gui/dialogs.h"
#include "gui/qt_window_parts.h"

namespace kalix {

namespace {

std::vector<Dialog*> openList;

class DialogWidget : public QDialog {
  public:
    DialogWidget(Dialog& owner, QWidget* parent) : QDialog(parent), owner(owner) {}

    // Escape and the close box ask the dialog.
    void reject() override { owner.closeRequested(); }

  protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        owner.closeRequested();
    }
    void resizeEvent(QResizeEvent* event) override {
        QDialog::resizeEvent(event);
        owner.layout();
    }

  private:
    Dialog& owner;
};

// An owner-drawn control: its item paints it.
class SwatchWidget : public QWidget {
  public:
    SwatchWidget(Dialog& owner, int id) : owner(owner), id(id) {
        setMinimumSize(32, 22);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (Dialogitem* item = owner.findItem(id)) {
            auto surface = makePainterSurface(painter, width(), height());
            item->drawItem(*surface);
        }
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(0, 0, width() - 1, height() - 1);
    }

  private:
    Dialog& owner;
    int id;
};

}  // namespace

struct DialogParts {
    DialogWidget* widget = nullptr;
    std::map<int, QWidget*> controls;
    std::map<int, int> limits;
    bool initializing = false;
    bool closed = false;
    bool modal = true;
};

const std::vector<Dialog*>& openDialogs() { return openList; }

Dialog::Dialog(StandardWindow* owner, int templateId) : owner(owner), templateId(templateId) {}

Dialog::~Dialog() {
    std::erase(openList, this);
    if (widgets) delete widgets->widget;
}

int Dialog::isOpen() const { return widgets && widgets->widget && !widgets->closed; }

// --- building ------------------------------------------------------------------------------

namespace {

QWidget* makeControl(Dialog& dialog, const DialogControl& c, DialogParts& parts) {
    QString label = fromCodePage(c.label);
    int id = c.id;
    auto notify = [&dialog, &parts, id](int code) {
        if (!parts.initializing) dialog.command(id, code);
    };
    QWidget* control = nullptr;
    switch (c.kind) {
        case controlLabel:
        case controlText: {
            auto* text = new QLabel(label);
            text->setTextFormat(Qt::PlainText);
            text->setWordWrap(c.kind == controlText || c.span > 1);
            if (c.kind == controlText) text->setTextInteractionFlags(Qt::TextSelectableByMouse);
            control = text;
            break;
        }
        case controlEdit: {
            auto* edit = new QLineEdit;
            QObject::connect(edit, &QLineEdit::textChanged, edit,
                             [notify] { notify(notifyTextChanged); });
            control = edit;
            break;
        }
        case controlMultiline: {
            auto* edit = new QPlainTextEdit;
            edit->setLineWrapMode(QPlainTextEdit::NoWrap);
            edit->setTabChangesFocus(false);
            QObject::connect(edit, &QPlainTextEdit::textChanged, edit, [edit, notify, &parts, id] {
                auto found = parts.limits.find(id);
                if (found != parts.limits.end() &&
                    edit->document()->characterCount() - 1 > found->second) {
                    QString text = edit->toPlainText().left(found->second);
                    QSignalBlocker block(edit);
                    edit->setPlainText(text);
                    edit->moveCursor(QTextCursor::End);
                }
                notify(notifyTextChanged);
            });
            control = edit;
            break;
        }
        case controlButton:
        case controlDefaultButton: {
            auto* button = new QPushButton(label);
            button->setAutoDefault(false);
            if (c.kind == controlDefaultButton) button->setDefault(true);
            QObject::connect(button, &QPushButton::clicked, button,
                             [notify] { notify(notifyClicked); });
            control = button;
            break;
        }
        case controlCheck: {
            auto* check = new QCheckBox(label);
            QObject::connect(check, &QCheckBox::clicked, check,
                             [notify] { notify(notifyClicked); });
            control = check;
            break;
        }
        case controlList: {
            auto* list = new QListWidget;
            QObject::connect(list, &QListWidget::currentRowChanged, list,
                             [notify] { notify(notifySelectionChanged); });
            QObject::connect(list, &QListWidget::itemDoubleClicked, list,
                             [notify] { notify(notifyDoubleClicked); });
            control = list;
            break;
        }
        case controlSwatch:
            control = new SwatchWidget(dialog, id);
            break;
        default:
            return nullptr;
    }
    control->setObjectName(QString::number(id));
    if (id != staticLabelId && id != 0) parts.controls[id] = control;
    return control;
}

void buildWidget(Dialog& dialog, const DialogTemplate& t, DialogParts& parts, QWidget* parent) {
    auto* widget = new DialogWidget(dialog, parent);
    parts.widget = widget;
    widget->setObjectName(QString("dialog%1").arg(t.id));
    widget->setWindowTitle(fromCodePage(t.caption));
    auto* outer = new QVBoxLayout(widget);
    outer->setContentsMargins(12, 12, 12, 12);
    outer->setSpacing(10);
    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(6);
    bool grows = false;
    int columns = 0;
    for (const DialogControl* c : templateControls(t.id)) {
        if (c->id != staticLabelId && dialog.isLeftOut(c->id)) continue;
        if (c->row == buttonRow) {
            if (c->kind == controlStretch) {
                buttons->addStretch(1);
            } else if (QWidget* control = makeControl(dialog, *c, parts)) {
                control->setMinimumWidth(std::max(control->sizeHint().width(), 80));
                buttons->addWidget(control);
            }
            continue;
        }
        QWidget* control = makeControl(dialog, *c, parts);
        if (!control) continue;
        grid->addWidget(control, c->row, c->column, 1, c->span);
        columns = std::max(columns, c->column + c->span);
        if (c->kind == controlMultiline || c->kind == controlList) {
            grid->setRowStretch(c->row, 1);
            grows = true;
        }
    }
    // Fields stretch; a grid of swatches shares the width evenly.
    if (t.id == 9) {
        for (int i = 0; i < columns; i++) grid->setColumnStretch(i, 1);
    } else {
        grid->setColumnStretch(1, 1);
    }
    outer->addLayout(grid, grows ? 1 : 0);
    if (!grows) outer->addStretch(1);
    if (buttons->count() > 0)
        outer->addLayout(buttons);
    else
        delete buttons;  // a template without buttons (the help window's)
    widget->setMinimumWidth(t.width);
    widget->resize(std::max(widget->sizeHint().width(), t.width),
                   std::max(widget->sizeHint().height(), t.height));
}

// The widget was sized for the template's texts; the items may have put in
// longer ones (a label of several lines): grow until they all show.
void growToContents(QWidget* widget) {
    widget->layout()->activate();
    QSize hint = widget->sizeHint();
    int width = std::max(widget->width(), hint.width());
    int height = std::max(widget->height(), hint.height());
    if (widget->hasHeightForWidth()) height = std::max(height, widget->heightForWidth(width));
    widget->resize(width, height);
}

}  // namespace

// --- running ----------------------------------------------------------------------------------

bool Dialog::open(bool modal) {
    const DialogTemplate* t = findDialogTemplate(templateId);
    if (!t || isOpen()) return false;
    // A modeless dialog closed earlier is made anew.
    if (widgets) delete widgets->widget;
    widgets = std::make_unique<DialogParts>();
    widgets->modal = modal;
    buildWidget(*this, *t, *widgets, frameOf(owner));
    DialogWidget* widget = widgets->widget;
    widget->setModal(modal);
    openList.insert(openList.begin(), this);
    widgets->initializing = true;
    for (Dialogitem* item : std::vector<Dialogitem*>(items)) item->initItem();
    if (focusId) {
        auto found = widgets->controls.find(focusId);
        if (found != widgets->controls.end()) found->second->setFocus();
    }
    widget->setMinimumSize(std::max(widget->minimumWidth(), minimumWidth),
                           std::max(widget->minimumHeight(), minimumHeight));
    growToContents(widget);
    if (positionRemembered) widget->move(rememberedX, rememberedY);
    if (sizeRemembered) widget->resize(rememberedWidth, rememberedHeight);
    widgets->initializing = false;
    lastCommandId = 0;
    layout();
    return true;
}

int Dialog::runModal() {
    if (!open(true)) {
        showWarningBox("Could not carry out the Dialog!", "Error", owner);
        return -1;
    }
    DialogWidget* widget = widgets->widget;
    widget->exec();
    std::erase(openList, this);
    // Ended from outside (the program quits): as a cancel, values read.
    if (!widgets->closed) {
        for (Dialogitem* item : std::vector<Dialogitem*>(items)) item->readBack();
        lastCommandId = dialogCancel;
    }
    delete widget;
    widgets.reset();
    return lastCommandId;
}

int Dialog::create() {
    if (!open(false)) {
        showWarningBox("Could not create the Dialog!", "Error", owner);
        return 0;
    }
    widgets->widget->show();
    return 1;
}

bool Dialog::isLeftOut(int id) const {
    return std::find(leftOut.begin(), leftOut.end(), id) != leftOut.end();
}

void Dialog::closingSteps(int id) {
    if (id != dialogCancel && !accept()) return;
    lastCommandId = id;
    std::erase(openList, this);
    for (Dialogitem* item : std::vector<Dialogitem*>(items)) item->readBack();
    if (id == dialogOk) rememberRect();
    widgets->closed = true;
    widgets->widget->done(0);
}

void Dialog::rememberRect() {
    if (!widgets || !widgets->widget) return;
    QWidget* widget = widgets->widget;
    rememberedX = widget->x();
    rememberedY = widget->y();
    rememberedWidth = widget->width();
    rememberedHeight = widget->height();
}

// --- controls -------------------------------------------------------------------------------

namespace {

QWidget* controlOf(DialogParts* parts, int id) {
    if (!parts) return nullptr;
    auto found = parts->controls.find(id);
    return found == parts->controls.end() ? nullptr : found->second;
}

}  // namespace

void Dialog::setControlText(int id, const std::string& text) {
    QWidget* control = controlOf(widgets.get(), id);
    QString value = fromCodePage(text.c_str());
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        edit->setText(value);
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(control))
        multi->setPlainText(value);
    else if (auto* label = qobject_cast<QLabel*>(control))
        label->setText(value);
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        button->setText(value);
}

std::string Dialog::getControlText(int id) const {
    QWidget* control = controlOf(widgets.get(), id);
    QString value;
    if (auto* edit = qobject_cast<QLineEdit*>(control))
        value = edit->text();
    else if (auto* multi = qobject_cast<QPlainTextEdit*>(control))
        value = multi->toPlainText();
    else if (auto* label = qobject_cast<QLabel*>(control))
        value = label->text();
    else if (auto* button = qobject_cast<QAbstractButton*>(control))
        value = button->text();
    return toCodePage(value);
}

void Dialog::setControlChecked(int id, int on) {
    if (auto* check = qobject_cast<QCheckBox*>(controlOf(widgets.get(), id)))
        check->setChecked(on != 0);
}

int Dialog::isControlChecked(int id) const {
    auto* check = qobject_cast<QCheckBox*>(controlOf(widgets.get(), id));
    return check && check->isChecked() ? 1 : 0;
}

void Dialog::setControlReadOnly(int id) {
    QWidget* control = controlOf(widgets.get(), id);
    if (auto* edit = qobject_cast<QLineEdit*>(control)) edit->setReadOnly(true);
    if (auto* multi = qobject_cast<QPlainTextEdit*>(control)) multi->setReadOnly(true);
}

void Dialog::setControlEnabled(int id, int on) {
    if (QWidget* control = controlOf(widgets.get(), id)) control->setEnabled(on != 0);
}

void Dialog::setControlFont(int id, const WindowFont& font) {
    if (QWidget* control = controlOf(widgets.get(), id)) control->setFont(qtFontOf(font));
}

void Dialog::setControlLimit(int id, int limit) {
    if (!widgets) return;
    if (auto* edit = qobject_cast<QLineEdit*>(controlOf(widgets.get(), id)))
        edit->setMaxLength(limit);
    else
        widgets->limits[id] = limit;
}

void Dialog::addListEntry(int id, const std::string& text) {
    if (auto* list = qobject_cast<QListWidget*>(controlOf(widgets.get(), id)))
        list->addItem(fromCodePage(text.c_str()));
}

void Dialog::selectListEntry(int id, int index) {
    if (auto* list = qobject_cast<QListWidget*>(controlOf(widgets.get(), id)))
        list->setCurrentRow(index);
}

int Dialog::getListSelection(int id) const {
    auto* list = qobject_cast<QListWidget*>(controlOf(widgets.get(), id));
    return list ? list->currentRow() : -1;
}

std::string Dialog::getListEntry(int id, int index) const {
    auto* list = qobject_cast<QListWidget*>(controlOf(widgets.get(), id));
    if (!list || index < 0 || index >= list->count()) return std::string();
    return toCodePage(list->item(index)->text());
}

void Dialog::repaintControl(int id) {
    if (QWidget* control = controlOf(widgets.get(), id)) control->update();
}

int Dialog::getItemWidth(int id) const {
    QWidget* control = controlOf(widgets.get(), id);
    return control ? control->width() : 0;
}

int Dialog::getItemHeight(int id) const {
    QWidget* control = controlOf(widgets.get(), id);
    return control ? control->height() : 0;
}

}  // namespace kalix
