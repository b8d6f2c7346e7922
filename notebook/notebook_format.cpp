// The ".kn" notebook file: one line per notebook line, CR LF line ends
// (LF read as well), UTF-8 with a byte order mark when "utf" is on, images
// as PNG files beside the notebook or in its "images/" folder.
//
// A save never harms the old notebook: every file is written to a
// temporary in its own folder and renamed over the old one only when all
// of them were written; image files the old notebook used are removed
// after that.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/file_reading.h"
#include "base/stale_temporaries.h"
#include "base/text.h"
#include "notebook/notebook_model.h"

namespace kalix {

int deleteFileIfPresent(const char* path) {
    if (std::remove(path) == 0) return 1;
    return errno == ENOENT ? 1 : 0;
}

static bool startsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::strlen(prefix), prefix) == 0;
}

static std::string fileNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

static std::string baseNameOf(const std::string& path) {
    std::string name = fileNameOf(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

// --- texts that look like markers ------------------------------------------------------
//
// A comment or output text that would read back as a marker is written with
// one more blank in front, which the reader takes away again: an output
// line of blanks and "%image% " is an image only with exactly one blank; a
// comment whose text begins with blanks and "%image% ", "// " or "* " lost
// its first blank when more than the prefix was there.

static bool afterBlanks(const std::string& text, const char* marker, size_t& blanks) {
    blanks = text.find_first_not_of(' ');
    return blanks != std::string::npos && text.compare(blanks, std::strlen(marker), marker) == 0;
}

static bool outputLooksLikeImage(const std::string& text) {
    size_t blanks;
    return afterBlanks(text, "%image% ", blanks) && blanks >= 1;
}

static bool commentLooksLikeMarker(const std::string& text) {
    size_t blanks;
    return afterBlanks(text, "%image% ", blanks) || afterBlanks(text, "// ", blanks) ||
           afterBlanks(text, "* ", blanks);
}

// --- reading -------------------------------------------------------------------------

static const char maximaCompatibility[] = "Maxima mode is on (compatibility mode)";
static const char maximaDirect[] = "Maxima mode is on (direct mode)";

// The file's lines, whole whatever their length, without their line ends.
static std::vector<std::string> splitFileLines(const std::string& data) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < data.size()) {
        size_t end = data.find('\n', start);
        size_t next = end == std::string::npos ? data.size() : end + 1;
        if (end == std::string::npos) end = data.size();
        while (end > start && (data[end - 1] == '\r' || data[end - 1] == '\n')) end--;
        lines.push_back(data.substr(start, end - start));
        start = next;
    }
    return lines;
}

namespace {

// Reads the lines into the editor; `line` is the notebook line that the
// next file line fills.
struct NotebookReader {
    NotebookEditor& editor;
    std::string directory;
    NotebookOptions options;
    std::vector<std::string> imageFiles;
    int imageCount = 0;
    NotebookLine* line = nullptr;
    bool reuse = false;

    void readImage(const std::string& text, bool comment);
    void readFormula(const std::string& text);
    void readText(const std::string& text);
};

void NotebookReader::readImage(const std::string& text, bool comment) {
    std::string name = text.substr(comment ? 10 : 9);
    bool tilde = !name.empty() && name[0] == '~';
    if (tilde) name.erase(0, 1);
    std::string path = findImageFile(directory, name, options.imagesInDirectory);
    std::shared_ptr<NotebookPicture> picture = editor.getHost().loadPicture(path.c_str());
    if (!picture) {
        // The image disappears; its line takes the next file line.
        reuse = true;
        return;
    }
    int rowHeight = editor.getTextLineHeight();
    if (rowHeight <= 0) rowHeight = 1;
    double s = options.magnifyMode ? 1.2 : 1.0;
    int rows = int(std::floor(picture->getHeight() * s / rowHeight + 0.5));
    if (rows > 60) {
        int height = int(std::floor(60.0 * rowHeight / s + 0.5));
        int width =
            int(std::floor(double(picture->getWidth()) * height / picture->getHeight() + 0.5));
        picture->scaleTo(width > 0 ? width : 1, height);
        rows = 60;
    }
    if (rows < 1) rows = 1;
    int kind = comment ? lineComment : lineOutput;
    line->text.assign(tilde ? ("~" + name).c_str() : "");
    line->kind = kind;
    line->image = picture;
    line->imageRow = 0;
    if (!tilde) {
        imageFiles.push_back(path);
        // Exports before the next save name the files read.
        line->imageFileName = std::make_unique<String>(path.c_str());
        line->imageNumber = ++imageCount;
    }
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".png") == 0) {
        std::string large = path.substr(0, path.size() - 4) + "-large.png";
        line->largeImage = editor.getHost().loadPicture(large.c_str());
        if (line->largeImage && !tilde) {
            imageFiles.push_back(large);
            line->largeImageFileName = std::make_unique<String>(large.c_str());
        }
    }
    NotebookLine* row = line;
    for (int i = 1; i < rows; i++) {
        row = editor.newLineAfter(row, "", kind);
        row->image = picture;
        row->imageRow = i;
    }
    line = row;
}

void NotebookReader::readFormula(const std::string& text) {
    reuse = true;
    bool mathJax = startsWith(text, "% // mathjax: ");
    NotebookLine* row = line->previous;
    if (!row || !row->image) return;
    while (row->imageRow > 0 && row->previous && row->previous->image == row->image)
        row = row->previous;
    row->formula = std::make_unique<String>(text.c_str() + (mathJax ? 14 : 12));
    row->formulaIsMathJax = mathJax;
}

void NotebookReader::readText(const std::string& text) {
    line->text.assign(text.c_str());
    char first = text.empty() ? 0 : text[0];
    line->kind = first == '$'   ? lineFunctionBody
                 : first == '>' ? lineCommand
                 : first == '%' ? lineComment
                                : lineOutput;
    if (line->kind == lineOutput && outputLooksLikeImage(text) && text.compare(0, 2, "  ") == 0)
        line->text.erase(0, 1);
    if (line->kind == lineComment) {
        NotebookEditor::parseCommentPrefix(line);
        std::string parsed = line->text.getText();
        if (parsed.size() > 1 && parsed[0] == ' ' && commentLooksLikeMarker(parsed))
            line->text.erase(0, 1);
        NotebookEditor::decodeLineEntities(line);
    }
}

}  // namespace

int NotebookEditor::readNotebook(const char* path) {
    std::string data;
    if (!readWholeFile(path, data)) {
        queueMessage(std::string("Could not open file\n") + path);
        return 0;
    }
    std::vector<std::string> lines = splitFileLines(data);
    {
        TextLockHold hold(*this, "load");
        clearNotebook();
        host->stopStatusHelpTimer();
        NotebookReader reader{*this, directoryOf(path), options(), {}};
        bool utf8 = !lines.empty() && startsWith(lines[0], "\xEF\xBB\xBF");
        if (utf8) lines[0].erase(0, 3);
        // Without the mark the file is in the code page; in UTF-8 a file
        // that is no UTF-8 was written in 1252 by an older version.
        if (!utf8 && codePageIsUtf8() && !isValidUtf8(data.data(), data.size()))
            for (std::string& text : lines) codePage1252ToUtf8(text.c_str(), text);
        if (!lines.empty()) {
            if (lines[0] == maximaCompatibility)
                host->setMaximaMode(1);
            else if (lines[0] == maximaDirect)
                host->setMaximaMode(2);
        }
        reader.line = doc.getFirstLine();
        reader.reuse = true;
        for (std::string& text : lines) {
            std::string unheld;
            if (utf8) {
                std::string converted;
                if (utf8ToCodePageLosing(text.c_str(), converted) > 0) unheld = text;
                text.swap(converted);
            }
            if (!reader.reuse) reader.line = newLineAfter(reader.line, "", lineOutput);
            reader.reuse = false;
            if (!unheld.empty())
                reader.line->unheldText =
                    std::make_unique<std::pair<std::string, std::string>>(text, unheld);
            if (startsWith(text, " %image% "))
                reader.readImage(text, false);
            else if (startsWith(text, "% %image% "))
                reader.readImage(text, true);
            else if (startsWith(text, "% // latex: ") || startsWith(text, "% // mathjax: "))
                reader.readFormula(text);
            else if (startsWith(text, "% // "))
                reader.reuse = true;
            else
                reader.readText(text);
        }
        // A line kept for a file line that never came goes again.
        if (reader.reuse && reader.line->text.isStringEmpty() && !reader.line->image &&
            reader.line != doc.getFirstLine())
            deleteNotebookLine(reader.line);
        bool empty =
            lines.empty() || (lineCount() == 1 && doc.getFirstLine()->text.isStringEmpty() &&
                              !doc.getFirstLine()->image && doc.getFirstLine()->kind == lineOutput);
        cur.setLine(doc.getFirstLine());
        if (empty) {
            makeNewPrompt();
        } else {
            NotebookLine* command = doc.getFirstLine();
            while (command && command->kind != lineCommand) command = command->next;
            if (!command) command = newLineAfter(lastLine(), ">", lineCommand);
            cur.setLine(command);
            cur.setColumn(1);
        }
        shown.setTopLine(doc.getFirstLine());
        showCursorLine();
        doc.setSavedImageFiles(reader.imageFiles);
        setFilePath(path);
    }
    invalidate();
    setNotebookChanged(0);
    return 1;
}

// --- writing -----------------------------------------------------------------------

struct SaveJob {
    struct ImageFile {
        std::shared_ptr<NotebookPicture> picture;
        std::string path;
        std::string temporary;
    };
    struct LineUpdate {
        std::string imageFile;
        std::string largeFile;
        int number;
    };
    std::string content;
    std::vector<ImageFile> images;
    std::vector<std::string> obsolete;  // large variants that no longer exist
    std::map<uint64_t, LineUpdate> updates;
    std::string imageFolder;
    std::string imageStem;  // image files are "<imageStem>-NNN...png"
    uint64_t modifications = 0;
};

static void appendFileLine(std::string& out, const std::string& text, int utf) {
    if (utf) {
        std::string converted;
        codePageToUtf8(text.c_str(), converted);
        out += converted;
    } else {
        out += text;
    }
    out += "\r\n";
}

// An image line's name as part of a file name.
static std::string imageNamePart(const char* text) {
    std::string name = text;
    for (char& c : name)
        if (c == '/' || c == '\\') c = '_';
    return name;
}

// A comment or output whose text looks like a file marker gets one more
// blank, which reading takes away again.
std::string NotebookEditor::fileLineOf(const NotebookLine* line) {
    std::string text;
    if (line->kind == lineOutput && line->text.getText()[0] &&
        std::strchr(">$%", line->text.getText()[0]))
        text = " ";
    if (line->kind == lineComment) {
        text = line->hardBreak ? "%% " : "% ";
        if (line->heading) text += "* ";
    }
    std::string own = line->originalText ? line->originalText->getText() : line->text.getText();
    if (line->kind == lineComment ? commentLooksLikeMarker(own)
                                  : line->kind == lineOutput && outputLooksLikeImage(text + own))
        text += " ";
    return text + own;
}

// Lines read from a UTF-8 notebook with characters the code page cannot
// hold are written as they were read while unchanged (the file then is
// UTF-8); a changed one that still shows "?" for them refuses the save,
// naming the line.
static bool keepUnheldLines(NotebookEditor& editor, std::set<const NotebookLine*>& kept,
                            std::string& error, bool refuse) {
    int lineNumber = 0;
    for (NotebookLine* line = editor.document().getFirstLine(); line; line = line->next) {
        lineNumber++;
        if (line->image || !line->unheldText) continue;
        std::string text = NotebookEditor::fileLineOf(line);
        if (!line->unheldText->first.empty() && text == line->unheldText->first) {
            kept.insert(line);
        } else if (refuse && text.find('?') != std::string::npos) {
            error = "Line " + std::to_string(lineNumber) +
                    " holds characters that the code page cannot hold;\n"
                    "saving would write them as \"?\". The notebook was not saved.\n"
                    "Choose code page 65001 (UTF-8) to keep them.";
            return false;
        }
    }
    return true;
}

// Fails, naming the line, when a line would lose characters (unless
// `refuse` is false: a copy keeps what the notebook shows).
static bool buildSaveJob(NotebookEditor& editor, const std::string& path, SaveJob& job,
                         std::string& error, bool refuse = true) {
    NotebookOptions options = editor.options();
    std::string directory = directoryOf(path);
    std::string base = baseNameOf(path);
    bool inFolder = options.saveImages && options.imagesInDirectory;
    job.imageFolder = inFolder ? directory + "images/" : directory;
    std::set<const NotebookLine*> kept;
    if (!keepUnheldLines(editor, kept, error, refuse)) return false;
    if (!kept.empty()) options.utf = 1;
    job.imageStem = base;
    if (options.utf) job.content = "\xEF\xBB\xBF";
    int number = 1;
    for (NotebookLine* line = editor.document().getFirstLine(); line; line = line->next) {
        if (kept.count(line)) {
            job.content += line->unheldText->second + "\r\n";
            continue;
        }
        if (!line->image) {
            appendFileLine(job.content, NotebookEditor::fileLineOf(line), options.utf);
            continue;
        }
        if (line->imageRow != 0 || !options.saveImages) continue;
        std::string marker = line->kind == lineComment ? "% %image% " : " %image% ";
        if (line->text.matchesAt(0, "~")) {
            // The user's own file, referred to by name.
            appendFileLine(job.content, marker + line->text.getText(), options.utf);
        } else {
            char buffer[64];
            std::string part = imageNamePart(line->text.getText());
            std::snprintf(buffer, sizeof buffer, "-%03d", number);
            std::string stem = base + buffer + (part.empty() ? "" : "-" + part);
            std::string name = stem + ".png";
            std::string large = job.imageFolder + stem + "-large.png";
            SaveJob::LineUpdate update{job.imageFolder + name, std::string(), number};
            job.images.push_back({line->image, update.imageFile, std::string()});
            if (line->largeImage) {
                job.images.push_back({line->largeImage, large, std::string()});
                update.largeFile = large;
            } else {
                job.obsolete.push_back(large);
            }
            job.updates[line->id] = update;
            appendFileLine(job.content, marker + name, options.utf);
        }
        if (line->formula) {
            std::string formula = line->formula->getText();
            for (char& c : formula)
                if (c == '\n' || c == '\r') c = ' ';
            std::string text = line->formulaIsMathJax ? "% // mathjax: " : "% // latex: ";
            appendFileLine(job.content, text + formula, options.utf);
        }
        number++;
    }
    return true;
}

// A new empty temporary beside `path`; its name in `temporary`. The file
// gets the mode of the file it replaces (0644 for a new one).
static int makeTemporary(const std::string& path, std::string& temporary) {
    std::string pattern = directoryOf(path) + "." + fileNameOf(path) + ".XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back(0);
    int fd = mkstemp(name.data());
    if (fd < 0) return -1;
    struct stat status;
    fchmod(fd, stat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : 0644);
    temporary = name.data();
    return fd;
}

static bool writeAll(int fd, const std::string& data) {
    size_t done = 0;
    while (done < data.size()) {
        ssize_t written = write(fd, data.data() + done, data.size() - done);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        done += size_t(written);
    }
    return true;
}

static bool isImageOf(const std::string& name, const void* stem) {
    const std::string& base = *static_cast<const std::string*>(stem);
    return name.size() > base.size() + 6 && name[0] == '.' &&
           name.compare(1, base.size(), base) == 0 && name[base.size() + 1] == '-' &&
           name.compare(name.size() - 4, 4, ".png") == 0;
}

// What earlier saves that were killed left: the temporaries of the
// notebook and of its images.
static void removeStaleSaveTemporaries(const std::string& path, const SaveJob& job) {
    removeStaleTemporariesOf(path);
    removeStaleTemporaries(job.imageFolder, isImageOf, &job.imageStem);
}

static void removeTemporaries(SaveJob& job, const std::string& notebookTemporary) {
    for (SaveJob::ImageFile& image : job.images)
        if (!image.temporary.empty()) std::remove(image.temporary.c_str());
    if (!notebookTemporary.empty()) std::remove(notebookTemporary.c_str());
}

// Writes every file of the job; on failure removes what it wrote and
// leaves the old files as they were.
static bool commitSaveJob(const std::string& path, SaveJob& job, std::string& error) {
    std::string notebookTemporary;
    if (!job.images.empty()) {
        struct stat status;
        if (stat(job.imageFolder.c_str(), &status) != 0) mkdir(job.imageFolder.c_str(), 0755);
        for (SaveJob::ImageFile& image : job.images) {
            int fd = makeTemporary(image.path, image.temporary);
            if (fd < 0) {
                error = "Could not open this file!";
                removeTemporaries(job, notebookTemporary);
                return false;
            }
            close(fd);
            if (!image.picture->writePng(image.temporary.c_str())) {
                error = "Could not write the image\n" + image.path;
                removeTemporaries(job, notebookTemporary);
                return false;
            }
        }
    }
    int fd = makeTemporary(path, notebookTemporary);
    if (fd < 0) {
        error = "Could not open this file!";
        removeTemporaries(job, notebookTemporary);
        return false;
    }
    bool written = writeAll(fd, job.content) && fsync(fd) == 0;
    written = close(fd) == 0 && written;
    if (!written) {
        error = "Could not write the notebook\n" + path;
        removeTemporaries(job, notebookTemporary);
        return false;
    }
    for (SaveJob::ImageFile& image : job.images) {
        if (std::rename(image.temporary.c_str(), image.path.c_str()) != 0) {
            error = "Could not write the image\n" + image.path;
            removeTemporaries(job, notebookTemporary);
            return false;
        }
        image.temporary.clear();
    }
    if (std::rename(notebookTemporary.c_str(), path.c_str()) != 0) {
        error = "Could not write the notebook\n" + path;
        std::remove(notebookTemporary.c_str());
        return false;
    }
    return true;
}

int NotebookEditor::writeNotebook(const char* path) {
    SaveJob job;
    std::vector<std::string> oldImages;
    bool samePath;
    std::string error;
    {
        TextLockHold hold(*this, "save");
        if (!buildSaveJob(*this, path, job, error)) {
            queueMessage(error);
            return 0;
        }
        job.modifications = doc.changeCount();
        samePath = doc.getFilePath() == path;
        if (samePath) oldImages = doc.getSavedImageFiles();
    }
    // The files are written without the lock: the notebook stays usable.
    if (!commitSaveJob(path, job, error)) {
        queueMessage(error);
        return 0;
    }
    removeStaleSaveTemporaries(path, job);
    std::set<std::string> written;
    for (const SaveJob::ImageFile& image : job.images) written.insert(image.path);
    {
        TextLockHold hold(*this, "save");
        for (NotebookLine* line = doc.getFirstLine(); line; line = line->next) {
            auto update = job.updates.find(line->id);
            if (update == job.updates.end()) continue;
            line->imageFileName = std::make_unique<String>(update->second.imageFile.c_str());
            if (update->second.largeFile.empty())
                line->largeImageFileName.reset();
            else
                line->largeImageFileName =
                    std::make_unique<String>(update->second.largeFile.c_str());
            line->imageNumber = update->second.number;
        }
        doc.setSavedImageFiles({written.begin(), written.end()});
        setFilePath(path);
        if (doc.changeCount() == job.modifications) setNotebookChanged(0);
    }
    for (const std::string& file : job.obsolete)
        if (!written.count(file)) deleteFileIfPresent(file.c_str());
    // Only files named as this notebook names its images are its own.
    std::string own = baseNameOf(path) + "-";
    for (const std::string& file : oldImages) {
        std::string name = fileNameOf(file);
        bool numbered = startsWith(name, own.c_str()) && name.size() >= own.size() + 3 &&
                        std::isdigit(static_cast<unsigned char>(name[own.size()])) &&
                        std::isdigit(static_cast<unsigned char>(name[own.size() + 1])) &&
                        std::isdigit(static_cast<unsigned char>(name[own.size() + 2]));
        if (numbered && !written.count(file)) deleteFileIfPresent(file.c_str());
    }
    return 1;
}

int NotebookEditor::writeCopy(const char* path, uint64_t& changes) {
    SaveJob job;
    std::string error;
    {
        TextLockHold hold(*this, "copy");
        buildSaveJob(*this, path, job, error, false);
        changes = doc.changeCount();
    }
    if (!commitSaveJob(path, job, error)) return 0;
    removeStaleSaveTemporaries(path, job);
    return 1;
}

int NotebookEditor::readCopyOf(const char* path, const char* notebookPath) {
    if (!readNotebook(path)) return 0;
    {
        TextLockHold hold(*this, "load");
        // The copy's pictures are no files of the notebook.
        doc.setSavedImageFiles({});
        setFilePath(notebookPath);
    }
    setNotebookChanged(1);
    return 1;
}

int NotebookEditor::saveNotebook() {
    std::string path;
    {
        TextLockHold hold(*this, "save");
        path = doc.getFilePath();
    }
    if (path.empty()) return 0;
    return writeNotebook(path.c_str());
}

std::vector<std::string> NotebookEditor::getSavedImageFiles() {
    TextLockHold hold(*this, "save");
    return doc.getSavedImageFiles();
}

}  // namespace kalix
