#include "shapes/ShapePainter.h"
#include "shapes/TvekShape.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr TColor Paper = RGB(0, 200, 0); // a background no shape colour uses

TBitmap Sheet(int width, int height)
{
    TBitmap b(width, height);
    b.Canvas().Brush = TBrush{Paper, bsSolid};
    b.Canvas().FillRect(Rect(0, 0, width, height));
    return b;
}

TBitmap Stamp(TvekShape& shape, int width, int height, int x = 0, int y = 0)
{
    TBitmap b = Sheet(width, height);
    shape.PaintTo(b.Canvas(), x, y, 1.0, 1.0);
    return b;
}

void SetPen(TvekShape& s, int width, TPenStyle style = psSolid, TColor color = clBlack)
{
    s.SetPen(TPen{color, width, style, pmCopy});
}

TEST(ShapeBox, FollowsPenWidthScaleAndSquareKinds)
{
    TvekShape s;
    TDrawingBox b = ShapeDrawingBox(s, {});
    EXPECT_EQ(b.L, 0);
    EXPECT_EQ(b.W, 65);
    EXPECT_EQ(b.R, 64);
    EXPECT_EQ(b.B, 64);
    EXPECT_EQ(b.W16, 4);

    SetPen(s, 4);
    b = ShapeDrawingBox(s, {});
    EXPECT_EQ(b.L, 2);
    EXPECT_EQ(b.W, 62);
    SetPen(s, 0);
    EXPECT_EQ(ShapeDrawingBox(s, {}).W, 65);

    SetPen(s, 1);
    s.SetBounds(0, 0, 100, 60);
    s.SetShape(vstCircle);
    b = ShapeDrawingBox(s, {});
    EXPECT_EQ(b.L, 20);
    EXPECT_EQ(b.T, 0);
    EXPECT_EQ(b.W, 60);
    EXPECT_EQ(b.H, 60);

    s.SetShape(vstRectangle);
    SetPen(s, 3);
    b = ShapeDrawingBox(s, {10, 20, 2.5L, 0.5L});
    EXPECT_EQ(b.L, 12); // Round(1 x 2.5) = 2, halves to even
    EXPECT_EQ(b.T, 20); // Round(0.5) = 0
    EXPECT_EQ(b.W, 245);
    EXPECT_EQ(b.H, 29);
    EXPECT_EQ(b.R, 12 + 245 - 2);
    EXPECT_EQ(b.B, 20 + 29 - 0);
}

TEST(ShapeOutlines, VerticesLieWhereTheBoxPutsThem)
{
    TvekShape s;
    s.SetShape(vstTriangleUp);
    TBitmap b = Stamp(s, 65, 65);
    EXPECT_EQ(b.GetPixel(32, 0), clBlack); // apex at (L + W2, T)
    EXPECT_EQ(b.GetPixel(31, 0), Paper);
    EXPECT_EQ(b.GetPixel(33, 0), Paper);
    EXPECT_EQ(b.GetPixel(0, 64), clBlack);
    EXPECT_EQ(b.GetPixel(64, 64), clBlack);
    EXPECT_EQ(b.GetPixel(32, 40), clWhite); // filled with the brush

    s.SetShape(vstArrowRight);
    b = Stamp(s, 65, 65);
    EXPECT_EQ(b.GetPixel(64, 32), clBlack); // tip (R, T + H2)
    EXPECT_EQ(b.GetPixel(48, 0), clBlack);  // barb (R - W4, T)
    EXPECT_EQ(b.GetPixel(0, 28), clBlack);  // shaft (L, T + H2 - H16)
    EXPECT_EQ(b.GetPixel(0, 27), Paper);
    EXPECT_EQ(b.GetPixel(10, 32), clWhite);

    s.SetShape(vstCubeUpRight);
    b = Stamp(s, 65, 65);
    EXPECT_EQ(b.GetPixel(21, 0), clBlack);  // back edge starts at (L + W3, T)
    EXPECT_EQ(b.GetPixel(43, 64), clBlack); // front face corner (R - W3, B)
    EXPECT_EQ(b.GetPixel(0, 0), Paper);
    EXPECT_EQ(b.GetPixel(64, 64), Paper);

    s.SetShape(vstBowlDown); // the lower half of the ellipse
    b = Stamp(s, 65, 65);
    EXPECT_EQ(b.GetPixel(32, 10), Paper);
    EXPECT_EQ(b.GetPixel(32, 50), clWhite);
    EXPECT_EQ(b.GetPixel(32, 64), clBlack);
}

TEST(ShapeOutlines, EveryKindDrawsInsideItsControl)
{
    // A shape drawn at (20, 20) leaves the sheet around its control alone and changes some pixels.
    for (int kind = 0; kind < ShapeTypeCount; ++kind) {
        for (bool gradient : {false, true}) {
            TvekShape s;
            s.SetBounds(0, 0, 80, 60);
            s.SetShape(TvekShapeType(kind));
            s.SetGradient(gradient);
            s.SetBrush(TBrush{clBlue, bsSolid});
            s.SetGradientColor(clRed);
            TBitmap b = Stamp(s, 120, 100, 20, 20);
            int inside = 0;
            for (int y = 0; y < 100; ++y)
                for (int x = 0; x < 120; ++x) {
                    const bool within = x >= 20 && x < 100 && y >= 20 && y < 80;
                    if (!within) {
                        ASSERT_EQ(b.GetPixel(x, y), Paper) << kind << " at " << x << "," << y;
                    }
                    if (within && b.GetPixel(x, y) != Paper) ++inside;
                }
            EXPECT_GT(inside, 300) << kind;
        }
    }
}

TEST(ShapeOutlines, HoleKindsCutTheGradientButNotTheSolidFill)
{
    TvekShape s;
    s.SetBounds(0, 0, 80, 80);
    SetPen(s, 1, psClear);
    s.SetBrush(TBrush{clBlue, bsSolid});
    s.SetGradientColor(clBlue);
    for (TvekShapeType kind : {vstTorus, vstFrame, vst1Hole}) {
        s.SetShape(kind);
        s.SetGradient(false);
        EXPECT_EQ(Stamp(s, 80, 80).GetPixel(40, 40), clBlue) << kind;
        s.SetGradient(true);
        TBitmap b = Stamp(s, 80, 80);
        EXPECT_EQ(b.GetPixel(40, 40), Paper) << kind; // the inner figure is out of the clip
        EXPECT_EQ(b.GetPixel(40, 8), clBlue) << kind;  // the ring is in
    }
    // Two holes: both cut out, the body between and around them kept.
    s.SetShape(vst2HoleHoriz);
    TBitmap b = Stamp(s, 80, 80);
    EXPECT_EQ(b.GetPixel(20, 40), Paper);
    EXPECT_EQ(b.GetPixel(60, 40), Paper);
    EXPECT_EQ(b.GetPixel(40, 40), clBlue);
    // Joined kinds fill both parts, also where they overlap.
    s.SetShape(vstCloudLeft);
    b = Stamp(s, 80, 80);
    EXPECT_EQ(b.GetPixel(25, 25), clBlue);
    EXPECT_EQ(b.GetPixel(40, 40), clBlue);
    EXPECT_EQ(b.GetPixel(55, 55), clBlue);
    EXPECT_EQ(b.GetPixel(75, 5), Paper);
    // The bowl's clip is the half ellipse.
    s.SetShape(vstBowlLeft);
    b = Stamp(s, 80, 80);
    EXPECT_EQ(b.GetPixel(20, 40), clBlue);
    EXPECT_EQ(b.GetPixel(60, 40), Paper);
}

TEST(ShapeOutlines, UserOutlineMapsUnitPointsAndDrawsOpenLinesUnfilled)
{
    TvekShape s;
    s.SetShape(vstUser);
    ASSERT_TRUE(s.SetUserVectorString("tri=0.5,0,1,1,0,1"));
    TBitmap b = Stamp(s, 65, 65);
    EXPECT_EQ(b.GetPixel(32, 0), clBlack);
    EXPECT_EQ(b.GetPixel(64, 64), clBlack);
    EXPECT_EQ(b.GetPixel(32, 50), clWhite);

    // Open: the closing edge back up the left side is missing and nothing is filled, gradient or not.
    s.SetPolyLineMode(true);
    s.SetGradient(true);
    b = Stamp(s, 65, 65);
    EXPECT_EQ(b.GetPixel(32, 0), clBlack);
    EXPECT_EQ(b.GetPixel(32, 64), clBlack);
    EXPECT_EQ(b.GetPixel(16, 32), Paper);
    EXPECT_EQ(b.GetPixel(48, 32), clBlack);
    EXPECT_EQ(b.GetPixel(32, 50), Paper);

    // Points outside the unit square reach outside the box.
    s.SetPolyLineMode(false);
    s.SetGradient(false);
    ASSERT_TRUE(s.SetUserVectorString("out=0,0,2,0,2,1,0,1"));
    b = Stamp(s, 140, 65);
    EXPECT_EQ(b.GetPixel(128, 0), clBlack);
}

// The columns and rows that the caption changed.
TRect Ink(const TBitmap& b, TColor background)
{
    TRect r{b.Width(), b.Height(), -1, -1};
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.GetPixel(x, y) != background) {
                r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x), r.Bottom = std::max(r.Bottom, y);
            }
    return r;
}

TvekShape& CaptionOnly(TvekShape& s, const std::string& caption)
{
    SetPen(s, 1, psClear);
    s.SetBrush(TBrush{clWhite, bsClear});
    TFont f;
    f.Size = 12;
    f.Color = clBlack;
    s.SetFont(f);
    s.SetCaption(caption);
    return s;
}

TEST(ShapeCaption, IsCentredPlacedOrMovedAwayFromAWideText)
{
    TvekShape s;
    s.SetBounds(0, 0, 200, 100);
    CaptionOnly(s, "Hi");
    TRect ink = Ink(Stamp(s, 200, 100), Paper);
    ASSERT_LE(ink.Left, ink.Right);
    EXPECT_NEAR((ink.Left + ink.Right) / 2.0, 100, 4);
    EXPECT_NEAR((ink.Top + ink.Bottom) / 2.0, 50, 6);

    // Stamped elsewhere, it lands in the same place relative to the shape.
    TRect moved = Ink(Stamp(s, 300, 200, 60, 70), Paper);
    EXPECT_EQ(moved.Left, ink.Left + 60);
    EXPECT_EQ(moved.Top, ink.Top + 70);

    s.SetCaptionCentered(false);
    s.SetCaptionX(30);
    s.SetCaptionY(10);
    ink = Ink(Stamp(s, 200, 100), Paper);
    EXPECT_GE(ink.Left, 30);
    EXPECT_LE(ink.Left, 33);
    EXPECT_GE(ink.Top, 10);

    // Wider than the box: starts 5 pixels in, and is cut at the control's edge.
    s.SetCaptionCentered(true);
    s.SetCaption("A caption far wider than this little shape");
    s.SetBounds(0, 0, 60, 40);
    ink = Ink(Stamp(s, 200, 100), Paper);
    EXPECT_GE(ink.Left, 5);
    EXPECT_LE(ink.Left, 7);
    EXPECT_LE(ink.Right, 59);
    // The same when the shape is stamped away from the origin.
    TRect far = Ink(Stamp(s, 300, 200, 100, 100), Paper);
    EXPECT_EQ(far.Left, ink.Left + 100);
}

TEST(ShapeCaption, AngleTurnsTheTextAboutItsStart)
{
    TvekShape s;
    s.SetBounds(0, 0, 200, 200);
    CaptionOnly(s, "Upwards");
    s.SetCaptionCentered(false);
    s.SetCaptionX(100);
    s.SetCaptionY(150);
    s.SetCaptionAngle(90);
    TRect ink = Ink(Stamp(s, 200, 200), Paper);
    EXPECT_LT(ink.Bottom, 152);    // runs upwards from its start point
    EXPECT_LT(ink.Top, 110);
    EXPECT_GE(ink.Left, 98);       // the cell lies to the right of the start when turned up
    EXPECT_LT(ink.Right - ink.Left, 30);

    s.SetCaptionAngle(90 + 360 * 1000000); // whole turns change nothing
    EXPECT_EQ(Ink(Stamp(s, 200, 200), Paper), ink);
}

TEST(ShapeCaption, WhiteTextDoesNotShowAndUserDrawingReplacesTheCaption)
{
    TvekShape s;
    s.SetBounds(0, 0, 100, 50);
    CaptionOnly(s, "Hi");
    TFont f = s.Font();
    f.Color = clWhite;
    s.SetFont(f);
    TBitmap b = Stamp(s, 100, 50);
    EXPECT_EQ(Ink(b, Paper).Right, -1);

    f.Color = clBlack;
    s.SetFont(f);
    s.SetbyUser(true);
    int calls = 0;
    s.onUserDraw = [&](TvekShape& sender) {
        ++calls;
        sender.Canvas()->SetPixel(1, 1, clRed);
    };
    b = Stamp(s, 100, 50);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(b.GetPixel(1, 1), clRed);
    EXPECT_EQ(Ink(b, Paper), Rect(1, 1, 1, 1));
}

TEST(ShapePaint, OnScreenMatchesTheStampAndAddsTheSelectionMarker)
{
    TvekShape s;
    s.SetBounds(30, 20, 70, 50);
    s.SetShape(vstHexagon);
    s.SetGradient(true);
    s.SetBrush(TBrush{clYellow, bsSolid});
    s.SetCaption("Hex");
    TBitmap screen = Sheet(150, 100);
    s.SetParentCanvas(&screen.Canvas());
    s.Paint();
    EXPECT_EQ(screen, Stamp(s, 150, 100, 30, 20));

    s.SetSelected(true);
    s.Paint();
    EXPECT_EQ(screen.GetPixel(30 + 34, 20 + 24), clRed); // centre (L + W2, T + H2)
    EXPECT_EQ(screen.GetPixel(30 + 30, 20 + 20), clBlack);
    const TBitmap stamped = Stamp(s, 150, 100, 30, 20);
    EXPECT_NE(stamped.GetPixel(30 + 34, 20 + 24), clRed);

    s.SetVisible(false);
    TBitmap hidden = Sheet(150, 100);
    s.SetParentCanvas(&hidden.Canvas());
    s.Paint();
    EXPECT_EQ(hidden, Sheet(150, 100));
}

TEST(ShapePaint, ScaleMapsPositionsAndSizes)
{
    TvekShape s;
    s.SetBounds(0, 0, 20, 10);
    SetPen(s, 1, psSolid, clRed);
    s.SetBrush(TBrush{clBlue, bsSolid});
    TBitmap b = Sheet(100, 100);
    s.PaintTo(b.Canvas(), 5, 7, 3.0, 2.0);
    EXPECT_EQ(Ink(b, Paper), Rect(5, 7, 5 + 60 - 1, 7 + 20 - 1));
    EXPECT_EQ(b.GetPixel(30, 15), clBlue);

    // Huge, negative and degenerate placements draw what fits and nothing else.
    TBitmap c = Sheet(50, 50);
    s.SetBounds(0, 0, 2000000000, 2000000000);
    s.SetGradient(true);
    s.SetCaption("big");
    s.PaintTo(c.Canvas(), -1000000000, -1000000000, 1.0, 1.0);
    s.SetBounds(0, 0, -40, -40);
    s.PaintTo(c.Canvas(), 10, 10, 1.0, 1.0);
    s.PaintTo(c.Canvas(), 10, 10, 0.0, 0.0);
}

} // namespace
