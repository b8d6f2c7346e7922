#include "gui/option_dialogs.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "base/base_directory.h"
#include "base/settings.h"
#include "graphics/colors.h"
#include "gui/dialogs.h"
#include "gui/documentation_commands.h"
#include "gui/graphics_commands.h"
#include "gui/graphics_window_commands.h"
#include "gui/program_launch.h"
#include "gui/text_window.h"
#include "platform/host.h"
#include "platform/processes.h"

namespace kalix {

namespace {

Rgb rgbOf(RgbColor c) { return Rgb{c.redOf(), c.greenOf(), c.blueOf()}; }
RgbColor colorOf(Rgb c) { return RgbColor(c.red, c.green, c.blue); }

// The folder chooser of the folder buttons (it keeps no choice of its own:
// each click starts at the linked item's text).
FileSelector folderSelector(nullptr, "", 0, "", "", nullptr);

}  // namespace

// --- buttons ----------------------------------------------------------------------------------

int HelpButton::onItemCommand(int) {
    openDocumentationPage(page.c_str());
    return 1;
}

int BrowseButton::onItemCommand(int) {
    item.readBack();
    const std::string& current = item.getItemString();
    browserExeSelector.setSelectorFileName(current.c_str());
    std::string directory = current.substr(0, current.rfind('/') + 1);
    browserExeSelector.setSelectorDirectory(directory.c_str());
    std::string chosen = browserExeSelector.chooseFile();
    if (!chosen.empty()) item.setItemString(chosen);
    return 1;
}

int BrowseDirButton::onItemCommand(int) {
    item.readBack();
    folderSelector.setSelectorDirectory(item.getItemString().c_str());
    std::string chosen = folderSelector.chooseFolder();
    if (!chosen.empty()) item.setItemString(chosen);
    return 1;
}

int DefaultButton::onItemCommand(int) {
    first.setItemString("");
    second.setItemString("");
    return 1;
}

int DefaultCallstringButton::onItemCommand(int) {
    std::string maxima = findProgram("maxima");
    program.setItemString(maxima.empty() ? "maxima" : maxima);
    directory.setItemString("");
    return 1;
}

int DefaultSizesButton::onItemCommand(int) {
    data.setValue(1024);
    graphics.setValue(256);
    return 1;
}

int DefaultFontsButton::onItemCommand(int) {
    writeSetting("graphicsfontname", "Arial");
    writeSetting("textfontname", "Courier New");
    writeIntSetting("graphicslines", 40);
    redrawGraphicsWindow();
    writeIntSetting("textfont", 16);
    if (textWindow) textWindow->onSized();
    return 0;
}

int SetColorItem::onItemCommand(int) {
    ColorChoice choice = pickColor(nullptr, colour);
    if (choice.result == 1) {
        colour = choice.colour;
        swatch.setColor(colour);
    }
    return 1;
}

int ColorDefaultButton::onItemCommand(int) {
    Palette defaults;
    for (int i = 0; i < paletteSize; i++) {
        palette[i]->setColor(rgbOf(defaults.entries[i]));
        palette[i]->getSwatch().setColor(rgbOf(defaults.entries[i]));
    }
    for (int i = 0; i < textColorCount; i++) {
        text[i]->setColor(rgbOf(defaultTextColors[i]));
        text[i]->getSwatch().setColor(rgbOf(defaultTextColors[i]));
    }
    return 1;
}

int TextFontButton::onItemCommand(int) {
    size.readBack();
    name.readBack();
    WindowFont start{name.getItemString(),
                     std::clamp(size.getValue(), smallestTextFont, largestTextFont), 400};
    FontChoice choice = pickFont(nullptr, start, 1);
    if (choice.result == 1) {
        size.setValue(choice.height);
        name.setItemString(choice.face);
    }
    return 1;
}

// The chooser starts on the graphics face at the height one of the lines
// takes in the graphics window (bold with "boldfont").
int GraphicsFontButton::onItemCommand(int) {
    lines.readBack();
    name.readBack();
    int width, height;
    graphicsWindowSize(width, height);
    int side = std::max(1, std::min(width, height));
    int count = lines.getValue() > 0 ? lines.getValue() : 40;
    WindowFont start{name.getItemString(), std::max(6, side / count),
                     intSetting("boldfont") ? 700 : 400};
    FontChoice choice = pickFont(nullptr, start, 0);
    if (choice.result == 1) {
        lines.setValue(side / std::max(1, choice.height));
        name.setItemString(choice.face);
    }
    return 1;
}

int UseDefaultEditorButton::onItemCommand(int) {
    editor.setItemString("");
    parameters.setItemString("");
    file.setItemString("");
    return 1;
}

// --- helpers --------------------------------------------------------------------------------

void graphicsWindowSize(int& width, int& height) {
    height = intSetting(makeScreenKey("hgraphics"));
    if (height <= 0) height = 600;
    width = intSetting(makeScreenKey("wgraphics"));
    if (width <= 0) width = height;
}

std::string findFileInTree(const std::string& directory, const char* name) {
    namespace fs = std::filesystem;
    std::error_code error;
    if (directory.empty() || !fs::is_directory(directory, error)) return std::string();
    // Files of a folder first, then its folders in name order.
    std::vector<fs::path> folders;
    for (const fs::directory_entry& entry : fs::directory_iterator(directory, error)) {
        if (entry.is_symlink(error)) continue;
        if (entry.is_directory(error)) {
            folders.push_back(entry.path());
        } else if (entry.path().filename() == name && entry.is_regular_file(error)) {
            return entry.path().string();
        }
    }
    std::sort(folders.begin(), folders.end());
    for (const fs::path& folder : folders) {
        std::string found = findFileInTree(folder.string(), name);
        if (!found.empty()) return found;
    }
    return std::string();
}

void placeDialogFromSettings(Dialog& dialog, const char* name, int minimumWidth,
                             int minimumHeight) {
    int x = 100, y = 100, width = 600, height = 500;
    if (textWindow) textWindow->getWindowRectangle(x, y, width, height);
    bool editor = std::string(name) == "edit";
    int defaults[4] = {x + (editor ? 50 : 100), y + 20, width - 60, height - (editor ? 30 : 100)};
    int values[4];
    const char* suffixes[4] = {"x", "y", "w", "h"};
    for (int i = 0; i < 4; i++) {
        std::string key = std::string(name) + suffixes[i];
        values[i] = readIntSetting(makeScreenKey(key.c_str()), defaults[i]);
    }
    int screenWidth, screenHeight;
    getScreenWorkArea(screenWidth, screenHeight);
    dialog.fitToScreen(screenWidth, screenHeight, values[0], values[1], values[2], values[3],
                       minimumWidth, minimumHeight);
}

void storeDialogGeometry(const Dialog& dialog, const char* name) {
    int values[4];
    dialog.getRememberedRect(values[0], values[1], values[2], values[3]);
    if (values[2] <= 0 || values[3] <= 0) return;
    const char* suffixes[4] = {"x", "y", "w", "h"};
    for (int i = 0; i < 4; i++) {
        std::string key = std::string(name) + suffixes[i];
        writeIntSetting(makeScreenKey(key.c_str()), values[i]);
    }
}

// --- the dialogs ----------------------------------------------------------------------------

void setMemorySizesDialog() {
    Dialog dialog(textWindow, 5);
    LongItem data(12, dialog, intSetting("stacksize64"));
    LongItem graphics(11, dialog, intSetting("graphicssize64"));
    DefaultSizesButton defaults(10, dialog, data, graphics);
    HelpButton help(dialog, "reference/overview.html#Program%C2%A0Options");
    if (dialog.runModal() != dialogOk) return;
    writeIntSetting("stacksize64", std::max(data.getValue(), 128));
    writeIntSetting("graphicssize64", std::max(graphics.getValue(), 32));
}

void setFontsDialog() {
    Dialog dialog(textWindow, 8);
    LongItem textSize(10, dialog, intSetting("textfont"));
    LongItem graphicsLines(11, dialog, intSetting("graphicslines"));
    StringItem textFace(511, dialog, textSetting("textfontname"));
    StringItem graphicsFace(510, dialog, textSetting("graphicsfontname"));
    TextFontButton textButton(12, dialog, textSize, textFace);
    GraphicsFontButton graphicsButton(13, dialog, graphicsLines, graphicsFace);
    DefaultFontsButton defaults(5, dialog);
    HelpButton help(dialog, "reference/overview.html#Graphics%C2%A0Options");
    if (dialog.runModal() != dialogOk) return;
    writeSetting("graphicsfontname", graphicsFace.getItemString().c_str());
    int lines = graphicsLines.getValue();
    if (lines > 10 && lines < 200) writeIntSetting("graphicslines", lines);
    redrawGraphicsWindow();
    writeSetting("textfontname", textFace.getItemString().c_str());
    writeIntSetting("textfont", std::clamp(textSize.getValue(), smallestTextFont, largestTextFont));
    if (textWindow) textWindow->onSized();
}

void setColorsDialog() {
    Dialog dialog(textWindow, 9);
    bool useColors = colorsEnabled();
    std::vector<std::unique_ptr<ColorItem>> swatches;
    std::vector<std::unique_ptr<SetColorItem>> buttons;
    SetColorItem* palette[paletteSize];
    SetColorItem* text[textColorCount];
    for (int i = 0; i < paletteSize; i++) {
        Rgb colour = rgbOf(currentPalette.entries[i]);
        swatches.push_back(
            std::make_unique<ColorItem>(100 + i, dialog, i, useColors ? colour : greyOf(colour)));
        buttons.push_back(
            std::make_unique<SetColorItem>(200 + i, dialog, i, colour, *swatches.back()));
        palette[i] = buttons.back().get();
    }
    for (int i = 0; i < textColorCount; i++) {
        Rgb colour = rgbOf(textColors[i]);
        swatches.push_back(std::make_unique<ColorItem>(400 + i, dialog, i, colour));
        buttons.push_back(
            std::make_unique<SetColorItem>(300 + i, dialog, i, colour, *swatches.back()));
        text[i] = buttons.back().get();
    }
    ColorDefaultButton defaults(10, dialog, palette, text);
    HelpButton help(dialog, "documentation/gui.html#Colors");
    if (dialog.runModal() == dialogOk) {
        for (int i = 0; i < paletteSize; i++) {
            currentPalette.entries[i] = colorOf(palette[i]->getColor());
            defaultPalette.entries[i] = currentPalette.entries[i];
        }
        for (int i = 0; i < textColorCount; i++) textColors[i] = colorOf(text[i]->getColor());
        saveColorSettings(settings);
    }
    if (textWindow) textWindow->invalidate();
}

void setBrowserDialog() {
    Dialog dialog(textWindow, 13);
    std::string browser = textSetting("browserstring");
    StringItem program(10, dialog, browser.empty() ? registeredBrowser() : browser);
    StringItem folder(11, dialog, textSetting("browserdir"));
    DefaultButton defaults(20, dialog, program, folder);
    BrowseButton browse(21, dialog, program);
    BrowseDirButton browseFolder(22, dialog, folder);
    HelpButton help(dialog, "documentation/gui.html#Browser_Command");
    if (dialog.runModal() != dialogOk) return;
    writeSetting("browserstring", program.getItemString().c_str());
    writeSetting("browserdir", folder.getItemString().c_str());
}

namespace {

// A directory with a separator at its end (an empty one stays empty).
std::string withSeparator(std::string directory) {
    if (!directory.empty() && directory.back() != '/' && directory.back() != '\\') directory += '/';
    return directory;
}

}  // namespace

void setupLatexDialog() {
    Dialog dialog(textWindow, 14);
    StringItem binaries(10, dialog, textSetting("latexbin"));
    StringItem work(12, dialog, textSetting("latexdir"));
    BrowseDirButton browseBinaries(21, dialog, binaries);
    BrowseDirButton browseWork(23, dialog, work);
    DefaultButton defaults(20, dialog, binaries, work);
    HelpButton help(dialog, "documentation/installation.html#Latex");
    if (dialog.runModal() != dialogOk) return;
    writeSetting("latexbin", withSeparator(binaries.getItemString()).c_str());
    writeSetting("latexdir", withSeparator(work.getItemString()).c_str());
}

// With a directory but no program, the program is looked for below the
// directory: "sbcl", then "maxima".
void setupMaximaDialog() {
    Dialog dialog(textWindow, 12);
    StringItem program(10, dialog, textSetting("maximacallstring"));
    StringItem folder(11, dialog, textSetting("maximacalldir"));
    BrowseButton browse(21, dialog, program);
    BrowseDirButton browseFolder(22, dialog, folder);
    DefaultCallstringButton defaults(20, dialog, program, folder);
    HelpButton help(dialog, "documentation/installation.html#Maxima");
    if (dialog.runModal() != dialogOk) return;
    std::string call = program.getItemString();
    std::string directory = folder.getItemString();
    for (const char* name : {"sbcl", "maxima"}) {
        if (!call.empty() || directory.empty()) break;
        call = findFileInTree(directory, name);
    }
    writeSetting("maximacallstring", call.c_str());
    writeSetting("maximacalldir", directory.c_str());
}

void setupExternalEditorDialog() {
    Dialog dialog(textWindow, 2);
    StringItem editor(10, dialog, textSetting("externaleditor"));
    StringItem parameters(11, dialog, textSetting("externalparameters"));
    StringItem file(12, dialog, textSetting("externalfile"));
    UseDefaultEditorButton useDefault(3, dialog, editor, parameters, file);
    HelpButton help(dialog, "documentation/gui.html#External_Editor");
    if (dialog.runModal() == dialogCancel) return;
    writeSetting("externaleditor", editor.getItemString().c_str());
    writeSetting("externalparameters", parameters.getItemString().c_str());
    writeSetting("externalfile", file.getItemString().c_str());
}

// The code page is taken at the next start.
void setCodepageDialog() {
    Dialog dialog(textWindow, 22);
    LongItem page(10, dialog, codePage);
    HelpButton help(dialog, "reference/overview.html#Program%C2%A0Options");
    if (dialog.runModal() != dialogOk || page.getValue() <= 0) return;
    codePage = page.getValue();
    writeIntSetting("CODE_PAGE", codePage);
}

#ifndef KALIX_VERSION
#define KALIX_VERSION "0"
#endif

void showAboutBox() {
    std::string text =
        "Kalixbench x64 for Linux\n"
        "This program is provided as it is, without any warranty.\n\n"
        "This is version " KALIX_VERSION;
    Dialog dialog(textWindow, 3);
    TextItem about(500, dialog, text);
    if (dialog.runModal() == 1) openHomepage();
}

void showResetInfo() {
    std::string text = std::string("To reset Kalixbench\ndelete the file \".kalix.profile\"\nin ") +
                       baseDir.getText() + "\nor start Kalix with the option -reset!";
    showMessage(text.c_str(), "Reset Kalix");
}

}  // namespace kalix
