// Stepping through traced functions in the notebook window: every line of
// the trace is on the screen before the trace waits for its key.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "window_fixture.h"

namespace kalix {

namespace {

const char tracedProgram[] =
    "function g(x)\n"
    "  y=x*2;\n"
    "  return y+1\n"
    "endfunction\n"
    "function f(a)\n"
    "  b=a+1;\n"
    "  c=g(b);\n"
    "  d=c+1;\n"
    "  return d\n"
    "endfunction\n";

}  // namespace

class TraceWindowTest : public WindowTest {
  protected:
    // The row of the last notebook line with this text, from the top of
    // the client area; -1 while there is none on the screen.
    struct Row {
        int top = -1, height = 0;
    };
    Row rowOf(const std::string& text) {
        TextLockHold hold(editor(), "test");
        int top = editor().view().getTopMargin();
        Row found;
        for (NotebookLine* line = editor().view().getTopLine(); line; line = line->next) {
            if (text == line->text.getText()) found = {top, line->getRowHeight()};
            top += line->getRowHeight();
        }
        return found;
    }

    int occurrences(const std::string& text) {
        int n = 0;
        for (const std::string& line : lines()) n += line == text;
        return n;
    }

    // The window shows `text` on its row: ink from the left margin of
    // output to about where the text ends (the caret may stand behind it),
    // and nothing beyond.
    bool painted(const std::string& text) {
        Row row = rowOf(text);
        if (row.top < 0) return false;
        const QImage shot = client->grab().toImage();
        const QRgb paper = shot.pixel(shot.width() - 1, row.top);
        int left = shot.width(), right = -1;
        for (int y = row.top; y < row.top + row.height && y < shot.height(); y++)
            for (int x = 0; x < shot.width(); x++)
                if (shot.pixel(x, y) != paper) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        int width = window->textWidth(text.c_str(), int(text.size()));
        int cell = window->textWidth("m", 1);
        return left >= 20 && left < 20 + cell && right > 20 + width - 2 * cell &&
               right <= 20 + width + cell / 2;
    }

    // KALIX_TRACE_SCREENSHOTS names a folder for pictures of the window.
    void saveShot(const char* name) {
        if (const char* folder = std::getenv("KALIX_TRACE_SCREENSHOTS"))
            client->grab().save(QString::fromLocal8Bit(folder) + "/" + name);
    }
};

TEST_F(TraceWindowTest, EveryTracedLineIsPaintedBeforeItsKeyInEveryCall) {
    char pattern[] = "/tmp/kalix-trace-XXXXXX";
    ASSERT_TRUE(mkdtemp(pattern));
    const std::string folder = pattern;
    FILE* file = std::fopen((folder + "/tr.k").c_str(), "w");
    ASSERT_TRUE(file);
    std::fputs(tracedProgram, file);
    std::fclose(file);
    ASSERT_TRUE(run(("load \"" + folder + "/tr\"").c_str()));
    ASSERT_TRUE(run("trace f"));

    // Right steps over g; Down steps into it.
    struct Call {
        Qt::Key key;
        std::vector<const char*> lines;
    };
    const std::vector<const char*> over = {"f: b=a+1;", "f: c=g(b);", "f: d=c+1;", "f: return d"};
    const Call calls[] = {
        {Qt::Key_Right, over},
        {Qt::Key_Right, over},
        {Qt::Key_Down,
         {"f: b=a+1;", "f: c=g(b);", "g: y=x*2;", "g: return y+1", "f: d=c+1;", "f: return d"}},
    };
    std::map<std::string, int> seen;
    int number = 0;
    for (const Call& call : calls) {
        SCOPED_TRACE("call " + std::to_string(++number));
        int waits = host.getInputWaitCount();
        startCommand("f(1)");
        for (const char* text : call.lines) {
            const std::string shown = text;
            const int times = ++seen[shown];
            // The trace has printed this call's line and waits for its key.
            ASSERT_TRUE(waitFor([&] {
                return occurrences(shown) == times && getIntCell(keyWaitFlag) &&
                       !getIntCell(inputWaiting);
            })) << shown;
            bool onScreen = waitFor([&] { return painted(shown); });
            if (!onScreen || (number == 2 && shown == over[1])) saveShot("trace-call-2.png");
            ASSERT_TRUE(onScreen) << shown << " is not painted";
            press(call.key);
        }
        ASSERT_TRUE(waitForPrompt(waits));
        EXPECT_EQ(lastOutput(), "6");
    }
    std::filesystem::remove_all(folder);
}

}  // namespace kalix
