// A notebook editor without a window: fixed metrics (rows of 20 pixels,
// characters of 8) and a host that records what the notebook asks of it.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "base/text.h"
#include "interpreter_state_fixture.h"
#include "notebook/notebook_model.h"

namespace kalix {

class RecordingHost : public NotebookHost {
  public:
    NotebookOptions fixed;
    std::vector<std::string> messages;
    std::vector<int> lockDepthAtMessage;
    std::vector<std::string> statuses;
    std::string clipboard;
    int pictureCopies = 0;
    int resumed = 0;
    int maximaMode = 0;

    NotebookOptions options() override { return fixed; }
    void showMessage(const char* text) override {
        messages.push_back(text);
        lockDepthAtMessage.push_back(textLock.getDepth());
    }
    void showStatus(const char* text) override { statuses.push_back(text); }
    void setClipboardText(const char* text) override { clipboard = text; }
    void setClipboardPicture(const NotebookPicture&) override { pictureCopies++; }
    void resumeInterpreter() override { resumed++; }
    void setMaximaMode(int mode) override { maximaMode = mode; }

    // Stand-ins for LaTeX and Maxima. A formula becomes a PNG file of
    // 90 x 60 pixels, or fails as `latex` says; an expression's TeX form is
    // "$$" expression "$$" in Maxima's reply (`maximaReply` when set), or
    // Maxima fails when `maximaWorks` is 0. `whileRendering` runs in the
    // middle of each, as another thread would meanwhile.
    enum LatexStandIn { latexWorks, latexMissing, latexRejects };
    LatexStandIn latex = latexWorks;
    int maximaWorks = 1;
    std::string maximaReply;
    std::vector<std::string> latexFormulas, maximaExpressions;
    std::function<void()> whileRendering;

    LatexResult runLatex(const LatexRequest& request, const LatexOptions&) override {
        latexFormulas.push_back(request.formula);
        if (whileRendering) whileRendering();
        LatexResult result;
        if (latex == latexMissing) {
            result.message = "Latex could not be found.\nPlease configure Latex in the Menu!";
            result.latexMissing = 1;
        } else if (latex == latexRejects) {
            result.message = "! Undefined control sequence.\n";
            result.formulaError = 1;
        } else {
            char name[] = "/tmp/kalix-formula-XXXXXX.png";
            int file = mkstemps(name, 4);
            if (file < 0) return result;
            close(file);
            std::ofstream(name, std::ios::binary) << pictureBytes(90, 60);
            result.png = name;
        }
        return result;
    }
    std::string maximaTex(const char* expression, int& ok) override {
        maximaExpressions.push_back(expression);
        if (whileRendering) whileRendering();
        ok = maximaWorks;
        if (!ok) return "";
        return maximaReply.empty() ? "$$" + std::string(expression) + "$$" : maximaReply;
    }
    // A PNG file of the given size: signature, header and end chunk (the
    // notebook reads no pixels).
    static std::string pictureBytes(uint32_t width, uint32_t height, char fill = 'x') {
        auto bigEndian = [](uint32_t v) {
            return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
        };
        std::string png("\x89PNG\r\n\x1a\n", 8);
        png += bigEndian(13) + "IHDR" + bigEndian(width) + bigEndian(height);
        png += std::string("\x08\x02\x00\x00\x00", 5) + bigEndian(0);
        png += bigEndian(4) + "fake" + std::string(4, fill) + bigEndian(0);
        png += bigEndian(0) + "IEND" + bigEndian(0);
        return png;
    }
};

class NotebookTest : public InterpreterStateTest {
  protected:
    void SetUp() override {
        InterpreterStateTest::SetUp();
        // The code page a user gets under a UTF-8 or the C locale.
        selectCodePage(65001);
        assignIntCell(inputWaiting, 1);
        assignIntCell(userWaitFlag, 1);
        assignIntCell(functionEntryState, 0);
        assignIntCell(inputStartColumn, 1);
        lineLength = 70;
    }
    void TearDown() override {
        assignIntCell(inputWaiting, 0);
        assignIntCell(userWaitFlag, 0);
        if (!folder.empty()) std::filesystem::remove_all(folder);
        InterpreterStateTest::TearDown();
    }

    // Lines by their look: ">" command, "$" body line, "% " comment,
    // "%% " comment after a hard break, "% * " heading, "out:" output. The cursor goes
    // to the given line at column 1.
    void build(std::initializer_list<const char*> lines, int cursor = 0) {
        editor.clearNotebook();
        NotebookLine* line = nullptr;
        for (const char* text : lines) {
            line =
                line ? editor.newLineAfter(line, "", lineOutput) : editor.document().getFirstLine();
            std::string t = text;
            if (t.rfind("out:", 0) == 0) {
                line->kind = lineOutput;
                line->text.assign(t.c_str() + 4);
            } else if (t.rfind("%% ", 0) == 0) {
                line->kind = lineComment;
                line->hardBreak = 1;
                line->text.assign(t.c_str() + 3);
            } else if (t.rfind("% * ", 0) == 0) {
                line->kind = lineComment;
                line->heading = 1;
                line->text.assign(t.c_str() + 4);
            } else if (t.rfind("% ", 0) == 0 || t == "%") {
                line->kind = lineComment;
                line->text.assign(t.size() > 2 ? t.c_str() + 2 : "");
            } else {
                line->kind = t[0] == '>'   ? lineCommand
                             : t[0] == '$' ? lineFunctionBody
                                           : lineOutput;
                line->text.assign(t.c_str());
            }
        }
        editor.cursor().setLine(editor.lineAt(cursor));
        editor.cursor().setColumn(editor.cursor().getLine()->text.length() > 0 ? 1 : 0);
        editor.view().setTopLine(editor.document().getFirstLine());
    }

    // Row height and folding of line i, read under the text lock as the
    // painter reads them.
    int rowHeightOf(int i) {
        TextLockHold hold(editor, "test");
        return editor.lineAt(i)->getRowHeight();
    }
    int isFoldedAt(int i) {
        TextLockHold hold(editor, "test");
        return editor.lineAt(i)->isFolded();
    }

    // The notebook in the same look (output lines as "out:" and the text).
    static std::vector<std::string> look(const NotebookEditor& e) {
        std::vector<std::string> out;
        for (NotebookLine* line = e.document().getFirstLine(); line; line = line->next) {
            std::string text = line->text.getText();
            if (line->image) {
                out.push_back(std::string(line->kind == lineComment ? "%" : "") + "image" +
                              std::to_string(line->imageRow));
            } else if (line->kind == lineComment) {
                out.push_back((line->heading ? "% * " : line->hardBreak ? "%% " : "% ") + text);
            } else if (line->kind == lineOutput) {
                out.push_back("out:" + text);
            } else {
                out.push_back(text);
            }
        }
        return out;
    }
    std::vector<std::string> look() const { return look(editor); }

    void select(NotebookLine* first, int start, NotebookLine* last, int end) {
        editor.unmarkAll();
        editor.cursor().select(first, start, last, end);
        for (NotebookLine* line = first; line; line = line->next) {
            line->selected = 1;
            if (line == last) break;
        }
    }

    std::filesystem::path makeFolder() {
        if (folder.empty()) {
            char pattern[] = "/tmp/kalix-notebook-XXXXXX";
            folder = mkdtemp(pattern);
        }
        return folder;
    }

    RecordingHost host;
    FixedMetrics metrics;
    NotebookEditor editor{&host, &metrics};
    std::filesystem::path folder;
};

// A PNG file of the given size (the notebook reads no pixels).
inline std::string pngBytes(uint32_t width, uint32_t height, char fill = 'x') {
    return RecordingHost::pictureBytes(width, height, fill);
}

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
}

inline std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace kalix
