#include "app/MenuMap.h"
#include "app/PictureView.h"
#include "app/VistrelDoc.h"
#include "app/VistrelF.h"
#include "effects/EffectTable.h"
#include "platform/Errors.h"
#include "platform/ProgramFolder.h"
#include "platform/UiServices.h"
#include "tests/app/WindowFixture.h"
#include "tests/effects/FxTestImages.h"

#include <QAction>
#include <QApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

// A view that only counts what the commands tell it.
class TCountingView : public TVistrelView {
public:
    void PictureChanged() override { ++changed; }
    void RefreshFiles() override {}
    void ShellOpen(const std::string&) override {}
    void EnableUndo() override { undoEnabled = true; }
    void ShowSelection(bool visible) override { bandVisible = visible; }
    int changed = 0;
    bool undoEnabled = false;
    bool bandVisible = false;
};

class EditCommandsTest : public ::testing::Test {
protected:
    TScriptedUi ui_;
    TUiScope scope_{ui_};
    TCountingView view_;
    TVistrelDoc doc_{view_};
};

TBitmap Effect(TBitmap picture, const std::function<void(TvekPaintFX&, TBitmap&)>& op)
{
    picture.SetPixelFormat(pf24bit);
    TvekPaintFX fx;
    op(fx, picture);
    return picture;
}

TEST_F(EditCommandsTest, EffectsKeepOneUndoLevelAndLeaveTheImageTrueColour)
{
    doc_.Picture = RandomImage(30, 20, 1);
    doc_.Picture.SetPixelFormat(pf8bit);
    const TBitmap eightBit = doc_.Picture;
    doc_.RunEffect("Lighter 25");
    EXPECT_TRUE(view_.undoEnabled);
    EXPECT_EQ(doc_.Picture.PixelFormat(), pf24bit);
    EXPECT_EQ(doc_.Picture, Effect(eightBit, [](TvekPaintFX& fx, TBitmap& b) { fx.Lighter(b, 25); }));
    doc_.Undo();
    EXPECT_EQ(doc_.Picture, eightBit);

    // Two effects in a row: Undo gives the image between them, and a second Undo the same again.
    doc_.RunEffect("Invert");
    const TBitmap afterFirst = doc_.Picture;
    doc_.RunEffect("FlipDown");
    doc_.Undo();
    EXPECT_EQ(doc_.Picture, afterFirst);
    doc_.Undo();
    EXPECT_EQ(doc_.Picture, afterFirst);

    // Turn takes no undo copy: Undo goes back to before the last effect, not before the turn.
    doc_.Picture = RandomImage(30, 20, 2);
    doc_.RunEffect("Darker 25");
    const TBitmap darkened = doc_.Picture;
    doc_.Turn();
    EXPECT_EQ(doc_.Picture.Width(), 20);
    EXPECT_EQ(doc_.Picture.Height(), 30);
    doc_.Undo();
    EXPECT_EQ(doc_.Picture.Width(), 30);
    EXPECT_NE(doc_.Picture, darkened);
}

TEST_F(EditCommandsTest, EveryEffectsEntryRunsItsOperationWithTheSettings)
{
    const TBitmap picture = RandomImage(41, 33, 3);
    int entries = 0;
    for (const TMenuEntry& e : MainMenuMap()) {
        if (!e.Effect || std::string(e.Effect).find('?') != std::string::npos) continue;
        SCOPED_TRACE(e.Name);
        doc_.Picture = picture;
        EXPECT_NO_THROW(doc_.RunEffect(e.Effect));
        EXPECT_EQ(doc_.Picture.PixelFormat(), pf24bit);
        ++entries;
    }
    EXPECT_EQ(entries, 41);

    auto entry = [&](const char* name, TBitmap& out) {
        out = picture;
        std::swap(doc_.Picture, out);
        doc_.RunEffect(FindMenuEntry(name)->Effect);
        std::swap(doc_.Picture, out);
    };
    TBitmap blur, sharpen, soften, fisheye, frame, twist;
    entry("Blur1", blur);
    entry("Sharpen1", sharpen);
    entry("Soften1", soften);
    const TBitmap softened = Effect(picture, [](TvekPaintFX& fx, TBitmap& b) { fx.Soften(b); });
    EXPECT_EQ(blur, softened);
    EXPECT_EQ(sharpen, softened);
    EXPECT_EQ(soften, softened);

    doc_.FisheyeDepth = 100;
    doc_.ButtonizeDepth = 7;
    doc_.ButtonizeWeight = 200;
    doc_.TwistDepth = 300; // as a script may set it
    entry("Fisheye1", fisheye);
    entry("OvalFrame1", frame);
    entry("Twist1", twist);
    EXPECT_EQ(fisheye, Effect(picture, [](TvekPaintFX& fx, TBitmap& b) {
                  TBitmap src = b;
                  fx.FishEye(src, b, 100.0L / 255);
              }));
    EXPECT_EQ(frame, Effect(picture, [](TvekPaintFX& fx, TBitmap& b) {
                  fx.ButtonizeOval(b, 7, "doubleround", 200);
                  fx.MaskOval(b, 0xFFFFFF);
              }));
    EXPECT_EQ(twist, Effect(picture, [](TvekPaintFX& fx, TBitmap& b) {
                  TBitmap src = b;
                  fx.Twist(src, b, 300);
              }));
}

TEST_F(EditCommandsTest, MaskOvalColorAsksFirstAndCancelLeavesEvenTheUndoCopy)
{
    const TBitmap picture = RandomImage(20, 20, 4);
    doc_.Picture = picture;
    ui_.Queue("\x18");
    doc_.RunEffect(FindMenuEntry("MaskOvalcolor1")->Effect);
    EXPECT_FALSE(view_.undoEnabled);
    EXPECT_TRUE(doc_.UndoBitmap.Empty());
    EXPECT_EQ(doc_.Picture, picture);

    ui_.Queue("$0000FF");
    doc_.RunEffect(FindMenuEntry("MaskOvalcolor1")->Effect);
    EXPECT_EQ(doc_.Picture, Effect(picture, [](TvekPaintFX& fx, TBitmap& b) { fx.MaskOval(b, 0x0000FF); }));
    EXPECT_EQ(doc_.UndoBitmap, picture);
}

TEST_F(EditCommandsTest, SettingsTakeNumbersInRangeAndTheirOwnValueForOtherText)
{
    struct Case {
        const char* setting;
        const char* typed;
        int expected;
    };
    const Case cases[] = {
        {"GaussianDepth", "abc", 3},  {"GaussianDepth", "12", 3},   {"GaussianDepth", "0", 0},
        {"MosaicSize", "2", 2},       {"MosaicSize", "21", 2},      {"MosaicSize", " 20 ", 20},
        {"TwistDepth", "", 40},       {"TwistDepth", "0", 40},      {"TwistDepth", "255", 255},
        {"ButtonizeDepth", "2", 10},  {"ButtonizeDepth", "50", 50}, {"ButtonizeWeight", "x", 120},
        {"SolarizeDepth", "1.5", 50}, {"SeamlessDepth", "51", 10},  {"PosterizeDepth", "256", 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.setting) + " <- '" + c.typed + "'");
        ui_.Queue(c.typed);
        doc_.AskEffectSetting(c.setting);
        EXPECT_EQ(*doc_.EffectSetting(c.setting), c.expected);
    }
    // The box shows the current value; Cancel keeps it.
    ui_.Log.clear();
    ui_.Queue("\x18");
    doc_.AskEffectSetting("MosaicSize");
    EXPECT_EQ(doc_.MosaicSize, 20);
    ASSERT_EQ(ui_.Log.size(), 1u);
    EXPECT_NE(ui_.Log[0].text.find("Enter Mosaic size (2..20):"), std::string::npos);
}

TEST_F(EditCommandsTest, NewMakesAWhiteImageFromTwoStrictNumbers)
{
    doc_.Picture = RandomImage(30, 20, 5);
    const TBitmap before = doc_.Picture;
    ui_.Queue("200");
    ui_.Queue("200");
    doc_.New();
    ASSERT_EQ(doc_.Picture.Width(), 200);
    EXPECT_EQ(doc_.Picture.Height(), 200);
    EXPECT_EQ(doc_.Picture.GetPixel(199, 199), clWhite);
    EXPECT_EQ(doc_.Picture.GetPixel(0, 0), clWhite);
    doc_.Undo();
    EXPECT_EQ(doc_.Picture, before);

    ui_.Queue("10");
    ui_.Queue("300");
    doc_.New(); // below 11: nothing
    EXPECT_EQ(doc_.Picture, before);
    ui_.Queue("12x");
    ui_.Queue("12x");
    EXPECT_THROW(doc_.New(), EvekError);
    EXPECT_EQ(doc_.Picture, before);
}

TEST_F(EditCommandsTest, ResizingKeepsTheAspectWithHalvesToEven)
{
    doc_.Picture = RandomImage(400, 300, 6);
    ui_.Queue("100");
    doc_.ResizeWidth();
    EXPECT_EQ(doc_.Picture.Width(), 100);
    EXPECT_EQ(doc_.Picture.Height(), 75);

    doc_.Picture = RandomImage(300, 200, 7);
    ui_.Queue("75");
    doc_.ResizeHeight();
    EXPECT_EQ(doc_.Picture.Width(), 112); // 112.5 goes to the even neighbour
    EXPECT_EQ(doc_.Picture.Height(), 75);

    doc_.Picture = RandomImage(300, 200, 8);
    ui_.Queue("16");
    doc_.ResizeWidth();
    EXPECT_EQ(doc_.Picture.Width(), 300);
    ui_.Queue("17");
    doc_.ResizeWidth();
    EXPECT_EQ(doc_.Picture.Width(), 17);
    EXPECT_EQ(doc_.Picture.Height(), 11); // 11.33

    // Sizes that cannot be made are refused without a change.
    const TBitmap before = doc_.Picture;
    EXPECT_FALSE(doc_.ResizeKeepAspect(0, true));
    EXPECT_FALSE(doc_.ResizeKeepAspect(-5, false));
    EXPECT_FALSE(doc_.ResizeKeepAspect(TBitmap::MaxSide + 1, true));
    EXPECT_FALSE(doc_.ResizeKeepAspect(TBitmap::MaxSide, false)); // width would be far above the limit
    EXPECT_EQ(doc_.Picture, before);
    EXPECT_TRUE(doc_.ResizeKeepAspect(1, false)); // the other side keeps at least one pixel
    EXPECT_EQ(doc_.Picture.Width(), 2);

    // Resize Image asks for both sides, starting from the current ones.
    doc_.Picture = RandomImage(30, 20, 9);
    ui_.Log.clear();
    ui_.Queue("40");
    ui_.Queue("10");
    doc_.ResizeImage(); // 10 is below 11: nothing
    EXPECT_EQ(doc_.Picture.Width(), 30);
    ASSERT_EQ(ui_.Log.size(), 2u);
    EXPECT_NE(ui_.Log[1].text.find("Enter image height:"), std::string::npos);
    ui_.Queue("40");
    ui_.Queue("11");
    doc_.ResizeImage();
    EXPECT_EQ(doc_.Picture.Width(), 40);
    EXPECT_EQ(doc_.Picture.Height(), 11);
}

TEST_F(EditCommandsTest, AReversedDragCropsTheSameRectangleOneToOne)
{
    const TBitmap picture = RandomImage(80, 60, 10);
    doc_.Picture = picture;
    doc_.PictureMouseDown(50, 40, true, false);
    doc_.PictureMouseMove(30, 30, true, false);
    EXPECT_TRUE(view_.bandVisible);
    doc_.PictureMouseMove(10, 10, true, false);
    doc_.PictureMouseUp(10, 10, false);
    EXPECT_FALSE(view_.bandVisible);
    const TSelectionRect r = doc_.SelectionRect.Normalized();
    EXPECT_EQ(r.Left, 10);
    EXPECT_EQ(r.Top, 10);
    EXPECT_EQ(r.Right, 50);
    EXPECT_EQ(r.Bottom, 40);
    EXPECT_EQ(doc_.Picture, picture); // the band never touches the working image

    doc_.CropToSelection();
    ASSERT_EQ(doc_.Picture.Width(), 41);
    ASSERT_EQ(doc_.Picture.Height(), 31);
    for (int y = 0; y <= 30; ++y)
        for (int x = 0; x <= 40; ++x) ASSERT_EQ(doc_.Picture.GetPixel(x, y), picture.GetPixel(10 + x, 10 + y));
    doc_.Undo();
    EXPECT_EQ(doc_.Picture, picture);

    // Too small, and a selection reaching beyond the picture is cut to it.
    doc_.SelectionRect = {10, 10, 14, 40};
    doc_.CropToSelection();
    EXPECT_EQ(ui_.Messages("message"), std::vector<std::string>{"selection too small"});
    EXPECT_EQ(doc_.Picture, picture);
    doc_.SelectionRect = {70, 50, 200, -30};
    doc_.CropToSelection();
    EXPECT_EQ(doc_.Picture.Width(), 10);
    EXPECT_EQ(doc_.Picture.Height(), 51);
    EXPECT_EQ(doc_.Picture.GetPixel(9, 50), picture.GetPixel(79, 50));
}

TEST_F(EditCommandsTest, CtrlReleaseResizesToThePointAndColourDepthsConvert)
{
    doc_.Picture = RandomImage(80, 60, 11);
    doc_.PictureMouseDown(5, 5, true, true);
    doc_.PictureMouseUp(10, 200, true);
    EXPECT_EQ(doc_.Picture.Width(), 80);
    doc_.PictureMouseUp(120, 30, true);
    EXPECT_EQ(doc_.Picture.Width(), 120);
    EXPECT_EQ(doc_.Picture.Height(), 30);

    const TBitmap picture = doc_.Picture;
    const std::pair<int, TPixelFormat> depths[] = {{4, pf4bit}, {8, pf8bit}, {16, pf16bit}, {24, pf24bit}};
    for (const auto& [bits, format] : depths) {
        EXPECT_TRUE(doc_.ColorDepth(bits));
        EXPECT_EQ(doc_.Picture.PixelFormat(), format);
        doc_.Undo();
    }
    EXPECT_EQ(doc_.Picture, picture);
    EXPECT_FALSE(doc_.ColorDepth(32));
    EXPECT_EQ(doc_.Picture, picture);
}

// The window: menu entries reach the commands, and the picture's mouse events the selection.
TEST(EditWindowTest, MenuEntriesAndMouseEventsReachTheCommands)
{
    TTempDir home;
    TProgramFolderScope folder(home.Path());
    TScriptedUi ui;
    {
        TVistrelF window(&ui);
        TVistrelDoc& doc = window.Doc();
        doc.Picture = RandomImage(60, 40, 12);
        window.PictureChanged();
        EXPECT_FALSE(window.Action("Undolast1")->isEnabled());
        window.Action("Invert1")->trigger();
        EXPECT_TRUE(window.Action("Undolast1")->isEnabled());
        EXPECT_EQ(doc.Picture.GetPixel(0, 0) ^ 0xFFFFFF, doc.UndoBitmap.GetPixel(0, 0));
        ui.Queue("7");
        window.Action("MosaicSize1")->trigger();
        EXPECT_EQ(doc.MosaicSize, 7);

        auto send = [&](QEvent::Type type, int x, int y, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods) {
            const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
            QMouseEvent event(type, QPointF(x, y), QPointF(x, y), button, buttons, mods);
            QApplication::sendEvent(window.Image1, &event);
        };
        send(QEvent::MouseButtonPress, 40, 30, Qt::LeftButton, Qt::NoModifier);
        send(QEvent::MouseMove, 5, 6, Qt::LeftButton, Qt::NoModifier);
        EXPECT_TRUE(window.Image1->BandVisible());
        send(QEvent::MouseButtonRelease, 5, 6, Qt::NoButton, Qt::NoModifier);
        EXPECT_FALSE(window.Image1->BandVisible());
        const TSelectionRect r = doc.SelectionRect.Normalized();
        EXPECT_EQ(r.Left, 5);
        EXPECT_EQ(r.Bottom, 30);
        send(QEvent::MouseButtonRelease, 30, 20, Qt::NoButton, Qt::ControlModifier);
        EXPECT_EQ(window.Image1->Picture().size(), QSize(30, 20));
        // Ctrl-release on the empty part of the scroll box enlarges the image to that point.
        QMouseEvent release(QEvent::MouseButtonRelease, QPointF(50, 45), QPointF(50, 45), Qt::LeftButton, Qt::NoButton,
                            Qt::ControlModifier);
        QApplication::sendEvent(window.box->Surface(), &release);
        EXPECT_EQ(doc.Picture.Width(), 50);
        EXPECT_EQ(doc.Picture.Height(), 45);
    }
}

} // namespace
