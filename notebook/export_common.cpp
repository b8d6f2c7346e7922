// What the notebook exports share.
#include "notebook/export_common.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "base/settings.h"
#include "base/text.h"
#include "graphics/safe_file.h"

namespace kalix {

ExportOptions exportOptionsFromSettings(int latex) {
    ExportOptions options;
    options.htmlUtf = intSetting("htmlutf");
    options.generateXhtml = intSetting("generatexhtml");
    options.useColors = intSetting("usecolors");
    options.fixLineLength = intSetting("fixlinelength");
    options.useLargeImages = intSetting("uselargeimagesforhtml");
    options.latexAsMathJax = intSetting("exportlatexasmathjax");
    options.noReformat = intSetting("noreformat");
    options.respectFolding = intSetting(latex ? "respectfoldinglatex" : "respectfolding");
    options.mathJaxAddress = textSetting("mathjaxaddress");
    options.textWindowWidth = intSetting(makeScreenKey("wtext"));
    return options;
}

std::string escapeHtml(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

static bool isAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

void ExportText::put(const std::string& text) {
    if (text.compare(0, 3, utf8Mark) == 0) {
        data.append(text, 3, std::string::npos);
    } else if (utf && !isAscii(text)) {
        std::string converted;
        codePageToUtf8(text.c_str(), converted);
        data += converted;
    } else {
        data += text;
    }
}

// --- lines ---------------------------------------------------------------------------

const char* plainText(const NotebookLine* line) {
    const char* text = line->text.getText();
    return NotebookEditor::hasUtf8Bom(text) ? text + 3 : text;
}

int plainStartsWith(const NotebookLine* line, const char* prefix) {
    return std::strncmp(plainText(line), prefix, std::strlen(prefix)) == 0;
}

int isBlankComment(const NotebookLine* line) {
    if (line->kind != lineComment || line->image) return 0;
    for (const char* p = plainText(line); *p; p++)
        if (*p != ' ') return 0;
    return 1;
}

int isFormulaComment(const NotebookLine* line, int latexAsMathJax) {
    if (line->kind != lineComment || line->image) return 0;
    return plainStartsWith(line, "mathjax: ") ||
           (latexAsMathJax && plainStartsWith(line, "latex: "));
}

std::string lineMarkup(const NotebookLine* line, int skip, int markdown) {
    int marked = NotebookEditor::hasUtf8Bom(line->text.getText());
    std::string markup = NotebookEditor::commentLineMarkup(line, (marked ? 3 : 0) + skip, markdown);
    return marked ? utf8Mark + markup : markup;
}

int isEmptyCommand(const NotebookLine* line) {
    return line->text.length() <= 1 || line->text.equals(">//") || line->text.equals("> //");
}

int isMarkedComment(const NotebookLine* line) {
    return line->heading || plainStartsWith(line, "---") || plainStartsWith(line, "** ") ||
           plainStartsWith(line, "mathjax: ") || plainStartsWith(line, "latex: ");
}

int continuesComment(const NotebookLine* line) {
    return line && line->kind == lineComment && !line->image && !line->isFolded() &&
           !isMarkedComment(line);
}

NotebookLine* lastRowOf(NotebookLine* line) {
    while (line->next && line->next->image == line->image && line->next->imageRow > 0)
        line = line->next;
    return line;
}

static std::string fileNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

ExportNames exportNames(NotebookEditor& editor, const char* path, int markdown) {
    ExportNames names;
    names.directory = directoryOf(path);
    names.base = fileNameOf(path);
    size_t dot = names.base.rfind('.');
    if (dot != std::string::npos && dot > 0) names.base.erase(dot);
    names.start = editor.document().getFirstLine();
    names.title = names.base;
    NotebookLine* first = editor.document().getFirstLine();
    if (first && first->kind == lineComment && first->heading && !first->image) {
        names.title = lineMarkup(first, 0, markdown);
        names.start = first->next;
    }
    return names;
}

// --- images --------------------------------------------------------------------------

static std::string encodeLink(const std::string& name) {
    std::string out;
    for (char c : name) {
        const char* code = c == ' '   ? "%20"
                           : c == '%' ? "%25"
                           : c == '#' ? "%23"
                           : c == '?' ? "%3F"
                           : c == '"' ? "%22"
                           : c == '(' ? "%28"
                           : c == ')' ? "%29"
                                      : nullptr;
        if (code)
            out += code;
        else
            out += c;
    }
    return out;
}

// The saved file relative to the export's directory, "" when it lies
// elsewhere.
static std::string relativeTo(const std::string& directory, const String* saved) {
    if (!saved || saved->isStringEmpty()) return std::string();
    std::string path = saved->getText();
    if (path.compare(0, directory.size(), directory) != 0) return std::string();
    std::string rest = path.substr(directory.size());
    size_t slash = rest.find('/');
    if (slash == std::string::npos) return rest;
    if (rest.compare(0, 7, "images/") == 0 && rest.find('/', 7) == std::string::npos) return rest;
    return std::string();
}

std::string imageLink(const NotebookLine* line, const ExportNames& names,
                      const NotebookOptions& options, int large, int encode) {
    const char* text = line->text.getText();
    if (text[0] == '~') return encode ? encodeLink(text + 1) : std::string(text + 1);
    std::string name = relativeTo(
        names.directory, large ? line->largeImageFileName.get() : line->imageFileName.get());
    if (name.empty()) {
        char number[32];
        std::snprintf(number, sizeof number, "-%03d", line->imageNumber);
        name = options.saveImages && options.imagesInDirectory ? "images/" : "";
        name += names.base + number;
        if (text[0]) name += std::string("-") + text;
        if (large) name += "-large";
        name += ".png";
    }
    return encode ? encodeLink(name) : name;
}

void makeImageFolder(const ExportNames& names, const NotebookOptions& options) {
    if (!options.saveImages || !options.imagesInDirectory) return;
    std::string folder = names.directory + "images";
    struct stat status;
    if (stat(folder.c_str(), &status) != 0) mkdir(folder.c_str(), 0755);
}

// --- the file ------------------------------------------------------------------------

int fileExists(const std::string& path) {
    struct stat status;
    return stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

std::string patternFile(const std::string& directory) {
    std::string path = directory + "pattern.html";
    return fileExists(path) ? path : directory + "Pattern.html";
}

int replaceFile(const std::string& path, const std::string& data) {
    SafeFile file(path);
    if (!file.isOpen()) return 0;
    FILE* stream = fdopen(file.descriptor(), "wb");
    if (!stream) return 0;
    file.release();
    bool ok = std::fwrite(data.data(), 1, data.size(), stream) == data.size();
    ok = std::fclose(stream) == 0 && ok;
    return file.commit(ok);
}

int writeExport(NotebookEditor& editor, const char* path, const std::string& data) {
    if (replaceFile(path, data)) return 1;
    editor.getHost().showMessage("Could not open this file!");
    return 0;
}

}  // namespace kalix
