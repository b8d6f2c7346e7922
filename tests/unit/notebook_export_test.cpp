// The exports of a notebook: HTML, Markdown and LaTeX pages built from
// every kind of line, the settings they follow, pictures and formulas, the
// pattern and style files beside them, and failures.
#include "notebook/notebook_export.h"

#include "notebook_fixture.h"

namespace kalix {

namespace fs = std::filesystem;

class NotebookExportTest : public NotebookTest {
  protected:
    // The export's text after `marker` (the whole file when it is empty).
    static std::string after(const std::string& text, const std::string& marker) {
        size_t at = text.find(marker);
        EXPECT_NE(at, std::string::npos) << marker;
        return at == std::string::npos ? std::string() : text.substr(at);
    }
    std::string html(const ExportOptions& options = ExportOptions()) {
        fs::path path = makeFolder() / "nb.html";
        EXPECT_EQ(exportHtml(editor, path.c_str(), options), 1);
        return readFile(path);
    }
    std::string markdown(const ExportOptions& options = ExportOptions()) {
        fs::path path = makeFolder() / "nb.md";
        EXPECT_EQ(exportMarkdown(editor, path.c_str(), options), 1);
        return readFile(path);
    }
    // A style folder with a kalnb.sty whose first line names the class.
    std::string latex(const ExportOptions& options = ExportOptions()) {
        fs::path style = makeFolder() / "style";
        writeFile(style / "kalnb.sty", "% \\documentclass{report}\n\\ProvidesPackage{kalnb}\n");
        fs::path path = makeFolder() / "nb.tex";
        EXPECT_EQ(exportLatex(editor, path.c_str(), options, (style.string() + "/").c_str()), 1);
        return readFile(path);
    }
    // Three picture rows at `index`, with a saved file once written.
    void addPicture(int index, const char* name = "") {
        auto picture = std::make_shared<NotebookPicture>(40, 50, pngBytes(40, 50));
        for (int row = 0; row < 3; row++) {
            NotebookLine* line = editor.lineAt(index + row);
            line->image = picture;
            line->imageRow = row;
        }
        editor.lineAt(index)->text.assign(name);
    }
};

TEST_F(NotebookExportTest, AnHtmlPageShowsEveryKindOfBlock) {
    build({"% * Results & more",
           "% First <paragraph> & line",
           "%% after a break",
           "%",
           "% - one",
           "% continued",
           "% - two",
           "%",
           "% See: page | the page",
           "% see: other.html",
           "%   kept  as is",
           "%   second",
           "% ** Sub <1>",
           "% ---",
           "% * Part <two>",
           ">a=1",
           ">b=2",
           ">",
           "out:3 < 4",
           "out:",
           ">function f(x)",
           "$  return x",
           "$endfunction",
           ">//",
           ">f(1)",
           ">"},
          25);
    std::string page = html();
    EXPECT_EQ(page.compare(0, 3, "\xEF\xBB\xBF"), 0);
    EXPECT_NE(page.find("<title>Results &amp; more</title>"), std::string::npos);
    EXPECT_EQ(after(page, "<h1 class=\"title\">"),
              "<h1 class=\"title\">Results &amp; more</h1>\n"
              "<p class=\"comment\">First &lt;paragraph&gt; &amp; line\n"
              "<br />after a break\n"
              "</p>\n"
              "<ul class=\"comment\">\n<li>\none\ncontinued\n</li>\n<li>\ntwo\n</li>\n</ul>\n"
              "<p class=\"indentedcomment\">  <a href=\"page.html\">the page</a>\n"
              "<br />  <a href=\"other.html\">other.html</a>\n"
              "</p><pre class=\"comment\">  kept  as is\n  second\n"
              "</pre><h2 class=\"comment\">Sub &lt;1&gt;</h2>\n"
              "<h1 class=\"comment\"></h1>\n"
              "<h1 class=\"comment\"><a name=\"Part_&lt;two&gt;\">Part &lt;two&gt;</a></h1>\n"
              "<pre class=\"prompt\">&gt;a=1\n&gt;b=2\n</pre>\n"
              "<pre class=\"output\">3 &lt; 4\n\n</pre>\n"
              "<pre class=\"udf\">&gt;function f(x)\n   return x\n endfunction\n</pre>\n"
              "<pre class=\"prompt\">&gt;f(1)\n</pre>\n"
              "</body>\n</html>\n");
}

TEST_F(NotebookExportTest, AHeadingFollowedByACommandKeepsTheCommand) {
    build({"% * Title", ">1+1", "out:2", ">"}, 1);
    EXPECT_EQ(after(html(), "<h1 class=\"title\">"),
              "<h1 class=\"title\">Title</h1>\n<pre class=\"prompt\">&gt;1+1\n</pre>\n"
              "<pre class=\"output\">2\n</pre>\n</body>\n</html>\n");
}

TEST_F(NotebookExportTest, StyleAndScriptFollowTheSettingsAndTheFormulas) {
    build({"% text", ">1", "out:1", ">"}, 3);
    std::string page = html();
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("p.mathjax"), std::string::npos);
    // The second heading rule sizes h2 headings only.
    EXPECT_NE(page.find("h2.comment, h2.comment a { font-family : arial, sans-serif; text-align "
                        ": right; font-size : 12pt; color : #000; }"),
              std::string::npos);
    EXPECT_EQ(page.find("h1.comment, h2.comment a"), std::string::npos);
    EXPECT_NE(page.find("body { width : 700px;"), std::string::npos);
    EXPECT_NE(page.find("pre.prompt { color : #700;"), std::string::npos);
    EXPECT_NE(page.find("ul.comment {"), std::string::npos);

    ExportOptions plain;
    plain.useColors = 0;
    plain.fixLineLength = 0;
    plain.textWindowWidth = 900;
    plain.generateXhtml = 1;
    page = html(plain);
    EXPECT_EQ(page.compare(0, 3 + 39, "\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8'?>\n"), 0);
    EXPECT_NE(page.find("<html xmlns=\"http://www.w3.org/1999/xhtml\" xml:lang=\"en\">"),
              std::string::npos);
    EXPECT_NE(page.find("body { width : 1050px;"), std::string::npos);
    EXPECT_NE(page.find("pre.prompt { color : #000;"), std::string::npos);
    EXPECT_NE(page.find("h1.title, h1.comment, h2.comment { border-bottom: 2px solid #000; }"),
              std::string::npos);
    EXPECT_EQ(page.find("ul.comment {"), std::string::npos);

    // A "mathjax: " comment and its rendered picture; a LaTeX formula
    // picture is a picture unless LaTeX goes to MathJax too.
    build({"% mathjax: a<b", "%", "%", "%", ">plot", "out:", "out:", "out:", ">"}, 8);
    addPicture(1);
    addPicture(5);
    editor.lineAt(5)->formula = std::make_unique<String>("x^2");
    ExportOptions options;
    options.mathJaxAddress = "https://example.org/m.js?x=1&y=2";
    page = html(options);
    EXPECT_NE(page.find("<script type=\"text/javascript\"\nsrc=\"https://example.org/"
                        "m.js?x=1&amp;y=2\">\n</script>\n</head>"),
              std::string::npos);
    EXPECT_NE(page.find("p.mathjax { color:#040;"), std::string::npos);
    std::string body = after(page, "<h1 class=\"title\">");
    EXPECT_EQ(
        body.find("<p class=\"mathjax\">\n$$a&lt;b$$</p>\n<pre class=\"prompt\">&gt;plot\n"
                  "</pre>\n<p class=\"image\">\n<img class=\"kalix\" src=\"images/nb-000.png\""),
        body.find('\n') + 1);
    options.latexAsMathJax = 1;
    body = after(html(options), "<h1 class=\"title\">");
    EXPECT_EQ(body.find("<img"), std::string::npos);
    EXPECT_NE(body.find("<p class=\"mathjax\">\n$$x^2$$</p>\n"), std::string::npos);
}

TEST_F(NotebookExportTest, APatternFileSuppliesThePage) {
    fs::path dir = makeFolder();
    writeFile(dir / "pattern.html",
              "<html><head><title>Mine</title>\n</head>\n<body class=\"x\">\n# content here\n"
              "<p>footer</p>\n</body></html>\n");
    build({"% * Title", "% mathjax: x", ">1", "out:1", ">"}, 4);
    EXPECT_EQ(html(),
              "<html><head><title>Mine</title>\n</head>\n"
              "<script type=\"text/javascript\"\nsrc=\"\">\n</script>\n"
              "<body class=\"x\">\n"
              "<h1 class=\"title\">Title</h1>\n"
              "<p class=\"mathjax\">\n$$x$$</p>\n"
              "<pre class=\"prompt\">&gt;1\n</pre>\n<pre class=\"output\">1\n</pre>\n"
              "<p>footer</p>\n</body></html>\n");
    writeFile(dir / "kalix.css", "");
    fs::remove(dir / "pattern.html");
    std::string page = html();
    EXPECT_NE(page.find("<LINK REL=\"stylesheet\" TYPE=\"text/css\" HREF=\"kalix.css\">\n"),
              std::string::npos);
    EXPECT_EQ(page.find("<style"), std::string::npos);
}

// The pattern commands copy to "Pattern.html": on a case-sensitive file
// system the export must still find it; a lower-case one wins.
TEST_F(NotebookExportTest, ThePatternTheCopyCommandsWriteIsUsed) {
    fs::path dir = makeFolder();
    writeFile(dir / "Pattern.html", "<html><body>\n#\n<p>copied</p></body></html>\n");
    build({">1", "out:1", ">"}, 2);
    EXPECT_NE(html().find("<p>copied</p>"), std::string::npos);
    writeFile(dir / "pattern.html", "<html><body>\n#\n<p>own</p></body></html>\n");
    std::string page = html();
    EXPECT_NE(page.find("<p>own</p>"), std::string::npos);
    EXPECT_EQ(page.find("<p>copied</p>"), std::string::npos);
}

TEST_F(NotebookExportTest, PicturesNameTheFilesTheSaveWrote) {
    build({">plot", "out:", "out:", "out:", "out:", "out:", "out:", ">"}, 7);
    addPicture(1, "my plot");
    editor.lineAt(1)->largeImage = std::make_shared<NotebookPicture>(120, 150, pngBytes(120, 150));
    addPicture(4);
    editor.lineAt(4)->svgFileName = std::make_unique<String>("images/nb-002.svg");
    fs::path dir = makeFolder();
    ASSERT_EQ(editor.writeNotebook((dir / "nb.kn").c_str()), 1);
    writeFile(dir / "images" / "nb-002.svg", "<svg/>");
    std::string large = "images/nb-001-my%20plot-large.png";
    EXPECT_EQ(after(html(), "<p class=\"image\">"),
              "<p class=\"image\">\n<img class=\"kalix\" src=\"" + large + "\" srcset=\"" + large +
                  " 1x, " + large +
                  " 3x\" width=\"40\" height=\"50\" alt=\"nb\" />\n</p>\n"
                  "<p class=\"image\">\n"
                  "<object data=\"images/nb-002.svg\" type=\"image/svg+xml\" width=\"40\" "
                  "height=\"50\">\n"
                  "<img class=\"kalix\" src=\"images/nb-002.png\" width=\"40\" height=\"50\" "
                  "alt=\"nb\" />\n</object>\n</p>\n</body>\n</html>\n");
    ExportOptions small;
    small.useLargeImages = 0;
    EXPECT_NE(html(small).find("src=\"images/nb-001-my%20plot.png\" srcset=\"images/"
                               "nb-001-my%20plot.png 1x, " +
                               large + " 3x\""),
              std::string::npos);
    EXPECT_NE(markdown().find("![images/nb-001-my%20plot.png](images/nb-001-my%20plot.png)\n\n"
                              "![images/nb-002.png](images/nb-002.png)\n\n"),
              std::string::npos);
    EXPECT_NE(latex().find("\\kaliximg{2}{images/nb-001-my plot-large.png}\n"
                           "\\kaliximg{2}{images/nb-002.png}\n"),
              std::string::npos);
    // Read back and exported under another name before any save: the
    // files read are named.
    NotebookEditor reader(&host, &metrics);
    ASSERT_EQ(reader.readNotebook((dir / "nb.kn").c_str()), 1);
    ASSERT_EQ(exportHtml(reader, (dir / "other.html").c_str(), ExportOptions()), 1);
    EXPECT_NE(readFile(dir / "other.html").find("src=\"images/nb-002.png\""), std::string::npos);
}

TEST_F(NotebookExportTest, FoldedCommandsShowUnlessFoldingIsRespected) {
    host.fixed.foldAllMultilines = 1;
    build({">a=1+...", ">2", "out:3", ">"}, 3);
    ExportOptions options;
    EXPECT_NE(html(options).find("<pre class=\"prompt\">&gt;a=1+...\n 2\n</pre>"),
              std::string::npos);
    options.respectFolding = 1;
    EXPECT_NE(html(options).find("<pre class=\"prompt\">&gt;a=1+...\n</pre>"), std::string::npos);
    // Markdown leaves the hidden line out with its continuation marker.
    std::string page = markdown(options);
    EXPECT_NE(page.find("\\>a=1+...\n\n\n    3\n"), std::string::npos) << page;
    EXPECT_EQ(page.find("\\>  "), std::string::npos) << page;
    EXPECT_NE(latex().find("\\begin{kalixprompt}\n>a=1+...\n>2\n\\end{kalixprompt}"),
              std::string::npos);
    // The notebook itself stays folded.
    EXPECT_EQ(isFoldedAt(1), 1);
}

TEST_F(NotebookExportTest, TextIsUtf8OrTheCodePageAsAsked) {
    selectCodePage(1252);  // the text of the notebook in a single-byte code page
    build({"% caf\xE9", "% entity", ">", ">"}, 3);
    NotebookLine* decoded = editor.lineAt(1);
    decoded->text.assign("\xEF\xBB\xBF\xCE\xB1 < b");
    decoded->setOriginalText("&alpha; &lt; b");
    decoded->hardBreak = 1;
    std::string body = after(html(), "<p class=\"comment\">");
    EXPECT_EQ(body.rfind("<p class=\"comment\">caf\xC3\xA9\n<br />\xCE\xB1 &lt; b\n</p>\n", 0), 0u);
    ExportOptions codePage;
    codePage.htmlUtf = 0;
    std::string page = html(codePage);
    EXPECT_EQ(page.compare(0, 15, "<!DOCTYPE html>"), 0);
    EXPECT_NE(page.find("caf\xE9\n<br />\xCE\xB1 &lt; b"), std::string::npos);
    // LaTeX files are UTF-8.
    EXPECT_NE(latex().find("caf\xC3\xA9\\\\\n\xCE\xB1 \\textless{} b\n"), std::string::npos);
}

// With code page 65001 (the default on a UTF-8 locale) text in any script
// goes through reading, saving and every export unchanged.
TEST_F(NotebookExportTest, TextInAnyScriptSurvivesSaveReopenAndExports) {
    selectCodePage(65001);
    const char* pieces[] = {"\xCE\xB1\xCE\xB2\xCE\xB3 \xE2\x80\x93 \xCE\x95\xCE\xBB\xCE\xBB",
                            "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB",
                            "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E",
                            "\xF0\x9F\x98\x80",
                            "\xCE\xA9mega",
                            "\xD0\x96\xD1\x83\xD0\xBA"};
    std::string text = "\xEF\xBB\xBF% ";
    text += pieces[0];
    text += "\r\n%% ";
    text += pieces[1];
    text += "\r\n%% ";
    text += pieces[2];
    text += ", ";
    text += pieces[3];
    text += "\r\n>s=\"";
    text += pieces[4];
    text += "\"\r\n";
    text += pieces[4];
    text += "\r\n>\"";
    text += pieces[5];
    text += " ";
    text += pieces[3];
    text += "\"\r\n";
    text += pieces[5];
    text += " ";
    text += pieces[3];
    text += "\r\n>\r\n";
    fs::path dir = makeFolder();
    writeFile(dir / "in.kn", text);
    host.fixed.utf = 0;  // a code page file: 65001 is UTF-8 as well
    ASSERT_EQ(editor.readNotebook((dir / "in.kn").c_str()), 1);
    ASSERT_EQ(editor.writeNotebook((dir / "out.kn").c_str()), 1);
    EXPECT_EQ(readFile(dir / "out.kn"), text.substr(3));
    host.fixed.utf = 1;
    ASSERT_EQ(editor.writeNotebook((dir / "out.kn").c_str()), 1);
    EXPECT_EQ(readFile(dir / "out.kn"), text);
    ASSERT_EQ(editor.readNotebook((dir / "out.kn").c_str()), 1);
    ExportOptions options;
    std::string exports[] = {html(options), markdown(options), latex(options)};
    for (const std::string& page : exports)
        for (const char* piece : pieces) EXPECT_NE(page.find(piece), std::string::npos) << piece;
    selectCodePage(1252);
}

TEST_F(NotebookExportTest, UnformattedCommentsKeepTheirLines) {
    build({"% one", "%   two", "%", "%", "% - three", "% ** Sub", ">", ">"}, 7);
    ExportOptions options;
    options.noReformat = 1;
    EXPECT_EQ(after(html(options), "<pre class=\"comment\">"),
              "<pre class=\"comment\">one\n  two\n\n- three\n</pre>\n"
              "<h2 class=\"comment\">Sub</h2>\n</body>\n</html>\n");
}

TEST_F(NotebookExportTest, AnExportThatCannotBeWrittenSaysSo) {
    build({">1", ">"}, 1);
    fs::path missing = makeFolder() / "no such folder";
    ExportOptions options;
    EXPECT_EQ(exportHtml(editor, (missing / "nb.html").c_str(), options), 0);
    EXPECT_EQ(exportMarkdown(editor, (missing / "nb.md").c_str(), options), 0);
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[0], "Could not open this file!");
    EXPECT_EQ(host.messages[1], "Could not open this file!");
}

TEST_F(NotebookExportTest, MarkdownShowsEveryKindOfBlock) {
    build({"% * Title", "% Some *text* & more", "%% broken", "%", "% - one", "% more", "% - two",
           "%", "% See: page | the page", "% ** Sub", "% ---", "% mathjax: a<b", ">a=1+...", ">2",
           "out:x<3", ">function f(x)", "$  return x", "$endfunction", ">"},
          18);
    ExportOptions options;
    options.noReformat = 1;  // the Markdown export has no such setting
    EXPECT_EQ(markdown(options),
              "\xEF\xBB\xBF# Title\n"
              "Some *text* &amp; more\n\n\nbroken\n\n\n"
              "* one\n  more\n\n* two\n\n\n"
              "  [the page](page.html)  \n\n"
              "## Sub\n\n"
              "---\n\n"
              "$$a&lt;b$$\n\n"
              "\\>a=1+...  \n\\>   2\n\n\n"
              "    x<3\n\n"
              "\\>function f(x)\n\n\n      return x\n    endfunction\n\n");
}

TEST_F(NotebookExportTest, LatexBlocksOpenAndCloseTheirEnvironments) {
    build({"% * Intro & more",
           "%",
           "% a 50% rate_x",
           "%",
           "% b",
           "%% c",
           "% * Next",
           "% after heading",
           "%   kept {x}",
           "% ** Sub_1",
           "% ---",
           "% mathjax: x^2",
           ">a=1",
           "out:50% {y}",
           "out:\\z",
           ">function f(x)",
           "$  return x",
           "$endfunction",
           "% latexformat: \\newpage",
           ">"},
          19);
    EXPECT_EQ(latex(),
              "\\documentclass{report}\n"
              "\\usepackage{kalnb}\n\n\\begin{document}\n\\begin{kalixnotebook}\n"
              "\\kalixheading{Intro \\& more}\n"
              "\\begin{kalixcomment}\n"
              "a 50\\% rate\\_x\n"
              "\n"
              "b\\\\\n"
              "c\n"
              "\\end{kalixcomment}\n"
              "\\kalixheading{Next}\n"
              "\\begin{kalixcomment}\n"
              "after heading\n"
              "\\end{kalixcomment}\n"
              "\\begin{kalixttcomment}\n"
              "  kept \\{x\\}\n"
              "\\end{kalixttcomment}\n"
              "\\kalixsubheading{Sub\\_1}\n"
              "\\kalixsubheading{}\n"
              "\\begin{kalixformula}\n\\[\nx^2\n\\]\n\\end{kalixformula}\n"
              "\\begin{kalixprompt}\n>a=1\n\\end{kalixprompt}\n"
              "\\begin{kalixoutput}\n  50% \\{y\\}\n  \\(\\backslash\\)z\n"
              "\\end{kalixoutput}\n"
              "\\begin{kalixprompt}\n>function f(x)\n\\end{kalixprompt}\n"
              "\\begin{kalixudf}\n    return x\n  endfunction\n\\end{kalixudf}\n"
              "\\newpage\n"
              "\\end{kalixnotebook}\n\\end{document}\n");
}

TEST_F(NotebookExportTest, LatexEscapesEverySpecialCharacter) {
    EXPECT_EQ(escapeLatexText("$%&#~<>\\^_{|}x"),
              "\\textdollar{}\\%\\&\\#\\textasciitilde{}\\textless{}\\textgreater{}"
              "\\textbackslash{}\\textasciicircum{}\\_\\{\\textbar{}\\}x");
    EXPECT_EQ(escapeLatexVerbatim("\\{}%#$~"), "\\(\\backslash\\)\\{\\}%#$~");
    EXPECT_EQ(escapeHtml("a<b>&c\"d"), "a&lt;b&gt;&amp;c\"d");
}

TEST_F(NotebookExportTest, KalnbStyGoesBesideTheExport) {
    build({">1", ">"}, 1);
    fs::path dir = makeFolder();
    fs::path style = dir / "program";
    writeFile(style / "kalnb.sty", "no class line\n");
    fs::path out = dir / "out";
    fs::create_directories(out);
    ExportOptions options;
    std::string program = style.string() + "/";
    ASSERT_EQ(exportLatex(editor, (out / "nb.tex").c_str(), options, program.c_str()), 1);
    EXPECT_EQ(readFile(out / "kalnb.sty"), "no class line\n");
    EXPECT_EQ(readFile(out / "nb.tex").substr(0, 43),
              "\\documentclass{article}\n\n\\usepackage{kalnb}");
    EXPECT_FALSE(fs::exists(fs::current_path() / "kalnb.sty"));
    // One already there is the user's own and stays.
    writeFile(out / "kalnb.sty", "% \\documentclass{book}\n");
    ASSERT_EQ(exportLatex(editor, (out / "nb.tex").c_str(), options, program.c_str()), 1);
    EXPECT_EQ(readFile(out / "nb.tex").substr(0, 21), "\\documentclass{book}\n");
    // Nowhere to be found: nothing is written.
    fs::path other = dir / "other";
    fs::create_directories(other);
    std::string nowhere = (dir / "none").string() + "/";
    EXPECT_EQ(exportLatex(editor, (other / "nb.tex").c_str(), options, nowhere.c_str()), 0);
    EXPECT_FALSE(fs::exists(other / "nb.tex"));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Could not find kalnb.sty!");
}

TEST_F(NotebookExportTest, AProgramFileBecomesADocumentationPage) {
    fs::path dir = makeFolder();
    fs::path program = dir / "tools.k";
    writeFile(program,
              "// * Tools <&>\n// A paragraph\n// of two lines.\n// * Functions\n"
              "// >tools(1)\nx := 3;\ncomment\nfirst\n\nsecond\nendcomment\n"
              "function f(x)\n## Returns x.\n## Nothing else.\nreturn x\n## later\n"
              "endfunction\nfunction g(a<b)\n\nother line\n");
    ASSERT_EQ(createHtmlDocumentation(program.c_str(), host), 1);
    std::string page = readFile(dir / "tools.k.html");
    EXPECT_EQ(page.substr(0, 44), "<!DOCTYPE html>\n\n<head>\n<title>tools</title>");
    EXPECT_NE(page.find("h1.comment { font-family : arial"), std::string::npos);
    EXPECT_EQ(after(page, "<body>\n"),
              "<body>\n<H1>\nTools &lt;&amp;&gt;\n</H1>\n"
              "<p>\nA paragraph\nof two lines.\n</p>\n"
              "<h2>\nFunctions\n</h2>"
              "<pre class=\"function\">\n&gt;tools(1)\n</pre>\n"
              "<pre class=\"function\">\nx := 3;\n</pre>\n"
              "<p>\nfirst\n</p>\n<p>\nsecond\n</p>\n"
              "<pre class=\"function\">\nfunction f(x)\n  Returns x.  Nothing else.\n</pre>\n"
              "<pre class=\"function\">\nfunction g(a&lt;b)\n</pre>\n"
              "</body>\n</html>\n");
    writeFile(dir / "pattern.html", "<html><body>\n#\n</body></html>\n");
    ASSERT_EQ(createHtmlDocumentation(program.c_str(), host), 1);
    page = readFile(dir / "tools.k.html");
    EXPECT_EQ(page.substr(0, 24), "<html><body>\n<H1>\nTools ");
    EXPECT_EQ(page.substr(page.size() - 15), "</body></html>\n");
    EXPECT_EQ(createHtmlDocumentation((dir / "missing.k").c_str(), host), 0);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Could not open\n" + (dir / "missing.k").string());
}

}  // namespace kalix
