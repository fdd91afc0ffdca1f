#include "imaging/ImageIO.h"
#include "shapes/TvekShape.h"
#include "tests/common/RunProgram.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"

#include <gtest/gtest.h>

namespace {

class CliStamp : public ::testing::Test {
protected:
    void SetUp() override
    {
        SavePicture(In(), TestPicture(120, 90));
    }
    std::string In() const { return dir_.File("in.bmp"); }
    std::string Out() const { return dir_.File("out.bmp"); }
    TProgramRun Stamp(const QStringList& properties) const
    {
        return RunVistrel(QStringList{"stamp", Q(In()), Q(Out())} + properties);
    }

    TTempDir dir_;
};

TEST_F(CliStamp, StampsTheShapeAtItsPlaceLikePaintTo)
{
    const TProgramRun run = Stamp(Q("Shape=vstTriangleUp Left=10 top=5 Width=65 Height=65 Pen.Color=255 Pen.Width=1 "
                                    "Pen.Style=psSolid Brush.Color=16711680 brush.style=BSSOLID Gradient=True "
                                    "GradientColor=0 FillDirection=vgdUp Caption=Hi CaptionCentered=False CaptionX=3 "
                                    "CaptionY=4 CaptionAngle=90 Font.Name=Arial Font.Size=12 Font.Color=$00FFFF "
                                    "UserVectorString=tri=0.5,0,1,1,0,1 PolyLineMode=True")
                                      .split(' ') +
                                  QStringList{"Font.Style=[fsBold, fsItalic]"});
    ASSERT_EQ(run.code, 0) << run.err;

    TvekShape shape;
    shape.SetShape(vstTriangleUp);
    shape.SetBounds(10, 5, 65, 65);
    shape.SetPen(TPen{clRed, 1, psSolid, pmCopy});
    shape.SetBrush(TBrush{clBlue, bsSolid});
    shape.SetGradient(true);
    shape.SetCaption("Hi");
    shape.SetCaptionCentered(false);
    shape.SetCaptionX(3);
    shape.SetCaptionY(4);
    shape.SetCaptionAngle(90);
    TFont font;
    font.Name = "Arial";
    font.Size = 12;
    font.Color = clYellow;
    font.Style = fsBold | fsItalic;
    shape.SetFont(font);
    shape.SetUserVectorString("tri=0.5,0,1,1,0,1");
    shape.SetPolyLineMode(true);
    TBitmap expected = LoadPicture(In());
    shape.PaintTo(expected.Canvas(), 10, 5, 1.0, 1.0);

    const TBitmap stamped = LoadPicture(Out());
    EXPECT_EQ(stamped, expected);
    EXPECT_EQ(stamped.GetPixel(10 + 32, 5), clRed); // the apex
    EXPECT_EQ(stamped.GetPixel(5, 5), LoadPicture(In()).GetPixel(5, 5));
}

TEST_F(CliStamp, WrongPropertiesAreUsageErrorsThatNameThem)
{
    const struct {
        const char* Args;
        const char* Named;
    } cases[] = {
        {"Colour=5", "Colour"},
        {"Shape=vstBlob", "vstBlob"},
        {"Gradient=yes", "yes"},
        {"Left=ten", "ten"},
        {"Pen.Color=red", "red"},
        {"Font.Style=[fsBold,fsHeavy]", "fsHeavy"},
        {"UserVectorString=x=1,2,3", "x=1,2,3"},
        {"Caption", "Caption"},
    };
    for (const auto& c : cases) {
        const TProgramRun run = Stamp({c.Args});
        EXPECT_EQ(run.code, 2) << c.Args;
        EXPECT_NE(run.err.find(c.Named), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(Out())) << c.Args;
    }
    EXPECT_EQ(RunVistrel({"stamp", Q(In())}).code, 2);
    const TProgramRun missing = RunVistrel({"stamp", Q(dir_.File("none.bmp")), Q(Out())});
    EXPECT_EQ(missing.code, 1);
    EXPECT_NE(RunVistrel({"--help"}).out.find("stamp SRC DST"), std::string::npos);
}

} // namespace
