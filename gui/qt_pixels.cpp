// Pixel devices on Qt.
#include "gui/qt_pixels.h"

#include <QBrush>
#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPoint>

#include <algorithm>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "base/file_reading.h"
#include "graphics/raster.h"
#include "platform/host.h"

namespace kalix {

namespace {

void ensureApplication() {
    static std::once_flag made;
    std::call_once(made, [] {
        if (QCoreApplication::instance()) return;
        installQtMessageLog();
        static int argc = 3;
        static char name[] = "kalix", option[] = "-platform", platform[] = "offscreen";
        static char* argv[] = {name, option, platform, nullptr};
        // Lives as long as the process.
        new QGuiApplication(argc, argv);
    });
}

QColor colourOf(Rgb c) { return QColor(c.red & 0xff, c.green & 0xff, c.blue & 0xff); }

// The largest pixel size whose cell (ascent plus descent) is at most
// `cellHeight`.
QFont cellFont(const FontSpec& spec) {
    QFont font(QString::fromUtf8(spec.face.c_str()));
    font.setWeight(spec.bold ? QFont::Bold : QFont::Normal);
    auto heightAt = [&font](int pixels) {
        font.setPixelSize(pixels);
        return QFontMetrics(font).height();
    };
    const int cell = std::max(1, spec.cellHeight);
    int size = std::max(1, int(double(cell) * 100 / std::max(1, heightAt(100)) + 0.5));
    while (size > 1 && heightAt(size) > cell) size--;
    while (heightAt(size + 1) <= cell) size++;
    font.setPixelSize(size);
    return font;
}

// Qt's raster painter samples pixel (x, y) at its centre (x + 0.5,
// y + 0.5); the device draws at (x, y), so the painter is moved by half a
// pixel. Thin lines, rectangles, tiles and circles are set directly (the
// raster painter draws at once, so both stay in order).
class QtPixelDevice : public PixelDevice {
  public:
    QtPixelDevice(PixelImage& image, const FontSpec& font)
        : image(image),
          canvas(reinterpret_cast<uchar*>(image.data()), image.width(), image.height(),
                 qsizetype(image.width()) * 4, QImage::Format_RGB32),
          fontSpec(font) {
        box = {0, 0, image.width(), image.height()};
        painter.begin(&canvas);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.translate(0.5, 0.5);
        painter.setBrushOrigin(-0.5, -0.5);
    }

    int width() const override { return image.width(); }
    int height() const override { return image.height(); }

    void fillRect(int x, int y, int w, int h, Rgb colour) override {
        fillBox(image, box, x, y, w, h, pixelOf(colour));
    }

    void fillRectTiled(int x, int y, int w, int h, const PixelImage& tile) override {
        fillBoxTiled(image, box, x, y, w, h, tile);
    }

    void fillPolygon(const DevicePoint* points, int n, Rgb colour) override {
        if (n < 3) return;
        painter.setPen(Qt::NoPen);
        painter.setBrush(colourOf(colour));
        painter.drawPolygon(toQt(points, n), n, Qt::WindingFill);
    }

    void fillPolygonTiled(const DevicePoint* points, int n, const PixelImage& tile) override {
        if (n < 3 || tile.empty()) return;
        painter.setPen(Qt::NoPen);
        painter.setBrush(QBrush(tileImage(tile)));
        painter.drawPolygon(toQt(points, n), n, Qt::WindingFill);
    }

    void drawPolyline(const DevicePoint* points, int n, const PenSpec& pen) override {
        if (n < 2) return;
        if (pen.width <= 1)
            return drawThinPolyline(image, box, points, n, pixelOf(pen.colour), pen.dashes,
                                    pen.dashCount);
        drawWidePolyline(image, box, points, n, pen.width, pixelOf(pen.colour), pen.dashes,
                         pen.dashCount);
    }

    void drawCircle(int x, int y, int radius, const PenSpec& pen, const Rgb* fill) override {
        if (fill) fillDisk(image, box, x, y, radius, pixelOf(*fill));
        if (pen.width <= 1) return drawCircleOutline(image, box, x, y, radius, pixelOf(pen.colour));
        drawRing(image, box, x, y, radius, pen.width, pixelOf(pen.colour));
    }

    void setPixel(int x, int y, Rgb colour) override { fillRect(x, y, 1, 1, colour); }

    void setClip(int x, int y, int w, int h) override {
        const int left = std::max(x, 0), top = std::max(y, 0);
        const int right = int(std::min<long long>((long long)x + w, image.width()));
        const int bottom = int(std::min<long long>((long long)y + h, image.height()));
        box = {left, top, std::max(left, right), std::max(top, bottom)};
        painter.setClipRect(
            QRectF(box.left - 0.5, box.top - 0.5, box.right - box.left, box.bottom - box.top));
    }

    void clearClip() override {
        box = {0, 0, image.width(), image.height()};
        painter.setClipping(false);
    }

    void drawText(int x, int y, const char* utf8, Rgb colour, int alignment,
                  TextDirection direction) override {
        if (!fontReady) {
            font = cellFont(fontSpec);
            fontReady = true;
        }
        const QString text = QString::fromUtf8(utf8);
        const QFontMetrics metrics(font);
        const int advance = metrics.horizontalAdvance(text);
        const int start = alignment == 1 ? -advance / 2 : alignment == 2 ? -advance : 0;
        painter.save();
        painter.translate(x - 0.5, y - 0.5);
        if (direction == TextDirection::up) painter.rotate(-90);
        if (direction == TextDirection::down) painter.rotate(90);
        painter.setFont(font);
        painter.setPen(colourOf(colour));
        painter.drawText(QPoint(start, metrics.ascent()), text);
        painter.restore();
    }

    void flush() override {}

    std::unique_ptr<PixelDevice> deviceOn(PixelImage& other) override {
        return std::make_unique<QtPixelDevice>(other, fontSpec);
    }

  private:
    const QPoint* toQt(const DevicePoint* points, int n) {
        qtPoints.resize(size_t(n));
        for (int i = 0; i < n; i++) qtPoints[size_t(i)] = QPoint(points[i].x, points[i].y);
        return qtPoints.data();
    }

    static QImage tileImage(const PixelImage& tile) {
        return QImage(reinterpret_cast<const uchar*>(tile.data()), tile.width(), tile.height(),
                      qsizetype(tile.width()) * 4, QImage::Format_RGB32);
    }

    PixelImage& image;
    QImage canvas;
    QPainter painter;
    FontSpec fontSpec;
    QFont font;
    bool fontReady = false;
    PixelBox box;
    std::vector<QPoint> qtPoints;
};

class QtPixelBackend : public PixelBackend {
  public:
    std::unique_ptr<PixelDevice> deviceOn(PixelImage& image, const FontSpec& font) override {
        if (image.empty()) return nullptr;
        ensureApplication();
        return std::make_unique<QtPixelDevice>(image, font);
    }

    bool loadImage(const char* file, PixelImage& out) override {
        ensureApplication();
        // Read by the name's bytes as given; only a regular file of a sane
        // size.
        std::string data;
        if (!readWholeFile(file, data)) return false;
        QByteArray bytes = QByteArray::fromRawData(data.data(), qsizetype(data.size()));
        QBuffer buffer(&bytes);
        QImageReader reader(&buffer);
        QImage read = reader.read();
        if (read.isNull()) return false;
        QImage opaque(read.size(), QImage::Format_RGB32);
        if (read.hasAlphaChannel()) {
            opaque.fill(Qt::white);
            QPainter painter(&opaque);
            painter.drawImage(0, 0, read);
        } else {
            opaque = read.convertToFormat(QImage::Format_RGB32);
        }
        if (opaque.isNull() || !out.allocate(opaque.width(), opaque.height())) return false;
        for (int y = 0; y < out.height(); y++) {
            const uint32_t* row = reinterpret_cast<const uint32_t*>(opaque.constScanLine(y));
            std::copy(row, row + out.width(), out.row(y));
        }
        return true;
    }
};

}  // namespace

// Qt's messages go to the log. A fatal one ends the program next (the
// crash report follows), so it goes to standard error as well, after the
// messages just before it that say why (the log is off by default).
static std::mutex recentQtMessagesLock;
// The last messages and the slot of the next: guarded by
// recentQtMessagesLock (any thread may log).
static std::string recentQtMessages[3];
static int nextRecentQtMessage = 0;

static void logQtMessage(QtMsgType type, const QMessageLogContext&, const QString& message) {
    const QByteArray text = message.toUtf8();
    writeLog("Qt: %s", text.constData());
    std::lock_guard<std::mutex> hold(recentQtMessagesLock);
    if (type == QtFatalMsg) {
        for (int i = 0; i < 3; i++) {
            const std::string& earlier = recentQtMessages[(nextRecentQtMessage + i) % 3];
            if (!earlier.empty()) std::fprintf(stderr, "Qt: %s\n", earlier.c_str());
        }
        std::fprintf(stderr, "Qt: %s\n", text.constData());
        return;
    }
    recentQtMessages[nextRecentQtMessage] = text.toStdString();
    nextRecentQtMessage = (nextRecentQtMessage + 1) % 3;
}

void installQtMessageLog() { qInstallMessageHandler(logQtMessage); }

FontCell qtFontCell(const FontSpec& spec) {
    ensureApplication();
    const QFontMetrics metrics(cellFont(spec));
    return {metrics.height(), metrics.averageCharWidth()};
}

PixelBackend& qtPixelBackend() {
    static QtPixelBackend backend;
    return backend;
}

void installQtPixelBackend() { installPixelBackend(&qtPixelBackend()); }

}  // namespace kalix
