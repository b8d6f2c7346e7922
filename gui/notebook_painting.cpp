#include "gui/notebook_painting.h"

#include <algorithm>
#include <cstring>

#include "base/text.h"
#include "gui/text_window.h"

namespace kalix {

namespace {

const Rgb bracketMatchGrey{200, 200, 200};

bool startsWith(const char* text, const char* prefix) {
    return std::strncmp(text, prefix, std::strlen(prefix)) == 0;
}

bool isLink(const NotebookLine* line) {
    const char* text = line->text.getText();
    return startsWith(text, "http") || startsWith(text, "See: ") || startsWith(text, "see: ");
}

}  // namespace

Rgb notebookTextColour(int index) {
    const RgbColor& c = textColors[index];
    return Rgb{c.redOf(), c.greenOf(), c.blueOf()};
}

int lineColourIndex(const NotebookLine* line, bool useColours) {
    if (!useColours) return 0;
    switch (line->kind) {
        case lineCommand:
            return 1;
        case lineFunctionBody:
            return 3;
        case lineComment:
            return isLink(line) ? 3 : 2;
        default:
            return 0;
    }
}

std::string notebookTextUtf8(const std::string& text) {
    if (NotebookEditor::hasUtf8Bom(text.c_str())) return text.substr(3);
    std::string out;
    codePageToUtf8(text.c_str(), out);
    return out;
}

NotebookPainter::NotebookPainter(NotebookEditor& editor, WindowSurface& surface,
                                 const NotebookFonts& fonts, int textPixelWidth,
                                 PictureSource pictures)
    : editor(editor),
      surface(surface),
      fonts(fonts),
      textPixelWidth(textPixelWidth),
      pictures(std::move(pictures)) {}

void NotebookPainter::drawVisibleLines(const NotebookLine* from) {
    TextLockHold hold(editor, "drawbelow");
    if (!editor.view().getTopLine()) return;
    surface.setFont(fonts.normal);
    surface.fill(0, 0, surface.width(), surface.height(), notebookTextColour(4));
    lastDrawnImage = nullptr;
    bool reached = false;
    int y = editor.view().getTopMargin();
    for (const NotebookLine* line = editor.view().getTopLine(); line; line = line->next) {
        int height = line->getRowHeight();
        if (y + height > surface.height()) break;
        if (line == from) reached = true;
        if (reached || !from) drawNotebookLine(y, line);
        y += height;
    }
}

void NotebookPainter::drawNotebookLine(int y, const NotebookLine* line) {
    if (line->isFolded()) return;
    TextLockHold hold(editor, "drawline");
    if (line->image) {
        drawPicture(y, line);
        return;
    }
    const bool useColours = colorsEnabled();
    const Rgb colour = notebookTextColour(lineColourIndex(line, useColours));
    const int rowHeight = line->getRowHeight();
    const bool heading = line->kind == lineComment && line->heading;
    const bool subheading = line->isSubheading();
    if (heading || subheading) {
        surface.setFont(heading ? fonts.heading : fonts.bold);
        y += rowHeight / 8;
    }
    const int margin = line->getLeftMargin();
    const int scroll = editor.getHorizontalScroll();
    const std::string shown = NotebookEditor::drawnText(line, 0);
    const std::string drawn = notebookTextUtf8(shown);
    // Headings end at the right edge of the text width, or of the visible
    // area when a large font makes the fixed line width wider than that; a
    // heading longer than the room starts at the margin.
    const int headingWidth = std::min(textPixelWidth, surface.width() - 2 * margin);
    int x = margin;
    if (heading || subheading) x += std::max(0, headingWidth - surface.textWidth(drawn));
    if (line->selected) {
        drawSelected(x - scroll, y, line, colour);
    } else if (line->isSectionRule()) {
        int middle = y + rowHeight / 2;
        surface.drawLine(margin - scroll, middle, margin + textPixelWidth - scroll, middle,
                         notebookTextColour(0));
    } else {
        surface.drawText(x - scroll, y, drawn, colour);
        if (line->misspeltCount > 0) drawMisspelt(x - scroll, y, line, drawn);
    }
    if (heading || subheading) {
        int rule = y + rowHeight * 6 / 8;
        surface.drawLine(margin - scroll, rule, margin + headingWidth - scroll, rule,
                         notebookTextColour(0));
    }
    surface.setFont(fonts.normal);
}

// A picture, drawn by the first of its visible rows from its true top.
void NotebookPainter::drawPicture(int y, const NotebookLine* line) {
    surface.resetClip();
    const NotebookPicture* picture = line->image.get();
    if (picture == lastDrawnImage) return;
    lastDrawnImage = picture;
    int width = picture->getWidth();
    int height = picture->getHeight();
    int x = width < textPixelWidth ? (textPixelWidth - width) / 2 : 20;
    if (editor.options().magnifyMode) {
        width = int(width * 1.2 + 0.5);
        height = int(height * 1.2 + 0.5);
    }
    int top = y - editor.view().getLineHeight() * line->imageRow;
    int left = x - editor.getHorizontalScroll();
    if (line->imageMarked)
        surface.fill(left - 5, top - 5, width + 10, height + 10, notebookTextColour(5));
    std::shared_ptr<WindowImage> pixels = pictures ? pictures(*line) : nullptr;
    if (pixels) {
        surface.drawImage(*pixels, left, top, width, height);
    } else {
        Rgb frame = notebookTextColour(0);
        surface.drawLine(left, top, left + width - 1, top, frame);
        surface.drawLine(left + width - 1, top, left + width - 1, top + height - 1, frame);
        surface.drawLine(left + width - 1, top + height - 1, left, top + height - 1, frame);
        surface.drawLine(left, top + height - 1, left, top, frame);
    }
}

// The pieces of a selected line: before the selection, the selection (or
// the bracket match), after it.
void NotebookPainter::drawSelected(int x, int y, const NotebookLine* line, Rgb colour) {
    bool prompt = line->kind == lineCommand || line->kind == lineFunctionBody;
    std::string text = prompt ? NotebookEditor::drawnText(line, 0)
                              : std::string(line->originalText ? line->originalText->getText()
                                                               : line->text.getText());
    int length = int(text.size());
    int start =
        line == editor.cursor().getSelectionFirst() ? editor.cursor().getSelectionStartColumn() : 0;
    int end = line == editor.cursor().getSelectionLast() ? editor.cursor().getSelectionEndColumn()
                                                         : length;
    // The pieces hold whole characters.
    bool utf8 = isUtf8Text(text.c_str());
    start = int(characterPrefix(text.c_str(), size_t(std::min(std::max(start, 0), length)), utf8));
    end = int(characterPrefix(text.c_str(), size_t(std::min(std::max(end, start), length)), utf8));
    Rgb background = notebookTextColour(4);
    Rgb marked = editor.cursor().isBracketMatchShown() ? bracketMatchGrey : notebookTextColour(5);
    const std::string pieces[3] = {text.substr(0, size_t(start)),
                                   text.substr(size_t(start), size_t(end - start)),
                                   text.substr(size_t(end))};
    const Rgb backgrounds[3] = {background, marked, background};
    for (int i = 0; i < 3; i++) {
        if (pieces[i].empty()) continue;
        std::string utf8 = notebookTextUtf8(pieces[i]);
        surface.drawTextOpaque(x, y, utf8, colour, backgrounds[i]);
        x += surface.textWidth(utf8);
    }
}

// Marks count the characters of the text as drawn.
void NotebookPainter::drawMisspelt(int x, int y, const NotebookLine* line,
                                   const std::string& drawn) {
    Rgb colour = notebookTextColour(colorsEnabled() ? 1 : 0);
    int bottom = y + editor.view().getLineHeight() - 2;
    const char* text = drawn.c_str();
    for (int i = 0; i < line->misspeltCount; i++) {
        size_t start = size_t(std::max<int>(line->misspeltStart[i], 0));
        size_t end = start + size_t(std::max<int>(line->misspeltLength[i], 0));
        int from = surface.textWidth(drawn.substr(0, characterOffset(text, start, true)));
        int to = surface.textWidth(drawn.substr(0, characterOffset(text, end, true)));
        surface.drawLine(x + from, bottom, x + to, bottom, colour);
    }
}

}  // namespace kalix
