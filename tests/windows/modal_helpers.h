// Acting on the modal dialogs and message boxes that a command opens: the
// action is set up first, then the command runs (and waits in the dialog's
// own event loop until the action ended it).
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include <functional>
#include <string>

namespace kalix {

// Acts on the next modal widget as soon as it shows.
inline void whenModal(std::function<void(QWidget*)> act) {
    auto* poll = new QTimer(QApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, act] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog || !dialog->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(dialog);
    });
    poll->start(5);
}

// Makes the window active again (on the "offscreen" platform a closed
// dialog leaves no window active, and accelerators need an active one).
inline void activateAgain(QWidget* frame) {
    if (QApplication::activeWindow() == frame) return;
    frame->activateWindow();
    if (!QTest::qWaitForWindowActive(frame, 10000)) qWarning("the window stays inactive");
}

// The next message box: its text into `text`, then the button pressed.
inline void answerNextBox(std::string* text, QMessageBox::StandardButton button = QMessageBox::Ok) {
    whenModal([text, button](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (!box) return;
        if (text) *text = box->windowTitle().toStdString() + ": " + box->text().toStdString();
        box->button(button)->click();
    });
}

// A control of a dialog by its id.
template <class Control>
Control* controlById(QWidget* dialog, int id) {
    return dialog->findChild<Control*>(QString::number(id));
}

inline void clickControl(QWidget* dialog, int id) {
    if (auto* button = controlById<QAbstractButton>(dialog, id)) button->click();
}

// Every item of a menu bar with that command id.
inline std::vector<QAction*> menuActions(QMenuBar* bar, int id) {
    std::vector<QAction*> found;
    for (QAction* action : bar->findChildren<QAction*>())
        if (action->data().isValid() && action->data().toInt() == id && !action->menu())
            found.push_back(action);
    return found;
}

}  // namespace kalix
