// The window layer on Qt Widgets: a frame with the client area, optional
// scroll bars and status line; Qt's events turned into the window's
// operations; surfaces over QPainter; images and off-screen images on
// QImage; timers; the application and its message loop.
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QCloseEvent>
#include <QFont>
#include <QFontMetrics>
#include <QGridLayout>
#include <QImage>
#include <QImageReader>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWheelEvent>

#include <atomic>
#include <clocale>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <tuple>

#include "base/text.h"
#include "gui/gui_bridge.h"
#include "gui/qt_pixels.h"
#include "gui/qt_window_parts.h"
#include "platform/host.h"

namespace kalix {

// --- texts -------------------------------------------------------------------------------

QString fromCodePage(const char* text) {
    if (!text) return QString();
    if (std::strncmp(text, "\xEF\xBB\xBF", 3) == 0) return QString::fromUtf8(text + 3);
    std::string utf8;
    codePageToUtf8(text, utf8);
    return QString::fromUtf8(utf8.c_str());
}

std::string toCodePage(const QString& text) {
    std::string out;
    utf8ToCodePage(text.toUtf8().constData(), out);
    return out;
}

// --- keyboard state -------------------------------------------------------------------

static Qt::KeyboardModifiers eventModifiers;

int isShiftDown() { return (eventModifiers & Qt::ShiftModifier) ? 1 : 0; }
int isControlDown() { return (eventModifiers & Qt::ControlModifier) ? 1 : 0; }
int queryShiftKey() {
    return (QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier) ? 1 : 0;
}

// --- fonts --------------------------------------------------------------------------------

// The largest pixel size whose cell (ascent plus descent) is at most the
// font's height; fonts are kept, as faces and heights repeat.
static const QFont& qtFont(const WindowFont& spec) {
    static std::map<std::tuple<std::string, int, int>, QFont> made;
    static std::mutex guard;
    std::lock_guard<std::mutex> lock(guard);
    auto key = std::make_tuple(spec.face, spec.height, spec.weight);
    auto found = made.find(key);
    if (found != made.end()) return found->second;
    QFont font(QString::fromUtf8(spec.face.c_str()));
    font.setWeight(spec.weight >= 600 ? QFont::Bold : QFont::Normal);
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferAntialias);
    auto cellAt = [&font](int pixels) {
        font.setPixelSize(pixels);
        return QFontMetrics(font).height();
    };
    int cell = std::max(1, spec.height);
    int size = std::max(1, int(double(cell) * 100 / std::max(1, cellAt(100)) + 0.5));
    while (size > 1 && cellAt(size) > cell) size--;
    while (cellAt(size + 1) <= cell) size++;
    font.setPixelSize(size);
    return made.emplace(key, font).first->second;
}

int FontMeasure::width(const char* text, int length) const {
    if (length <= 0) return 0;
    if (std::strncmp(text, "\xEF\xBB\xBF", 3) == 0 && length <= 3) return 0;
    const std::string prefix(text, size_t(length));
    return QFontMetrics(qtFont(font)).horizontalAdvance(fromCodePage(prefix.c_str()));
}

FontMeasure measureFont(const WindowFont& spec) {
    FontMeasure measure;
    measure.font = spec;
    QFontMetrics metrics(qtFont(spec));
    measure.height = metrics.height();
    measure.ascent = metrics.ascent();
    for (int byte = 1; byte < 256; byte++) {
        char text[2] = {char(byte), 0};
        measure.widths[byte] = metrics.horizontalAdvance(fromCodePage(text));
    }
    return measure;
}

// --- images and surfaces ------------------------------------------------------------------

namespace {

QColor colourOf(Rgb c) { return QColor(c.red & 0xff, c.green & 0xff, c.blue & 0xff); }

class QtImage : public WindowImage {
  public:
    explicit QtImage(QImage image) : image(std::move(image)) {}
    int width() const override { return image.width(); }
    int height() const override { return image.height(); }
    QImage image;
};

class QtOffscreen : public OffscreenImage {
  public:
    QtOffscreen(int width, int height)
        : image(std::max(1, width), std::max(1, height), QImage::Format_RGB32) {
        image.fill(Qt::white);
    }
    int width() const override { return image.width(); }
    int height() const override { return image.height(); }
    std::unique_ptr<WindowSurface> paint() override;
    Rgb pixel(int x, int y) const override {
        QRgb p = image.pixel(x, y);
        return Rgb{qRed(p), qGreen(p), qBlue(p)};
    }
    bool savePng(const char* path) const override {
        return image.save(QString::fromLocal8Bit(path), "PNG");
    }

    QImage image;
};

const QImage* pixelsOf(const WindowImage& image) {
    if (auto* offscreen = dynamic_cast<const QtOffscreen*>(&image)) return &offscreen->image;
    if (auto* qt = dynamic_cast<const QtImage*>(&image)) return &qt->image;
    return nullptr;
}

class QtSurface : public WindowSurface {
  public:
    QtSurface(QPainter& painter, int width, int height)
        : painter(painter), surfaceWidth(width), surfaceHeight(height) {
        painter.setRenderHint(QPainter::TextAntialiasing, true);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    }
    int width() const override { return surfaceWidth; }
    int height() const override { return surfaceHeight; }
    void fill(int x, int y, int w, int h, Rgb colour) override {
        painter.fillRect(x, y, w, h, colourOf(colour));
    }
    void setFont(const WindowFont& font) override {
        if (hasFont && font == current) return;
        current = font;
        hasFont = true;
        painter.setFont(qtFont(font));
    }
    int textWidth(const std::string& text) override {
        return painter.fontMetrics().horizontalAdvance(QString::fromUtf8(text.c_str()));
    }
    void drawText(int x, int y, const std::string& text, Rgb colour) override {
        painter.setPen(colourOf(colour));
        painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()),
                         QString::fromUtf8(text.c_str()));
    }
    void drawTextOpaque(int x, int y, const std::string& text, Rgb colour,
                        Rgb background) override {
        QString string = QString::fromUtf8(text.c_str());
        QFontMetrics metrics = painter.fontMetrics();
        painter.fillRect(x, y, metrics.horizontalAdvance(string), metrics.height(),
                         colourOf(background));
        painter.setPen(colourOf(colour));
        painter.drawText(QPoint(x, y + metrics.ascent()), string);
    }
    void drawLine(int x1, int y1, int x2, int y2, Rgb colour) override {
        painter.setPen(QPen(colourOf(colour), 1));
        painter.drawLine(x1, y1, x2, y2);
    }
    void drawImage(const WindowImage& image, int x, int y, int w, int h) override {
        const QImage* pixels = pixelsOf(image);
        if (!pixels) return;
        if (w == pixels->width() && h == pixels->height())
            painter.drawImage(QPoint(x, y), *pixels);
        else
            painter.drawImage(QRect(x, y, w, h), *pixels);
    }
    void drawPixels(const uint32_t* pixels, int width, int height, int x, int y, int w,
                    int h) override {
        const QImage image(reinterpret_cast<const uchar*>(pixels), width, height,
                           qsizetype(width) * 4, QImage::Format_RGB32);
        if (w == width && h == height)
            painter.drawImage(QPoint(x, y), image);
        else
            painter.drawImage(QRect(x, y, w, h), image);
    }
    void setClip(int x, int y, int w, int h) override { painter.setClipRect(x, y, w, h); }
    void resetClip() override { painter.setClipping(false); }

  private:
    QPainter& painter;
    int surfaceWidth, surfaceHeight;
    WindowFont current;
    bool hasFont = false;
};

// A surface that owns its painter (painting into an off-screen image).
class ImageSurface : public QtSurface {
  public:
    ImageSurface(QPainter* painter, int width, int height)
        : QtSurface(*painter, width, height), owned(painter) {}
    ~ImageSurface() override { owned->end(); }

  private:
    std::unique_ptr<QPainter> owned;
};

std::unique_ptr<WindowSurface> QtOffscreen::paint() {
    auto* painter = new QPainter(&image);
    return std::make_unique<ImageSurface>(painter, image.width(), image.height());
}

}  // namespace

std::unique_ptr<WindowSurface> makePainterSurface(QPainter& painter, int width, int height) {
    return std::make_unique<QtSurface>(painter, width, height);
}

QFont qtFontOf(const WindowFont& font) { return qtFont(font); }

std::shared_ptr<WindowImage> decodeImage(const std::string& bytes) {
    QImage image;
    if (!image.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), int(bytes.size())))
        return nullptr;
    if (image.hasAlphaChannel()) {
        // Transparent parts show the notebook's white.
        QImage opaque(image.size(), QImage::Format_RGB32);
        opaque.fill(Qt::white);
        QPainter painter(&opaque);
        painter.drawImage(0, 0, image);
        painter.end();
        image = opaque;
    }
    return std::make_shared<QtImage>(image.convertToFormat(QImage::Format_RGB32));
}

std::unique_ptr<OffscreenImage> OffscreenImage::make(int width, int height) {
    return std::make_unique<QtOffscreen>(width, height);
}

// --- the client area ------------------------------------------------------------------------

class SurfaceWidget : public QWidget {
  public:
    SurfaceWidget(StandardWindow& owner, int width, int height)
        : owner(owner), requested(width, height) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_InputMethodEnabled, false);
        setMouseTracking(true);
    }
    QSize sizeHint() const override { return requested.width() > 0 ? requested : QSize(640, 480); }

    std::optional<Rgb> clearColour;

  protected:
    bool focusNextPrevChild(bool) override { return false; }  // Tab is a key here
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override { mouse(event, 0); }
    void mouseReleaseEvent(QMouseEvent* event) override { mouse(event, 1); }
    void mouseDoubleClickEvent(QMouseEvent* event) override { mouse(event, 2); }
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

  private:
    void mouse(QMouseEvent* event, int kind);

    StandardWindow& owner;
    QSize requested;
    int buttonsDown[3] = {0, 0, 0};
    int wheelRest = 0;
    // The first half of a character beyond U+FFFF typed in two events.
    QString pendingHalf;
};

QWidget* frameOf(StandardWindow* window) { return window ? window->parts().frame : nullptr; }

QWidget* clientWidgetOf(StandardWindow* window) {
    return window ? window->parts().surface : nullptr;
}

void SurfaceWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (clearColour) {
        painter.fillRect(rect(), colourOf(*clearColour));
        clearColour.reset();
        return;
    }
    QtSurface surface(painter, width(), height());
    owner.onRedraw(surface);
    WindowParts& parts = owner.parts();
    if (owner.caretWanted && owner.caretShown && hasFocus() && parts.caretPhase) {
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.fillRect(owner.caretX, owner.caretY, owner.caretWidth, owner.caretHeight,
                         Qt::white);
    }
}

void SurfaceWidget::resizeEvent(QResizeEvent*) {
    if (width() == owner.clientWidth && height() == owner.clientHeight) return;
    owner.clientWidth = width();
    owner.clientHeight = height();
    owner.onSized();
    update();
}

// The virtual key of a key that types no character; 0 for one that does.
static int windowKeyOf(const QKeyEvent* event) {
    int key = event->key();
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return windowKeyF1 + (key - Qt::Key_F1);
    switch (key) {
        case Qt::Key_Shift:
            return windowKeyShift;
        case Qt::Key_Control:
            return windowKeyControl;
        case Qt::Key_Up:
            return windowKeyUp;
        case Qt::Key_Down:
            return windowKeyDown;
        case Qt::Key_Left:
            return windowKeyLeft;
        case Qt::Key_Right:
            return windowKeyRight;
        case Qt::Key_Home:
            return windowKeyHome;
        case Qt::Key_End:
            return windowKeyEnd;
        case Qt::Key_PageUp:
            return windowKeyPageUp;
        case Qt::Key_PageDown:
            return windowKeyPageDown;
        case Qt::Key_Insert:
            return windowKeyInsert;
        case Qt::Key_Delete:
            return windowKeyDelete;
        case Qt::Key_Backspace:
            return windowKeyBackspace;
        case Qt::Key_Cancel:
            return windowKeyCancel;
        case Qt::Key_Pause:
            return (event->modifiers() & Qt::ControlModifier) ? windowKeyCancel : windowKeyOther;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Escape:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            return 0;
        default:
            return event->text().isEmpty() ? windowKeyOther : 0;
    }
}

void SurfaceWidget::keyPressEvent(QKeyEvent* event) {
    eventModifiers = event->modifiers();
    int key = windowKeyOf(event);
    if (key) {
        owner.onKey(keyEventPressed, 0, key);
        return;
    }
    switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            owner.onKey(keyEventCharacter, 13, 0);
            return;
        case Qt::Key_Escape:
            owner.onKey(keyEventCharacter, 27, 0);
            return;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            owner.onKey(keyEventCharacter, 9, 0);
            return;
    }
    QString typed = pendingHalf + event->text();
    pendingHalf.clear();
    if (!typed.isEmpty() && typed.back().isHighSurrogate()) {
        pendingHalf = typed.back();
        typed.chop(1);
    }
    std::string text = toCodePage(typed);
    const bool utf8 = codePageIsUtf8();
    for (const char* p = text.c_str(); *p;) {
        int length = 1;
        const int code = characterCode(p, utf8, &length);
        owner.onKey(keyEventCharacter, code, 0);
        p += length;
    }
}

void SurfaceWidget::keyReleaseEvent(QKeyEvent* event) {
    eventModifiers = event->modifiers();
    if (event->isAutoRepeat()) return;
    int key = windowKeyOf(event);
    if (key) owner.onKey(keyEventReleased, 0, key);
}

void SurfaceWidget::mouse(QMouseEvent* event, int kind) {
    eventModifiers = event->modifiers();
    int button;
    switch (event->button()) {
        case Qt::LeftButton:
            button = 0;
            break;
        case Qt::RightButton:
            button = 1;
            break;
        case Qt::MiddleButton:
            button = 2;
            break;
        default:
            return;
    }
    static const int downs[3] = {mouseLeftDown, mouseRightDown, mouseMiddleDown};
    static const int ups[3] = {mouseLeftUp, mouseRightUp, mouseMiddleUp};
    static const int doubles[3] = {mouseLeftDouble, mouseRightDouble, mouseMiddleDouble};
    QPoint at = event->position().toPoint();
    int code;
    if (kind == 0) {
        buttonsDown[button] = 1;
        code = downs[button];
    } else if (kind == 1) {
        // A release whose press happened elsewhere is dropped.
        if (!buttonsDown[button]) return;
        buttonsDown[button] = 0;
        code = ups[button];
    } else {
        code = doubles[button];
    }
    owner.onMouse(at.x(), at.y(), code);
}

void SurfaceWidget::mouseMoveEvent(QMouseEvent* event) {
    eventModifiers = event->modifiers();
    QPoint at = event->position().toPoint();
    owner.onMouse(at.x(), at.y(), mouseMove);
}

void SurfaceWidget::wheelEvent(QWheelEvent* event) {
    eventModifiers = event->modifiers();
    wheelRest += event->angleDelta().y();
    while (wheelRest >= 120 || wheelRest <= -120) {
        int code = wheelRest < 0 ? scrollLineDown : scrollLineUp;
        wheelRest += wheelRest < 0 ? 120 : -120;
        for (int i = 0; i < 6; i++) owner.onScroll(scrollVertical, code, 0);
    }
    event->accept();
}

void SurfaceWidget::focusInEvent(QFocusEvent*) {
    WindowParts& parts = owner.parts();
    parts.caretPhase = true;
    if (owner.caretWanted) parts.caretBlink->start();
    update();
}

void SurfaceWidget::focusOutEvent(QFocusEvent*) {
    owner.parts().caretBlink->stop();
    update();
}

// --- the frame ------------------------------------------------------------------------------

void FrameWidget::closeEvent(QCloseEvent* event) {
    // The window itself stays; a yes ends the message loop.
    event->ignore();
    if (owner.onClose()) postQuitMessage(0);
}

void FrameWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        int state = isMinimized() ? sizeMinimized : isMaximized() ? sizeMaximized : sizeRestored;
        owner.onSizeState(state);
        if (state == sizeMinimized) owner.onMinimized();
    }
    QWidget::changeEvent(event);
}

// --- StandardWindow ---------------------------------------------------------------------------

static int scrollCodeOf(int action) {
    switch (action) {
        case QAbstractSlider::SliderSingleStepSub:
            return scrollLineUp;
        case QAbstractSlider::SliderSingleStepAdd:
            return scrollLineDown;
        case QAbstractSlider::SliderPageStepSub:
            return scrollPageUp;
        case QAbstractSlider::SliderPageStepAdd:
            return scrollPageDown;
        case QAbstractSlider::SliderMove:
            return scrollThumb;
        default:
            return -1;
    }
}

static QScrollBar* makeBar(StandardWindow& owner, Qt::Orientation orientation, int kind) {
    auto* bar = new QScrollBar(orientation);
    bar->setRange(0, 100);
    bar->setPageStep(10);
    bar->setFocusPolicy(Qt::NoFocus);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, bar, [&owner, bar, kind](int action) {
        int code = scrollCodeOf(action);
        if (code >= 0) owner.onScroll(kind, code, bar->sliderPosition());
    });
    return bar;
}

StandardWindow::StandardWindow(const char* title, int width, int height, WindowStyle style)
    : widgets(std::make_unique<WindowParts>()), title(title ? title : "") {
    WindowParts& p = *widgets;
    p.frame = new FrameWidget(*this);
    p.frame->setAttribute(Qt::WA_DeleteOnClose, false);
    p.layout = new QVBoxLayout(p.frame);
    p.layout->setContentsMargins(0, 0, 0, 0);
    p.layout->setSpacing(0);
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    p.surface = new SurfaceWidget(*this, width, height);
    grid->addWidget(p.surface, 0, 0);
    if (style.verticalBar) {
        p.verticalBar = makeBar(*this, Qt::Vertical, scrollVertical);
        grid->addWidget(p.verticalBar, 0, 1);
    }
    if (style.horizontalBar) {
        p.horizontalBar = makeBar(*this, Qt::Horizontal, scrollHorizontal);
        grid->addWidget(p.horizontalBar, 1, 0);
    }
    p.layout->addLayout(grid, 1);
    if (style.statusBar) {
        p.status = new QLabel;
        p.status->setContentsMargins(6, 2, 6, 2);
        p.status->setTextFormat(Qt::PlainText);
        p.status->setFrameShape(QFrame::StyledPanel);
        p.status->setFrameShadow(QFrame::Sunken);
        p.status->setMinimumWidth(1);
        p.status->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
        p.layout->addWidget(p.status);
    }
    p.caretBlink = new QTimer(p.frame);
    p.caretBlink->setInterval(530);
    QObject::connect(p.caretBlink, &QTimer::timeout, p.frame, [this] {
        WindowParts& parts = *widgets;
        parts.caretPhase = !parts.caretPhase;
        parts.surface->update(caretX, caretY, caretWidth, caretHeight);
    });
    p.frame->setWindowTitle(fromCodePage(this->title.c_str()));
    p.frame->adjustSize();
    clientWidth = p.surface->width();
    clientHeight = p.surface->height();
}

StandardWindow::~StandardWindow() { delete widgets->frame; }

void StandardWindow::clearWindow(Rgb colour) {
    widgets->surface->clearColour = colour;
    widgets->surface->repaint();
}

void StandardWindow::eraseWindow() {
    QColor c = widgets->surface->palette().color(QPalette::Base);
    clearWindow(Rgb{c.red(), c.green(), c.blue()});
}

void StandardWindow::showWindow() { widgets->frame->show(); }
void StandardWindow::hideWindow() { widgets->frame->hide(); }

void StandardWindow::showAtStart() {
    if (startHidden) {
        hideWindow();
        return;
    }
    showWindow();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    widgets->surface->repaint();
    QApplication::restoreOverrideCursor();
}

void StandardWindow::raiseWindow() {
    QWidget* frame = widgets->frame;
    if (frame->isMinimized()) frame->showNormal();
    frame->raise();
    frame->activateWindow();
    widgets->surface->setFocus();
}

bool StandardWindow::isActiveWindow() const { return widgets->frame->isActiveWindow(); }
bool StandardWindow::isVisible() const { return widgets->frame->isVisible(); }

void StandardWindow::redrawNow() { widgets->surface->repaint(); }
void StandardWindow::invalidateWindow() { widgets->surface->update(); }

void StandardWindow::setScrollPosition(int bar, int position) {
    QScrollBar* b = bar == scrollVertical ? widgets->verticalBar : widgets->horizontalBar;
    if (b && b->value() != position) b->setValue(position);
}

void StandardWindow::setMinimumClientSize(int width, int height) {
    widgets->surface->setMinimumSize(width, height);
}

void StandardWindow::setTitle(const char* text) {
    title = text ? text : "";
    widgets->frame->setWindowTitle(fromCodePage(title.c_str()));
}

void StandardWindow::getWindowRectangle(int& x, int& y, int& width, int& height) const {
    QRect r = widgets->frame->frameGeometry();
    x = r.x();
    y = r.y();
    width = r.width();
    height = r.height();
}

int StandardWindow::getSizeState() const {
    QWidget* frame = widgets->frame;
    if (frame->isMinimized()) return sizeMinimized;
    return frame->isMaximized() || frame->isFullScreen() ? sizeMaximized : sizeRestored;
}

void StandardWindow::setFrameAndMenuShown(int shown) {
    QWidget* frame = widgets->frame;
    if (widgets->menuBar) widgets->menuBar->setVisible(shown != 0);
    // A new window flag hides the window until it is shown again.
    bool visible = frame->isVisible();
    frame->setWindowFlag(Qt::FramelessWindowHint, !shown);
    if (visible) frame->show();
}

void StandardWindow::getWindowSize(int& width, int& height) const {
    int x, y;
    getWindowRectangle(x, y, width, height);
}

void StandardWindow::setWindowRectangle(int x, int y, int width, int height) {
    QWidget* frame = widgets->frame;
    frame->move(x, y);
    resizeWindow(width, height);
}

void StandardWindow::getPlacement(int& x, int& y, int& width, int& height) const {
    QWidget* frame = widgets->frame;
    x = frame->pos().x();
    y = frame->pos().y();
    width = frame->width();
    height = frame->height();
}

void StandardWindow::setPlacement(int x, int y, int width, int height) {
    widgets->frame->move(x, y);
    widgets->frame->resize(std::max(1, width), std::max(1, height));
}

void StandardWindow::resizeWindow(int width, int height) {
    QWidget* frame = widgets->frame;
    QRect outer = frame->frameGeometry(), inner = frame->geometry();
    frame->resize(std::max(1, width - (outer.width() - inner.width())),
                  std::max(1, height - (outer.height() - inner.height())));
}

void StandardWindow::setCaretWanted(int flag) {
    caretWanted = flag;
    if (widgets->surface->hasFocus() && flag) widgets->caretBlink->start();
}

void StandardWindow::moveCaret(int x, int y) {
    if (x == caretX && y == caretY) return;
    widgets->surface->update(caretX, caretY, caretWidth, caretHeight);
    caretX = x;
    caretY = y;
    widgets->caretPhase = true;
    widgets->surface->update(caretX, caretY, caretWidth, caretHeight);
}

void StandardWindow::resizeCaret(int width, int height) {
    if (width == caretWidth && height == caretHeight) return;
    widgets->surface->update(caretX, caretY, caretWidth, caretHeight);
    caretWidth = width;
    caretHeight = height;
    widgets->surface->update(caretX, caretY, caretWidth, caretHeight);
}

void StandardWindow::showCaret() {
    if (caretShown) return;
    caretShown = 1;
    widgets->caretPhase = true;
    widgets->surface->update(caretX, caretY, caretWidth, caretHeight);
}

void StandardWindow::hideCaret() {
    if (!caretShown) return;
    caretShown = 0;
    widgets->surface->update(caretX, caretY, caretWidth, caretHeight);
}

void StandardWindow::sendUserMessage(int code, const char* text) {
    if (isGuiThread()) {
        onUserMessage(code, text);
        return;
    }
    sendToGui([this, code, text] { onUserMessage(code, text); });
}

void StandardWindow::postToWindow(std::function<void()> job) {
    postToObject(widgets->frame, std::move(job));
}

void StandardWindow::postUserMessage(int code, const char* text) {
    std::string copy = text ? text : "";
    bool hasText = text != nullptr;
    postToWindow(
        [this, code, copy, hasText] { onUserMessage(code, hasText ? copy.c_str() : nullptr); });
}

// --- timers ------------------------------------------------------------------------------------

struct WindowTimer::Ticker {
    QTimer timer;
};

WindowTimer::WindowTimer(StandardWindow& window, int milliseconds, int id)
    : ticker(std::make_unique<Ticker>()) {
    QObject::connect(&ticker->timer, &QTimer::timeout, &ticker->timer,
                     [&window, id] { window.onTimer(id); });
    ticker->timer.start(milliseconds);
}

WindowTimer::~WindowTimer() = default;

// --- the clipboard ------------------------------------------------------------------------------

void putClipboardText(const std::string& utf8) {
    QGuiApplication::clipboard()->setText(QString::fromUtf8(utf8.c_str()));
}

std::string clipboardText() { return QGuiApplication::clipboard()->text().toUtf8().constData(); }

void putClipboardImage(const WindowImage& image) {
    if (const QImage* pixels = pixelsOf(image)) QGuiApplication::clipboard()->setImage(*pixels);
}

std::shared_ptr<WindowImage> clipboardImage() {
    QImage image = QGuiApplication::clipboard()->image();
    if (image.isNull()) return nullptr;
    return std::make_shared<QtImage>(image.convertToFormat(QImage::Format_RGB32));
}

// --- the application
// ------------------------------------------------------------------------------

static std::atomic<int> guiRunning{0};

bool initApplication(int argc, char** argv) {
    installQtMessageLog();
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        guiRunning = 1;
        return true;
    }
    if (QCoreApplication::instance()) return false;
    static int arguments = 1;
    static char name[] = "kalix";
    static char* words[] = {name, nullptr};
    (void)argc;
    if (argv && argv[0]) words[0] = argv[0];
    // Lives as long as the process.
    new QApplication(arguments, words);
    // Qt took the user's locale; numbers are read and written in "C".
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setQuitOnLastWindowClosed(false);
    guiRunning = 1;
    return true;
}

int runMessageLoop() {
    int code = QApplication::exec();
    guiRunning = 0;
    return code;
}

void postQuitMessage(int code) {
    postToGui([code] { QCoreApplication::exit(code); });
}

int isGuiRunning() { return guiRunning.load(); }

void getScreenWorkArea(int& width, int& height) {
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    width = area.width();
    height = area.height();
}

}  // namespace kalix
