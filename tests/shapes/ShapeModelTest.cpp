#include "shapes/ShapeNames.h"
#include "shapes/TvekShape.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Numbers(int count)
{
    std::string s = "x=";
    for (int i = 0; i < count; ++i) s += (i ? "," : "") + std::to_string(i % 2 ? 0.25 * i : 1.0);
    return s;
}

TEST(ShapeModel, NamesMatchExactlyOrWithoutCaseWhenAsked)
{
    EXPECT_EQ(NameIndex(ShapeTypeNames, "vstTriangleUp"), vstTriangleUp);
    EXPECT_EQ(NameIndex(ShapeTypeNames, "VSTTRIANGLEUP"), -1);
    EXPECT_EQ(NameIndex(ShapeTypeNames, "VSTTRIANGLEUP", true), vstTriangleUp);
    EXPECT_EQ(NameIndex(PenStyleNames, "psinsideframe", true), psInsideFrame);
    EXPECT_EQ(NameIndex(BrushStyleNames, "bsNone", true), -1);
}

TEST(ShapeModel, UserVectorStringTakesWellFormedOutlinesOnly)
{
    TvekShape s;
    ASSERT_TRUE(s.SetUserVectorString("tri=0.5,0,1,1,0,1"));
    ASSERT_EQ(s.UserPoints().size(), 3u);
    EXPECT_EQ(s.UserPoints()[0], (TUnitPoint{0.5L, 0}));

    // Refused texts leave the outline and its text alone.
    for (const std::string& bad : {std::string("tri=0.5,0,1,1,0"), std::string("0,0,1,1"), std::string("x=0,0,a,1"),
                                   std::string(""), std::string("x="), std::string("x=1,,2,3"), Numbers(102),
                                   std::string("x=1e,2"), std::string("x=1,2.5.5"), std::string("x=0x10,1"),
                                   std::string("x=inf,1"), std::string("x=1,2;3,4")}) {
        EXPECT_FALSE(s.SetUserVectorString(bad)) << bad;
        EXPECT_EQ(s.UserVectorString(), "tri=0.5,0,1,1,0,1");
        EXPECT_EQ(s.UserPoints().size(), 3u);
    }

    EXPECT_TRUE(s.SetUserVectorString(Numbers(100)));
    EXPECT_EQ(s.UserPoints().size(), 50u);
    EXPECT_TRUE(s.SetUserVectorString("x=1,2"));
    EXPECT_EQ(s.UserPoints(), (std::vector<TUnitPoint>{{1, 2}}));
    EXPECT_TRUE(s.SetUserVectorString("=0,0,1,1"));
    EXPECT_EQ(s.UserVectorString(), "=0,0,1,1");
}

TEST(ShapeModel, UserVectorItemsAreSeparatedLikeACommaText)
{
    TvekShape s;
    // Blanks separate like commas; a comma with blanks round it is one separator; a trailing comma
    // adds nothing; the name may hold blanks, and only the first "=" ends it.
    ASSERT_FALSE(s.SetUserVectorString("n=c=  -1.5 2,\t3 ,  4e1,"));
    ASSERT_TRUE(s.SetUserVectorString("a b=  -1.5 2,\t3 ,  4e1,"));
    EXPECT_EQ(s.UserPoints(), (std::vector<TUnitPoint>{{-1.5L, 2}, {3, 40}}));
    // Quoted items may hold blanks and commas' neighbours; a doubled quote is a quote (no number).
    ASSERT_TRUE(s.SetUserVectorString("q=\" .5\",\"+1\",.25,7."));
    EXPECT_EQ(s.UserPoints(), (std::vector<TUnitPoint>{{0.5L, 1}, {0.25L, 7}}));
    EXPECT_FALSE(s.SetUserVectorString("q=\"1\"\"\",2"));
    // The list ends at a NUL, as the text's character string did.
    ASSERT_TRUE(s.SetUserVectorString(std::string("z=1,2\0,3", 8)));
    EXPECT_EQ(s.UserPoints().size(), 1u);
}

TEST(ShapeModel, OnlyDrawnPropertiesRepaintAndOnlyWhenTheyChange)
{
    TvekShape s;
    int repaints = 0;
    s.OnInvalidate = [&](TvekShape&) { ++repaints; };
    s.SetShape(vstRectangle);
    s.SetCaptionCentered(true);
    s.SetBrush(TBrush{});
    s.SetPen(TPen{});
    EXPECT_FALSE(s.SetUserVectorString("x=1"));
    EXPECT_EQ(repaints, 0);

    s.SetActiveMouse(true);
    s.SetMouseMode(mmMoveObject);
    s.SetGroupName("g");
    s.SetConnectorN("n");
    EXPECT_EQ(repaints, 0);

    s.SetShape(vstCircle);
    s.SetGradient(true);
    s.SetCaption("Hi");
    s.SetCaptionX(5);
    s.SetCaptionAngle(720);
    s.SetPolyLineMode(true);
    s.SetSelected(true);
    s.SetBrush(TBrush{clRed, bsSolid});
    s.SetLeft(3);
    EXPECT_TRUE(s.SetUserVectorString("x=1,1"));
    EXPECT_EQ(repaints, 10);
    EXPECT_EQ(s.CaptionX(), 5);
    EXPECT_EQ(s.CaptionAngle(), 720); // not limited
}

} // namespace
