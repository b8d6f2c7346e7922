// Painting notebook lines: the visible lines from the top line walked down
// until one would not fit, each line in the colour of its kind (commands,
// function bodies, comments, links, output), headings and "** " lines in
// their fonts, right-aligned with a rule under them, "---" as a rule,
// selections and the bracket match on their backgrounds, misspelt words
// underlined, and pictures drawn once from their true top.
#pragma once

#include <functional>
#include <memory>

#include "gui/window.h"
#include "notebook/notebook_model.h"

namespace kalix {

struct NotebookFonts;

// The pixels of a picture (null: the picture shows as an empty frame).
using PictureSource = std::function<std::shared_ptr<WindowImage>(const NotebookLine& row)>;

class NotebookPainter {
  public:
    NotebookPainter(NotebookEditor& editor, WindowSurface& surface, const NotebookFonts& fonts,
                    int textPixelWidth, PictureSource pictures);

    // Fills the surface with the background and draws the lines from the
    // top line on that fit completely; lines before `from` only take their
    // room. Holds the text lock.
    void drawVisibleLines(const NotebookLine* from);
    // One line with its top edge at y.
    void drawNotebookLine(int y, const NotebookLine* line);

  private:
    void drawPicture(int y, const NotebookLine* line);
    void drawSelected(int x, int y, const NotebookLine* line, Rgb colour);
    void drawMisspelt(int x, int y, const NotebookLine* line, const std::string& drawn);

    NotebookEditor& editor;
    WindowSurface& surface;
    const NotebookFonts& fonts;
    int textPixelWidth;
    PictureSource pictures;
    const NotebookPicture* lastDrawnImage = nullptr;
};

// The notebook's text colours (settings "textcolor0".."textcolor5").
Rgb notebookTextColour(int index);
// A line's text colour: index 1 commands, 3 function bodies and links, 2
// comments, 0 output; 0 for every line with "usecolors" off.
int lineColourIndex(const NotebookLine* line, bool useColours);
// A text of the notebook (code page, or UTF-8 after the marker EF BB BF)
// as UTF-8.
std::string notebookTextUtf8(const std::string& text);

}  // namespace kalix
