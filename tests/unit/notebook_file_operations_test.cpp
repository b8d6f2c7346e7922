// The notebook's file commands: the save thread, saving under a new name,
// deleting a notebook's own files, zipping with 7z and making a PDF with
// lualatex or pdflatex (both skipped, visibly, where the program is missing).
#include "notebook/notebook_file_operations.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "base/base_directory.h"
#include "base/settings.h"
#include "graphics/png_file.h"
#include "notebook/export_commands.h"
#include "notebook/recovery_copy.h"
#include "notebook_fixture.h"
#include "platform/child_process.h"
#include "settings_folder.h"
#include "threaded_suite.h"
#include "waiting.h"

namespace kalix {

namespace fs = std::filesystem;

namespace {

// Answers questions from a list and records what the commands ask.
class FileHost : public RecordingHost {
  public:
    std::vector<std::string> questions;
    std::vector<int> answers;  // taken in order; the unattended answer when empty
    std::string chosenFile;
    std::vector<int> enabled;
    std::vector<std::string> opened;
    std::thread::id guiThread;
    int completions = 0;

    int askYesNo(const char* text, const char* title, int unattended) override {
        questions.push_back(std::string(title) + ": " + text);
        if (answers.empty()) return unattended;
        int answer = answers.front();
        answers.erase(answers.begin());
        return answer;
    }
    std::string chooseNotebookFile(const char*) override {
        statusesBeforeChoosing = statuses;
        return chosenFile;
    }
    std::vector<std::string> statusesBeforeChoosing;
    void setWindowsEnabled(int on) override { enabled.push_back(on); }
    void runOnGuiThread(const std::function<void()>& action) override {
        guiThread = std::this_thread::get_id();
        completions++;
        action();
    }
    void openInBrowser(const char* page) override { opened.push_back(page); }
    void openWithViewer(const char* path) override { opened.push_back(path); }
};

// Runs with PATH set to an empty folder, so no outside program is found.
class WithoutPrograms {
  public:
    explicit WithoutPrograms(const fs::path& empty) {
        if (const char* old = std::getenv("PATH")) saved = old;
        fs::create_directories(empty);
        setenv("PATH", empty.c_str(), 1);
    }
    ~WithoutPrograms() { setenv("PATH", saved.c_str(), 1); }

  private:
    std::string saved;
};

// A real PNG (pdflatex reads it).
std::string realPng(int width, int height) {
    PixelImage image;
    image.allocate(width, height);
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            image.row(y)[x] = (x + y) % 8 < 4 ? 0xFF2040A0u : 0xFFFFFFFFu;
    fs::path path = fs::temp_directory_path() / ("kalix-png-" + std::to_string(getpid()) + ".png");
    writePngFile(image, path.string());
    std::string bytes = readFile(path);
    fs::remove(path);
    return bytes;
}

}  // namespace

class NotebookFilesTest : public NotebookTest {
  protected:
    void SetUp() override {
        NotebookTest::SetUp();
        config.emplace(makeFolder() / "config");
        for (const char* name : {"openexportedhtml", "openexportedpdf", "latexsilent"})
            writeIntSetting(name, 1);
        for (const char* name : {"disablelatex", "generatelatexfileonly"}) writeIntSetting(name, 0);
        writeSetting("latexbin", "");
        savedDirectory = fs::current_path();
        savedHome = homeDir.getText();
    }
    void TearDown() override {
        // Loading and saving move the current and the home directory.
        fs::current_path(savedDirectory);
        homeDir.assign(savedHome.c_str());
        config.reset();
        NotebookTest::TearDown();
    }
    // A notebook with one picture saved as `name` in the folder.
    fs::path savedNotebook(const char* name, const std::string& png = pngBytes(40, 50)) {
        build({">plot", "out:", "out:", "out:", ">"}, 4);
        auto picture = std::make_shared<NotebookPicture>(40, 50, png);
        for (int row = 0; row < 3; row++) {
            editor.lineAt(1 + row)->image = picture;
            editor.lineAt(1 + row)->imageRow = row;
        }
        fs::path path = makeFolder() / name;
        EXPECT_EQ(editor.writeNotebook(path.c_str()), 1);
        return path;
    }
    // The notebook saved as "nb.kn" in the folder `dir` beside the program's
    // kalnb.sty, read back into `other`, saved and exported as a PDF: the
    // export's result.
    int exportedPdf(const fs::path& dir, NotebookEditor& other) {
        fs::path style =
            fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "kalnb.sty";
        fs::create_directories(dir);
        fs::copy_file(style, dir / "kalnb.sty");
        EXPECT_EQ(editor.writeNotebook((dir / "nb.kn").c_str()), 1);
        EXPECT_EQ(other.readNotebook((dir / "nb.kn").c_str()), 1);
        return exportPdfAfterSave(other, saveNotebook(other), 1);
    }

    FileHost files;
    NotebookEditor fileEditor{&files, &metrics};
    std::optional<PrivateSettingsFolder> config;
    fs::path savedDirectory;
    std::string savedHome;
};

THREADED_SUITE(NotebookFilesTest);

TEST_F(NotebookFilesTest, AJobRunsOnTheSaveThreadWithTheWindowsDisabled) {
    SaveWorker worker(fileEditor);
    std::mutex mutex;
    std::condition_variable condition;
    bool release = false;
    std::atomic<int> busyInJob{0};
    std::thread::id jobThread;
    int completed = -1;
    ASSERT_EQ(worker.run(
                  [&] {
                      jobThread = std::this_thread::get_id();
                      busyInJob = getIntCell(busyFlag);
                      std::unique_lock<std::mutex> lock(mutex);
                      condition.wait(lock, [&] { return release; });
                      return 1;
                  },
                  [&](int result) { completed = result; }),
              1);
    while (busyInJob == 0) std::this_thread::yield();
    EXPECT_EQ(worker.isRunning(), 1);
    EXPECT_EQ(worker.run([] { return 1; }), 0);  // one job at a time
    {
        std::lock_guard<std::mutex> lock(mutex);
        release = true;
    }
    condition.notify_all();
    worker.wait();
    EXPECT_NE(jobThread, std::this_thread::get_id());
    EXPECT_EQ(files.guiThread, jobThread);  // the host carries it to the GUI
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(worker.lastResult(), 1);
    EXPECT_EQ(getIntCell(busyFlag), 0);
    EXPECT_EQ(files.enabled, (std::vector<int>{0, 1}));
    EXPECT_EQ(files.statuses, (std::vector<std::string>{"Saving. Please wait!", ""}));
    // The next job runs, and a failure reaches the completion.
    ASSERT_EQ(worker.run([] { return 0; }, [&](int result) { completed = result; }), 1);
    worker.wait();
    EXPECT_EQ(completed, 0);
}

// The windows take input again when a save ends: a save asked for from
// then on (here at once, before the save thread has left the job) runs.
TEST_F(NotebookFilesTest, ASaveAskedForAsTheWindowsTakeInputAgainRuns) {
    SaveWorker worker(fileEditor);
    std::atomic<int> saves{0};
    int accepted = -1;  // written by the save thread only
    worker.setAfterEachJob([&] {
        if (accepted < 0) accepted = worker.run([&] { return ++saves; });
    });
    ASSERT_EQ(worker.run([&] { return ++saves; }), 1);
    ASSERT_TRUE(waitUntil([&] { return saves == 2; }));
    worker.wait();
    EXPECT_EQ(accepted, 1);
    EXPECT_EQ(files.enabled, (std::vector<int>{0, 1, 0, 1}));
}

// A save that asks for its file says "Saving. Please wait!" only once a
// file was chosen: not while the chooser is open, not after a cancel.
TEST_F(NotebookFilesTest, TheSavingStatusFollowsTheChosenFile) {
    const std::string saving = "Saving. Please wait!";
    for (bool chosen : {false, true}) {
        files.statuses.clear();
        files.statusesBeforeChoosing = {"<not asked>"};
        files.chosenFile = chosen ? (makeFolder() / "chosen.kn").string() : "";
        fileEditor.setFilePath("");
        SaveWorker worker(fileEditor);
        ASSERT_EQ(worker.run([this] { return saveNotebook(fileEditor); }), 1);
        worker.wait();
        EXPECT_EQ(worker.lastResult(), chosen ? 1 : 0);
        ASSERT_FALSE(files.statusesBeforeChoosing.empty());
        EXPECT_NE(files.statusesBeforeChoosing.back(), saving) << chosen;
        EXPECT_NE(files.statusesBeforeChoosing.back(), "<not asked>") << chosen;
        std::vector<std::string> after(
            files.statuses.begin() + long(files.statusesBeforeChoosing.size()),
            files.statuses.end());
        std::vector<std::string> expected = {""};
        if (chosen) expected.insert(expected.begin(), saving);
        EXPECT_EQ(after, expected) << chosen;
    }
    // Outside a save job the chooser leaves the status line alone.
    files.statuses.clear();
    files.chosenFile = "";
    EXPECT_EQ(saveNotebookAs(fileEditor), 0);
    EXPECT_TRUE(files.statuses.empty());
}

TEST_F(NotebookFilesTest, ExportsFollowASaveAndLeaveTheChangedFlag) {
    fs::path path = savedNotebook("nb.kn");
    fs::path dir = path.parent_path();
    NotebookEditor other(&files, &metrics);
    ASSERT_EQ(other.readNotebook(path.c_str()), 1);
    SaveWorker worker(other);
    other.setNotebookChanged(1);
    exportHtmlCommand(other, worker);
    worker.wait();
    EXPECT_EQ(worker.lastResult(), 1);
    EXPECT_EQ(other.isNotebookChanged(), 0);  // saved
    EXPECT_NE(readFile(dir / "nb.html").find("images/nb-001.png"), std::string::npos);
    EXPECT_EQ(files.opened, (std::vector<std::string>{"file://" + (dir / "nb.html").string()}));
    // A change the save did not write stays marked; a failed save exports
    // nothing; a scripted run opens nothing.
    other.setNotebookChanged(1);
    EXPECT_EQ(exportMarkdownAfterSave(other, 1, 0), 1);
    EXPECT_EQ(other.isNotebookChanged(), 1);
    EXPECT_TRUE(fs::exists(dir / "nb.md"));
    EXPECT_EQ(exportHtmlAfterSave(other, 0, 1), 0);
    EXPECT_EQ(files.opened.size(), 1u);
}

TEST_F(NotebookFilesTest, SaveAsKeepsOrRemovesTheOldNotebook) {
    fs::path dir = makeFolder();
    fileEditor.newLineAfter(fileEditor.document().getFirstLine(), "", lineOutput);
    fileEditor.document().getFirstLine()->text.assign(">1");
    fileEditor.document().getFirstLine()->kind = lineCommand;
    auto picture = std::make_shared<NotebookPicture>(40, 50, pngBytes(40, 50));
    fileEditor.lineAt(1)->image = picture;
    // A new notebook asks for a file; cancelling saves nothing.
    EXPECT_EQ(saveNotebook(fileEditor), 0);
    files.chosenFile = (dir / "a.kn").string();
    ASSERT_EQ(saveNotebook(fileEditor), 1);
    EXPECT_TRUE(fs::exists(dir / "images" / "a-001.png"));
    EXPECT_TRUE(files.questions.empty());
    EXPECT_EQ(std::string(homeDir.getText()), dir.string() + "/");
    EXPECT_EQ(fs::current_path(), dir);
    writeFile(dir / "a.html", "export");

    files.answers = {1};
    ASSERT_EQ(saveNotebookTo(fileEditor, (dir / "b.kn").string()), 1);
    ASSERT_EQ(files.questions.size(), 1u);
    EXPECT_EQ(files.questions[0], "Keep File?: Keep the old notebook\n" + (dir / "a.kn").string() +
                                      "\nand all its images?");
    for (const char* name : {"a.kn", "a.html", "images/a-001.png", "b.kn", "images/b-001.png"})
        EXPECT_TRUE(fs::exists(dir / name)) << name;

    writeFile(dir / "b.html", "export");
    files.answers = {0};
    ASSERT_EQ(saveNotebookTo(fileEditor, (dir / "c.kn").string()), 1);
    for (const char* name : {"b.kn", "b.html", "images/b-001.png"})
        EXPECT_FALSE(fs::exists(dir / name)) << name;
    for (const char* name : {"a.kn", "images/a-001.png", "c.kn", "images/c-001.png"})
        EXPECT_TRUE(fs::exists(dir / name)) << name;
    // The same name again asks nothing.
    ASSERT_EQ(saveNotebookTo(fileEditor, (dir / "c.kn").string()), 1);
    EXPECT_EQ(files.questions.size(), 2u);
    EXPECT_EQ(loadNotebook(fileEditor, (dir / "a.kn").c_str()), 1);
    EXPECT_EQ(std::string(fileEditor.getFilePath()), (dir / "a.kn").string());
}

TEST_F(NotebookFilesTest, OnlyTheNotebooksOwnImagesAreDeleted) {
    fs::path dir = makeFolder();
    fs::path images = dir / "images";
    std::vector<std::string> own = {"nb-001.png", "nb-001-large.png", "nb-002.svg", "nb-003.svgz"};
    std::vector<std::string> kept = {"nb-005.png", "nb2-001.png", "nbx.png", "nb-01.png",
                                     "other-001.png"};
    for (const std::string& name : own) writeFile(images / name, "x");
    for (const std::string& name : kept) writeFile(images / name, "x");
    // A named image the notebook's file refers to is its own; a file of
    // another notebook it refers to is not.
    writeFile(images / "nb-004-plot.png", "x");
    std::vector<std::string> known = {(images / "nb-004-plot.png").string(),
                                      (images / "other-001.png").string()};
    NotebookOptions options;
    deleteNotebookImages((dir / "nb.kn").string(), options, known);
    for (const std::string& name : own) EXPECT_FALSE(fs::exists(images / name)) << name;
    EXPECT_FALSE(fs::exists(images / "nb-004-plot.png"));
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(images / name)) << name;
    // The folder goes when it is left empty.
    for (const std::string& name : kept) fs::remove(images / name);
    writeFile(images / "nb-001.png", "x");
    deleteNotebookImages((dir / "nb.kn").string(), options, {});
    EXPECT_FALSE(fs::exists(images));
}

TEST_F(NotebookFilesTest, DeletingANotebookAsksAndRemovesOnlyItsFiles) {
    fs::path path = savedNotebook("nb.kn");
    fs::path dir = path.parent_path();
    std::vector<std::string> own = {"nb.kn",  "nb.html", "nb.tex",           "nb.md",
                                    "nb.pdf", "nb.zip",  "images/nb-001.png"};
    std::vector<std::string> kept = {"nb.k", "nb.bak", "nbx.kn", "images/other-001.png",
                                     "kalnb.sty"};
    for (const std::string& name : own)
        if (!fs::exists(dir / name)) writeFile(dir / name, "x");
    for (const std::string& name : kept) writeFile(dir / name, "x");
    NotebookEditor other(&files, &metrics);
    ASSERT_EQ(other.readNotebook(path.c_str()), 1);
    files.answers = {0};
    EXPECT_EQ(deleteNotebookFiles(other), 0);
    for (const std::string& name : own) EXPECT_TRUE(fs::exists(dir / name)) << name;
    files.answers = {1};
    EXPECT_EQ(deleteNotebookFiles(other), 1);
    ASSERT_EQ(files.questions.size(), 2u);
    EXPECT_EQ(files.questions[1], "Delete Notebook?: Delete the notebook\n" + path.string() +
                                      "\nwith its exports and images from disk?");
    for (const std::string& name : own) EXPECT_FALSE(fs::exists(dir / name)) << name;
    for (const std::string& name : kept) EXPECT_TRUE(fs::exists(dir / name)) << name;
    EXPECT_GT(other.lineCount(), 1);  // still open
}

TEST_F(NotebookFilesTest, ZipRefusesANotebookWithoutAFileOrWithout7z) {
    EXPECT_EQ(zipNotebook(fileEditor), 0);
    ASSERT_EQ(files.messages.size(), 1u);
    EXPECT_EQ(files.messages[0], "Notebook is not yet saved.");
    files.chosenFile = (makeFolder() / "nb.kn").string();
    WithoutPrograms noPath(makeFolder() / "empty");
    EXPECT_EQ(zipNotebook(fileEditor), 0);
    ASSERT_EQ(files.messages.size(), 2u);
    EXPECT_EQ(
        files.messages[1],
        "Could not call the 7z cmmand!\nCommand Line\n7z a -tzip -y -- .nb.zip.partial nb.kn");
    EXPECT_FALSE(fs::exists(makeFolder() / "nb.zip"));
}

TEST_F(NotebookFilesTest, ZipHoldsTheNotebookItsExportsAndImages) {
    if (locateProgram("", "7z").empty()) GTEST_SKIP() << "7z is not installed (p7zip-full)";
    fs::path path = savedNotebook("nb.kn");
    fs::path dir = path.parent_path();
    NotebookEditor other(&files, &metrics);
    ASSERT_EQ(other.readNotebook(path.c_str()), 1);
    writeFile(dir / "nb.html", "page");
    writeFile(dir / "unrelated.txt", "no");
    writeFile(dir / "nb.zip", "an old archive");
    ASSERT_EQ(zipNotebook(other), 1) << (files.messages.empty() ? "" : files.messages[0]);
    fs::path out = dir / "unpacked";
    ProgramRun run = runProgram({"7z", "x", "-y", "-o" + out.string(), (dir / "nb.zip").string()},
                                dir.string(), 1);
    ASSERT_EQ(run.exitStatus, 0);
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(out))
        if (entry.is_regular_file()) names.push_back(fs::relative(entry.path(), out).string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"images/nb-001.png", "nb.html", "nb.kn"}));
    EXPECT_EQ(readFile(out / "images" / "nb-001.png"), pngBytes(40, 50));
    // A failing 7z is reported and leaves the old archive.
    fs::create_directories(dir / ".nb.zip.partial" / "blocked");
    std::string before = readFile(dir / "nb.zip");
    EXPECT_EQ(zipNotebook(other), 0);
    ASSERT_FALSE(files.messages.empty());
    EXPECT_EQ(files.messages.back().rfind("The 7z command failed (exit status ", 0), 0u)
        << files.messages.back();
    EXPECT_EQ(readFile(dir / "nb.zip"), before);
}

TEST_F(NotebookFilesTest, APdfNeedsPdflatex) {
    fs::path path = savedNotebook("nb.kn");
    NotebookEditor other(&files, &metrics);
    ASSERT_EQ(other.readNotebook(path.c_str()), 1);
    writeFile(path.parent_path() / "kalnb.sty", "\\ProvidesPackage{kalnb}\n");
    WithoutPrograms noPath(makeFolder() / "empty");
    EXPECT_EQ(exportPdfAfterSave(other, 1, 1), 0);
    ASSERT_EQ(files.messages.size(), 1u);
    EXPECT_EQ(files.messages[0],
              "Program pdflatex could not be found.\nPlease configure Latex in the Menu!");
    EXPECT_TRUE(fs::exists(path.parent_path() / "nb.tex"));
    // "Generate Latex File only" asks for no program.
    writeIntSetting("generatelatexfileonly", 1);
    EXPECT_EQ(exportPdfAfterSave(other, 1, 1), 1);
    EXPECT_EQ(files.messages.size(), 1u);
    // A failed save exports nothing.
    fs::remove(path.parent_path() / "nb.tex");
    EXPECT_EQ(exportPdfAfterSave(other, 0, 1), 0);
    EXPECT_FALSE(fs::exists(path.parent_path() / "nb.tex"));
}

TEST_F(NotebookFilesTest, LatexMakesThePdfAndReportsErrors) {
    if (locateProgram("", "lualatex").empty() && locateProgram("", "pdflatex").empty())
        GTEST_SKIP() << "lualatex is not installed (texlive-luatex), nor pdflatex";
    fs::path style = fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "kalnb.sty";
    ASSERT_TRUE(fs::exists(style)) << style;
    build({"% * Results: 50% & $x_1$ #1 ~ ^ {a} \\b", "% Text with <angles> | bars.", ">x=1:3",
           "out:[1, 2, 3] 100% {z} \\w", "out:", "out:", "out:", "% mathjax: \\frac{1}{2}",
           ">function f(x)", "$  return {x}", "$endfunction", ">"},
          11);
    auto picture = std::make_shared<NotebookPicture>(60, 40, realPng(60, 40));
    for (int row = 0; row < 3; row++) {
        editor.lineAt(4 + row)->image = picture;
        editor.lineAt(4 + row)->imageRow = row;
    }
    fs::path dir = makeFolder();
    fs::copy_file(style, dir / "kalnb.sty");
    ASSERT_EQ(editor.writeNotebook((dir / "nb.kn").c_str()), 1);
    NotebookEditor other(&files, &metrics);
    ASSERT_EQ(other.readNotebook((dir / "nb.kn").c_str()), 1);
    ASSERT_EQ(exportPdfAfterSave(other, saveNotebook(other), 1), 1) << readFile(dir / "nb.log");
    EXPECT_EQ(readFile(dir / "nb.pdf").substr(0, 5), "%PDF-");
    for (const char* extension : {".aux", ".log", ".out", ".toc"})
        EXPECT_FALSE(fs::exists(dir / (std::string("nb") + extension))) << extension;
    EXPECT_EQ(files.opened, (std::vector<std::string>{(dir / "nb.pdf").string()}));

    // An error in the document ends pdflatex (it never waits for an
    // answer) and is reported; its log stays.
    other.newLineAfter(other.document().getFirstLine(), "latexformat: \\nosuchcommand",
                       lineComment);
    EXPECT_EQ(exportPdfAfterSave(other, 1, 1), 0);
    ASSERT_EQ(files.messages.size(), 1u);
    EXPECT_EQ(files.messages[0], "Latex reported errors while making the PDF.\nSee the log file\n" +
                                     (dir / "nb.log").string());
    EXPECT_TRUE(fs::exists(dir / "nb.log"));
    EXPECT_FALSE(fs::exists(dir / "nb.aux"));
}

// The PDF is made by lualatex with Unicode fonts: Greek, Cyrillic and the
// Latin letters come out (Ghostscript reads them back), and a character no
// font at hand has is named in the message.
TEST_F(NotebookFilesTest, ThePdfShowsGreekAndCyrillicAndNamesWhatNoFontHas) {
    if (locateProgram("", "lualatex").empty())
        GTEST_SKIP() << "lualatex is not installed (texlive-luatex)";
    if (locateProgram("", "gs").empty()) GTEST_SKIP() << "gs is not installed (ghostscript)";
    selectCodePage(65001);
    writeIntSetting("openexportedpdf", 0);
    build({"% * \xCE\xA9mega \xD0\x96\xD1\x83\xD0\xBA",
           "% Greek \xCE\xB1\xCE\xB2\xCE\xB3 \xCE\x94\xCE\xA9, Cyrillic "
           "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82, \xC5\x81\303\263d\xC5\xBA "
           "Gr\xC3\xBC\303\237e",
           ">s=\"\xCF\x80\xE2\x89\xA4\xD0\xAF\"", "out:\xCF\x80\xE2\x89\xA4\xD0\xAF",
           "% CJK \xE6\xBC\xA2\xE5\xAD\x97 and \xF0\x9F\x98\x80", ">"},
          5);
    fs::path dir = makeFolder() / "unicode";
    NotebookEditor other(&files, &metrics);
    ASSERT_EQ(exportedPdf(dir, other), 1) << readFile(dir / "nb.log");
    ASSERT_EQ(files.messages.size(), 1u);
    EXPECT_EQ(files.messages[0],
              "The PDF lacks characters.\nNo font at hand has the characters "
              "\xE6\xBC\xA2 (U+6F22), \xE5\xAD\x97 (U+5B57), \xF0\x9F\x98\x80 (U+1F600)");
    ProgramRun run =
        runProgram({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=txtwrite",
                    "-sOutputFile=" + (dir / "nb.txt").string(), (dir / "nb.pdf").string()},
                   dir.string(), 1);
    ASSERT_EQ(run.exitStatus, 0);
    std::string text = readFile(dir / "nb.txt");
    for (const char* word :
         {"\xCE\xA9mega", "\xD0\x96\xD1\x83\xD0\xBA", "\xCE\xB1\xCE\xB2\xCE\xB3",
          "\xCE\x94\xCE\xA9", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82",
          "\xC5\x81\303\263d\xC5\xBA", "Gr\xC3\xBC\303\237e", "\xCF\x80\xE2\x89\xA4\xD0\xAF"})
        EXPECT_NE(text.find(word), std::string::npos) << word << " in\n" << text;

    // Without lualatex, pdflatex has the Latin letters only: it reports
    // errors, and the message names the characters it lacked.
    if (locateProgram("", "pdflatex").empty()) return;
    fs::path only = dir / "bin";
    fs::create_directories(only);
    fs::create_symlink(fs::canonical(locateProgram("", "pdflatex")), only / "pdflatex");
    WithoutPrograms noLualatex(only);
    files.messages.clear();
    {
        TextLockHold hold(other, "test");
        other.lineAt(4)->text.assign("CJK");
    }
    EXPECT_EQ(exportPdfAfterSave(other, saveNotebook(other), 1), 0);
    ASSERT_EQ(files.messages.size(), 1u);
    const std::string reported = "Latex reported errors while making the PDF.\nSee the log file\n" +
                                 (dir / "nb.log").string() +
                                 "\nNo font at hand has the characters \xCE\xA9 (U+03A9), "
                                 "\xD0\x96 (U+0416), ";
    EXPECT_EQ(files.messages[0].rfind(reported, 0), 0u) << files.messages[0];
    for (const char* named :
         {", \xCE\xB1 (U+03B1)", ", \xD0\x9F (U+041F)", ", \xE2\x89\xA4 (U+2264)"})
        EXPECT_NE(files.messages[0].find(named), std::string::npos) << named;
    selectCodePage(1252);
}

namespace {

// A page rendered by ghostscript as grey levels, row by row.
struct GreyPage {
    int width = 0, height = 0;
    std::string pixels;
    bool ink(int x, int y) const { return uint8_t(pixels[size_t(y) * width + x]) < 128; }
};

GreyPage renderFirstPage(const fs::path& pdf) {
    GreyPage page;
    fs::path out = pdf.parent_path() / "page.pgm";
    ProgramRun run =
        runProgram({"gs", "-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=pgmraw", "-r150",
                    "-dFirstPage=1", "-dLastPage=1", "-sOutputFile=" + out.string(), pdf.string()},
                   pdf.parent_path().string(), 1);
    if (run.exitStatus != 0) return page;
    std::string data = readFile(out);
    // "P5", the width, the height and the largest value, with "#" comment
    // lines between them, one blank, then the bytes.
    std::vector<std::string> words;
    size_t at = 0;
    while (words.size() < 4 && at < data.size()) {
        if (data[at] == '#') {
            at = data.find('\n', at);
        } else if (std::isspace(uint8_t(data[at]))) {
            at++;
        } else {
            size_t end = at;
            while (end < data.size() && !std::isspace(uint8_t(data[end]))) end++;
            words.push_back(data.substr(at, end - at));
            at = end;
        }
    }
    if (words.size() < 4 || words[0] != "P5" || at >= data.size()) return page;
    page.width = std::atoi(words[1].c_str());
    page.height = std::atoi(words[2].c_str());
    page.pixels = data.substr(at + 1);
    if (page.pixels.size() < size_t(page.width) * page.height) page.width = page.height = 0;
    return page;
}

// Rows [top, bottom) of a run of rows with ink, from `from` down.
std::pair<int, int> inkBand(const GreyPage& page, int from) {
    auto rowHasInk = [&](int y) {
        for (int x = 0; x < page.width; x++)
            if (page.ink(x, y)) return true;
        return false;
    };
    int top = from;
    while (top < page.height && !rowHasInk(top)) top++;
    int bottom = top;
    while (bottom < page.height && rowHasInk(bottom)) bottom++;
    return {top, bottom};
}

// The runs of columns with ink within rows [top, bottom), as [left, right).
std::vector<std::pair<int, int>> inkColumns(const GreyPage& page, std::pair<int, int> band) {
    std::vector<std::pair<int, int>> runs;
    for (int x = 0; x < page.width; x++) {
        bool ink = false;
        for (int y = band.first; y < band.second && !ink; y++) ink = page.ink(x, y);
        if (!ink) continue;
        if (!runs.empty() && runs.back().second == x)
            runs.back().second = x + 1;
        else
            runs.push_back({x, x + 1});
    }
    return runs;
}

}  // namespace

// The "^" under an error's position prints as a caret about as tall as a
// letter, in the column of the character it points at (the typewriter
// font's own "^" is a small accent high above the line).
TEST_F(NotebookFilesTest, TheCaretUnderAnErrorPrintsAsACaretInItsColumn) {
    if (locateProgram("", "lualatex").empty() && locateProgram("", "pdflatex").empty())
        GTEST_SKIP() << "lualatex is not installed (texlive-luatex), nor pdflatex";
    if (locateProgram("", "gs").empty()) GTEST_SKIP() << "gs is not installed (ghostscript)";
    writeIntSetting("openexportedpdf", 0);
    for (int column : {0, 3, 8}) {
        build({"out:xxxxxxxxx", ("out:" + std::string(size_t(column), ' ') + "^").c_str(), ">"}, 2);
        fs::path dir = makeFolder() / ("column" + std::to_string(column));
        NotebookEditor other(&files, &metrics);
        ASSERT_EQ(exportedPdf(dir, other), 1) << readFile(dir / "nb.log");
        GreyPage page = renderFirstPage(dir / "nb.pdf");
        ASSERT_GT(page.width, 0);
        std::pair<int, int> letters = inkBand(page, 0);
        std::pair<int, int> caret = inkBand(page, letters.second);
        std::vector<std::pair<int, int>> xs = inkColumns(page, letters);
        std::vector<std::pair<int, int>> carets = inkColumns(page, caret);
        ASSERT_EQ(xs.size(), 9u);
        ASSERT_EQ(carets.size(), 1u);
        int letterHeight = letters.second - letters.first;
        int caretHeight = caret.second - caret.first;
        EXPECT_GE(caretHeight * 10, letterHeight * 6)
            << "caret " << caretHeight << " pixels, x " << letterHeight << " pixels";
        EXPECT_LE(caretHeight, letterHeight * 2);
        // Between the lines, not touching the one above.
        EXPECT_GT(caret.first - letters.second, 2);
        int middle = (carets[0].first + carets[0].second) / 2;
        EXPECT_GE(middle, xs[size_t(column)].first - 1) << column;
        EXPECT_LE(middle, xs[size_t(column)].second) << column;
    }
}

TEST_F(NotebookFilesTest, ASaveAskedForWhileAQuietJobRunsFollowsIt) {
    SaveWorker worker(fileEditor);
    std::mutex mutex;
    std::condition_variable condition;
    bool release = false;
    std::atomic<int> quietStarted{0};
    std::vector<std::string> order;  // written by the save thread only
    int afterJobs = 0;
    worker.setAfterEachJob([&] { afterJobs++; });
    ASSERT_EQ(worker.runQuietly([&] {
        quietStarted = 1;
        std::unique_lock<std::mutex> lock(mutex);
        condition.wait(lock, [&] { return release; });
        order.push_back("quiet");
        return 1;
    }),
              1);
    while (!quietStarted) std::this_thread::yield();
    // The quiet job refuses no input and shows nothing.
    EXPECT_TRUE(files.enabled.empty());
    EXPECT_TRUE(files.statuses.empty());
    EXPECT_EQ(getIntCell(busyFlag), 0);
    // A second quiet job is not started; a save waits for its turn (one).
    EXPECT_EQ(worker.runQuietly([] { return 1; }), 0);
    int completed = -1;
    EXPECT_EQ(worker.run(
                  [&] {
                      order.push_back("save");
                      return 1;
                  },
                  [&](int result) { completed = result; }),
              1);
    EXPECT_EQ(worker.run([] { return 1; }), 0);
    {
        std::lock_guard<std::mutex> lock(mutex);
        release = true;
    }
    condition.notify_all();
    worker.wait();
    EXPECT_EQ(order, (std::vector<std::string>{"quiet", "save"}));
    EXPECT_EQ(completed, 1);
    EXPECT_EQ(afterJobs, 1);
    EXPECT_EQ(files.enabled, (std::vector<int>{0, 1}));
    // Quiet and other jobs in turn, many times: none is lost or doubled.
    std::atomic<int> saves{0};
    for (int i = 0; i < 200; i++) {
        worker.runQuietly([] { return 1; });
        ASSERT_EQ(worker.run([&] { return ++saves; }), 1) << i;
        worker.wait();
    }
    EXPECT_EQ(saves, 200);
}

TEST_F(NotebookFilesTest, TheRecoveryCopyHoldsTheNotebookAndLeavesItsFilesAlone) {
    fs::path path = savedNotebook("work.kn");
    fs::path dir = path.parent_path();
    std::string saved = readFile(path), savedPng = readFile(dir / "images" / "work-001.png");
    editor.lineAt(0)->text.assign(">plot changed");
    editor.setNotebookChanged(1);
    fs::path root = recoveryRoot();
    EXPECT_EQ(root.string().rfind(std::getenv("XDG_CONFIG_HOME"), 0), 0u);
    {
        RecoveryCopy copy;
        EXPECT_EQ(copy.keep(editor, false), 0);
        EXPECT_FALSE(fs::exists(root) && !fs::is_empty(root));
        ASSERT_EQ(copy.keep(editor, true), 1);
        std::string copyPath = copy.copyPath();
        ASSERT_FALSE(copyPath.empty());
        EXPECT_NE(readFile(copyPath).find(">plot changed"), std::string::npos);
        EXPECT_TRUE(fs::exists(fs::path(copyPath).parent_path() / "images" / "copy-001.png"));
        // The notebook keeps its file, its image names and its changed state;
        // its own files are untouched.
        EXPECT_EQ(std::string(editor.getFilePath()), path.string());
        EXPECT_EQ(editor.isNotebookChanged(), 1);
        EXPECT_EQ(editor.getSavedImageFiles(),
                  std::vector<std::string>{(dir / "images" / "work-001.png").string()});
        EXPECT_EQ(readFile(path), saved);
        EXPECT_EQ(readFile(dir / "images" / "work-001.png"), savedPng);
        // Unchanged since: not written again; a change is.
        EXPECT_EQ(copy.keep(editor, true), 0);
        editor.lineAt(0)->text.assign(">plot changed again");
        editor.setNotebookChanged(1);
        EXPECT_EQ(copy.keep(editor, true), 1);
        // While this run holds it, no start offers it.
        EXPECT_TRUE(findRecoveryCopies().empty());
    }
    // The run ended without removing it: the copy is found and offered.
    std::vector<FoundRecoveryCopy> found = findRecoveryCopies();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].notebookPath, path.string());
    EXPECT_EQ(
        found[0].question().rfind("Kalix ended without saving work.kn. Open the copy made at ", 0),
        0u);
    EXPECT_EQ(found[0].question().back(), '?');
    EXPECT_NE(found[0].notice().find(" is " + found[0].copyPath), std::string::npos);
    // Found by one start, it is offered by no other meanwhile.
    EXPECT_TRUE(findRecoveryCopies().empty());
    // Read as the notebook of its file: changed, saved there with its picture.
    NotebookEditor other(&files, &metrics);
    ASSERT_EQ(loadCopyOf(other, found[0].copyPath, found[0].notebookPath), 1);
    EXPECT_EQ(std::string(other.getFilePath()), path.string());
    EXPECT_EQ(other.isNotebookChanged(), 1);
    EXPECT_EQ(other.lineAt(0)->text.getText(), std::string(">plot changed again"));
    EXPECT_EQ(readFile(path), saved);
    RecoveryCopy next;
    next.takeOver(found[0], 0);
    EXPECT_EQ(next.copyPath(), found[0].copyPath);
    ASSERT_EQ(saveNotebook(other), 1);
    EXPECT_NE(readFile(path).find(">plot changed again"), std::string::npos);
    EXPECT_EQ(readFile(dir / "images" / "work-001.png"), savedPng);
    // A notebook with nothing to save has no copy; nothing is left behind.
    EXPECT_EQ(next.keep(other, false), 0);
    EXPECT_TRUE(next.copyPath().empty());
    EXPECT_TRUE(fs::is_empty(root));
}

TEST_F(NotebookFilesTest, ACopyLeftUnfinishedOrDeclinedGoes) {
    build({">a=1", ">b=2", ">"}, 2);
    editor.setNotebookChanged(1);
    fs::path root = recoveryRoot();
    // A new notebook's copy is named as one; No deletes it.
    {
        RecoveryCopy copy;
        ASSERT_EQ(copy.keep(editor, true), 1);
    }
    std::vector<FoundRecoveryCopy> found = findRecoveryCopies();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].notebookPath, "");
    EXPECT_EQ(found[0].question().rfind("Kalix ended without saving a new notebook. ", 0), 0u);
    found[0].deleteCopy();
    EXPECT_TRUE(fs::is_empty(root));
    // A folder whose copy was never completed (killed at the first write)
    // is removed; one that is released is offered again.
    fs::create_directories(root / "4242-0");
    {
        RecoveryCopy copy;
        ASSERT_EQ(copy.keep(editor, true), 1);
    }
    found = findRecoveryCopies();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_FALSE(fs::exists(root / "4242-0"));
    found[0].release();
    found = findRecoveryCopies();
    ASSERT_EQ(found.size(), 1u);
    found[0].deleteCopy();
}

}  // namespace kalix
