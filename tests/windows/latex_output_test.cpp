// Results shown as formulas ("$" expressions): Maxima's TeX form rendered
// by LaTeX into the notebook window, with the real Maxima and LaTeX.
#include <QImage>

#include <unistd.h>

#include <cstdlib>

#include "engines/maxima_bridge.h"
#include "platform/child_process.h"
#include "base/settings.h"
#include "window_fixture.h"

namespace {

bool installed(const char* program) { return !locateProgram("", program).empty(); }

class LatexOutputTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        char pattern[] = "/tmp/kalix-latexout-XXXXXX";
        const char* made = mkdtemp(pattern);
        folder = made ? std::string(made) + "/" : std::string();
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
        for (NotebookLine* line = editor().firstLine; line; line = line->next) {
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
    if (!installed("latex") || !installed("dvipng"))
        GTEST_SKIP() << "latex or dvipng is not installed";
    if (!installed("maxima")) GTEST_SKIP() << "maxima is not installed";
    ASSERT_FALSE(folder.empty());
    installMaximaBridge();
    writeSetting("askexec", "0");  // Maxima starts without the question
    writeSetting("latexdir", folder.c_str());
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
