// Pictures placed in the notebook: their sizes and rows (rows of 20
// pixels, a text line of 500 pixels), the lines they take, image files
// scaled and looked up, RGB matrices, the crop area. (Anaglyphs read
// their files through the pixel backend: tests/windows/pictures_test.cpp.)
#include "notebook/notebook_pictures.h"
#include "graphics/crop_area.h"
#include "graphics/png_file.h"
#include "notebook_fixture.h"

namespace kalix {

namespace {

class NotebookPicturesTest : public NotebookTest {
  protected:
    // A PNG file of w x h pixels of one colour.
    std::string writeImage(const char* name, int w, int h, uint32_t colour = 0xff336699u) {
        PixelImage image;
        EXPECT_TRUE(image.allocate(w, h));
        image.fill(colour);
        std::string path = (makeFolder() / name).string();
        EXPECT_TRUE(writePngFile(image, path));
        return path;
    }
    // Rows and shown size of the picture whose row 0 is the line at `index`.
    struct Shown {
        int rows, width, height;
    };
    Shown shownAt(int index) {
        NotebookLine* line = editor.lineAt(index);
        int rows = 0;
        for (NotebookLine* row = line; row && row->image == line->image; row = row->next) rows++;
        return {rows, line->image->getWidth(), line->image->getHeight()};
    }
};

}  // namespace

TEST(GraphicsPictureSize, RowsFollowTheTextWidth) {
    struct Case {
        int rows;
        double aspect;
        bool magnify;
        GraphicsPictureSize expected;
    } cases[] = {
        // 25 rows of a picture twice as wide: 1000 > 400, down to 10 rows.
        {25, 2.0, false, {10, 400, 200}},
        {25, 1.0, false, {20, 400, 400}},
        {10, 1.0, false, {10, 200, 200}},
        // Nothing fits from 3 rows on: the size of 3 rows, 2 rows.
        {25, 10.0, false, {2, 600, 60}},
        {10, 1.0, true, {10, 167, 167}},
    };
    for (const Case& c : cases) {
        GraphicsPictureSize size = graphicsPictureSize(c.rows, c.aspect, 20, 500, c.magnify);
        EXPECT_EQ(size.rows, c.expected.rows) << c.rows << " " << c.aspect;
        EXPECT_EQ(size.width, c.expected.width) << c.rows << " " << c.aspect;
        EXPECT_EQ(size.height, c.expected.height) << c.rows << " " << c.aspect;
    }
}

TEST_F(NotebookPicturesTest, RowsArePlacedAtTheCursorWithTheTextOnTheFirst) {
    build({">plot()", "out:"}, 1);
    auto picture = std::make_shared<NotebookPicture>(40, 50);
    placePictureRows(editor, picture, 3, "caption", nullptr, "x^2", 1);
    EXPECT_EQ(look(), (std::vector<std::string>{">plot()", "image0", "image1", "image2", "out:"}));
    EXPECT_STREQ(editor.lineAt(1)->text.getText(), "caption");
    EXPECT_STREQ(editor.lineAt(1)->getFormula(), "x^2");
    EXPECT_EQ(editor.lineAt(1)->isFormulaMathJax(), 1);
    EXPECT_EQ(editor.cursor().getLine(), editor.lineAt(4));
    EXPECT_EQ(editor.document().isChanged(), 1);
    EXPECT_EQ(editor.view().getShowPaint(), 1);
}

TEST_F(NotebookPicturesTest, ImageFilesAreScaledAndTakeTheirRows) {
    const std::string path = writeImage("pic.png", 60, 30);
    struct Case {
        const char* name;
        int rows;
        double scale;
        int mode;
        Shown expected;
    } cases[] = {
        {"pic", 10, 0, 0, {2, 60, 30}},          // natural size, 30 / 20 + 1 rows
        {"pic.png", 10, 20, 0, {10, 400, 200}},  // 10 times, then limited to 400 wide
        {"pic", 10, 0.5, 0, {1, 30, 15}},       {"pic", 10, 0, 1, {1, 20, 10}},  // a third
        {"pic", 5, 4, 0, {5, 200, 100}},  // 240 x 120 needs 7 rows: 5 rows of 20
    };
    for (const Case& c : cases) {
        build({">x", "out:"}, 1);
        std::string name = (folder / c.name).string();
        ASSERT_EQ(insertImageFilePicture(editor, c.rows, name.c_str(), c.scale, c.mode, nullptr, 0),
                  1);
        Shown shown = shownAt(1);
        EXPECT_EQ(shown.rows, c.expected.rows) << c.scale << " " << c.mode;
        EXPECT_EQ(shown.width, c.expected.width) << c.scale << " " << c.mode;
        EXPECT_EQ(shown.height, c.expected.height) << c.scale << " " << c.mode;
    }
    // Mode 2 keeps the picture at its full size as well.
    build({">x", "out:"}, 1);
    ASSERT_EQ(insertImageFilePicture(editor, 10, path.c_str(), 0, 2, nullptr, 0), 1);
    ASSERT_NE(editor.lineAt(1)->largeImage, nullptr);
    EXPECT_EQ(editor.lineAt(1)->largeImage->getWidth(), 60);
    // A missing file inserts nothing.
    build({">x", "out:"}, 1);
    EXPECT_EQ(insertImageFilePicture(editor, 10, "/nonexistent/pic", 0, 0, nullptr, 0), 0);
    EXPECT_EQ(look(), (std::vector<std::string>{">x", "out:"}));
}

TEST_F(NotebookPicturesTest, ImagesAreFoundInTheImagesFolderBesideTheNotebook) {
    makeFolder();
    std::filesystem::create_directory(folder / "images");
    PixelImage image;
    ASSERT_TRUE(image.allocate(16, 16));
    image.fill(0xffffffffu);
    ASSERT_TRUE(writePngFile(image, (folder / "images" / "pic.png").string()));
    editor.setFilePath((folder / "nb.kn").string().c_str());
    build({">x", "out:"}, 1);
    host.fixed.imagesInDirectory = 1;
    ASSERT_EQ(insertImageFilePicture(editor, 10, "pic", 0, 0, nullptr, 0), 1);
    EXPECT_EQ(shownAt(1).width, 16);
}

TEST_F(NotebookPicturesTest, RgbMatricesTakeTheirRows) {
    // 40 x 30 values: (30 - 1) / 20 + 1 = 2 rows, no width limit.
    std::vector<double> values(30 * 40, double(0x1ff0000));
    build({">x", "out:"}, 1);
    ASSERT_EQ(insertRgbPicture(editor, 10, "", values.data(), 40, 30), 1);
    EXPECT_EQ(shownAt(1).rows, 2);
    EXPECT_EQ(shownAt(1).width, 40);
    // More rows than asked: scaled to 5 rows of 20 pixels.
    std::vector<double> tall(200 * 900, 0);
    build({">x", "out:"}, 1);
    ASSERT_EQ(insertRgbPicture(editor, 5, "", tall.data(), 900, 200), 1);
    EXPECT_EQ(shownAt(1).rows, 5);
    EXPECT_EQ(shownAt(1).height, 100);
    EXPECT_EQ(shownAt(1).width, 450);
}

TEST(CropArea, CornersGiveFractionsAndEmptyAreasAreRefused) {
    setCrop(CropRectangle());
    EXPECT_FALSE(setCropFromCorners(10, 10, 10, 40, 100, 50));
    EXPECT_FALSE(setCropFromCorners(10, 10, 40, 10, 100, 50));
    EXPECT_TRUE(currentCrop().isWhole());
    ASSERT_TRUE(setCropFromCorners(75, 50, 25, 0, 100, 50));  // any two corners
    EXPECT_DOUBLE_EQ(currentCrop().left, 0.25);
    EXPECT_DOUBLE_EQ(currentCrop().right, 0.25);
    EXPECT_DOUBLE_EQ(currentCrop().top, 0.0);
    EXPECT_DOUBLE_EQ(currentCrop().bottom, 0.0);

    PixelImage image, out;
    ASSERT_TRUE(image.allocate(200, 100));
    for (int y = 0; y < 100; y++)
        for (int x = 0; x < 200; x++) image.row(y)[x] = 0xff000000u | uint32_t(x);
    ASSERT_TRUE(cropPixels(image, out));
    EXPECT_EQ(out.width(), 100);
    EXPECT_EQ(out.height(), 100);
    EXPECT_EQ(out.at(0, 0) & 0xffffff, 50u);
    setCrop(CropRectangle());
    PixelImage whole;
    ASSERT_TRUE(cropPixels(out, whole));
    EXPECT_EQ(whole.width(), 100);
}

}  // namespace kalix
