// Dialog items and the toolkit-free part of a dialog: the item list, the
// routing of notifications and the closing steps.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "gui/dialog.h"
#include "gui/dialogs.h"

namespace kalix {

// --- the base item -------------------------------------------------------------------------

Dialogitem::Dialogitem(int id, Dialog& dialog) : dialog(dialog), id(id) { dialog.addItem(this); }

Dialogitem::~Dialogitem() { dialog.removeItem(this); }

void Dialogitem::initItem() { applyFont(); }

int Dialogitem::onItemCommand(int) {
    onChanged();
    return 1;
}

void Dialogitem::setItemFont(const WindowFont& value) {
    font = std::make_unique<WindowFont>(value);
    applyFont();
}

void Dialogitem::setReadOnly() {
    readOnly = 1;
    dialog.setControlReadOnly(id);
}

void Dialogitem::applyFont() {
    if (font) dialog.setControlFont(id, *font);
}

// --- texts ------------------------------------------------------------------------------

StringItem::StringItem(int id, Dialog& dialog, const std::string& text)
    : Dialogitem(id, dialog), text(text) {}

void StringItem::initItem() {
    dialog.setControlText(id, text);
    if (readOnly) dialog.setControlReadOnly(id);
    if (disabled) dialog.setControlEnabled(id, 0);
}

void StringItem::readBack() {
    if (dialog.isOpen()) text = dialog.getControlText(id);
}

void StringItem::setItemString(const std::string& value) {
    text = value;
    dialog.setControlText(id, text);
}

namespace {

// "\r\n" (and a lone "\r") become "\n" for the control, and back.
std::string toControlLines(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') i++;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string fromControlLines(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

MultilineItem::MultilineItem(int id, Dialog& dialog, const std::string& text, int limit)
    : StringItem(id, dialog, text), limit(limit) {}

void MultilineItem::initItem() {
    applyFont();
    dialog.setControlText(id, toControlLines(text));
    if (limit > 0) dialog.setControlLimit(id, limit);
    if (readOnly) dialog.setControlReadOnly(id);
    if (disabled) dialog.setControlEnabled(id, 0);
}

void MultilineItem::readBack() {
    if (dialog.isOpen()) text = fromControlLines(dialog.getControlText(id));
}

void MultilineItem::setItemString(const std::string& value) {
    text = value;
    dialog.setControlText(id, toControlLines(text));
}

TextItem::TextItem(int id, Dialog& dialog, const std::string& text)
    : Dialogitem(id, dialog), text(text) {}

void TextItem::initItem() {
    applyFont();
    dialog.setControlText(id, toControlLines(text));
}

// --- numbers -----------------------------------------------------------------------------

DoubleItem::DoubleItem(int id, Dialog& dialog, double value)
    : Dialogitem(id, dialog), value(value) {}

static std::string formatDouble(double x) {
    char text[64];
    std::snprintf(text, sizeof text, "%.10g", x);
    return text;
}

void DoubleItem::initItem() {
    applyFont();
    dialog.setControlText(id, formatDouble(value));
    if (readOnly) dialog.setControlReadOnly(id);
    if (disabled) dialog.setControlEnabled(id, 0);
}

void DoubleItem::readBack() {
    if (!dialog.isOpen()) return;
    std::string text = dialog.getControlText(id);
    char* end = nullptr;
    double x = std::strtod(text.c_str(), &end);
    if (end != text.c_str()) value = x;
}

void DoubleItem::setValue(double x) { dialog.setControlText(id, formatDouble(x)); }

LongItem::LongItem(int id, Dialog& dialog, int value) : Dialogitem(id, dialog), value(value) {}

void LongItem::initItem() {
    applyFont();
    dialog.setControlText(id, std::to_string(value));
    if (readOnly) dialog.setControlReadOnly(id);
    if (disabled) dialog.setControlEnabled(id, 0);
}

// The leading number of the text ("12abc" reads 12); none keeps the value.
// Numbers beyond the int range are clamped to it.
void LongItem::readBack() {
    if (!dialog.isOpen()) return;
    std::string text = dialog.getControlText(id);
    char* end = nullptr;
    errno = 0;
    long n = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str()) return;
    value = int(std::clamp<long>(n, INT_MIN, INT_MAX));
}

void LongItem::setValue(int n) {
    value = n;
    dialog.setControlText(id, std::to_string(n));
}

// --- check boxes and lists ----------------------------------------------------------------

CheckItem::CheckItem(int id, Dialog& dialog, int value)
    : Dialogitem(id, dialog), value(value ? 1 : 0) {}

void CheckItem::initItem() {
    applyFont();
    dialog.setControlChecked(id, value);
    if (disabled) dialog.setControlEnabled(id, 0);
}

void CheckItem::readBack() {
    if (dialog.isOpen()) value = dialog.isControlChecked(id) ? 1 : 0;
}

int CheckItem::onItemCommand(int) {
    int state = dialog.isControlChecked(id) ? 1 : 0;
    if (state != value) {
        value = state;
        onChanged();
    }
    return 1;
}

void CheckItem::setChecked(int on) {
    value = on ? 1 : 0;
    dialog.setControlChecked(id, value);
}

ListItem::ListItem(int id, Dialog& dialog) : Dialogitem(id, dialog) {}

void ListItem::initItem() {
    applyFont();
    for (const std::string& entry : entries) dialog.addListEntry(id, entry);
    dialog.selectListEntry(id, selected);
}

void ListItem::readBack() {
    if (!dialog.isOpen()) return;
    selected = dialog.getListSelection(id);
    selectedText = dialog.getListEntry(id, selected);
}

int ListItem::onItemCommand(int code) {
    onChanged();
    if (code == notifyDoubleClicked && acceptOnDoubleClick()) return 0;
    return 1;
}

int ListItem::addString(const std::string& text) {
    entries.push_back(text);
    if (dialog.isOpen()) dialog.addListEntry(id, text);
    return 1;
}

void ListItem::select(int index) {
    selected = index;
    if (index >= 0 && index < int(entries.size())) selectedText = entries[size_t(index)];
    dialog.selectListEntry(id, index);
}

const char* const printToPdfEntry = "Print to PDF file";

PrinterItem::PrinterItem(int id, Dialog& dialog, const std::string& printer)
    : ListItem(id, dialog), printer(printer) {}

void PrinterItem::initItem() {
    if (printer.empty()) printer = defaultPrinterName();
    entries = printerNames();
    if (entries.empty()) entries.push_back(printToPdfEntry);
    int chosen = 0;
    for (size_t i = 0; i < entries.size(); i++)
        if (entries[i] == printer) chosen = int(i);
    ListItem::initItem();
    select(chosen);
}

bool PrinterItem::printsToPdf() const { return getSelectedText() == printToPdfEntry; }

// --- colours and buttons -----------------------------------------------------------------

ColorItem::ColorItem(int id, Dialog& dialog, int index, Rgb colour)
    : UserItem(id, dialog), index(index), colour(colour) {}

void ColorItem::drawItem(WindowSurface& surface) {
    surface.fill(0, 0, surface.width(), surface.height(), colour);
}

void ColorItem::setColor(Rgb value) {
    colour = value;
    dialog.repaintControl(id);
}

int ButtonItem::onItemCommand(int) {
    onChanged();
    clickCount++;
    return 1;
}

// --- the dialog's list and closing steps --------------------------------------------------

void Dialog::addItem(Dialogitem* item) { items.insert(items.begin(), item); }

void Dialog::removeItem(Dialogitem* item) { std::erase(items, item); }

Dialogitem* Dialog::findItem(int id) const {
    for (Dialogitem* item : items)
        if (item->getId() == id) return item;
    return nullptr;
}

void Dialog::command(int id, int code) {
    if (!isOpen()) return;
    for (Dialogitem* item : items) {
        lastCommandId = id;
        if (item->getId() != id) continue;
        if (item->onItemCommand(code)) return;
        closingSteps(id);
        return;
    }
    if (id == dialogOk || id == dialogCancel) closingSteps(id);
}

void Dialog::closeRequested() {
    if (!isOpen()) return;
    rememberRect();
    if (onDialogClose()) closingSteps(dialogCancel);
}

void Dialog::fitToScreen(int screenWidth, int screenHeight, int x, int y, int width, int height,
                         int minWidth, int minHeight) {
    width = std::max(width, minWidth);
    height = std::max(height, minHeight);
    if (x + width > screenWidth) x = screenWidth - width;
    if (y + height > screenHeight) y = screenHeight - height;
    x = std::max(x, 0);
    y = std::max(y, 0);
    rememberedX = x;
    rememberedY = y;
    positionRemembered = 1;
    rememberedWidth = x + width > screenWidth ? screenWidth : width;
    rememberedHeight = y + height > screenHeight ? screenHeight : height;
    sizeRemembered = 1;
    minimumWidth = minWidth;
    minimumHeight = minHeight;
}

void Dialog::getRememberedRect(int& x, int& y, int& width, int& height) const {
    x = rememberedX;
    y = rememberedY;
    width = rememberedWidth;
    height = rememberedHeight;
}

}  // namespace kalix
