// Message boxes and common dialogs on Qt Widgets.
#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QMessageBox>
#include <QPrinterInfo>
#include <QPushButton>

#include <cstdarg>
#include <cstdio>

#include "gui/dialogs.h"
#include "gui/gui_bridge.h"
#include "gui/qt_window_parts.h"
#include "platform/allow_question.h"

namespace kalix {

namespace {

enum BoxKind { boxOk, boxWarning, boxYesNo, boxYesNoCancel };

int runBox(BoxKind kind, const char* text, const char* title, StandardWindow* owner) {
    QMessageBox box(frameOf(owner));
    box.setWindowTitle(fromCodePage(title));
    box.setText(fromCodePage(text));
    box.setTextFormat(Qt::PlainText);
    switch (kind) {
        case boxOk:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case boxWarning:
            box.setIcon(QMessageBox::Warning);
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case boxYesNo:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case boxYesNoCancel:
            box.setIcon(QMessageBox::Question);
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Yes:
            return answerYes;
        case QMessageBox::No:
            return answerNo;
        case QMessageBox::Cancel:
            return answerCancel;
        default:
            // Closing a yes/no box with Escape is no; with Cancel, cancel.
            return kind == boxYesNo ? answerNo : kind == boxYesNoCancel ? answerCancel : answerOk;
    }
}

// The box on the GUI thread; `fallback` when it cannot be shown.
int box(BoxKind kind, const char* text, const char* title, StandardWindow* owner, int fallback) {
    int answer = fallback;
    std::string t = text ? text : "", h = title ? title : "";
    sendToGui([&] { answer = runBox(kind, t.c_str(), h.c_str(), owner); });
    return answer;
}

}  // namespace

void showMessage(const char* text, const char* title) {
    box(boxOk, text, title, nullptr, answerOk);
}

void showFormattedMessage(const char* title, const char* format, ...) {
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    showMessage(text, title);
}

void showWarningBox(const char* text, const char* title, StandardWindow* owner) {
    box(boxWarning, text, title, owner, answerOk);
}

int askYesNo(const char* text, const char* title, StandardWindow* owner) {
    return box(boxYesNo, text, title, owner, answerNo);
}

int askYesNoCancel(const char* text, const char* title, StandardWindow* owner) {
    return box(boxYesNoCancel, text, title, owner, answerCancel);
}

int askAllowBox(const char* question, StandardWindow* owner) {
    int answer = allowNo;
    std::string text = question ? question : "Allow?";
    sendToGui([&] {
        QMessageBox box(frameOf(owner));
        box.setWindowTitle("Kalix");
        box.setText(fromCodePage(text.c_str()));
        box.setTextFormat(Qt::PlainText);
        box.setIcon(QMessageBox::Question);
        QPushButton* yes = box.addButton("Yes", QMessageBox::YesRole);
        box.addButton("No", QMessageBox::NoRole);
        QPushButton* always = box.addButton("In this Notebook", QMessageBox::AcceptRole);
        box.setDefaultButton(yes);
        box.exec();
        if (box.clickedButton() == yes)
            answer = allowYes;
        else if (box.clickedButton() == always)
            answer = allowUntilRestart;
    });
    return answer;
}

// --- file choosers ---------------------------------------------------------------------------

FileSelector::FileSelector(StandardWindow* owner, const char* fileName, int save, const char* title,
                           const char* extension, const char* const* filter)
    : owner(owner),
      fileName(fileName ? fileName : ""),
      save(save),
      title(title ? title : ""),
      extension(extension ? extension : ""),
      filter(filter) {}

std::string FileSelector::filterText() const {
    std::string out;
    for (const char* const* p = filter; p && p[0] && p[1]; p += 2) {
        std::string patterns = p[1];
        for (char& c : patterns)
            if (c == ';') c = ' ';
        // "*.*" means every file here.
        if (patterns == "*.*") patterns = "*";
        if (!out.empty()) out += ";;";
        out += std::string(p[0]) + " (" + patterns + ")";
    }
    return out;
}

std::string FileSelector::chooseFile(StandardWindow* ownerWindow) {
    std::string chosen;
    StandardWindow* parent = ownerWindow ? ownerWindow : owner;
    sendToGui([&] {
        QFileDialog dialog(frameOf(parent), fromCodePage(title.c_str()));
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setNameFilter(QString::fromUtf8(filterText().c_str()));
        std::string suffix = extension;
        if (!suffix.empty() && suffix[0] == '.') suffix.erase(0, 1);
        dialog.setDefaultSuffix(QString::fromUtf8(suffix.c_str()));
        if (!directory_.empty()) dialog.setDirectory(QString::fromLocal8Bit(directory_.c_str()));
        if (!fileName.empty()) dialog.selectFile(QString::fromLocal8Bit(fileName.c_str()));
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
        // File names stay the bytes of the file system.
        chosen = dialog.selectedFiles().first().toLocal8Bit().constData();
    });
    if (!chosen.empty()) fileName = chosen;
    return chosen;
}

std::string FileSelector::chooseFolder(StandardWindow* ownerWindow) {
    std::string chosen;
    StandardWindow* parent = ownerWindow ? ownerWindow : owner;
    sendToGui([&] {
        QString folder = QFileDialog::getExistingDirectory(
            frameOf(parent), QString(), QString::fromLocal8Bit(directory_.c_str()));
        chosen = folder.toLocal8Bit().constData();
    });
    if (!chosen.empty()) directory_ = chosen;
    return chosen;
}

namespace {

const char* const programFilter[] = {"Kalix Files", "*.k", "All Files", "*.*", nullptr};
const char* const notebookFilter[] = {"Kalix Notebooks", "*.kn", "All Files", "*.*", nullptr};
const char* const pngFilter[] = {"PNG Files", "*.png", "All Files", "*.*", nullptr};
const char* const htmlFilter[] = {"HTML Files", "*.html;*.htm", "All Files", "*.*", nullptr};
const char* const epsFilter[] = {"EPS Files", "*.eps", "All Files", "*.*", nullptr};
const char* const svgFilter[] = {"SVG Files", "*.svg", "All Files", "*.*", nullptr};
const char* const pdfFilter[] = {"PDF Files", "*.pdf", "All Files", "*.*", nullptr};
// Programs have no extension here.
const char* const executableFilter[] = {"Exectuables", "*", nullptr};

}  // namespace

FileSelector loadProgramSelector(nullptr, "", 0, "Load KALIX File", "k", programFilter);
FileSelector loadNotebookSelector(nullptr, "", 0, "Load Notebook", "kn", notebookFilter);
FileSelector savePngSelector(nullptr, "", 1, "Save Graphics as PNG", "png", pngFilter);
FileSelector saveEditorSelector(nullptr, "", 1, "Save Editor", "k", programFilter);
FileSelector exportHtmlSelector(nullptr, "", 1, "Export Notebook to HTML", "html", htmlFilter);
FileSelector saveNotebookSelector(nullptr, "", 1, "Save Notebook", "kn", notebookFilter);
FileSelector saveEpsSelector(nullptr, "", 1, "Save Graphics as Postscript", "eps", epsFilter);
FileSelector saveSvgSelector(nullptr, "", 1, "Save Graphics as SVG", "svg", svgFilter);
FileSelector browserExeSelector(nullptr, "", 0, "Set Browser Excecutable", "", executableFilter);
FileSelector loadEditorSelector(nullptr, "", 0, "Load Editor File", ".k", programFilter);
FileSelector printPdfSelector(nullptr, "", 1, "Print to PDF file", "pdf", pdfFilter);

// --- the colour chooser ---------------------------------------------------------------------

ColorChoice pickColor(StandardWindow* owner, Rgb initial) {
    ColorChoice choice{initial, 2};
    sendToGui([&] {
        QColor start(initial.red & 0xff, initial.green & 0xff, initial.blue & 0xff);
        QColor colour = QColorDialog::getColor(start, frameOf(owner));
        if (!colour.isValid()) return;
        choice = {Rgb{colour.red(), colour.green(), colour.blue()}, 1};
    });
    return choice;
}

// --- the font chooser -----------------------------------------------------------------------

FontChoice pickFont(StandardWindow* owner, const WindowFont& initial, int fixedPitchOnly) {
    FontChoice choice{initial.face, initial.height, 2};
    sendToGui([&] {
        bool ok = false;
        QFontDialog::FontDialogOptions options =
            fixedPitchOnly ? QFontDialog::MonospacedFonts : QFontDialog::ScalableFonts;
        QFont font =
            QFontDialog::getFont(&ok, qtFontOf(initial), frameOf(owner), QString(), options);
        if (!ok) return;
        choice = {toCodePage(font.family()), QFontMetrics(font).height(), 1};
    });
    return choice;
}

std::vector<std::string> printerNames() {
    std::vector<std::string> names;
    for (const QString& name : QPrinterInfo::availablePrinterNames())
        names.push_back(name.toStdString());
    return names;
}

std::string defaultPrinterName() { return QPrinterInfo::defaultPrinterName().toStdString(); }

}  // namespace kalix
