#include "effects/PaintFX.h"
#include "imaging/ImageIO.h"
#include "tests/common/RunProgram.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"
#include "tests/effects/FxTestImages.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class CliFx : public ::testing::Test {
protected:
    void SetUp() override
    {
        picture_ = RandomImage(23, 17, 42);
        SavePicture(In(), picture_);
    }
    std::string In() const { return dir_.File("in.bmp"); }
    std::string Out() const { return dir_.File("out.bmp"); }
    // vistrel fx IN OUT followed by the blank-separated words of operation; the exit code.
    int Fx(const std::string& operation, const std::string& in = {}) const
    {
        const QStringList words = Q(operation).split(' ', Qt::SkipEmptyParts);
        return RunVistrel(QStringList{"fx", Q(in.empty() ? In() : in), Q(Out())} + words).code;
    }
    // Runs the operation through the command line and through the component on the same picture.
    void ExpectSameAs(const std::string& args, const std::function<void(TvekPaintFX&, TBitmap&)>& op)
    {
        std::remove(Out().c_str());
        ASSERT_EQ(Fx(args), 0) << args;
        TBitmap expect = picture_;
        TvekPaintFX fx;
        op(fx, expect);
        EXPECT_EQ(LoadPicture(Out()), expect) << args;
    }

    TTempDir dir_;
    TBitmap picture_;
};

TEST_F(CliFx, RunsEachOperationWithItsArgumentsInOrder)
{
    ExpectSameAs("Lighter 25", [](TvekPaintFX& fx, TBitmap& b) { fx.Lighter(b, 25); });
    ExpectSameAs("Posterize 100", [](TvekPaintFX& fx, TBitmap& b) { TBitmap s = b; fx.Posterize(s, b, 100); });
    ExpectSameAs("ApplyFilter 3 1", [](TvekPaintFX& fx, TBitmap& b) { fx.ApplyFilter(fkSharpen, cbReplicate, b); });
    ExpectSameAs("AntiAliasRect 20 2 3 9", [](TvekPaintFX& fx, TBitmap& b) { fx.AntiAliasRect(b, 20, 2, 3, 9); });
    ExpectSameAs("Turn", [](TvekPaintFX& fx, TBitmap& b) { TBitmap t; fx.Turn(b, t); b = t; });
    ExpectSameAs("Stretch 9 31", [](TvekPaintFX& fx, TBitmap& b) {
        TBitmap d(9, 31, pf24bit);
        fx.Stretch(b, d, 3.0f, Lanczos3Filter);
        b = d;
    });
    ExpectSameAs("Stretch 40 5 Mitchell 1.5", [](TvekPaintFX& fx, TBitmap& b) {
        TBitmap d(40, 5, pf24bit);
        fx.Stretch(b, d, 1.5f, MitchellFilter);
        b = d;
    });
    ExpectSameAs("FishEye 0.157", [](TvekPaintFX& fx, TBitmap& b) { TBitmap s = b; fx.FishEye(s, b, 0.157L); });
    ExpectSameAs("Twist 40", [](TvekPaintFX& fx, TBitmap& b) { TBitmap s = b; fx.Twist(s, b, 40); });
    ExpectSameAs("ButtonizeOval 3 doubleround 120",
                 [](TvekPaintFX& fx, TBitmap& b) { fx.ButtonizeOval(b, 3, "doubleround", 120); });
    ExpectSameAs("MaskOval $FF8000", [](TvekPaintFX& fx, TBitmap& b) { fx.MaskOval(b, 0xFF8000); });
    ExpectSameAs("Buttonize 260 120", [](TvekPaintFX& fx, TBitmap& b) { fx.Buttonize(b, 4, 120); }); // a byte depth
}

// Names match without regard to case; left-out arguments take the values the Effects menu starts with.
TEST_F(CliFx, NamesIgnoreCaseAndLeftOutArgumentsTakeTheirDefaults)
{
    ExpectSameAs("lighter", [](TvekPaintFX& fx, TBitmap& b) { fx.Lighter(b, 25); });
    ExpectSameAs("SATURATION", [](TvekPaintFX& fx, TBitmap& b) { fx.Saturation(b, 225); });
    ExpectSameAs("fisheye", [](TvekPaintFX& fx, TBitmap& b) { TBitmap s = b; fx.FishEye(s, b, 40.0L / 255); });
    ExpectSameAs("ButtonizeOval 7", [](TvekPaintFX& fx, TBitmap& b) { fx.ButtonizeOval(b, 7, "round", 120); });
    ExpectSameAs("MaskOval", [](TvekPaintFX& fx, TBitmap& b) { fx.MaskOval(b, 0xFFFFFF); });
    ExpectSameAs("stretch 9 4 box", [](TvekPaintFX& fx, TBitmap& b) {
        TBitmap d(9, 4, pf24bit);
        fx.Stretch(b, d, 0.5f, BoxFilter);
        b = d;
    });
}

TEST_F(CliFx, ListNamesEveryOperationWithItsArguments)
{
    const TProgramRun run = RunVistrel({"fx", "--list"});
    ASSERT_EQ(run.code, 0);
    const std::string& text = run.out;
    for (const char* line : {"Lighter [AMOUNT=25]\n", "GrayScale\n", "AntiAliasRect X0 Y0 X1 Y1\n",
                             "Stretch WIDTH HEIGHT [FILTER=Lanczos3] [SUPPORT]\n", "MaskOval [COLOR=$FFFFFF]\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line;
    EXPECT_NE(text.find("Mitchell"), std::string::npos);
}

TEST_F(CliFx, EveryOperationRunsOnAPicture)
{
    const char* runs[] = {"Darker 25", "Contrast 25", "Saturation 225", "GrayScale", "Invert", "Solarize 50",
                          "Laplace", "HighPass", "FindEdges", "EdgeEnhance", "ColorEmboss", "Soften", "SoftenLess",
                          "Emboss", "Trace 1", "AntiAlias", "SplitBlur 3", "GaussianBlur 1", "FlipDown", "FlipRight",
                          "MirrorRight", "MirrorDown", "Stretch 5 5 Box", "Stretch 5 5 Triangle", "Stretch 5 5 Hermite",
                          "Stretch 5 5 Bell", "Stretch 5 5 BSpline", "Stretch 5 5 Sinc", "Mosaic 3", "Whipe 50",
                          "ShadowUpLeft", "ShadowUpRight", "ShadowDownLeft", "ShadowDownRight", "Seamless 10",
                          "MaskOval 16777215", "ButtonizeOval 3 round 120", "ButtonizeOval 3 rimmed 120"};
    for (const char* r : runs) EXPECT_EQ(Fx(r), 0) << r;
}

TEST_F(CliFx, UnknownOperationsAndWrongArgumentsAreUsageErrors)
{
    for (const char* op : {"Blur", "Stretch", "Lighter 25 3", "Lighter x", "Stretch 10", "Stretch 10 10 Lanczos",
                           "FishEye nan", "ApplyFilter 0 3", "MaskOval $GG"})
        EXPECT_EQ(Fx(op), 2) << op;
    EXPECT_EQ(RunVistrel({"fx", Q(In())}).code, 2);
    // Failures that are not usage errors: a missing file, a picture too large to make.
    EXPECT_EQ(Fx("Invert", dir_.File("missing.bmp")), 1);
    EXPECT_EQ(Fx("Stretch 2000000 5"), 1);
}

} // namespace
