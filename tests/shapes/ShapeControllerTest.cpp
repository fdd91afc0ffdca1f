#include "platform/UiServices.h"
#include "shapes/ShapeNames.h"
#include "shapes/TvekShape.h"
#include "shapes/TvekShapeController.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

std::vector<std::string> Captions(const std::vector<std::unique_ptr<TShapeMenuItem>>& items)
{
    std::vector<std::string> captions;
    for (const auto& item : items) captions.push_back(item->Caption);
    return captions;
}

TShapeMenuItem& Top(TvekShapeController& c, const std::string& caption)
{
    for (auto& item : c.Items())
        if (item->Caption == caption) return *item;
    throw std::runtime_error("no menu entry " + caption);
}

TShapeMenuItem& Sub(TShapeMenuItem& menu, const std::string& caption)
{
    for (auto& item : menu.Items)
        if (item->Caption == caption) return *item;
    throw std::runtime_error("no menu entry " + caption);
}

// A surface holding several shapes that share one controller, in drawing order.
class ShapeHost {
public:
    ShapeHost()
    {
        controller.onBringToFront = [this](TvekShape& s) { Reorder(s, true); };
        controller.onSendToBack = [this](TvekShape& s) { Reorder(s, false); };
        controller.onFreeShape = [this](TvekShape& s) {
            ++freed;
            shapes.erase(std::find_if(shapes.begin(), shapes.end(), [&](auto& p) { return p.get() == &s; }));
        };
    }
    TvekShape& Add(int left, int top, int width, int height, const std::string& group = "")
    {
        shapes.push_back(std::make_unique<TvekShape>());
        TvekShape& s = *shapes.back();
        s.SetBounds(left, top, width, height);
        s.SetGroupName(group);
        s.SetActiveMouse(true);
        s.Setpopupmenu(&controller);
        controller.Shapes.push_back(&s);
        return s;
    }
    std::vector<TvekShape*> DrawingOrder() const
    {
        std::vector<TvekShape*> order;
        for (const auto& s : shapes) order.push_back(s.get());
        return order;
    }
    void Click(TShapeMenuItem& item, TvekShape& on)
    {
        controller.Popup(&on);
        ASSERT_TRUE(item.OnClick) << item.Caption;
        item.OnClick();
    }
    static void ShiftClick(TvekShape& s)
    {
        s.MouseDown(mbLeft, ssShift | ssLeft, 1, 1);
        s.MouseUp(mbLeft, ssShift, 1, 1);
    }

    TvekShapeController controller;
    std::vector<std::unique_ptr<TvekShape>> shapes;
    int freed = 0;

private:
    void Reorder(TvekShape& s, bool toFront)
    {
        auto it = std::find_if(shapes.begin(), shapes.end(), [&](auto& p) { return p.get() == &s; });
        auto owned = std::move(*it);
        shapes.erase(it);
        if (toFront)
            shapes.push_back(std::move(owned));
        else
            shapes.insert(shapes.begin(), std::move(owned));
    }
};

class ShapeControllerTest : public ::testing::Test {
protected:
    TScriptedUi ui_;
    TUiScope scope_{ui_};
    ShapeHost host_;
    TvekShapeController& controller_ = host_.controller;
};

TEST_F(ShapeControllerTest, TheMenuHasEveryEntryInOrderWithPicturesChecksAndRadioGroups)
{
    controller_.MouseModeController = true;
    controller_.MouseMode = mmSizeObject;
    controller_.BuildMenu();
    EXPECT_FALSE(controller_.MouseModeController) << "the host's own buttons take over the mouse";
    EXPECT_EQ(controller_.MouseMode, mmfixed);

    EXPECT_EQ(Captions(controller_.Items()),
              (std::vector<std::string>{"Shape Style", "GradientStyle", "Gradient", "Gradient Color...",
                                        "Brush Color...", "Brush Style", "Pen", "Caption", "Mouse Mode",
                                        "ActiveMouse", "Align/Size", "GroupName", "ConnectorN", "ConnectorE",
                                        "ConnectorS", "ConnectorW", "PolyLineMode", "-", "BringToFront",
                                        "SendToBack", "Delete Object"}));
    ASSERT_EQ(controller_.Pictures().size(), 102u);
    EXPECT_EQ(controller_.FillDirectionBase(), 76);

    const auto& kinds = Top(controller_, "Shape Style").Items;
    ASSERT_EQ(kinds.size(), 76u);
    EXPECT_EQ(kinds[70]->Caption, "vstflower");
    EXPECT_EQ(kinds[70]->ImageIndex, 70);
    EXPECT_EQ(controller_.FindItem("vstUser"), kinds[75].get());
    const auto& directions = Top(controller_, "GradientStyle").Items;
    ASSERT_EQ(directions.size(), 26u);
    EXPECT_EQ(directions[25]->Caption, "vgdLeftRight");
    EXPECT_EQ(directions[25]->ImageIndex, 101);

    for (const char* c : {"Gradient", "ActiveMouse", "PolyLineMode"}) {
        ASSERT_NE(controller_.FindItem(c), nullptr) << c;
        EXPECT_TRUE(controller_.FindItem(c)->Checkable) << c;
    }
    EXPECT_EQ(controller_.FindItem("Gradient Color..."), nullptr) << "plain commands are not indexed";
    const auto& brushStyles = Top(controller_, "Brush Style").Items;
    ASSERT_EQ(brushStyles.size(), 8u);
    EXPECT_EQ(brushStyles[7]->Caption, "bsDiagCross");
    EXPECT_TRUE(brushStyles[7]->RadioItem);
    EXPECT_EQ(brushStyles[7]->GroupIndex, 4);
    TShapeMenuItem& pen = Top(controller_, "Pen");
    EXPECT_EQ(Captions(pen.Items), (std::vector<std::string>{"Style", "Color...", "Size..."}));
    EXPECT_EQ(Sub(pen, "Style").Items.size(), 7u);
    EXPECT_EQ(Sub(pen, "Style").Items[6]->Caption, "psInsideFrame");
    EXPECT_EQ(Sub(pen, "Style").Items[6]->GroupIndex, 5);
    EXPECT_EQ(Captions(Top(controller_, "Caption").Items),
              (std::vector<std::string>{"Caption...", "Font...", "Centered", "Angle"}));
    const auto& modes = Top(controller_, "Mouse Mode").Items;
    EXPECT_EQ(Captions(modes), (std::vector<std::string>{"mmfixed", "mmMoveObject", "mmSizeObject", "mmMoveText",
                                                         "mmRotateText"}));
    EXPECT_EQ(modes[0]->GroupIndex, 3);
    EXPECT_EQ(Captions(Top(controller_, "Align/Size").Items),
              (std::vector<std::string>{"Top", "Left", "Right", "Bottom", "-", "Equal Height", "Equal Width"}));

    // User outlines add their entry second, with pictures after the fill directions.
    controller_.UserShapes = {"tri=0.5,0,1,1,0,1", "bar=0,0.4,1,0.4,1,0.6,0,0.6"};
    controller_.BuildMenu();
    EXPECT_EQ(controller_.Items()[1]->Caption, "UserShape Style");
    EXPECT_EQ(Captions(controller_.Items()[1]->Items), (std::vector<std::string>{"tri", "bar"}));
    EXPECT_EQ(controller_.Items()[1]->Items[1]->ImageIndex, 103);
    EXPECT_EQ(controller_.UserBase(), 102);
    EXPECT_EQ(controller_.Pictures().size(), 104u);
    EXPECT_EQ(controller_.Items().size(), 22u);
}

TEST_F(ShapeControllerTest, PicturesShowEachKindAndPatternInTheControllersColours)
{
    controller_.BackColor = clLime;
    controller_.UserShapes = {"tri=0.5,0,1,1,0,1"};
    controller_.BuildMenu();
    const auto& p = controller_.Pictures();
    for (const TBitmap& picture : p) {
        ASSERT_EQ(picture.Width(), 16);
        ASSERT_EQ(picture.Height(), 16);
    }
    // A rectangle: black pen round a blue brush.
    EXPECT_EQ(p[vstRectangle].GetPixel(0, 0), clBlack);
    EXPECT_EQ(p[vstRectangle].GetPixel(8, 8), clBlue);
    // An ellipse leaves its corners to the background.
    EXPECT_EQ(p[vstEllipse].GetPixel(0, 0), clLime);
    EXPECT_EQ(p[vstEllipse].GetPixel(8, 8), clBlue);
    // vgdUp: from the brush colour at the top to the gradient colour (white) at the bottom.
    const TBitmap& up = p[controller_.FillDirectionBase() + vgdUp];
    EXPECT_GT(GetBValue(up.GetPixel(8, 1)), 200);
    EXPECT_LT(GetRValue(up.GetPixel(8, 1)), 40);
    EXPECT_GT(GetRValue(up.GetPixel(8, 14)), 200);
    // The triangle outline leaves its top-left corner to the background.
    const TBitmap& tri = p[controller_.UserBase()];
    EXPECT_EQ(tri.GetPixel(1, 1), clLime);
    EXPECT_EQ(tri.GetPixel(8, 12), clBlue);

    // The brush colour reaches the pictures when the menu is rebuilt.
    controller_.SetBrushColor(clRed);
    EXPECT_EQ(controller_.Pictures()[vstRectangle].GetPixel(8, 8), clBlue);
    controller_.BuildMenu();
    EXPECT_EQ(controller_.Pictures()[vstRectangle].GetPixel(8, 8), clRed);
}

TEST_F(ShapeControllerTest, CommandsActOnTheShapeTheMenuPoppedUpOn)
{
    controller_.UserShapes = {"tri=0.5,0,1,1,0,1", "broken=1,2,3"};
    controller_.BuildMenu();
    TvekShape& a = host_.Add(0, 0, 65, 65);
    TvekShape& b = host_.Add(100, 0, 65, 65);

    host_.Click(*controller_.FindItem("vstTriangleUp"), b);
    EXPECT_EQ(b.Shape(), vstTriangleUp);
    EXPECT_EQ(a.Shape(), vstRectangle);

    host_.Click(*controller_.FindItem("vgdCircIn"), a);
    EXPECT_EQ(a.FillDirection(), vgdCircIn);
    EXPECT_TRUE(a.Gradient());
    host_.Click(*controller_.FindItem("Gradient"), a);
    EXPECT_FALSE(a.Gradient());
    host_.Click(*controller_.FindItem("Gradient"), a);
    EXPECT_TRUE(a.Gradient());

    host_.Click(*controller_.FindItem("tri"), a);
    EXPECT_EQ(a.Shape(), vstUser);
    EXPECT_EQ(a.UserVectorString(), "tri=0.5,0,1,1,0,1");
    // A line that does not parse, or a name no longer listed, leaves the outline alone.
    host_.Click(*controller_.FindItem("broken"), a);
    EXPECT_EQ(a.UserVectorString(), "tri=0.5,0,1,1,0,1");
    controller_.UserShapes = {"other=0,0,1,1"};
    host_.Click(*controller_.FindItem("tri"), b);
    EXPECT_EQ(b.Shape(), vstTriangleUp);

    host_.Click(*controller_.FindItem("bsCross"), a);
    EXPECT_EQ(a.Brush().Style, bsCross);
    host_.Click(*controller_.FindItem("psDot"), a);
    EXPECT_EQ(a.Pen().Style, psDot);
    host_.Click(*controller_.FindItem("PolyLineMode"), a);
    EXPECT_TRUE(a.PolyLineMode());
    host_.Click(*controller_.FindItem("ActiveMouse"), a);
    EXPECT_FALSE(a.ActiveMouse());
    host_.Click(Sub(Top(controller_, "Caption"), "Centered"), a);
    EXPECT_FALSE(a.CaptionCentered());

    std::vector<TShapeMouseMode> reported;
    controller_.onMouseModeChanged = [&](TvekShapeController& sender, TShapeMouseMode m) {
        EXPECT_EQ(&sender, &controller_);
        reported.push_back(m);
    };
    host_.Click(*controller_.FindItem("mmRotateText"), b);
    EXPECT_EQ(b.MouseMode(), mmRotateText);
    EXPECT_EQ(reported, std::vector<TShapeMouseMode>{mmRotateText});

    // Without a shape to act on, nothing happens.
    controller_.Popup(nullptr);
    controller_.FindItem("vstCircle")->OnClick();
    EXPECT_EQ(a.Shape(), vstUser);
}

TEST_F(ShapeControllerTest, BeforeTheMenuShowsItsChecksFollowTheShape)
{
    controller_.BuildMenu();
    TvekShape& a = host_.Add(0, 0, 65, 65);
    TvekShape& b = host_.Add(0, 0, 65, 65);
    b.SetGradient(true);
    b.SetPolyLineMode(true);
    b.SetMouseMode(mmSizeObject);
    b.SetBrush(TBrush{clRed, bsVertical});
    b.SetPen(TPen{clBlack, 1, psDashDot, pmCopy});

    controller_.Popup(&b);
    EXPECT_TRUE(controller_.FindItem("Gradient")->Checked);
    EXPECT_TRUE(controller_.FindItem("PolyLineMode")->Checked);
    EXPECT_TRUE(controller_.FindItem("ActiveMouse")->Checked);
    EXPECT_TRUE(controller_.FindItem("mmSizeObject")->Checked);
    EXPECT_TRUE(controller_.FindItem("bsVertical")->Checked);
    EXPECT_TRUE(controller_.FindItem("psDashDot")->Checked);

    a.SetActiveMouse(false);
    controller_.Popup(&a);
    EXPECT_FALSE(controller_.FindItem("Gradient")->Checked);
    EXPECT_FALSE(controller_.FindItem("ActiveMouse")->Checked);
    EXPECT_TRUE(controller_.FindItem("mmfixed")->Checked);
    EXPECT_FALSE(controller_.FindItem("mmSizeObject")->Checked) << "the radio group clears the others";
    EXPECT_TRUE(controller_.FindItem("bsSolid")->Checked);
    EXPECT_FALSE(controller_.FindItem("bsVertical")->Checked);
    EXPECT_TRUE(controller_.FindItem("psSolid")->Checked);
    EXPECT_FALSE(controller_.FindItem("psDashDot")->Checked);
}

TEST_F(ShapeControllerTest, PromptsAskWithTheirTextsAndIgnoreAnswersOutOfRange)
{
    controller_.BuildMenu();
    TvekShape& s = host_.Add(0, 0, 65, 65);
    TShapeMenuItem& size = Sub(Top(controller_, "Pen"), "Size...");
    TShapeMenuItem& angle = Sub(Top(controller_, "Caption"), "Angle");

    TPen pen = s.Pen();
    pen.Width = 3;
    s.SetPen(pen);
    ui_.Queue("21");
    host_.Click(size, s);
    ASSERT_EQ(ui_.Log.size(), 1u);
    EXPECT_EQ(ui_.Log[0].caption, "Shape Controller");
    EXPECT_EQ(ui_.Log[0].text, "Enter Pen Size (1..20)");
    EXPECT_EQ(ui_.Log[0].start, "3");
    EXPECT_EQ(s.Pen().Width, 3);
    ui_.Queue("x");
    host_.Click(size, s);
    EXPECT_EQ(s.Pen().Width, 1) << "a non-number counts as 1";
    for (const auto& [answer, width] : std::vector<std::pair<std::string, int>>{{"20", 20}, {"0", 20}, {" 7", 7}, {"$A", 10}}) {
        ui_.Queue(answer);
        host_.Click(size, s);
        EXPECT_EQ(s.Pen().Width, width) << answer;
    }
    ui_.Queue("\x18");
    host_.Click(size, s);
    EXPECT_EQ(s.Pen().Width, 10) << "Cancel changes nothing";

    ui_.Log.clear();
    ui_.Queue("45");
    host_.Click(angle, s);
    EXPECT_EQ(ui_.Log[0].text, "Enter Caption Angle (-180..0..180)");
    EXPECT_EQ(ui_.Log[0].start, "0");
    EXPECT_EQ(s.CaptionAngle(), 45);
    ui_.Queue("abc");
    host_.Click(angle, s);
    EXPECT_EQ(s.CaptionAngle(), 0) << "a non-number counts as 0";
    for (const auto& [answer, value] : std::vector<std::pair<std::string, int>>{{"-180", -180}, {"181", -180}, {"99999999999", 0}}) {
        ui_.Queue(answer);
        host_.Click(angle, s);
        EXPECT_EQ(s.CaptionAngle(), value) << answer;
    }

    ui_.Log.clear();
    s.SetCaption("old");
    ui_.Queue("new caption");
    host_.Click(Sub(Top(controller_, "Caption"), "Caption..."), s);
    EXPECT_EQ(ui_.Log[0].text, "Enter Caption");
    EXPECT_EQ(ui_.Log[0].start, "old");
    EXPECT_EQ(s.Caption(), "new caption");

    ui_.Log.clear();
    ui_.Queue("east");
    host_.Click(Top(controller_, "ConnectorE"), s);
    EXPECT_EQ(ui_.Log[0].caption, "ShapeController");
    EXPECT_EQ(ui_.Log[0].text, "Enter ConnectorE");
    EXPECT_EQ(s.ConnectorE(), "east");
    EXPECT_EQ(s.ConnectorW(), "");
    ui_.Queue("\x18");
    host_.Click(Top(controller_, "ConnectorE"), s);
    EXPECT_EQ(ui_.Log[1].start, "east");
    EXPECT_EQ(s.ConnectorE(), "east");
}

TEST_F(ShapeControllerTest, ColourAndFontDialogsStartFromTheShape)
{
    controller_.BuildMenu();
    TvekShape& s = host_.Add(0, 0, 65, 65);
    s.SetGradientColor(clNavy);
    ui_.Queue("255");
    host_.Click(Top(controller_, "Gradient Color..."), s);
    EXPECT_EQ(ui_.Log.back().start, std::to_string(clNavy));
    EXPECT_EQ(s.GradientColor(), clRed);
    ui_.Queue("65280");
    host_.Click(Top(controller_, "Brush Color..."), s);
    EXPECT_EQ(ui_.Log.back().start, std::to_string(clWhite));
    EXPECT_EQ(s.Brush().Color, clLime);
    ui_.Queue("\x18");
    host_.Click(Sub(Top(controller_, "Pen"), "Color..."), s);
    EXPECT_EQ(s.Pen().Color, clBlack);
    ui_.Queue("Serif");
    host_.Click(Sub(Top(controller_, "Caption"), "Font..."), s);
    EXPECT_EQ(ui_.Log.back().text, TFont().Name) << "the dialog starts with the shape's font";
    EXPECT_EQ(s.Font().Name, "Serif");
}

TEST_F(ShapeControllerTest, ShiftClicksSelectUngroupedShapesAloneAndGroupsWhole)
{
    TvekShape& lone = host_.Add(0, 0, 20, 20);
    TvekShape& g1 = host_.Add(30, 0, 20, 20, "cars");
    TvekShape& g2 = host_.Add(60, 0, 20, 20, "cars");
    TvekShape& other = host_.Add(90, 0, 20, 20, "Cars");
    std::vector<TvekShape*> reported;
    controller_.onShapeSelected = [&](TvekShapeController&, TvekShape& s) { reported.push_back(&s); };
    int presses = 0;
    lone.OnMouseDown = [&](TvekShape&, TMouseButton, TShiftState, int, int) { ++presses; };

    ShapeHost::ShiftClick(lone);
    EXPECT_TRUE(lone.Selected());
    EXPECT_FALSE(lone.Dragging()) << "a shift-click starts no drag";
    lone.MouseDown(mbRight, ssRight, 5, 5);
    EXPECT_FALSE(lone.Dragging()) << "nor does the right button";
    ShapeHost::ShiftClick(lone);
    EXPECT_EQ(presses, 3) << "the host hears every press";
    EXPECT_FALSE(lone.Selected());
    EXPECT_TRUE(controller_.Selection().empty());
    EXPECT_EQ(reported, (std::vector<TvekShape*>{&lone, &lone}));

    ShapeHost::ShiftClick(g2);
    EXPECT_EQ(controller_.Selection(), (std::vector<TvekShape*>{&g1, &g2})) << "the group, in the order of Shapes";
    EXPECT_FALSE(other.Selected()) << "group names compare with case";
    ShapeHost::ShiftClick(lone);
    ShapeHost::ShiftClick(g1);
    EXPECT_EQ(controller_.Selection(), std::vector<TvekShape*>{&lone});
    EXPECT_FALSE(g2.Selected());

    // Without ActiveMouse a shift-click selects nothing.
    other.SetActiveMouse(false);
    ShapeHost::ShiftClick(other);
    EXPECT_FALSE(other.Selected());
    EXPECT_EQ(reported.size(), 5u);
}

TEST_F(ShapeControllerTest, AlignAndSizeFollowTheFirstSelectedShape)
{
    controller_.BuildMenu();
    TvekShape& ref = host_.Add(10, 20, 50, 40);
    TvekShape& a = host_.Add(100, 200, 30, 10);
    TvekShape& b = host_.Add(300, 5, 70, 90);
    TShapeMenuItem& align = Top(controller_, "Align/Size");
    auto run = [&](const std::string& caption) { host_.Click(Sub(align, caption), ref); };

    ShapeHost::ShiftClick(ref);
    run("Top");
    EXPECT_EQ(a.Top(), 200) << "one selected shape: nothing to align";
    ShapeHost::ShiftClick(a);
    ShapeHost::ShiftClick(b);
    run("Top");
    EXPECT_EQ(a.Top(), 20);
    EXPECT_EQ(b.Top(), 20);
    run("Left");
    EXPECT_EQ(a.Left(), 10);
    EXPECT_EQ(b.Left(), 10);
    run("Right");
    EXPECT_EQ(a.Left(), 30) << "right edges meet at 59";
    EXPECT_EQ(b.Left(), -10);
    run("Bottom");
    EXPECT_EQ(a.Top(), 50);
    EXPECT_EQ(b.Top(), -30);
    run("Equal Height");
    EXPECT_EQ(a.Height(), 40);
    EXPECT_EQ(b.Height(), 40);
    run("Equal Width");
    EXPECT_EQ(a.Width(), 50);
    EXPECT_EQ(ref.Left(), 10);
    EXPECT_EQ(ref.Top(), 20);
    EXPECT_EQ(ref.Width(), 50);

    // GroupName edits every selected shape, starting from the first one's name.
    ref.SetGroupName("old");
    ui_.Queue("boxes");
    host_.Click(Top(controller_, "GroupName"), b);
    EXPECT_EQ(ui_.Log.back().caption, "ShapeController");
    EXPECT_EQ(ui_.Log.back().text, "Enter Groupname");
    EXPECT_EQ(ui_.Log.back().start, "old");
    for (TvekShape* s : {&ref, &a, &b}) EXPECT_EQ(s->GroupName(), "boxes");
}

TEST_F(ShapeControllerTest, OrderAndDeleteActOnTheHostsShapes)
{
    controller_.BuildMenu();
    TvekShape& a = host_.Add(0, 0, 10, 10);
    TvekShape& b = host_.Add(0, 0, 10, 10);
    TvekShape& c = host_.Add(0, 0, 10, 10);
    TvekShape loose; // shown by the host but never registered
    loose.SetActiveMouse(true);
    loose.Setpopupmenu(&controller_);

    host_.Click(Top(controller_, "BringToFront"), a);
    EXPECT_EQ(controller_.Shapes, (std::vector<TvekShape*>{&b, &c, &a}));
    EXPECT_EQ(host_.DrawingOrder(), (std::vector<TvekShape*>{&b, &c, &a}));
    host_.Click(Top(controller_, "SendToBack"), c);
    EXPECT_EQ(controller_.Shapes, (std::vector<TvekShape*>{&c, &b, &a}));
    EXPECT_EQ(host_.DrawingOrder(), (std::vector<TvekShape*>{&c, &b, &a}));

    int deleted = 0;
    controller_.onShapeDeleted = [&](TvekShapeController&) { ++deleted; };
    host_.Click(Top(controller_, "Delete Object"), a);
    EXPECT_EQ(deleted, 0) << "nothing selected: nothing happens";
    EXPECT_EQ(controller_.Shapes.size(), 3u);

    ShapeHost::ShiftClick(b);
    ShapeHost::ShiftClick(loose);
    host_.Click(Top(controller_, "Delete Object"), b);
    EXPECT_EQ(deleted, 1);
    EXPECT_EQ(host_.freed, 1);
    EXPECT_EQ(controller_.Shapes, (std::vector<TvekShape*>{&c, &a}));
    EXPECT_TRUE(controller_.Selection().empty());
    EXPECT_EQ(controller_.CurrentShape(), nullptr) << "the freed shape is no longer the menu's shape";
    EXPECT_FALSE(loose.Selected()) << "a shape left out of the emptied selection loses its marker";
}

// ---- the mouse, with the controller in charge ------------------------------------------------

class ControlledMouseTest : public ShapeControllerTest {
protected:
    void SetUp() override
    {
        controller_.MouseModeController = true;
        controller_.MouseGrid = true;
        controller_.MouseGridSize = 10;
    }
    static void Drag(TvekShape& s, int x0, int y0, int x1, int y1)
    {
        s.MouseDown(mbLeft, ssLeft, x0, y0);
        s.MouseMove(ssLeft, x1, y1);
        s.MouseUp(mbLeft, 0, x1, y1);
    }
};

TEST_F(ControlledMouseTest, MovesAndSizesSnapToTheGrid)
{
    TvekShape& s = host_.Add(30, 40, 65, 65);
    controller_.MouseMode = mmMoveObject;
    Drag(s, 5, 5, 12, 5);
    EXPECT_EQ(s.MouseMode(), mmMoveObject) << "a pressed shape takes the controller's mode";
    EXPECT_EQ(s.Left(), 29) << "left 37 snaps to 30, less one";
    EXPECT_EQ(s.Top(), 39);

    controller_.MouseGridSize = 1;
    s.SetBounds(30, 40, 65, 65);
    Drag(s, 5, 5, 12, 5);
    EXPECT_EQ(s.Left(), 37) << "a grid below 2 does not snap";

    controller_.MouseGridSize = 10;
    controller_.MouseMode = mmSizeObject;
    Drag(s, 60, 60, 78, 60);
    EXPECT_EQ(s.Width(), 81) << "65 + 18 = 83 snaps to 80, plus one";
    EXPECT_EQ(s.Height(), 61);

    controller_.MouseMode = mmMoveText;
    Drag(s, 0, 0, 27, 33);
    EXPECT_FALSE(s.CaptionCentered());
    EXPECT_EQ(s.CaptionX(), 20);
    EXPECT_EQ(s.CaptionY(), 30);

    // Not in charge: the shape's own mode, no grid; the grab point stays under the pointer.
    controller_.MouseModeController = false;
    s.SetMouseMode(mmMoveObject);
    s.SetBounds(30, 40, 65, 65);
    Drag(s, 5, 5, 12, 5);
    EXPECT_EQ(s.Left(), 37);
    s.MouseMove(0, 40, 40);
    EXPECT_EQ(s.Left(), 37) << "after the release nothing moves";
    s.SetMouseMode(mmSizeObject);
    Drag(s, 60, 60, 78, 60);
    EXPECT_EQ(s.Width(), 83);
    EXPECT_EQ(s.Height(), 65);
    s.SetMouseMode(mmMoveText);
    Drag(s, 0, 0, 13, 27);
    EXPECT_EQ(s.CaptionX(), 13);
    EXPECT_EQ(s.CaptionY(), 27);
    s.SetActiveMouse(false);
    Drag(s, 0, 0, 1, 1);
    EXPECT_EQ(s.CaptionX(), 13) << "without ActiveMouse the mouse changes nothing";
}

TEST_F(ControlledMouseTest, RotatingTurnsTheCaptionTowardsThePointer)
{
    TvekShape& s = host_.Add(0, 0, 101, 101); // centre (50, 50)
    controller_.MouseMode = mmRotateText;
    const std::pair<std::pair<int, int>, int> cases[] = {
        {{50, 0}, 89},    // straight above: dx counts as 1
        {{50, 100}, -89}, // straight below
        {{80, 50}, 0},    // right
        {{20, 50}, 180},  // left
        {{100, 0}, 45},
    };
    for (const auto& [point, angle] : cases) {
        Drag(s, 50, 50, point.first, point.second);
        EXPECT_EQ(s.CaptionAngle(), angle) << point.first << "," << point.second;
    }
    EXPECT_FALSE(s.CaptionCentered());
    EXPECT_EQ(s.Left(), 0);
}

TEST_F(ControlledMouseTest, SelectedShapesMoveAlongAndConnectedShapesStretch)
{
    controller_.MouseGrid = false;
    controller_.MouseMode = mmMoveObject;
    TvekShape& moved = host_.Add(100, 100, 50, 50, "middle");
    TvekShape& rider = host_.Add(0, 0, 10, 10);
    TvekShape& east = host_.Add(200, 100, 60, 50, "east");
    TvekShape& north = host_.Add(100, 0, 50, 40, "north");
    TvekShape& south = host_.Add(100, 200, 50, 60, "south");
    TvekShape& west = host_.Add(10, 100, 40, 50, "west");
    moved.SetConnectorE("east");
    moved.SetConnectorN("north");
    moved.SetConnectorS("south");
    moved.SetConnectorW("west");
    ShapeHost::ShiftClick(rider);

    // 20 to the right and 10 down, in two steps of one drag.
    moved.MouseDown(mbLeft, ssLeft, 5, 5);
    moved.MouseMove(ssLeft, 15, 10);
    moved.MouseMove(ssLeft, 15, 10);
    moved.MouseUp(mbLeft, 0, 15, 10);
    EXPECT_EQ(moved.Left(), 120);
    EXPECT_EQ(moved.Top(), 110);
    EXPECT_EQ(rider.Left(), 20) << "selected shapes move by the same steps";
    EXPECT_EQ(rider.Top(), 10);
    // East keeps its right edge (259) and starts right of the moved shape's right edge (169).
    EXPECT_EQ(east.Left(), 170);
    EXPECT_EQ(east.Width(), 90);
    EXPECT_EQ(north.Height(), 110) << "north reaches down to the top edge";
    EXPECT_EQ(south.Top(), 160);
    EXPECT_EQ(south.Height(), 100);
    EXPECT_EQ(west.Width(), 110);

    // Dragged far to the right, east shrinks while more than 5 pixels of it would remain.
    moved.MouseDown(mbLeft, ssLeft, 5, 5);
    int last = east.Width();
    for (int step = 0; step < 20; ++step) {
        moved.MouseMove(ssLeft, 10, 5);
        EXPECT_LE(east.Width(), last);
        last = east.Width();
        EXPECT_EQ(east.Left() + east.Width(), 260);
        EXPECT_GE(east.Width(), 5);
    }
    moved.MouseUp(mbLeft, 0, 10, 5);
    EXPECT_EQ(east.Width(), 5) << "the last stretch leaves 5 pixels, then it stays";
    EXPECT_EQ(moved.Left(), 220);
}

} // namespace
