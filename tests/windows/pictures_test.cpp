// Pictures in the notebook window: plots inserted by insimg and by a
// trailing ":", image files, RGB matrices, anaglyphs, LaTeX formulas in
// comments, the notebook file with its pictures, and the export, clipboard
// and print commands.
#include <QAbstractButton>
#include <QCheckBox>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "base/settings.h"
#include "graphics/crop_area.h"
#include "graphics/graphics_area.h"
#include "graphics/graphics_export.h"
#include "gui/dialogs.h"
#include "gui/graphics_commands.h"
#include "modal_helpers.h"
#include "notebook/notebook_file_operations.h"
#include "platform/child_process.h"
#include "window_fixture.h"

namespace kalix {

namespace {

std::string tempFolder() {
    char pattern[] = "/tmp/kalix-pictures-XXXXXX";
    const char* made = mkdtemp(pattern);
    return made ? std::string(made) + "/" : std::string("/tmp/");
}

bool exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

QImage imageOf(const std::string& path) { return QImage(QString::fromStdString(path)); }

bool haveLatex() {
    return !locateProgram("", "latex").empty() && !locateProgram("", "dvipng").empty();
}

class PicturesTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        folder = tempFolder();
        qApp->installEventFilter(&boxes);
    }
    void TearDown() override {
        qApp->removeEventFilter(&boxes);
        setExportDialogs(nullptr, nullptr, nullptr);
        setCrop(CropRectangle());
        WindowTest::TearDown();
        // Loading a notebook changes into its folder.
        if (chdir("/tmp") != 0) return;
        std::string command = "rm -rf " + folder;
        if (folder.rfind("/tmp/kalix-pictures-", 0) == 0) (void)!std::system(command.c_str());
    }

    // Pictures in the notebook: per picture the number of rows and the
    // shown size.
    struct Shown {
        int rows, width, height;
    };
    std::vector<Shown> pictures() {
        std::vector<Shown> out;
        TextLockHold hold(editor(), "test");
        for (NotebookLine* line = editor().document().getFirstLine(); line; line = line->next) {
            if (!line->image || line->imageRow != 0) continue;
            int rows = 0;
            for (NotebookLine* row = line; row && row->image == line->image; row = row->next)
                rows++;
            out.push_back({rows, line->image->getWidth(), line->image->getHeight()});
        }
        return out;
    }

    // The texts of the message boxes shown (each is closed at once). A box
    // may come back at once without waiting: the application's loop has
    // ended in an earlier test.
    class BoxWatcher : public QObject {
      public:
        std::vector<std::string> texts;
        bool eventFilter(QObject* object, QEvent* event) override {
            if (event->type() == QEvent::Show)
                if (auto* box = qobject_cast<QMessageBox*>(object)) {
                    texts.push_back(box->text().toStdString());
                    QMetaObject::invokeMethod(box, "reject", Qt::QueuedConnection);
                }
            return false;
        }
    };
    std::string lastBox() { return boxes.texts.empty() ? std::string() : boxes.texts.back(); }

    void chooseFiles(const std::string& path, ExportSize answer = {}, bool pressForPrint = false) {
        setExportDialogs(
            [answer, pressForPrint](SizeDialogKind, ExportSize& size) {
                if (pressForPrint) {
                    const int antialias = size.antialias;
                    size = forPrintExportSize();
                    (void)antialias;
                } else if (answer.width) {
                    size = answer;
                }
                return true;
            },
            [path](const char*) { return path; }, [](std::string&, std::string&) { return true; });
    }

    std::string folder;
    BoxWatcher boxes;
};

}  // namespace

TEST_F(PicturesTest, InsimgAndATrailingColonShowThePlotUnderTheCommand) {
    ASSERT_TRUE(run("x=linspace(0,2*pi,200); plot(x,sin(x)); insimg(25)"));
    ASSERT_EQ(pictures().size(), 1u);
    const Shown first = pictures()[0];
    // The rows follow the text width: never wider than 0.8 of a text line.
    const int lineHeight = window->lineHeight();
    EXPECT_LE(first.rows, 25);
    EXPECT_GE(first.rows, 2);
    EXPECT_LE(first.width, int(0.8 * window->textPixelWidth()) + 1);
    EXPECT_EQ(first.height, (first.rows > 2 ? first.rows : 3) * lineHeight);
    // The rows stand under the command and its output "25".
    std::vector<std::string> all = lines();
    auto command =
        std::find(all.begin(), all.end(), ">x=linspace(0,2*pi,200); plot(x,sin(x)); insimg(25)");
    ASSERT_NE(command, all.end());

    ASSERT_TRUE(run("plot(x,x^2):"));
    ASSERT_EQ(pictures().size(), 2u);
    // A picture is kept as PNG with pixels of the plot (not all white).
    {
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().document().getFirstLine();
        while (line && !line->image) line = line->next;
        ASSERT_NE(line, nullptr);
        QImage image =
            QImage::fromData(reinterpret_cast<const uchar*>(line->image->pngBytes().data()),
                             int(line->image->pngBytes().size()), "PNG");
        ASSERT_FALSE(image.isNull());
        EXPECT_EQ(image.width(), first.width);
        int dark = 0;
        for (int y = 0; y < image.height(); y++)
            for (int x = 0; x < image.width(); x++) dark += qGray(image.pixel(x, y)) < 128;
        EXPECT_GT(dark, 100);
    }
    // A crop of the lower half halves the height and the rows.
    ASSERT_TRUE(run("insimg(20,\"\",0)"));
    ASSERT_TRUE(run("insimg(20,\"\",0,[0.5,1,0,1])"));
    ASSERT_EQ(pictures().size(), 4u);
    const Shown whole = pictures()[2], half = pictures()[3];
    EXPECT_EQ(half.width, whole.width);
    EXPECT_EQ(half.height, int(std::lround(whole.height * 0.5)));
    EXPECT_EQ(half.rows, int(std::lround(whole.rows * 0.5)));
    // An empty crop area is refused.
    ASSERT_TRUE(run("insimg(20,\"\",0,[0.5,0.5,0,1])"));
    EXPECT_EQ(pictures().size(), 4u);
}

TEST_F(PicturesTest, PicturesAreSavedWithTheNotebookAndComeBack) {
    ASSERT_TRUE(run("x=linspace(0,1,50); plot(x,x^3); insimg(20)"));
    ASSERT_EQ(pictures().size(), 1u);
    const Shown before = pictures()[0];
    const std::string path = folder + "pics.kn";
    ASSERT_EQ(saveNotebookTo(editor(), path), 1);
    EXPECT_TRUE(exists(folder + "images/pics-001.png"));
    EXPECT_NE(fileText(path).find("pics-001.png"), std::string::npos);
    ASSERT_EQ(loadNotebook(editor(), path.c_str()), 1);
    ASSERT_EQ(pictures().size(), 1u);
    EXPECT_EQ(pictures()[0].rows, before.rows);
    EXPECT_EQ(pictures()[0].width, before.width);
    EXPECT_EQ(pictures()[0].height, before.height);
}

TEST_F(PicturesTest, ImageFilesMatricesAndAnaglyphs) {
    const std::string pic = folder + "pic";
    // 60 x 30 pixels.
    ASSERT_TRUE(run(("savergb(zeros(30,60)+16711680,\"" + pic + "\");").c_str()));
    ASSERT_TRUE(run(("loadimg(\"" + pic + "\",10,0)").c_str()));
    ASSERT_EQ(pictures().size(), 1u);
    EXPECT_EQ(pictures()[0].width, 60);
    EXPECT_EQ(pictures()[0].height, 30);
    EXPECT_EQ(pictures()[0].rows, 30 / window->lineHeight() + 1);
    // Scale 20 means 10 times.
    ASSERT_TRUE(run(("loadimg(\"" + pic + "\",60,20)").c_str()));
    EXPECT_EQ(pictures()[1].width,
              std::min(600, int(std::floor(0.8 * window->textPixelWidth() + 0.5))));

    ASSERT_TRUE(run("insrgb(10,\"rgb\",zeros(30,40)+65280)"));
    ASSERT_EQ(pictures().size(), 3u);
    EXPECT_EQ(pictures()[2].width, 40);
    EXPECT_EQ(pictures()[2].rows, (30 - 1) / window->lineHeight() + 1);

    const std::string a = folder + "a", b = folder + "b", c = folder + "c";
    ASSERT_TRUE(run(("savergb(zeros(16,16)+8421504,\"" + a + "\"); savergb(zeros(16,16),\"" + b +
                     "\"); savergb(zeros(15,15),\"" + c + "\");")
                        .c_str()));
    ASSERT_TRUE(run(("loadanaglyph(10,\"" + a + "\",\"" + b + "\")").c_str()));
    ASSERT_EQ(pictures().size(), 4u);
    EXPECT_EQ(pictures()[3].width, 16);
    {
        // Red carries the left picture's grey, green and blue the right
        // one's, in every column (the last one too).
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().lastLine();
        while (line && !(line->image && line->imageRow == 0)) line = line->previous;
        ASSERT_NE(line, nullptr);
        const std::string& png = line->image->pngBytes();
        QImage image =
            QImage::fromData(reinterpret_cast<const uchar*>(png.data()), int(png.size()), "PNG");
        ASSERT_EQ(image.width(), 16);
        EXPECT_EQ(image.pixel(0, 0) & 0xffffff, 0x800000u);
        EXPECT_EQ(image.pixel(15, 15) & 0xffffff, 0x800000u);
    }
    ASSERT_TRUE(run(("loadanaglyph(10,\"" + c + "\",\"" + c + "\")").c_str()));
    EXPECT_EQ(pictures().size(), 4u);
    std::vector<std::string> all = lines();
    bool said = false;
    for (const std::string& line : all)
        said |= line == "Need two images of the same size for anaglyphs.";
    EXPECT_TRUE(said);
}

TEST_F(PicturesTest, ALatexCommentShowsTheFormulaAndAnErrorShowsTheLog) {
    if (!haveLatex()) GTEST_SKIP() << "latex or dvipng is not installed";
    writeSetting("latexdir", folder.c_str());
    {
        TextLockHold hold(editor(), "test");
        editor().setCursorLine(editor().lastLine(), 1);
    }
    editor().setComment("latex: \\int_0^1 x^2\\,dx");
    ASSERT_EQ(pictures().size(), 1u);
    EXPECT_GT(pictures()[0].width, 10);
    {
        TextLockHold hold(editor(), "test");
        NotebookLine* line = editor().document().getFirstLine();
        while (line && !line->image) line = line->next;
        ASSERT_NE(line, nullptr);
        ASSERT_NE(line->getFormula(), nullptr);
        EXPECT_STREQ(line->getFormula(), "\\int_0^1 x^2\\,dx");
    }
    // Nothing of the rendering is left in the work folder.
    int left = 0;
    for (const char* extension : {".tex", ".log", ".aux", ".dvi", ".png"}) {
        std::string command = "ls " + folder + "*" + extension + " >/dev/null 2>&1";
        left += std::system(command.c_str()) == 0;
    }
    EXPECT_EQ(left, 0);

    editor().setComment("latex: \\frac{");
    EXPECT_EQ(lastBox().rfind("! ", 0), 0u) << lastBox();
    EXPECT_EQ(pictures().size(), 0u);

    // texpng returns the path of the picture.
    ASSERT_TRUE(run("texpng(\"\\frac12\",1,1,0,0)"));
    std::string shown;
    for (const std::string& line : lines())
        if (line.size() > 4 && line.compare(line.size() - 4, 4, ".png") == 0) shown = line;
    while (!shown.empty() && shown[0] == ' ') shown.erase(0, 1);
    EXPECT_EQ(shown.rfind(folder, 0), 0u) << shown;
    EXPECT_FALSE(imageOf(shown).isNull()) << shown;

    // Without LaTeX the formulas of a comment say so once.
    const std::string searchPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", "/nonexistent", 1);
    const size_t before = boxes.texts.size();
    editor().setComment("latex: a\r\nlatex: b");
    editor().setComment("latex: c");
    setenv("PATH", searchPath.c_str(), 1);
    ASSERT_EQ(boxes.texts.size(), before + 1);
    EXPECT_EQ(lastBox(), "Latex could not be found.\nPlease configure Latex in the Menu!");
    writeSetting("latexdir", "");
}

TEST_F(PicturesTest, ExportsWriteTheChosenSizesAndTheCropArea) {
    ASSERT_TRUE(run("x=linspace(0,1,50); plot(x,x^2);"));
    const std::string png = folder + "plot.png";
    chooseFiles(png, ExportSize{300, 200, 1});
    saveGraphicsPngDialog();
    QImage image = imageOf(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), 300);
    EXPECT_EQ(image.height(), 200);
    EXPECT_EQ(exportWidth, 300);
    EXPECT_EQ(intSetting("savewithantialias"), 1);

    // "For Print": 2000 wide, the aspect kept, no antialiasing.
    const std::string print = folder + "print.png";
    chooseFiles(print, {}, true);
    saveGraphicsPngDialog();
    image = imageOf(print);
    EXPECT_EQ(image.width(), 2000);
    EXPECT_EQ(image.height(), keepAspectHeight(2000));
    EXPECT_EQ(intSetting("savewithantialias"), 0);

    // The crop area: the left half of the picture.
    ASSERT_FALSE(cropToRectangle(10, 10, 10, 50, 100, 100));  // empty: refused
    ASSERT_TRUE(cropToRectangle(0, 0, 50, 100, 100, 100));
    const std::string cropped = folder + "cropped.png";
    chooseFiles(cropped, ExportSize{300, 200, 0});
    saveGraphicsPngDialog();
    image = imageOf(cropped);
    EXPECT_EQ(image.width(), 150);
    EXPECT_EQ(image.height(), 200);
    cancelCropMode();
    EXPECT_TRUE(currentCrop().isWhole());

    const std::string svg = folder + "plot.svg";
    chooseFiles(svg, ExportSize{400, 300, 0});
    saveGraphicsSvgDialog();
    std::string text = fileText(svg);
    EXPECT_NE(text.find("<svg"), std::string::npos);
    EXPECT_NE(text.find("width=\"400"), std::string::npos) << text.substr(0, 400);
    // A size beyond the bounds is clamped like the bitmap paths.
    chooseFiles(svg, ExportSize{50000, 2, 0});
    saveGraphicsSvgDialog();
    text = fileText(svg);
    EXPECT_NE(text.find("width=\"10000"), std::string::npos) << text.substr(0, 400);

    const std::string eps = folder + "plot.eps";
    chooseFiles(eps);
    saveGraphicsEpsDialog();
    EXPECT_EQ(fileText(eps).rfind("%!PS-Adobe", 0), 0u);

    // A file that cannot be written is said.
    chooseFiles(folder + "no/such/folder/x.png", ExportSize{100, 100, 0});
    saveGraphicsPngDialog();
    EXPECT_EQ(lastBox(), "Could not write\n" + folder + "no/such/folder/x.png");
}

TEST_F(PicturesTest, TheClipboardGetsPngAndSvg) {
    ASSERT_TRUE(run("x=linspace(0,1,50); plot(x,x^2);"));
    chooseFiles("", ExportSize{120, 90, 0});
    copyGraphicsBitmap();
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    ASSERT_TRUE(data->hasFormat("image/png"));
    QImage image = QImage::fromData(data->data("image/png"), "PNG");
    EXPECT_EQ(image.width(), 120);
    EXPECT_EQ(image.height(), 90);

    copyGraphicsMetafile();
    data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(data, nullptr);
    EXPECT_TRUE(data->hasFormat("image/png"));
    ASSERT_TRUE(data->hasFormat("image/svg+xml"));
    EXPECT_NE(data->data("image/svg+xml").indexOf("<svg"), -1);
}

TEST_F(PicturesTest, PrintingMakesOnePageOrSaysThereIsNoPrinter) {
    ASSERT_TRUE(run("x=linspace(0,1,50); plot(x,x^2);"));
    const std::string pdf = folder + "print.pdf";
    EXPECT_EQ(printGraphicsJob("", pdf, ""), 1);
    const std::string text = fileText(pdf);
    EXPECT_EQ(text.rfind("%PDF", 0), 0u);
    EXPECT_NE(text.find("/Count 1"), std::string::npos);
    // A long comment goes on to further pages.
    std::string comment;
    for (int i = 0; i < 400; i++) comment += "A line of the comment below the picture.\n";
    EXPECT_GT(printGraphicsJob("", pdf, comment), 1);

    // A printer that is gone is said so.
    setExportDialogs(nullptr, nullptr, [](std::string& printer, std::string&) {
        printer = "no such printer";
        return true;
    });
    printGraphicsDialog();
    EXPECT_EQ(lastBox(), "No Printer available!");
    if (!printerNames().empty()) return;
    // Without printers the dialog offers a PDF file, the comment goes with it.
    const std::string offered = folder + "offered.pdf";
    std::string title;
    setExportDialogs(
        nullptr,
        [&title, offered](const char* asked) {
            title = asked;
            return offered;
        },
        nullptr);
    whenModal([](QWidget* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Print");
        auto* list = controlById<QListWidget>(dialog, 10);
        ASSERT_EQ(list->count(), 1);
        EXPECT_EQ(list->currentItem()->text(), "Print to PDF file");
        EXPECT_NE(controlById<QPushButton>(dialog, 30), nullptr);
        controlById<QPlainTextEdit>(dialog, 11)->setPlainText("Under the picture");
        clickControl(dialog, 1);
    });
    printGraphicsDialog();
    EXPECT_EQ(title, "Print to PDF file");
    ASSERT_TRUE(waitFor([] { return !printJobActive(); }));
    EXPECT_EQ(fileText(offered).rfind("%PDF", 0), 0u);
}

// The size dialog itself: its buttons fill the fields, the check box and
// "For Print" only where they belong, and OK hands the values on.
TEST_F(PicturesTest, TheSizeDialogFillsItsFieldsFromItsButtons) {
    ASSERT_TRUE(run("x=linspace(0,1,50); plot(x,x^2);"));
    struct Case {
        void (*command)();
        bool forPrint, antialias;
        const char* file;
    };
    const ExportSize area = windowExportSize();
    for (Case c : {Case{saveGraphicsPngDialog, true, true, "size.png"},
                   Case{copyGraphicsBitmap, false, true, nullptr},
                   Case{saveGraphicsSvgDialog, false, false, "size.svg"}}) {
        exportWidth = 321;
        exportHeight = 123;
        const std::string path = c.file ? folder + c.file : std::string();
        setExportDialogs(
            nullptr, [path](const char*) { return path; }, nullptr);
        whenModal([&c, area](QWidget* dialog) {
            EXPECT_EQ(dialog->windowTitle(), "Set Size");
            auto* width = controlById<QLineEdit>(dialog, 10);
            auto* height = controlById<QLineEdit>(dialog, 11);
            EXPECT_EQ(width->text(), "321");
            EXPECT_EQ(height->text(), "123");
            EXPECT_NE(controlById<QPushButton>(dialog, 30), nullptr);
            EXPECT_EQ(controlById<QPushButton>(dialog, 18) != nullptr, c.forPrint);
            EXPECT_EQ(controlById<QCheckBox>(dialog, 20) != nullptr, c.antialias);
            clickControl(dialog, 16);
            EXPECT_EQ(width->text().toInt(), area.width);
            EXPECT_EQ(height->text().toInt(), area.height);
            width->setText("600");
            clickControl(dialog, 17);
            EXPECT_EQ(height->text().toInt(), keepAspectHeight(600));
            if (c.forPrint) {
                controlById<QCheckBox>(dialog, 20)->setChecked(true);
                clickControl(dialog, 18);
                EXPECT_EQ(width->text(), "2000");
                EXPECT_EQ(height->text().toInt(), keepAspectHeight(2000));
                EXPECT_FALSE(controlById<QCheckBox>(dialog, 20)->isChecked());
                width->setText("600");
                clickControl(dialog, 17);
            }
            clickControl(dialog, 1);
        });
        c.command();
        EXPECT_EQ(exportWidth, 600) << (c.file ? c.file : "bitmap");
        EXPECT_EQ(exportHeight, keepAspectHeight(600));
        if (c.file && std::string(c.file) == "size.png") {
            QImage image = imageOf(path);
            EXPECT_EQ(image.width(), 600);
        }
    }
    // Cancel keeps the old size.
    whenModal([](QWidget* dialog) {
        controlById<QLineEdit>(dialog, 10)->setText("77");
        clickControl(dialog, 2);
    });
    copyGraphicsBitmap();
    EXPECT_EQ(exportWidth, 600);
}

}  // namespace kalix
