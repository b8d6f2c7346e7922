// Results shown as formulas ("$" expressions) and the formulas of comments
// ("latex: ", "maxima: "): Maxima's TeX form rendered by LaTeX into the
// notebook window, with the real Maxima and LaTeX.
#include <QFileDialog>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>

#include "base/settings.h"
#include "engines/maxima_bridge.h"
#include "modal_helpers.h"
#include "platform/child_process.h"
#include "window_fixture.h"

namespace kalix {

namespace {

bool installed(const char* program) { return !locateProgram("", program).empty(); }

class LatexOutputTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        char pattern[] = "/tmp/kalix-latexout-XXXXXX";
        const char* made = mkdtemp(pattern);
        folder = made ? std::string(made) + "/" : std::string();
        ASSERT_FALSE(folder.empty());
        if (!installed("latex") || !installed("dvipng"))
            GTEST_SKIP() << "latex or dvipng is not installed";
        if (!installed("maxima")) GTEST_SKIP() << "maxima is not installed";
        installMaximaBridge();
        writeSetting("askexec", "0");  // Maxima starts without the question
        writeSetting("latexdir", folder.c_str());
    }
    void TearDown() override {
        endMaximaBridge();
        writeSetting("askexec", "1");
        writeSetting("latexdir", "");
        writeSetting("latexantialias", "1");
        writeSetting("latexkeeplarge", "1");
        WindowTest::TearDown();
        if (!folder.empty()) (void)!std::system(("rm -rf " + folder).c_str());
    }

    // A command whose answer may wait for Maxima to start.
    bool runSlowly(const char* command) {
        const int waits = host.getInputWaitCount();
        type(command);
        press(Qt::Key_Return);
        return waitFor([&] { return host.getInputWaitCount() > waits && getIntCell(inputWaiting); },
                       60000);
    }

    struct Formula {
        std::string tex;
        int rows, width, height, hasLarge, dark;
    };
    std::vector<Formula> formulas() {
        std::vector<Formula> out;
        TextLockHold hold(editor(), "test");
        for (NotebookLine* line = editor().document().getFirstLine(); line; line = line->next) {
            if (!line->image || line->imageRow != 0) continue;
            Formula f{line->getFormula() ? line->getFormula() : "",
                      0,
                      line->image->getWidth(),
                      line->image->getHeight(),
                      line->largeImage != nullptr,
                      0};
            for (NotebookLine* row = line; row && row->image == line->image; row = row->next)
                f.rows++;
            const std::string& png = line->image->pngBytes();
            QImage image = QImage::fromData(reinterpret_cast<const uchar*>(png.data()),
                                            int(png.size()), "PNG");
            for (int y = 0; y < image.height(); y++)
                for (int x = 0; x < image.width(); x++)
                    f.dark += qAlpha(image.pixel(x, y)) > 128 && qGray(image.pixel(x, y)) < 128;
            out.push_back(f);
        }
        return out;
    }

    std::string folder;
};

}  // namespace

TEST_F(LatexOutputTest, ADollarExpressionShowsMaximasTexAsAPicture) {
    writeSetting("latexantialias", "1");
    writeSetting("latexkeeplarge", "1");

    ASSERT_TRUE(runSlowly("$expand((a+b)^2)"));
    std::vector<Formula> shown = formulas();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].tex, "b^2+2\\,a\\,b+a^2");
    EXPECT_TRUE(shown[0].hasLarge);
    EXPECT_GE(shown[0].rows, 1);
    EXPECT_LE(shown[0].rows, 25);
    EXPECT_GT(shown[0].width, shown[0].height);
    EXPECT_GT(shown[0].dark, 10);

    // Without antialiasing the picture is rendered at a third of the
    // resolution and shown at its own size: as wide as before, with no
    // large picture kept.
    writeSetting("latexantialias", "0");
    ASSERT_TRUE(runSlowly("$expand((a+b)^2)"));
    shown = formulas();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].tex, "b^2+2\\,a\\,b+a^2");
    EXPECT_FALSE(shown[1].hasLarge);
    EXPECT_NEAR(shown[1].width, shown[0].width, 3);

    // The rendering's files are gone; "&" (symbolic, not a formula) inserts
    // no picture.
    EXPECT_NE(std::system(("ls " + folder + "*.png >/dev/null 2>&1").c_str()), 0);
    ASSERT_TRUE(runSlowly("&x^2"));
    EXPECT_EQ(formulas().size(), 2u);
}

// Comments typed in the comment dialog (F5): a "latex: " line rendered by
// LaTeX, a "maxima: " line by Maxima's TeX form, while the window goes on
// handling its events. Alt+Return and a run with Ctrl+R render them again,
// the saved notebook keeps both pictures, and without LaTeX the pictures
// stay and a box says why.
TEST_F(LatexOutputTest, CommentFormulasOfLatexAndMaximaAreRenderedAndKept) {
    ASSERT_TRUE(run("a=2"));
    ASSERT_TRUE(run("b=3"));
    auto key = [this](Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        activateAgain(frame);
        press(k, modifiers);
    };
    // The events the window handled while a comment was set.
    int ticks = 0;
    bool counting = false;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks += counting; });
    ticker.start(5);
    // The comment typed over the old one; `afterOk` runs once OK is clicked.
    auto typeComment = [&](std::vector<const char*> lines, std::function<void()> afterOk = {}) {
        whenModal([&counting, lines, afterOk](QWidget* dialog) {
            auto* field = controlById<QPlainTextEdit>(dialog, 10);
            ASSERT_NE(field, nullptr);
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
            for (size_t i = 0; i < lines.size(); i++) {
                if (i > 0) QTest::keyClick(field, Qt::Key_Return);
                QTest::keyClicks(field, lines[i]);
            }
            counting = true;
            QTest::mouseClick(controlById<QPushButton>(dialog, 1), Qt::LeftButton);
            if (afterOk) afterOk();
        });
        key(Qt::Key_F5);
        counting = false;
    };
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    ASSERT_EQ(cursorText(), ">a=2");
    typeComment({"The area under the parabola:", "latex: \\int_0^1 x^2\\,dx"});
    key(Qt::Key_Down);
    ASSERT_EQ(cursorText(), ">b=3");
    typeComment({"maxima: integrate(x^2,x)"});
    EXPECT_GT(ticks, 0);
    auto expectBoth = [this](const char* when) {
        std::vector<Formula> shown = formulas();
        ASSERT_EQ(shown.size(), 2u) << when;
        EXPECT_EQ(shown[0].tex, "\\int_0^1 x^2\\,dx") << when;
        EXPECT_EQ(shown[1].tex, "{{x^3}\\over{3}}") << when;
        for (const Formula& f : shown) {
            EXPECT_GE(f.rows, 1) << when;
            EXPECT_GT(f.dark, 10) << when;
        }
        std::vector<std::string> all = lines();
        EXPECT_NE(std::find(all.begin(), all.end(), "% latex: \\int_0^1 x^2\\,dx"), all.end())
            << when;
        EXPECT_NE(std::find(all.begin(), all.end(), "% maxima: integrate(x^2,x)"), all.end())
            << when;
    };
    expectBoth("typed");
    EXPECT_EQ(window->getStatusText().find("not available"), std::string::npos);

    // Update Current Comment renders the "maxima: " line again and runs
    // its command.
    auto update = [&] {
        const int before = host.getInputWaitCount();
        key(Qt::Key_Return, Qt::AltModifier);
        return waitForPrompt(before);
    };
    ASSERT_TRUE(update());
    expectBoth("updated");

    // Run and update comments: the first comment is rendered on the GUI
    // thread, the second by the computation thread before its command.
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    ASSERT_EQ(cursorText(), ">a=2");
    const int waits = host.getInputWaitCount();
    key(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(waitFor(
        [&] { return host.getInputWaitCount() > waits && getIntCell(inputWaiting); }, 60000));
    expectBoth("run");

    // Saved: each picture with its formula line, and its image file.
    const std::string file = folder + "formulas.kn";
    whenModal([file](QWidget* widget) {
        auto* chooser = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(chooser, nullptr);
        chooser->selectFile(QString::fromStdString(file));
        static_cast<QDialog*>(chooser)->accept();
    });
    key(Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(waitFor([&] { return !editor().isNotebookChanged(); }));
    std::ifstream in(file);
    std::string saved((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* line : {"% %image% formulas-001.png\r\n% // latex: \\int_0^1 x^2\\,dx\r\n",
                             "% %image% formulas-002.png\r\n% // latex: {{x^3}\\over{3}}\r\n"})
        EXPECT_NE(saved.find(line), std::string::npos) << saved;
    for (const char* image : {"images/formulas-001.png", "images/formulas-002.png"})
        EXPECT_FALSE(QImage(QString::fromStdString(folder + image)).isNull()) << image;

    // Without LaTeX the pictures stay, and one box says why.
    const std::string searchPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    int boxes = 0;
    std::string said;
    whenModal([&](QWidget* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        ASSERT_NE(box, nullptr);
        boxes++;
        said = box->text().toStdString();
        box->button(QMessageBox::Ok)->click();
    });
    key(Qt::Key_Up);
    ASSERT_EQ(cursorText(), ">b=3");
    ASSERT_TRUE(update());
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    ASSERT_EQ(cursorText(), ">a=2");
    ASSERT_TRUE(update());
    setenv("PATH", searchPath.c_str(), 1);
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(said, "Latex could not be found.\nPlease configure Latex in the Menu!");
    expectBoth("without LaTeX");
    // A picture of the window with KALIX_FORMULAS_SCREENSHOT naming a file.
    if (const char* picture = std::getenv("KALIX_FORMULAS_SCREENSHOT")) {
        // What the window was asked to show, painted.
        ASSERT_TRUE(postedJobsRan());
        ASSERT_TRUE(waitFor([&] { return window->redrawText(); }));
        EXPECT_TRUE(frame->grab().save(QString::fromLocal8Bit(picture)));
    }

    // Escape while Maxima computes ends the wait: the line stays without a
    // picture, and the next formula starts Maxima again. (The update of
    // the first comment ran its command: the cursor is on the second.)
    ASSERT_EQ(cursorText(), ">b=3");
    const char* endless = "maxima: block([i:0], while true do i:i+1)";
    typeComment({endless}, [this] {
        QTimer::singleShot(300, client, [this] { QTest::keyClick(client, Qt::Key_Escape); });
    });
    std::vector<std::string> all = lines();
    auto at = std::find(all.begin(), all.end(), std::string("% ") + endless);
    ASSERT_NE(at, all.end());
    EXPECT_EQ(*(at + 1), ">b=3");
    typeComment({"maxima: integrate(x^2,x)"});
    expectBoth("after Escape");
}

}  // namespace kalix
