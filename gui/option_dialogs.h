// The dialogs of the Options and Help menus that edit settings: memory
// sizes, fonts, colours, browser, LaTeX, Maxima, the external editor and the
// code page, the about box and the reset hint; and the buttons with fixed
// click actions that these and the other dialogs share. Each dialog is
// filled from the settings, run, and on OK written back. GUI thread.
#pragma once

#include <string>

#include "gui/dialog.h"

namespace kalix {

// --- buttons ----------------------------------------------------------------------------------

// Opens a documentation page in the browser (or says the page is missing).
class HelpButton : public ButtonItem {
  public:
    HelpButton(Dialog& dialog, const char* page) : ButtonItem(helpButtonId, dialog), page(page) {}
    int onItemCommand(int code) override;

  private:
    std::string page;
};

// Ends the dialog with its own id.
class AlwaysButton : public ButtonItem {
  public:
    using ButtonItem::ButtonItem;
    int onItemCommand(int) override { return 0; }
};

// Chooses a program into a text item.
class BrowseButton : public ButtonItem {
  public:
    BrowseButton(int id, Dialog& dialog, StringItem& item) : ButtonItem(id, dialog), item(item) {}
    int onItemCommand(int code) override;

  private:
    StringItem& item;
};

// Chooses a folder into a text item.
class BrowseDirButton : public ButtonItem {
  public:
    BrowseDirButton(int id, Dialog& dialog, StringItem& item)
        : ButtonItem(id, dialog), item(item) {}
    int onItemCommand(int code) override;

  private:
    StringItem& item;
};

// Empties two text items.
class DefaultButton : public ButtonItem {
  public:
    DefaultButton(int id, Dialog& dialog, StringItem& first, StringItem& second)
        : ButtonItem(id, dialog), first(first), second(second) {}
    int onItemCommand(int code) override;

  private:
    StringItem &first, &second;
};

// The Maxima found on the search path, with no directory of its own.
class DefaultCallstringButton : public ButtonItem {
  public:
    DefaultCallstringButton(int id, Dialog& dialog, StringItem& program, StringItem& directory)
        : ButtonItem(id, dialog), program(program), directory(directory) {}
    int onItemCommand(int code) override;

  private:
    StringItem &program, &directory;
};

class DefaultSizesButton : public ButtonItem {
  public:
    DefaultSizesButton(int id, Dialog& dialog, LongItem& data, LongItem& graphics)
        : ButtonItem(id, dialog), data(data), graphics(graphics) {}
    int onItemCommand(int code) override;

  private:
    LongItem &data, &graphics;
};

// Applies the default fonts at once and ends the dialog with its id.
class DefaultFontsButton : public ButtonItem {
  public:
    using ButtonItem::ButtonItem;
    int onItemCommand(int code) override;
};

// A colour button: the colour chooser starts on its colour; the chosen one
// is kept and shown in the linked swatch.
class SetColorItem : public ButtonItem {
  public:
    SetColorItem(int id, Dialog& dialog, int index, Rgb colour, ColorItem& swatch)
        : ButtonItem(id, dialog), index(index), colour(colour), swatch(swatch) {}
    int onItemCommand(int code) override;
    void setColor(Rgb value) { colour = value; }
    Rgb getColor() const { return colour; }
    int getIndex() const { return index; }
    ColorItem& getSwatch() { return swatch; }

  private:
    int index;
    Rgb colour;
    ColorItem& swatch;
};

// Puts the default colours into the 16 palette and 6 text colour buttons
// (with their swatches).
class ColorDefaultButton : public ButtonItem {
  public:
    ColorDefaultButton(int id, Dialog& dialog, SetColorItem* const* palette,
                       SetColorItem* const* text)
        : ButtonItem(id, dialog), palette(palette), text(text) {}
    int onItemCommand(int code) override;

  private:
    SetColorItem* const* palette;  // 16
    SetColorItem* const* text;     // 6
};

// Font choosers: the text font (fixed pitch) into its pixel size and face;
// the graphics font (any scalable face) into lines per picture and face.
class TextFontButton : public ButtonItem {
  public:
    TextFontButton(int id, Dialog& dialog, LongItem& size, StringItem& name)
        : ButtonItem(id, dialog), size(size), name(name) {}
    int onItemCommand(int code) override;

  private:
    LongItem& size;
    StringItem& name;
};

class GraphicsFontButton : public ButtonItem {
  public:
    GraphicsFontButton(int id, Dialog& dialog, LongItem& lines, StringItem& name)
        : ButtonItem(id, dialog), lines(lines), name(name) {}
    int onItemCommand(int code) override;

  private:
    LongItem& lines;
    StringItem& name;
};

// Empties the three external editor items: the editor of the system is
// used then ($VISUAL, $EDITOR, xdg-open).
class UseDefaultEditorButton : public ButtonItem {
  public:
    UseDefaultEditorButton(int id, Dialog& dialog, StringItem& editor, StringItem& parameters,
                           StringItem& file)
        : ButtonItem(id, dialog), editor(editor), parameters(parameters), file(file) {}
    int onItemCommand(int code) override;

  private:
    StringItem &editor, &parameters, &file;
};

// --- the dialogs ---------------------------------------------------------------------------

void setMemorySizesDialog();       // 115
void setFontsDialog();             // 125
void setColorsDialog();            // 2000
void setBrowserDialog();           // 6802
void setupLatexDialog();           // 6855
void setupMaximaDialog();          // 6030
void setupExternalEditorDialog();  // 131
void setCodepageDialog();          // 8001
void showAboutBox();               // 109
void showResetInfo();              // 7080

// The size of the graphics window (from its settings while it has none).
void graphicsWindowSize(int& width, int& height);
// The first file of that name in the tree below `directory`, depth first.
std::string findFileInTree(const std::string& directory, const char* name);

// The geometry of a dialog kept in settings: "<name>x", "<name>y",
// "<name>w", "<name>h" of the screen (the comment dialog "comment", the
// internal editor "edit").
void placeDialogFromSettings(Dialog& dialog, const char* name, int minimumWidth, int minimumHeight);
void storeDialogGeometry(const Dialog& dialog, const char* name);

}  // namespace kalix
