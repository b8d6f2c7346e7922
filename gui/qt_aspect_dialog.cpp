// The "Set Aspect" dialog on Qt.
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleValidator>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include "gui/graphics_window_commands.h"
#include "gui/program_launch.h"
#include "gui/qt_window_parts.h"
#include "gui/text_window.h"

namespace kalix {

bool runAspectDialog(AspectChoice& choice) {
    QDialog dialog(frameOf(textWindow));
    dialog.setWindowTitle("Set Aspect");
    auto* layout = new QGridLayout(&dialog);
    auto* value = new QLineEdit(QString::number(choice.aspect, 'g', 17));
    auto* validator = new QDoubleValidator(value);
    validator->setLocale(QLocale::c());
    value->setValidator(validator);
    layout->addWidget(new QLabel("Width / Height"), 0, 0);
    layout->addWidget(value, 0, 1, 1, 3);
    const struct {
        const char* text;
        double ratio;
    } presets[] = {{"1:1", 1.0}, {"3:2", 1.5}, {"2:1", 2.0}, {"16:9", 16.0 / 9}};
    int column = 0;
    for (const auto& preset : presets) {
        auto* button = new QPushButton(preset.text);
        button->setAutoDefault(false);
        const double ratio = preset.ratio;
        QObject::connect(button, &QPushButton::clicked,
                         [value, ratio] { value->setText(QString::number(ratio, 'g', 17)); });
        layout->addWidget(button, 1, column++);
    }
    auto* follow = new QCheckBox("Follow the Size of the Graphics Window");
    follow->setChecked(choice.followWindow);
    layout->addWidget(follow, 2, 0, 1, 4);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    // The Help button has the id of the other dialogs' Help buttons.
    QPushButton* help = buttons->addButton("Help", QDialogButtonBox::HelpRole);
    help->setObjectName("30");
    help->setAutoDefault(false);
    QObject::connect(help, &QPushButton::clicked,
                     [] { openDocumentationPage("reference/overview.html#Plot%C2%A0Aspect"); });
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons, 3, 0, 1, 4);
    if (dialog.exec() != QDialog::Accepted) return false;
    bool ok = false;
    const double ratio = QLocale::c().toDouble(value->text(), &ok);
    if (ok && ratio > 0) choice.aspect = ratio;
    choice.followWindow = follow->isChecked();
    return true;
}

}  // namespace kalix
