#include "app/ScriptHost.h"
#include "effects/PaintFX.h"
#include "imaging/ImageIO.h"
#include "platform/ProgramFolder.h"
#include "platform/TCanvas.h"
#include "platform/UiServices.h"
#include "script/VekScript.h"
#include "tests/common/RunProgram.h"
#include "tests/app/WindowFixture.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"
#include "tests/effects/FxTestImages.h"

#include <gtest/gtest.h>

#include <filesystem>


namespace fs = std::filesystem;

namespace {

class TQuietView : public TVistrelView {
public:
    void PictureChanged() override {}
    void RefreshFiles() override {}
    void ShellOpen(const std::string&) override {}
    void EnableUndo() override {}
};

class ScriptHostTest : public ::testing::Test {
protected:
    void SetUp() override { doc_.Picture = GreyImage(60, 40, 128); }

    // Runs a script text; "" when it ran to its end, else the error's message.
    std::string Run(const std::string& text)
    {
        script_.ProgramFolder = ProgramFolder();
        try {
            script_.SetScript(text);
            result_ = script_.Execute();
        } catch (const std::exception& e) {
            return e.what();
        }
        return "";
    }
    std::string Quoted(const std::string& file) const { return "'" + dir_.File(file) + "'"; }

    TTempDir dir_;
    TProgramFolderScope folder_{dir_.Path()};
    TScriptedUi ui_;
    TUiScope scope_{ui_};
    TQuietView view_;
    TVistrelDoc doc_{view_};
    TvekScript script_;
    TScriptHost host_{script_, doc_};
    TVariant result_;
};

TEST_F(ScriptHostTest, DrawingWordsLeaveOutTheRightAndBottomEdge)
{
    ASSERT_EQ(Run("255 >pencolor.set 10 20 30 20 >line.set"), "");
    EXPECT_EQ(doc_.Picture.GetPixel(10, 20), TColor(255));
    EXPECT_EQ(doc_.Picture.GetPixel(29, 20), TColor(255));
    EXPECT_EQ(doc_.Picture.GetPixel(30, 20), doc_.Picture.GetPixel(0, 0)); // the last point stays out

    ASSERT_EQ(Run("$00FF00 >brushcolor.set 0 >pencolor.set 2 2 8 6 >rectangle.set"), "");
    EXPECT_EQ(doc_.Picture.GetPixel(2, 2), clBlack);
    EXPECT_EQ(doc_.Picture.GetPixel(7, 5), clBlack);
    EXPECT_EQ(doc_.Picture.GetPixel(5, 4), TColor(0x00FF00));
    EXPECT_EQ(doc_.Picture.GetPixel(8, 4), TColor(0x808080));
    EXPECT_EQ(doc_.Picture.GetPixel(4, 6), TColor(0x808080));

    // Without pen and brush a figure changes nothing; the state stays for the next script.
    const TBitmap before = doc_.Picture;
    ASSERT_EQ(Run("'psclear' >penstyle.set 'bsclear' >brushstyle.set 40 0 60 20 >ellipse.set"), "");
    ASSERT_EQ(Run("40 0 60 20 0 0 60 0 >pie.set 40 0 60 20 10 10 3 3 >roundrect.set"), "");
    EXPECT_EQ(doc_.Picture, before);
    EXPECT_EQ(doc_.Picture.Canvas().Pen.Style, psClear);
    EXPECT_EQ(Run("'PSSOLID' >penstyle.set"), "can not assign variable penstyle");
    EXPECT_EQ(Run("1 >brushstyle.set"), "can not assign variable brushstyle");

    // Every figure word takes its arguments in the order they were pushed.
    TBitmap expect = GreyImage(60, 40, 128);
    doc_.Picture = expect;
    ASSERT_EQ(Run("'pssolid' >penstyle.set 'bssolid' >brushstyle.set 3 >pensize.set $0000FF >pencolor.set"
                  " 5 5 50 35 40 5 5 30 >chord.set 1 1 30 30 30 1 1 30 >arc.set"), "");
    TCanvas& c = expect.Canvas();
    c.Pen = doc_.Picture.Canvas().Pen;
    c.Brush = doc_.Picture.Canvas().Brush;
    c.Chord(5, 5, 50, 35, 40, 5, 5, 30);
    c.Arc(1, 1, 30, 30, 30, 1, 1, 30);
    EXPECT_EQ(doc_.Picture, expect);
}

TEST_F(ScriptHostTest, TextWordsUseTheCanvasFont)
{
    ASSERT_EQ(Run("'Bold and UNDERLINE' >fontstyle.set"), "");
    EXPECT_EQ(doc_.Picture.Canvas().Font.Style, fsBold | fsUnderline);
    ASSERT_EQ(Run("'' >fontstyle.set 'DejaVu Sans' >fontname.set 12 >fontsize.set $FF >fontcolor.set"), "");
    EXPECT_EQ(doc_.Picture.Canvas().Font.Style, 0);

    TBitmap expect = doc_.Picture;
    expect.Canvas().Font = doc_.Picture.Canvas().Font;
    expect.Canvas().Brush = doc_.Picture.Canvas().Brush;
    ASSERT_EQ(Run("'Hi' 5 5 >text.set"), "");
    expect.Canvas().TextOut(5, 5, "Hi");
    EXPECT_EQ(doc_.Picture, expect);
    EXPECT_NE(doc_.Picture, GreyImage(60, 40, 128));

    ASSERT_EQ(Run("'Hi' 20 30 45 >textangle.set"), "");
    TvekPaintFX().TextAngle(expect.Canvas(), 20, 30, 45, "Hi", expect.Canvas().Font);
    EXPECT_EQ(doc_.Picture, expect);

    ASSERT_EQ(Run("'Hi' >textwidth.get 'Hi' >textheight.get >width.get >height.get"), "");
    EXPECT_EQ(result_.ToInt(), 40);
    ASSERT_EQ(script_.StackCount(), 3);
    EXPECT_EQ(script_.Pop().ToInt(), 60);
    EXPECT_EQ(script_.Pop().ToInt(), expect.Canvas().TextHeight("Hi"));
    EXPECT_EQ(script_.Pop().ToInt(), expect.Canvas().TextWidth("Hi"));
}

TEST_F(ScriptHostTest, EffectWordsRunTheMenuEntriesAndKeepOneUndoLevel)
{
    const TBitmap picture = RandomImage(40, 30, 5);
    doc_.Picture = picture;
    // Two effect words in one script: the undo copy holds the image between them.
    ASSERT_EQ(Run("'invert' >effect.set 'blur' >effect.set"), "");
    TBitmap inverted = picture;
    TvekPaintFX().Invert(inverted);
    EXPECT_EQ(doc_.UndoBitmap, inverted);
    TBitmap softened = inverted;
    TvekPaintFX().Soften(softened);
    EXPECT_EQ(doc_.Picture, softened);
    ASSERT_EQ(Run("'downright' >shadow.set 'laplace' >edge.set 'ovalframe' >buttonize.set"), "");

    for (const char* refused : {"'Invert' >effect.set", "'sharpen' >effect.set", "'laplace' >effect.set",
                                "'up' >shadow.set", "'ovalrimmask' >buttonize.set", "3 >edge.set"}) {
        const std::string symbol = std::string(refused).substr(std::string(refused).find('>') + 1);
        EXPECT_EQ(Run(refused), "can not assign variable " + symbol.substr(0, symbol.find('.'))) << refused;
    }
}

// A script may run any effect word before it has opened a picture, or on a picture of one pixel.
TEST_F(ScriptHostTest, EffectWordsOnEmptyAndTinyImagesEndCleanly)
{
    const char* words[] = {"'lighter' >effect.set", "'posterize' >effect.set", "'gaussianblur' >effect.set",
                           "'softenless' >effect.set", "'fisheye' >effect.set", "'mosaic' >effect.set",
                           "'twist' >effect.set", "'whipe' >effect.set", "'mirrordown' >effect.set",
                           "'antialias' >effect.set", "'upleft' >shadow.set", "'trace' >edge.set",
                           "'emboss' >edge.set", "'laplace' >edge.set", "'rectangle' >buttonize.set",
                           "'ovalframe' >buttonize.set", "'ovalmaskrim' >buttonize.set", "8 >colordepth.set"};
    for (const TBitmap& picture : {TBitmap(), TBitmap(1, 1, pf24bit), TBitmap(2, 1, pf8bit)})
        for (const char* word : words) {
            doc_.Picture = picture;
            const std::string error = Run(word);
            EXPECT_TRUE(error.empty() || error.find("can not") == std::string::npos) << word << ": " << error;
            EXPECT_EQ(doc_.Picture.Width(), picture.Width()) << word;
        }
}

TEST_F(ScriptHostTest, DepthAndWeightPassNoRangeTestButTheBlurDepthIsCapped)
{
    ASSERT_EQ(Run("'twist' 300 >depth.set 'buttonize' 0 >depth.set 'buttonize' 999 >weight.set"), "");
    EXPECT_EQ(doc_.TwistDepth, 300);
    EXPECT_EQ(doc_.ButtonizeDepth, 0);
    EXPECT_EQ(doc_.ButtonizeWeight, 999);
    ASSERT_EQ(Run("'gaussian' 100 >depth.set 'mosaic' -4 >depth.set"), "");
    EXPECT_EQ(doc_.GaussianDepth, 100);
    EXPECT_EQ(doc_.MosaicSize, -4);
    ASSERT_EQ(Run("'mosaic' >effect.set 'twist' >effect.set"), ""); // effects guard their own values

    EXPECT_EQ(Run("'gaussian' 101 >depth.set"), "can not assign variable depth");
    EXPECT_EQ(doc_.GaussianDepth, 100);
    EXPECT_EQ(Run("'Twist' 3 >depth.set"), "can not assign variable depth");
    EXPECT_EQ(Run("'fisheye' 3 >weight.set"), "can not assign variable weight");
    // The arguments are gone even when the word is refused; too few make the pop fail.
    EXPECT_EQ(Run("7 'nothing' 3 >depth.set"), "can not assign variable depth");
    EXPECT_EQ(script_.StackCount(), 1);
    EXPECT_EQ(Run("3 >depth.set"), "stack underflow");
}

TEST_F(ScriptHostTest, ColourDepthAndResizing)
{
    doc_.Picture = RandomImage(400, 300, 6);
    doc_.Picture.SetPixelFormat(pf8bit);
    ASSERT_EQ(Run(">colordepth.get"), "");
    EXPECT_EQ(result_.ToInt(), 8);
    ASSERT_EQ(Run("16 >colordepth.set >colordepth.get"), "");
    EXPECT_EQ(result_.ToInt(), 16);
    EXPECT_EQ(Run("32 >colordepth.set"), "can not assign variable colordepth");
    doc_.Picture.SetPixelFormat(pf32bit);
    EXPECT_EQ(Run(">colordepth.get"), "Variable colordepth not defined");

    ASSERT_EQ(Run("100 >resizewidth.set"), "");
    EXPECT_EQ(doc_.Picture.Width(), 100);
    EXPECT_EQ(doc_.Picture.Height(), 75);
    ASSERT_EQ(Run("5 >resizeheight.set"), ""); // no minimum of its own
    EXPECT_EQ(doc_.Picture.Width(), 7);        // 6.67
    for (const char* n : {"0", "-1", "2000000"}) {
        EXPECT_EQ(Run(std::string(n) + " >resizewidth.set"), "can not assign variable resizewidth") << n;
        EXPECT_EQ(Run(std::string(n) + " >resizeheight.set"), "can not assign variable resizeheight") << n;
    }
    EXPECT_EQ(doc_.Picture.Width(), 7);
}

TEST_F(ScriptHostTest, OpenSaveAndConvertTakeTheirExtensionListsOnly)
{
    const TBitmap picture = RandomImage(20, 10, 7);
    TBitmap copy = picture;
    TImageFileSettings settings;
    ASSERT_TRUE(SaveImageFile(dir_.File("in.bmp"), copy, settings));
    fs::copy_file(dir_.File("in.bmp"), dir_.File("in.jpeg"));
    fs::copy_file(dir_.File("in.bmp"), dir_.File("IN.BMP"));

    ASSERT_EQ(Run(Quoted("IN.BMP") + " >open.set"), ""); // extensions in any case
    EXPECT_EQ(doc_.Picture, picture);
    for (const char* file : {"in.jpeg", "missing.bmp", "in.xpng"})
        EXPECT_EQ(Run(Quoted(file) + " >open.set"), "can not assign variable open") << file;

    ui_.Queue("Yes"); // the icon is resized to 32 x 32
    for (const char* file : {"a.bmp", "a.ico", "a.jpg", "a.gif", "a.png", "a.tif"}) {
        EXPECT_EQ(Run(Quoted(file) + " >save.set"), "") << file;
        EXPECT_TRUE(fs::exists(dir_.File(file))) << file;
    }
    for (const char* file : {"a.jpeg", "a.tga", "a.wmf", "a.xjpg", "a.xgif", "a.txt"}) {
        EXPECT_EQ(Run(Quoted(file) + " >save.set"), "can not assign variable save") << file;
        EXPECT_FALSE(fs::exists(dir_.File(file))) << file;
    }

    // convert: "%" is the program folder; the working image stays as it was.
    doc_.Picture = GreyImage(5, 5, 9);
    const TBitmap working = doc_.Picture;
    ASSERT_EQ(Run("'%in.bmp' '%out.png' >convert.set"), "");
    TBitmap converted;
    LoadImageFile(dir_.File("out.png"), converted, settings);
    EXPECT_EQ(converted, picture);
    EXPECT_EQ(doc_.Picture, working);
    for (const char* args : {"'%in.jpeg' '%o.png'", "'%in.bmp' '%o.tga'", "'%none.bmp' '%o.png'", "'%in.bmp' '%o.xpng'"})
        EXPECT_EQ(Run(std::string(args) + " >convert.set"), "can not assign variable convert") << args;
    EXPECT_FALSE(fs::exists(dir_.File("o.png")));
}

TEST_F(ScriptHostTest, WordsTheHostDoesNotKnowStayUnhandled)
{
    EXPECT_EQ(Run("1 >nothing.set"), "can not assign variable nothing");
    EXPECT_EQ(Run(">nothing.get"), "Variable nothing not defined");
    EXPECT_EQ(Run("1 >Width.get"), "Variable Width not defined");
}

// vistrel run: IMAGE is the working image; the script draws, resizes and saves relative to the
// current folder.
TEST(CliRunImageTest, TheImageIsTheWorkingImage)
{
    TTempDir dir;
    SavePicture(dir.File("in.png"), GreyImage(40, 20, 200));
    WriteWholeFile(dir.File("a.vek"), "0 >pencolor.set 0 0 10 0 >line.set 20 >resizewidth.set\n"
                                      "'out.png' >save.set >width.get >height.get +\n");
    WriteWholeFile(dir.File("broken.png"), "not a picture");
    TProgramRun last;
    auto run = [&](const QStringList& args) {
        last = RunVistrel(QStringList{"run"} + args, {}, {}, Q(dir.Path()));
        return last.code;
    };
    ASSERT_EQ(run({"a.vek", "in.png"}), 0) << last.err;
    EXPECT_EQ(last.out, "30\n");
    const TBitmap out = LoadPicture(dir.File("out.png"));
    EXPECT_EQ(out.Width(), 20);
    EXPECT_EQ(out.Height(), 10);

    EXPECT_EQ(run({"a.vek", "broken.png"}), 1);
    EXPECT_NE(last.err, "");
    EXPECT_EQ(run({"a.vek", "in.xyz"}), 1);
    // Without IMAGE the working image is empty: there is nothing to resize.
    EXPECT_EQ(run({"a.vek"}), 1);
    EXPECT_EQ(last.err, "can not assign variable resizewidth\n");
}

} // namespace
