// The mouse, the wheel, paging, the title, the line length and the
// status-line help of the notebook window.
#include <QWheelEvent>

#include <unistd.h>

#include <cstdio>

#include "base/settings.h"

#include "window_fixture.h"

namespace kalix {

namespace {

// Output lines "1" .. "n" above the prompt, and a heading where asked.
void fill(NotebookEditor& editor, int n, int headingAt = -1) {
    TextLockHold hold(editor, "test");
    NotebookLine* prompt = editor.cursor().getLine();
    for (int i = 1; i <= n; i++) {
        NotebookLine* line = editor.newLineBefore(prompt, std::to_string(i).c_str(),
                                                  i == headingAt ? lineComment : lineCommand);
        if (i == headingAt) line->heading = 1;
    }
    editor.view().setTopLine(editor.document().getFirstLine());
}

}  // namespace

TEST_F(WindowTest, AWheelNotchScrollsSixLines) {
    fill(editor(), 100);
    QWheelEvent down(QPointF(50, 50), client->mapToGlobal(QPointF(50, 50)), QPoint(),
                     QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(client, &down);
    EXPECT_EQ(editor().indexOf(editor().view().getTopLine()), 6);
    QWheelEvent up(QPointF(50, 50), client->mapToGlobal(QPointF(50, 50)), QPoint(), QPoint(0, 240),
                   Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(client, &up);
    EXPECT_EQ(editor().indexOf(editor().view().getTopLine()), 0);
}

TEST_F(WindowTest, PageDownMovesHalfAViewAndCtrlPageDownStopsAtTheNextHeading) {
    fill(editor(), 300, 200);
    int rows = editor().view().getVisibleHeight() / editor().view().getLineHeight() / 2;
    ASSERT_GT(rows, 3);
    press(Qt::Key_PageDown);
    EXPECT_EQ(editor().indexOf(editor().view().getTopLine()), rows);
    EXPECT_EQ(editor().cursor().getLine(), editor().view().getTopLine());
    press(Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(editor().indexOf(editor().view().getTopLine()), 199);
    EXPECT_TRUE(editor().view().getTopLine()->heading);
    press(Qt::Key_PageUp);
    EXPECT_EQ(editor().indexOf(editor().view().getTopLine()), 199 - rows);
}

TEST_F(WindowTest, TheTitleNamesTheNotebookAndItsChange) {
    EXPECT_EQ(frame->windowTitle().toStdString(), "KXW x64 (New Notebook)");
    type("a");
    EXPECT_EQ(frame->windowTitle().toStdString(), "KXW x64 (New Notebook) (changed)");
    editor().setFilePath("/tmp/some folder/work.kn");
    editor().setNotebookChanged(0);
    ASSERT_TRUE(waitFor([&] { return frame->windowTitle().toStdString() == "KXW x64 (work)"; }));
}

TEST_F(WindowTest, ClicksMoveTheCursorAndDragsSelect) {
    ASSERT_TRUE(run("1+1"));
    ASSERT_TRUE(run("22+22"));
    NotebookLine* first = editor().document().getFirstLine();
    int y = editor().view().getTopMargin() + editor().view().getLineHeight() / 2;
    int column3 = 5 + window->textWidth(">1+1", 3);
    QTest::mouseClick(client, Qt::LeftButton, Qt::NoModifier, QPoint(column3, y));
    EXPECT_EQ(editor().cursor().getLine(), first);
    EXPECT_EQ(cursorColumn(), 3);

    NotebookLine* second = first->next->next;
    int y2 = y;
    {
        TextLockHold hold(editor(), "test");
        y2 += first->getRowHeight() + first->next->getRowHeight();
    }
    QTest::mousePress(client, Qt::LeftButton, Qt::NoModifier,
                      QPoint(5 + window->textWidth(">", 1), y2));
    QTest::mouseMove(client, QPoint(5 + window->textWidth(">22+2", 4), y2));
    QTest::mouseRelease(client, Qt::LeftButton, Qt::NoModifier,
                        QPoint(5 + window->textWidth(">22+2", 4), y2));
    EXPECT_EQ(editor().cursor().getSelectionFirst(), second);
    EXPECT_EQ(editor().cursor().getSelectionLast(), second);
    EXPECT_EQ(editor().cursor().getSelectionStartColumn(), 1);
    EXPECT_EQ(editor().cursor().getSelectionEndColumn(), 4);
    EXPECT_EQ(editor().getSelectionText(), "22+");

    // A double click selects the number under the point.
    QTest::mouseDClick(client, Qt::LeftButton, Qt::NoModifier,
                       QPoint(5 + window->textWidth(">22+2", 5), y2));
    EXPECT_EQ(editor().getSelectionText(), "22");
}

TEST_F(WindowTest, TheStatusLineShowsTheHeaderOfTheFunctionBeforeTheCursor) {
    ASSERT_TRUE(run("function plus(a,b) := a+b"));
    type("plus(");
    QLabel* status = window->parts().status;
    ASSERT_NE(status, nullptr);
    ASSERT_TRUE(waitFor([&] { return status->text().contains("plus"); }))
        << status->text().toStdString();
    EXPECT_TRUE(status->text().startsWith("plus (a, b)")) << status->text().toStdString();
    // Several names: the candidates, shortest first.
    press(Qt::Key_Home);
    for (int i = 0; i < 5; i++) press(Qt::Key_Delete);
    type("si");
    ASSERT_TRUE(waitFor([&] { return status->text().startsWith("sin sign size"); }))
        << status->text().toStdString();
}

TEST_F(WindowTest, TheComputingHintAppearsWhileTheInterpreterRunsAndGoesAtThePrompt) {
    type("for i=1 to 1e12; end;");
    int waits = host.getInputWaitCount();
    press(Qt::Key_Return);
    QLabel* status = window->parts().status;
    ASSERT_TRUE(waitFor([&] { return status->text() == ">>> Computing. Press ESC to abort."; }));
    press(Qt::Key_Escape);
    ASSERT_TRUE(waitForPrompt(waits));
    EXPECT_TRUE(waitFor([&] { return status->text().isEmpty(); }));
}

TEST_F(WindowTest, OutputFromTheComputationThreadIsPaintedOnTheNextTick) {
    ASSERT_TRUE(run("\"painted\""));
    // The output line shows dark pixels on its row within a few ticks.
    auto darkPixels = [&] {
        const OffscreenImage* image = window->getOffscreen();
        if (!image) return 0;
        TextLockHold hold(editor(), "test");
        int top =
            editor().view().getTopMargin() + editor().document().getFirstLine()->getRowHeight();
        int bottom = top + editor().document().getFirstLine()->next->getRowHeight();
        int dark = 0;
        for (int y = top; y < bottom; y++)
            for (int x = 20; x < 20 + window->textWidth("painted", 7); x++)
                dark += image->pixel(x, y).red < 128;
        return dark;
    };
    EXPECT_TRUE(waitFor([&] { return darkPixels() > 20; }));
}

// --- the end ---------------------------------------------------------------------------------

// Runs the windows as the program does, `action` first, until they end;
// the interpreter has ended by then.
static void runWindowsAfter(NotebookWindowHost& host, Thread& loop, QWidget* client,
                            std::function<void()> action) {
    QTimer::singleShot(0, client, action);
    host.runWindows(loop);
    EXPECT_FALSE(loop.isThreadRunning());
}

TEST_F(WindowTest, QuitEndsTheInterpreterAndTheMessageLoop) {
    runWindowsAfter(host, *loop, client, [this] {
        type("quit");
        press(Qt::Key_Return);
    });
}

TEST_F(WindowTest, ClosingTheWindowAtThePromptEndsTheInterpreter) {
    runWindowsAfter(host, *loop, client, [this] { frame->close(); });
}

TEST_F(WindowTest, ClosingTheWindowStopsAComputation) {
    runWindowsAfter(host, *loop, client, [this] {
        type("for i=1 to 1e12; end;");
        press(Qt::Key_Return);
        // The notebook changed: the close asks first. It closes once the
        // computation runs.
        clickInNextBox(QMessageBox::No);
        auto* poll = new QTimer(frame);
        QObject::connect(poll, &QTimer::timeout, frame, [this, poll] {
            if (getIntCell(inputWaiting)) return;
            poll->stop();
            frame->close();
        });
        poll->start(1);
    });
}

// --- keys, sizes and fonts ------------------------------------------------------------------

TEST_F(WindowTest, TappingCtrlAloneTranslatesTheNextCharacter) {
    char path[] = "/tmp/kalix-keys-XXXXXX";
    int fd = mkstemp(path);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "a\u00e4\nq@\n", 7), 7);
    close(fd);
    ASSERT_EQ(window->loadKeyTable(path), 1);
    std::remove(path);
    auto tapControl = [this] {
        QTest::keyPress(client, Qt::Key_Control);
        QTest::keyRelease(client, Qt::Key_Control);
    };
    tapControl();
    type("a");
    type("a");
    tapControl();
    type("q");
    tapControl();
    QTest::keyPress(client, Qt::Key_Shift);  // Shift cancels the translation
    QTest::keyRelease(client, Qt::Key_Shift);
    type("q");
    EXPECT_EQ(cursorText(), ">\u00e4a@q");
}

TEST_F(WindowTest, TheLineLengthIsSeventyWithFixLineLength) {
    ASSERT_TRUE(resizeFrame(500, 400));
    EXPECT_EQ(lineLength, 70);
    writeIntSetting("fixlinelength", 0);
    frame->resize(900, 400);
    ASSERT_TRUE(waitFor([&] { return lineLength != 70; }));
    int average = measureFont(window->getFonts().normal).widths['x'];
    EXPECT_EQ(lineLength, (window->getClientWidth() - 40) / average);
    EXPECT_EQ(window->getTextPixelWidth(),
              measureFont(window->getFonts().normal).widths['m'] * lineLength);
    writeIntSetting("fixlinelength", 1);
    window->onSized();
    ASSERT_TRUE(waitFor([&] { return window->redrawText(); }));
    EXPECT_EQ(lineLength, 70);
}

// With a large font the fixed line width is wider than the window: headings
// and "** " lines end at the window's right edge less the margin, with
// their rules, instead of past it.
TEST_F(WindowTest, HeadingsEndInsideTheWindowWithALargeFont) {
    writeIntSetting("textfont", 28);
    ASSERT_TRUE(resizeFrame(640, 420));
    ASSERT_GT(window->getTextPixelWidth(), window->clientWidth());
    std::vector<NotebookLine*> lines;
    {
        TextLockHold hold(editor(), "test");
        NotebookLine* prompt = editor().cursor().getLine();
        NotebookLine* heading = editor().newLineBefore(prompt, "Heading", lineComment);
        heading->heading = 1;
        NotebookLine* sub = editor().newLineBefore(prompt, "** Subheading", lineComment);
        editor().view().setTopLine(editor().document().getFirstLine());
        editor().relayout();
        lines = {heading, sub};
    }
    ASSERT_TRUE(waitFor([&] { return window->redrawText(); }));
    const QImage shot = client->grab().toImage();
    const QRgb paper = shot.pixel(1, 1);
    const int width = window->clientWidth();
    int top = editor().view().getTopMargin();
    std::vector<int> rowHeights;
    {
        TextLockHold hold(editor(), "test");
        for (NotebookLine* line : lines) rowHeights.push_back(line->getRowHeight());
    }
    for (size_t i = 0; i < lines.size(); i++) {
        NotebookLine* line = lines[i];
        int rowHeight = rowHeights[i];
        int textInk = 0, right = -1;
        for (int y = top; y < top + rowHeight && y < shot.height(); y++)
            for (int x = 0; x < shot.width(); x++) {
                if (shot.pixel(x, y) == paper) continue;
                right = std::max(right, x);
                if (y < top + rowHeight / 8 + rowHeight * 6 / 8 - 1) textInk++;
            }
        EXPECT_GT(textInk, 0) << line->text.getText();
        EXPECT_LE(right, width - 20) << line->text.getText();
        EXPECT_GE(right, width - 20 - 4) << line->text.getText();
        top += rowHeight;
    }
    writeIntSetting("textfont", 16);
}

// "Courier New" reaches a monospaced face through fontconfig; the cell is
// at most the asked height.
TEST_F(WindowTest, TheNotebookFontIsMonospacedAndFitsItsRow) {
    FontMeasure measure = measureFont(window->getFonts().normal);
    EXPECT_EQ(window->getFonts().normal.face, "Courier New");
    EXPECT_EQ(measure.widths['i'], measure.widths['m']);
    EXPECT_GT(measure.widths['m'], 0);
    EXPECT_LE(measure.height, 16);
    EXPECT_GE(measure.height, 14);
    EXPECT_EQ(window->lineHeight(), measure.height);
    EXPECT_EQ(window->getFonts().heading.height, 21);  // 16 x 4/3, rounded
    EXPECT_EQ(window->getFonts().bold.height, 17);
}

TEST_F(WindowTest, TheViewFollowsTheCaretSideways) {
    std::string text(200, 'x');
    type(text.c_str());
    ASSERT_TRUE(waitFor([&] { return window->redrawText(); }));
    EXPECT_GT(editor().getHorizontalScroll(), 0);
    EXPECT_LT(window->getCaretX(), window->getClientWidth());
    press(Qt::Key_Home);
    ASSERT_TRUE(waitFor([&] { return window->redrawText(); }));
    EXPECT_EQ(editor().getHorizontalScroll(), 0);
}

}  // namespace kalix
