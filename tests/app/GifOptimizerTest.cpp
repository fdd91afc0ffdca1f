#include "app/CommandLine.h"
#include "app/PainterReduceF.h"
#include "app/VistrelF.h"
#include "imaging/GifImage.h"
#include "imaging/ImageIO.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "tests/app/WindowFixture.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include "tests/common/TestPictures.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

TBitmap Photo(int w, int h)
{
    TBitmap b(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) b.SetPixel(x, y, RGB((x * 37) % 256, (y * 53 + x) % 256, (x * y * 7) % 256));
    return b;
}

// The process-wide reduction settings are put back after each test.
class GifOptimizerTest : public ::testing::Test {
protected:
    void SetUp() override { saved_ = ReductionSettings(); }
    void TearDown() override { ReductionSettings() = saved_; }

    TScriptedUi ui_;
    TUiScope scope_{ui_};
    TTempDir dir_;
    TReductionSettings saved_;
};

int RunVistrel(std::vector<std::string> args)
{
    args.insert(args.begin(), "vistrel");
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    std::vector<std::string> files;
    return RunCommandLine(static_cast<int>(argv.size()), argv.data(), files);
}

} // namespace

TEST_F(GifOptimizerTest, WindowStartsWithItsChecksAndMenuItemsOnlyTick)
{
    TPainterReduceF window;
    EXPECT_EQ(window.windowTitle(), "GIF Optimizer");
    for (const char* name : {"OptimizedWindows1", "N256colors1", "FloydSteinberg1"})
        EXPECT_TRUE(window.Action(name)->isChecked()) << name;
    for (const char* name : {"Netscape1", "Optimized1", "Nearestcolor1", "N8colors1"})
        EXPECT_FALSE(window.Action(name)->isChecked()) << name;

    // Ticking waits for Convert; only the bits take effect at once, choosing the optimized palette.
    window.ChooseMenuItem("Monochrome1");
    window.ChooseMenuItem("Sierra1");
    EXPECT_EQ(ReductionSettings().Palette, saved_.Palette);
    EXPECT_EQ(ReductionSettings().Dither, saved_.Dither);
    EXPECT_FALSE(window.Action("OptimizedWindows1")->isChecked());
    window.ChooseMenuItem("N32colors1");
    EXPECT_EQ(ReductionSettings().Bits, 5);
    EXPECT_TRUE(window.Action("Optimized1")->isChecked());
    EXPECT_FALSE(window.Action("N256colors1")->isChecked());
}

TEST_F(GifOptimizerTest, ConvertShowsTheReductionAndItsSizeAndSetsTheSettingsForEveryGif)
{
    TPainterReduceF window;
    window.ConvertClick();
    EXPECT_EQ(ui_.Messages("message"), std::vector<std::string>{"No bitmap to convert!"});

    const TBitmap photo = Photo(40, 30);
    window.SetBitmap(photo);
    window.ChooseMenuItem("Grayscale1");
    window.ChooseMenuItem("JaJuNi1");
    window.ConvertClick();
    EXPECT_EQ(ReductionSettings().Palette, pcGray256);
    EXPECT_EQ(ReductionSettings().Dither, dcJaJuNi);
    const TBitmap expected = ReduceBitmapColors(photo, pcGray256, dcJaJuNi, {}, 8);
    EXPECT_EQ(window.GifBitmap(), expected);
    // The size is that of the GIF as assigned: no colour-map optimization, no control block.
    TGIFImage gif;
    gif.Assign(photo);
    EXPECT_EQ(window.SizeLabel->text().toStdString(), "Size= " + std::to_string(gif.SaveToBytes().size()) + " bytes");
    EXPECT_TRUE(window.Convert->isEnabled());
    EXPECT_EQ(window.ProgressBar1->value(), 0);

    // The plain save now reduces with the same settings.
    TImageFileSettings settings;
    settings.TransparentGif = false;
    TBitmap source(photo);
    ASSERT_TRUE(SaveImageFile(dir_.File("plain.gif"), source, settings));
    const TBitmap plain = LoadPicture(dir_.File("plain.gif"));
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) ASSERT_EQ(plain.GetPixel(x, y), expected.GetPixel(x, y));
}

TEST_F(GifOptimizerTest, AFailedConvertLeavesTheButtonUsable)
{
    TPainterReduceF window;
    window.SetBitmap(Photo(4, 4));
    window.ChooseMenuItem("None1");
    EXPECT_ANY_THROW(window.ConvertClick());
    EXPECT_TRUE(window.Convert->isEnabled());
    window.ChooseMenuItem("Netscape1");
    window.ConvertClick();
    EXPECT_EQ(window.GifBitmap().Palette(), Netscape216Palette());
}

TEST_F(GifOptimizerTest, GifSaveUsesTheLastConvertAndMakesTheBottomLeftTransparent)
{
    TPainterReduceF window;
    const TBitmap photo = Photo(21, 13);
    window.SetBitmap(photo);
    window.ChooseMenuItem("Windowsgrayscale1");
    window.ChooseMenuItem("Stucki1");
    window.ConvertClick();
    window.ChooseMenuItem("Netscape1"); // not yet converted: GIFSave keeps the last Convert's choice
    window.Transparent->setChecked(true);
    ui_.Queue(dir_.File("saved"));
    window.GIFSaveClick();
    const std::string bytes = ReadWholeFile(dir_.File("saved.gif"));
    const auto expected = EncodeOptimizedGif(photo, {pcWindowsGray4, dcStucki, 8, {}}, true);
    EXPECT_EQ(bytes, std::string(expected.begin(), expected.end()));
    const TBitmap back = LoadPicture(dir_.File("saved.gif"));
    EXPECT_TRUE(back.Transparent());
    EXPECT_EQ(back.TransparentColor(), back.GetPixel(0, 12));

    // A BMP name still gets a GIF; a cancelled dialog writes nothing.
    ui_.Queue(dir_.File("other.bmp"));
    window.GIFSaveClick();
    EXPECT_EQ(ReadWholeFile(dir_.File("other.bmp")).substr(0, 6), "GIF89a");
    window.GIFSaveClick();
    EXPECT_EQ(ui_.Unanswered, 1);
}

TEST_F(GifOptimizerTest, HalftoneWarnsOnDisplaysAboveEightBits)
{
    TPainterReduceF window;
    window.ScreenBitsPerPixel = [] { return 8; };
    window.ChooseMenuItem("Windowshalftone1");
    EXPECT_TRUE(ui_.Messages("message").empty());
    window.ScreenBitsPerPixel = [] { return 24; };
    window.ChooseMenuItem("Windowshalftone1");
    ASSERT_EQ(ui_.Messages("message").size(), 1u);
    EXPECT_EQ(ui_.Messages("message")[0],
              "Please note that the Windows Halftone color reduction method\n"
              "only works properly in 256 color display mode.\n\n"
              "Since your display adapter is currently in 16777216 color mode,\n"
              "the Windows Halftone Palette method will produce the same\n"
              "result as the Windows System Palette method.");
    EXPECT_TRUE(window.Action("Windowshalftone1")->isChecked());
}

TEST_F(GifOptimizerTest, ToolsGifOptimizeHandsOverATrueColourWorkingImage)
{
    TProgramFolderScope folder(dir_.Path());
    {
        TVistrelF main(&ui_);
        TBitmap picture = Photo(9, 7);
        picture.SetPixelFormat(pf8bit);
        main.Doc().Picture = picture;
        ASSERT_TRUE(main.PainterReduceF);
        EXPECT_FALSE(main.PainterReduceF->isVisible());
        main.RunCommand(&TVistrelF::GIFoptimize1Click);
        EXPECT_EQ(main.Doc().Picture.PixelFormat(), pf24bit);
        EXPECT_TRUE(main.Doc().UndoBitmap.Empty());
        EXPECT_EQ(main.PainterReduceF->Bitmap(), main.Doc().Picture);
        EXPECT_TRUE(main.PainterReduceF->isVisible());
    }
}

TEST_F(GifOptimizerTest, GifCommandGivesTheReductionOfEveryChoice)
{
    const TBitmap photo = Photo(17, 11);
    SavePicture(dir_.File("src.bmp"), photo);
    const std::pair<const char*, TPaletteChoice> palettes[] = {
        {"pcWindows20", pcWindows20},   {"pcHalftone256", pcHalftone256}, {"pcWindowsGray4", pcWindowsGray4},
        {"pcMonochrome", pcMonochrome}, {"pcGray256", pcGray256},         {"pcNetscape216", pcNetscape216},
        {"pcOptimized", pcOptimized},   {"pcOptimizedWindows", pcOptimizedWindows}};
    const std::pair<const char*, TDitherChoice> dithers[] = {
        {"dcNearest", dcNearest}, {"dcFloydSteinberg", dcFloydSteinberg}, {"dcStucki", dcStucki},
        {"dcSierra", dcSierra},   {"dcJaJuNi", dcJaJuNi},                 {"dcSteveArche", dcSteveArche},
        {"dcBurkes", dcBurkes}};
    for (const auto& [pName, palette] : palettes)
        for (const auto& [dName, dither] : dithers) {
            SCOPED_TRACE(std::string(pName) + " " + dName);
            ASSERT_EQ(RunVistrel({"gif", dir_.File("src.bmp"), dir_.File("out.gif"), "--palette", pName, "--dither",
                                  dName, "--bits", "4"}),
                      0);
            const TBitmap reduced = ReduceBitmapColors(photo, palette, dither, {}, 4);
            const TBitmap back = LoadPicture(dir_.File("out.gif"));
            ASSERT_GE(back.Palette().size(), reduced.Palette().size());
            EXPECT_TRUE(std::equal(reduced.Palette().begin(), reduced.Palette().end(), back.Palette().begin()));
            for (int y = 0; y < 11; ++y)
                for (int x = 0; x < 17; ++x) ASSERT_EQ(back.GetPixelIndex(x, y), reduced.GetPixelIndex(x, y));
        }

    // The defaults are the window's start: optimized Windows palette, Floyd-Steinberg.
    ASSERT_EQ(RunVistrel({"gif", dir_.File("src.bmp"), dir_.File("d.gif"), "--transparent"}), 0);
    const auto expected = EncodeOptimizedGif(photo, {pcOptimizedWindows, dcFloydSteinberg, 8, {}}, true);
    EXPECT_EQ(ReadWholeFile(dir_.File("d.gif")), std::string(expected.begin(), expected.end()));

    EXPECT_EQ(RunVistrel({"gif", dir_.File("src.bmp"), dir_.File("x.gif"), "--palette", "pcGivenPalette"}), 2);
    EXPECT_EQ(RunVistrel({"gif", dir_.File("src.bmp"), dir_.File("x.gif"), "--bits", "9"}), 2);
    EXPECT_EQ(RunVistrel({"gif", dir_.File("src.bmp")}), 2);
    EXPECT_EQ(RunVistrel({"gif", dir_.File("src.bmp"), dir_.File("x.gif"), "--palette", "pcNone"}), 1);
    EXPECT_EQ(RunVistrel({"gif", dir_.File("missing.bmp"), dir_.File("x.gif")}), 1);
    EXPECT_FALSE(std::filesystem::exists(dir_.File("x.gif")));
}
