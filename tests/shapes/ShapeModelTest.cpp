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

// A controller stand-in that records what the shape asks of it.
class TRecordingMenu : public TShapePopupMenu {
public:
    bool InCharge = false;
    TShapeMouseMode Mode = mmfixed;
    int Grid = 0;
    int Toggles = 0;
    std::vector<std::pair<int, int>> Moves;
    bool MouseInCharge() const override { return InCharge; }
    TShapeMouseMode PressMouseMode() const override { return Mode; }
    int SnapGridSize() const override { return Grid; }
    void ToggleSelection(TvekShape&) override { ++Toggles; }
    void MoveGroup(TvekShape&, int dx, int dy) override { Moves.emplace_back(dx, dy); }
};

TEST(ShapeMouse, MoveFollowsThePointerAndSnapsOnlyUnderAController)
{
    TvekShape s;
    s.SetActiveMouse(true);
    s.SetMouseMode(mmMoveObject);
    s.SetBounds(100, 50, 65, 65);
    s.MouseDown(mbLeft, ssLeft, 10, 10);
    s.MouseMove(ssLeft, 17, 12); // the grab point stays under the pointer
    EXPECT_EQ(s.Left(), 107);
    EXPECT_EQ(s.Top(), 52);
    s.MouseUp(mbLeft, 0, 17, 12);
    s.MouseMove(0, 40, 40); // no drag: nothing moves
    EXPECT_EQ(s.Left(), 107);

    TRecordingMenu menu;
    menu.InCharge = true, menu.Mode = mmMoveObject, menu.Grid = 10;
    s.Setpopupmenu(&menu);
    s.SetMouseMode(mmfixed); // the controller's mode wins on the press
    s.SetBounds(30, 30, 65, 65);
    s.MouseDown(mbLeft, ssLeft, 0, 0);
    EXPECT_EQ(s.MouseMode(), mmMoveObject);
    s.MouseMove(ssLeft, 7, 9); // to left 37, top 39
    EXPECT_EQ(s.Left(), 29);
    EXPECT_EQ(s.Top(), 29);
    ASSERT_EQ(menu.Moves.size(), 1u);
    EXPECT_EQ(menu.Moves[0], std::make_pair(-1, -1));

    menu.Grid = 0; // a grid below 2 does not snap
    s.MouseMove(ssLeft, 8, 0);
    EXPECT_EQ(s.Left(), 37);
    EXPECT_EQ(menu.Moves.back(), std::make_pair(8, 0)); // counted from the last position
}

TEST(ShapeMouse, SizingKeepsTheGrabbedCornerDistance)
{
    TvekShape s;
    s.SetActiveMouse(true);
    TRecordingMenu menu;
    menu.InCharge = true, menu.Mode = mmSizeObject, menu.Grid = 10;
    s.Setpopupmenu(&menu);
    s.MouseDown(mbLeft, ssLeft, 60, 60);
    s.MouseMove(ssLeft, 78, 60);
    EXPECT_EQ(s.Width(), 81);
    EXPECT_EQ(s.Height(), 61);
    menu.InCharge = false;
    s.MouseMove(ssLeft, 78, 60);
    EXPECT_EQ(s.Width(), 83);
    EXPECT_EQ(s.Height(), 65);
}

TEST(ShapeMouse, TextModesPlaceAndTurnTheCaption)
{
    TvekShape s;
    s.SetActiveMouse(true);
    s.SetBounds(0, 0, 100, 100);
    s.SetMouseMode(mmRotateText);
    s.MouseDown(mbLeft, ssLeft, 50, 50);
    auto angleAt = [&](int x, int y) {
        s.MouseMove(ssLeft, x, y);
        return s.CaptionAngle();
    };
    EXPECT_EQ(angleAt(50, 0), 89); // straight above: dx counts as 1
    EXPECT_EQ(angleAt(50, 100), -89);
    EXPECT_EQ(angleAt(80, 50), 0);
    EXPECT_EQ(angleAt(20, 50), 180);
    EXPECT_EQ(angleAt(100, 0), 45);
    EXPECT_FALSE(s.CaptionCentered());

    s.SetMouseMode(mmMoveText);
    s.SetCaptionCentered(true);
    s.MouseMove(ssLeft, 13, 27);
    EXPECT_EQ(s.CaptionX(), 13);
    EXPECT_EQ(s.CaptionY(), 27);
    EXPECT_FALSE(s.CaptionCentered());

    s.SetActiveMouse(false);
    s.MouseMove(ssLeft, 1, 1);
    EXPECT_EQ(s.CaptionX(), 13);
}

TEST(ShapeMouse, ShiftClickSelectsThroughTheControllerWithoutDragging)
{
    TvekShape s;
    TRecordingMenu menu;
    s.Setpopupmenu(&menu);
    int downs = 0;
    s.OnMouseDown = [&](TvekShape&, TMouseButton, TShiftState, int, int) { ++downs; };
    s.MouseDown(mbLeft, ssShift | ssLeft, 5, 5);
    EXPECT_EQ(menu.Toggles, 0); // the mouse is not active
    s.SetActiveMouse(true);
    s.SetMouseMode(mmMoveObject);
    s.MouseDown(mbLeft, ssShift | ssLeft, 5, 5);
    EXPECT_EQ(menu.Toggles, 1);
    EXPECT_FALSE(s.Dragging());
    s.MouseMove(ssLeft, 20, 20);
    EXPECT_EQ(s.Left(), 0);
    EXPECT_EQ(downs, 2);
    s.MouseDown(mbRight, ssRight, 5, 5);
    EXPECT_FALSE(s.Dragging());
}

} // namespace
