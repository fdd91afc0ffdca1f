#include "shapes/ShapeGradient.h"
#include "shapes/ShapeNames.h"
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

// The grey level of a pixel, for gradients from black to white.
int Grey(const TBitmap& b, int x, int y) { return GetRValue(b.GetPixel(x, y)); }

struct TBandProbe {
    TvekFillDirection Direction;
    int X0, Y0, Step0; // a pixel of the first band and the step it shows
    int X1, Y1, Step1; // a pixel about half way
    int X2, Y2, Step2; // a pixel of the last band
};

TEST(ShapeGradients, FirstMiddleAndLastBandsOfEveryPattern)
{
    // 510 pixels make the steps of most patterns whole pixels: black at step 0, white at 255.
    const TBandProbe probes[] = {
        {vgdUp, 5, 0, 0, 5, 255, 128, 5, 509, 255},
        {vgdDown, 5, 0, 0, 5, 255, 128, 5, 509, 255},
        {vgdLeft, 0, 5, 0, 255, 5, 128, 509, 5, 255},
        {vgdRight, 0, 5, 0, 255, 5, 128, 509, 5, 255},
        {vgdRectOut, 1, 1, 0, 128, 128, 127, 255, 255, 254},
        {vgdRectIn, 1, 1, 0, 128, 128, 127, 255, 255, 254},
        {vgdCircOut, 255, 1, 0, 255, 128, 127, 255, 255, 254},
        {vgdCircIn, 255, 1, 0, 255, 128, 127, 255, 255, 254},
        {vgdHorizCenter, 0, 5, 0, 128, 5, 128, 255, 5, 255},
        {vgdVertCenter, 5, 509, 0, 5, 128, 128, 5, 255, 255},
        {vgdNWSE, 0, 0, 0, 255, 255, 127, 509, 509, 254},
        {vgdNESW, 509, 0, 0, 255, 255, 127, 0, 509, 254},
        {vgdSENW, 509, 509, 0, 255, 255, 127, 0, 0, 254},
        {vgdSWNE, 0, 509, 0, 255, 255, 127, 509, 0, 254},
        {vgdUright, 0, 255, 0, 257, 255, 128, 507, 255, 253},
        {vgdULeft, 509, 255, 0, 252, 255, 128, 2, 255, 253},
        {vgdUDown, 255, 0, 0, 255, 257, 128, 255, 507, 253},
        {vgdUUp, 255, 509, 0, 255, 252, 128, 255, 2, 253},
        {vgdRCMix, 0, 0, 0, 128, 254, 128, 255, 254, 254},
        {vgdRCModulo, 0, 0, 0, 128, 254, 128, 255, 254, 254},
        {vgdQuatro, 0, 0, 1, 64, 128, 128, 126, 126, 252}, // a and b grow by half a pixel a step
        {vgdDuo, 0, 255, 1, 64, 254, 128, 128, 254, 254},
        {vgdLNE, 0, 0, 0, 257, 0, 128, 500, 5, 250},
        {vgdLNW, 509, 0, 0, 252, 0, 128, 9, 5, 250},
        {vgdUpDown, 0, 0, 0, 0, 256, 128, 0, 508, 254},
        {vgdLeftRight, 0, 0, 0, 256, 0, 128, 508, 0, 254},
    };
    ASSERT_EQ(std::size(probes), std::size_t(FillDirectionCount));
    for (const TBandProbe& p : probes) {
        TvekShape s;
        s.SetBounds(0, 0, 510, 510);
        SetPen(s, 1, psClear);
        s.SetBrush(TBrush{clBlack, bsSolid});
        s.SetGradientColor(clWhite);
        s.SetGradient(true);
        s.SetFillDirection(p.Direction);
        const TBitmap b = Stamp(s, 510, 510);
        // These patterns start from the gradient colour.
        const bool reversed = p.Direction == vgdDown || p.Direction == vgdRight || p.Direction == vgdRectOut ||
                              p.Direction == vgdCircOut;
        auto expected = [&](int step) { return reversed ? 255 - step : step; };
        EXPECT_EQ(Grey(b, p.X0, p.Y0), expected(p.Step0)) << FillDirectionNames[p.Direction];
        EXPECT_NEAR(Grey(b, p.X1, p.Y1), expected(p.Step1), 2) << FillDirectionNames[p.Direction];
        EXPECT_NEAR(Grey(b, p.X2, p.Y2), expected(p.Step2), 2) << FillDirectionNames[p.Direction];
    }
}

TEST(ShapeGradients, StepColoursRoundTheirShare)
{
    TvekShape s;
    s.SetBounds(0, 0, 20, 256);
    SetPen(s, 1, psClear);
    s.SetBrush(TBrush{RGB(10, 20, 30), bsSolid});
    s.SetGradientColor(RGB(250, 100, 0));
    s.SetGradient(true);
    TBitmap b = Stamp(s, 20, 256);
    EXPECT_EQ(b.GetPixel(3, 0), RGB(10, 20, 30));
    EXPECT_EQ(b.GetPixel(3, 128), RGB(130, 60, 15)); // 10 + 120.47, 20 + 40.16, 30 - 15.06
    EXPECT_EQ(b.GetPixel(3, 255), RGB(250, 100, 0));

    s.SetFillDirection(vgdDown);
    b = Stamp(s, 20, 256);
    EXPECT_EQ(b.GetPixel(3, 0), RGB(250, 100, 0));
    EXPECT_EQ(b.GetPixel(3, 255), RGB(10, 20, 30));
}

TEST(ShapeGradients, OutlineIsDrawnOverTheGradientWithoutFill)
{
    TvekShape s;
    s.SetBounds(0, 0, 64, 64);
    SetPen(s, 1, psSolid, clRed);
    s.SetShape(vstEllipse);
    s.SetBrush(TBrush{clBlue, bsSolid});
    s.SetGradientColor(clBlue);
    s.SetGradient(true);
    const TBitmap b = Stamp(s, 64, 64);
    EXPECT_EQ(b.GetPixel(32, 0), clRed);
    EXPECT_EQ(b.GetPixel(32, 32), clBlue);
    EXPECT_EQ(b.GetPixel(1, 1), Paper);
}


// Every band of a layout's base pattern drawn with the canvas, one after the other.
void DrawBands(TCanvas& c, const TGradientLayout& layout, int width, int height, const TShapeTransform& t)
{
    c.Brush.Style = bsSolid;
    c.Pen.Style = psClear;
    ForEachGradientBand(layout.Base, width, height, [&](const TGradientBand& b) {
        c.Brush.Color = GradientStepColor(layout.Start, layout.End, b.Step, layout.Steps);
        switch (b.Figure) {
        case TGradientBand::bdFillRect: c.FillRect(Rect(t.X(b.Left), t.Y(b.Top), t.X(b.Right), t.Y(b.Bottom))); break;
        case TGradientBand::bdRectangle: c.Rectangle(t.X(b.Left), t.Y(b.Top), t.X(b.Right), t.Y(b.Bottom)); break;
        case TGradientBand::bdEllipse: c.Ellipse(t.X(b.Left), t.Y(b.Top), t.X(b.Right), t.Y(b.Bottom)); break;
        case TGradientBand::bdRoundRect:
            c.RoundRect(t.X(b.Left), t.Y(b.Top), t.X(b.Right), t.Y(b.Bottom), t.SizeX(b.CornerWidth),
                        t.SizeY(b.CornerHeight));
            break;
        case TGradientBand::bdPolygon: {
            std::vector<TPoint> points;
            for (int k = 0; k < b.Count; ++k) points.push_back({t.X(b.Points[k].X), t.Y(b.Points[k].Y)});
            c.Polygon(points);
            break;
        }
        }
    });
}

// The plain way to draw a pattern: every band with the canvas, in order, over the picture; a turned
// pattern is its base pattern drawn on the turned picture, turned back.
void ReferenceGradient(TBitmap& picture, TvekFillDirection direction, TColor brush, TColor gradient,
                       const TShapeTransform& t)
{
    const int width = picture.Width(), height = picture.Height();
    const TGradientLayout layout = GradientLayout(direction, brush, gradient, width, height);
    auto turn = [&](TBitmap& b) {
        TBitmap turned(b.Width(), b.Height());
        for (int y = 0; y < b.Height(); ++y)
            for (int x = 0; x < b.Width(); ++x)
                turned.SetPixel(layout.FlipX ? b.Width() - 1 - x : x, layout.FlipY ? b.Height() - 1 - y : y,
                                b.GetPixel(x, y));
        b = turned;
    };
    turn(picture);
    DrawBands(picture.Canvas(), layout, width, height, t);
    turn(picture);
}

TBitmap Background(int width, int height)
{
    TBitmap b(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) b.SetPixel(x, y, RGB(x * 3, 7, y * 5));
    return b;
}

TEST(ShapeGradients, EveryPatternPaintsWhatItsBandsDrawOneByOne)
{
    for (const auto& [w, h] : {std::pair{61, 47}, std::pair{300, 9}, std::pair{2, 130}}) {
        for (int d = 0; d < FillDirectionCount; ++d) {
            const auto direction = TvekFillDirection(d);
            TBitmap fast = Background(w, h), slow = Background(w, h);
            PaintGradient(fast.Canvas(), direction, RGB(250, 10, 30), RGB(5, 190, 240), w, h, {});
            ReferenceGradient(slow, direction, RGB(250, 10, 30), RGB(5, 190, 240), {});
            ASSERT_EQ(fast, slow) << FillDirectionNames[d] << " " << w << "x" << h;
        }
    }
}

TEST(ShapeGradients, KeepToTheClipRegionAndTheTransform)
{
    const TShapeTransform t{7, -3, 1.5L, 0.75L};
    for (TvekFillDirection direction : {vgdUp, vgdCircIn, vgdRCMix, vgdUright, vgdQuatro, vgdHorizCenter}) {
        TBitmap fast = Background(80, 60), slow = Background(80, 60);
        const QRegion clip = EllipticRegion(5, 5, 70, 50) ^ RectRegion(30, 20, 40, 30);
        fast.Canvas().SetClipRegion(clip);
        slow.Canvas().SetClipRegion(clip);
        PaintGradient(fast.Canvas(), direction, clBlack, clWhite, 50, 70, t);
        // The reference over the same transform, untouched outside the clip.
        DrawBands(slow.Canvas(), GradientLayout(direction, clBlack, clWhite, 50, 70), 50, 70, t);
        EXPECT_EQ(fast, slow) << FillDirectionNames[direction];
    }
}

} // namespace
