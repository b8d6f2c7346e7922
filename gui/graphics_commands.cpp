// Graphics export, clipboard, printing and crop commands.
#include "gui/graphics_commands.h"

#include <QByteArray>
#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QStringList>
#include <QTextLayout>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>

#include "base/settings.h"
#include "base/text.h"
#include "base/threads.h"
#include "graphics/antialias.h"
#include "graphics/crop_area.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_store.h"
#include "graphics/png_export.h"
#include "graphics/png_file.h"
#include "gui/dialog.h"
#include "gui/dialogs.h"
#include "gui/graphics_window.h"
#include "gui/option_dialogs.h"
#include "gui/text_window.h"
#include "notebook/notebook_model.h"
#include "platform/host.h"

namespace kalix {

int exportWidth = 0, exportHeight = 0;

namespace {

SizeDialogRunner sizeDialogRunner;
FileChooserRunner fileChooserRunner;
PrintDialogRunner printDialogRunner;

// Ready: the interpreter waits for a command and no input builtin runs.
bool ready() { return getIntCell(inputWaiting) == 1 && inputBuiltinActive == 0; }

QString fromCodePage(const std::string& text) {
    std::string utf8;
    codePageToUtf8(text.c_str(), utf8);
    return QString::fromUtf8(utf8.c_str());
}

// The size dialog's buttons.
class WindowSizeButton : public ButtonItem {
  public:
    WindowSizeButton(Dialog& dialog, LongItem& width, LongItem& height)
        : ButtonItem(16, dialog), width(width), height(height) {}
    int onItemCommand(int code) override {
        ExportSize area = windowExportSize();
        width.setValue(area.width);
        height.setValue(area.height);
        return ButtonItem::onItemCommand(code);
    }

  private:
    LongItem &width, &height;
};

class KeepAspectButton : public ButtonItem {
  public:
    KeepAspectButton(Dialog& dialog, LongItem& width, LongItem& height)
        : ButtonItem(17, dialog), width(width), height(height) {}
    int onItemCommand(int code) override {
        width.readBack();
        height.setValue(keepAspectHeight(width.getValue()));
        return ButtonItem::onItemCommand(code);
    }

  private:
    LongItem &width, &height;
};

class ForPrintButton : public ButtonItem {
  public:
    ForPrintButton(Dialog& dialog, LongItem& width, LongItem& height, CheckItem& antialias)
        : ButtonItem(18, dialog), width(width), height(height), antialias(antialias) {}
    int onItemCommand(int code) override {
        ExportSize print = forPrintExportSize();
        width.setValue(print.width);
        height.setValue(print.height);
        antialias.setChecked(0);
        return ButtonItem::onItemCommand(code);
    }

  private:
    LongItem &width, &height;
    CheckItem& antialias;
};

// The size dialog ("Set Size"): width 10, height 11, "Window" 16, "Keep
// Aspect" 17, "For Print" 18 (PNG), "Anti-Alias PNG Graphics" 20 (PNG and
// bitmap), Help 30.
bool runSizeDialog(SizeDialogKind kind, ExportSize& size) {
    if (sizeDialogRunner) return sizeDialogRunner(kind, size);
    Dialog dialog(textWindow, 7);
    LongItem width(10, dialog, size.width);
    LongItem height(11, dialog, size.height);
    WindowSizeButton window(dialog, width, height);
    KeepAspectButton aspect(dialog, width, height);
    CheckItem antialias(20, dialog, size.antialias != 0);
    ForPrintButton forPrint(dialog, width, height, antialias);
    HelpButton help(dialog, "documentation/gui.html#Graphics_Export");
    if (kind != sizeForPng) dialog.leaveOut(18);
    if (kind == sizeForSvg) dialog.leaveOut(20);
    if (dialog.runModal() != dialogOk) return false;
    size.width = width.getValue();
    size.height = height.getValue();
    if (kind != sizeForSvg) size.antialias = antialias.getValue();
    return true;
}

std::string chooseFile(FileSelector& selector) {
    if (fileChooserRunner) return fileChooserRunner(selector.getTitle().c_str());
    return selector.chooseFile();
}

// The print dialog ("Print"): the printer list 10, the comment 11 in the
// text window's font, Help 30.
bool runPrintDialog(std::string& printer, std::string& comment) {
    if (printDialogRunner) return printDialogRunner(printer, comment);
    Dialog dialog(textWindow, 10);
    PrinterItem list(10, dialog, printer);
    MultilineItem text(11, dialog, comment);
    if (textWindow) text.setItemFont(textWindow->getFonts().normal);
    HelpButton help(dialog, "documentation/gui.html#Print");
    if (dialog.runModal() != dialogOk) return false;
    printer = list.getPrinter();
    comment = text.getItemString();
    return true;
}

// The size the dialog starts with.
ExportSize startingSize(int antialias) {
    if (exportWidth == 0) {
        ExportSize area = windowExportSize();
        exportWidth = area.width;
        exportHeight = area.height;
    }
    return ExportSize{exportWidth, exportHeight, antialias};
}

int boundedSize(int value) { return std::clamp(value, 10, largestExportSize); }

void reportExport(ExportResult result, const std::string& name, const char* title) {
    switch (result) {
        case ExportResult::written:
        case ExportResult::interrupted:
            return;
        case ExportResult::cannotOpen:
        case ExportResult::writeFailed:
            showMessage((std::string("Could not write\n") + name).c_str(), title);
    }
}

QImage qimageOf(const PixelImage& image) {
    QImage out(image.width(), image.height(), QImage::Format_RGB32);
    for (int y = 0; y < image.height(); y++)
        std::copy(image.row(y), image.row(y) + image.width(),
                  reinterpret_cast<uint32_t*>(out.scanLine(y)));
    return out;
}

std::string pngOf(const PixelImage& image) {
    StringSink sink;
    return writePng(image, sink) ? sink.text : std::string();
}

// Pictures and SVG on the clipboard; the clipboard owns the data.
void putPictureOnClipboard(const PixelImage& image, const std::string* svg) {
    auto* data = new QMimeData;
    const std::string png = pngOf(image);
    data->setData("image/png", QByteArray(png.data(), qsizetype(png.size())));
    if (svg) data->setData("image/svg+xml", QByteArray(svg->data(), qsizetype(svg->size())));
    data->setImageData(qimageOf(image));
    QGuiApplication::clipboard()->setMimeData(data);
}

}  // namespace

void setExportDialogs(SizeDialogRunner size, FileChooserRunner file, PrintDialogRunner print) {
    sizeDialogRunner = std::move(size);
    fileChooserRunner = std::move(file);
    printDialogRunner = std::move(print);
}

ExportSize windowExportSize() { return ExportSize{getGraphicsWidth(), getGraphicsHeight(), 0}; }

int keepAspectHeight(int width) { return int(width / getAspectRatio() + 0.5); }

ExportSize forPrintExportSize() { return ExportSize{2000, keepAspectHeight(2000), 0}; }

bool renderExportBitmap(int width, int height, bool antialias, PixelImage& out) {
    PixelImage image;
    if (renderShownPicture(width, height, antialias, codePageToUtf8, escapePressed, image) !=
        ExportResult::written)
        return false;
    return cropPixels(image, out);
}

bool graphicsSvgText(int width, int height, std::string& svg) {
    WriterSettings settings = pictureSettings(width, height);
    settings.codePageToUtf8 = codePageToUtf8;
    StringSink sink;
    if (writeSvg(graphicsStore(), sink, settings, escapePressed) != ExportResult::written)
        return false;
    svg = std::move(sink.text);
    return true;
}

void saveGraphicsPngDialog() {
    if (!ready()) return;
    ExportSize size = startingSize(intSetting("savewithantialias"));
    if (!runSizeDialog(sizeForPng, size)) return;
    std::string file = chooseFile(savePngSelector);
    if (file.empty()) return;
    exportWidth = boundedSize(size.width);
    exportHeight = boundedSize(size.height);
    std::string written;
    ExportResult result =
        saveGraphicsPng(file.c_str(), exportWidth, exportHeight, size.antialias != 0,
                        codePageToUtf8, escapePressed, &written);
    reportExport(result, written, "Save PNG");
}

void copyGraphicsBitmap() {
    ExportSize size = startingSize(intSetting("savewithantialias"));
    if (!runSizeDialog(sizeForBitmap, size)) return;
    exportWidth = boundedSize(size.width);
    exportHeight = boundedSize(size.height);
    writeIntSetting("savewithantialias", size.antialias ? 1 : 0);
    PixelImage image;
    if (!renderExportBitmap(exportWidth, exportHeight, size.antialias != 0, image)) return;
    putPictureOnClipboard(image, nullptr);
}

void saveGraphicsSvgDialog() {
    if (!ready()) return;
    ExportSize size = startingSize(0);
    if (!runSizeDialog(sizeForSvg, size)) return;
    exportWidth = size.width;
    exportHeight = size.height;
    std::string file = chooseFile(saveSvgSelector);
    if (file.empty()) return;
    WriterSettings settings = pictureSettings(0, 0);
    settings.codePageToUtf8 = codePageToUtf8;
    std::string written;
    ExportResult result =
        saveSvgFile(file.c_str(), exportWidth, exportHeight, intSetting("savecompressedsvg") != 0,
                    settings, escapePressed, &written);
    reportExport(result, written, "Save SVG");
}

void copyGraphicsMetafile() {
    const int width = getGraphicsWidth(), height = getGraphicsHeight();
    std::string svg;
    PixelImage image;
    if (!graphicsSvgText(width, height, svg)) return;
    if (!renderExportBitmap(width, height, intSetting("savewithantialias") != 0, image)) return;
    putPictureOnClipboard(image, &svg);
}

void saveGraphicsEpsDialog() {
    if (!ready()) return;
    std::string file = chooseFile(saveEpsSelector);
    if (file.empty()) return;
    WriterSettings settings = pictureSettings(0, 0);
    settings.codePageToUtf8 = codePageToUtf8;
    std::string written;
    reportExport(saveGraphicsEps(file.c_str(), settings, escapePressed, &written), written,
                 "Save EPS");
}

// --- printing -------------------------------------------------------------------------------

int printGraphicsJob(const std::string& printer, const std::string& pdfFile,
                     const std::string& comment) {
    QPrinter device(QPrinter::PrinterResolution);
    device.setResolution(300);
    device.setDocName("Kalix");
    if (!pdfFile.empty()) {
        device.setOutputFormat(QPrinter::PdfFormat);
        device.setOutputFileName(QString::fromUtf8(pdfFile.c_str()));
    } else {
        device.setPrinterName(QString::fromStdString(printer));
        if (!device.isValid()) return 0;
    }
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    const QRect page(0, 0, device.width(), device.height());
    const int W = page.width(), H = page.height();
    const int m = int(W * 0.1);
    const double drawingWidth = getGraphicsWidth(), drawingHeight = getGraphicsHeight();
    int pw = W - 2 * m, ph = int(pw * drawingHeight / drawingWidth);
    int x = m, y = m;
    if (H - m < m + ph) {
        ph = H - 2 * m;
        pw = int(ph * drawingWidth / drawingHeight);
        x = m;
        y = (H - ph) / 2;
    } else {
        x = (W - pw) / 2;
    }
    PixelImage image;
    if (pw > 0 && ph > 0 && renderExportBitmap(pw, ph, false, image))
        painter.drawImage(QRect(x, y, image.width(), image.height()), qimageOf(image));
    int pages = 1;
    if (!comment.empty()) {
        // Word-wrapped below the picture; what does not fit goes on.
        QFont font(QString::fromUtf8(graphicsFontName()));
        font.setPixelSize(std::max(10, H / 60));
        painter.setFont(font);
        const RgbColor& colour = textColors[0];
        painter.setPen(QColor(colour.redOf(), colour.greenOf(), colour.blueOf()));
        QFontMetrics metrics(font, &device);
        const int lineHeight = metrics.lineSpacing();
        int top = y + ph + m;
        const QString text = fromCodePage(comment);
        for (const QString& paragraph : text.split('\n')) {
            QTextLayout layout(paragraph, font, &device);
            layout.beginLayout();
            for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
                line.setLineWidth(W - 2 * m);
                if (top + lineHeight > H - m) {
                    device.newPage();
                    pages++;
                    top = m;
                }
                line.setPosition(QPointF(0, 0));
                line.draw(&painter, QPointF(m, top));
                top += lineHeight;
            }
            layout.endLayout();
        }
    }
    painter.end();
    return pages;
}

static std::atomic<int> printJobs{0};

void printGraphicsDialog() {
    if (!ready()) return;
    std::string printer = textSetting("printer") ? textSetting("printer") : "";
    if (printer.empty()) printer = defaultPrinterName();
    static std::string comment;
    if (!runPrintDialog(printer, comment)) return;
    std::string pdfFile;
    if (printer == printToPdfEntry) {
        pdfFile = chooseFile(printPdfSelector);
        if (pdfFile.empty()) return;
    } else {
        writeSetting("printer", printer.c_str());
        const std::vector<std::string> names = printerNames();
        if (std::find(names.begin(), names.end(), printer) == names.end()) {
            showMessage("No Printer available!", "Kalix");
            return;
        }
    }
    // Printing draws the picture on a thread of its own.
    static std::mutex printing;
    printJobs++;
    auto job = [printer, pdfFile, text = comment] {
        std::lock_guard<std::mutex> hold(printing);
        printGraphicsJob(printer, pdfFile, text);
        printJobs--;
    };
    if (!startDetachedThread(job)) job();  // no thread to be had: print here
}

int printJobActive() { return printJobs.load() > 0; }

// --- crop -------------------------------------------------------------------------------------

void startCropMode() {
    if (getIntCell(inputWaiting) != 1) return;
    setCrop(CropRectangle());
    // Shown before crop mode holds the status line.
    setStatusText("Drag a crop area with the mouse! End with Return!");
    cropMode = 1;
    // Inside the notebook the area is dragged over the picture there.
    if (graphicsInTextWindow) graphicsOverText = 1;
    redrawGraphics();
    showGraphicsWindow();
}

bool cropToRectangle(int x0, int y0, int x1, int y1, int width, int height) {
    return setCropFromCorners(x0, y0, x1, y1, width, height);
}

void finishCropMode() {
    cropMode = 0;
    redrawGraphics();
    showTextWindow();
    setStatusText("");
}

void cancelCropMode() {
    setCrop(CropRectangle());
    finishCropMode();
}

}  // namespace kalix
