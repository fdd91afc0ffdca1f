#include "shapes/ShapeGradient.h"
#include "shapes/ShapeNames.h"
#include "shapes/TvekShape.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor Paper = RGB(0, 200, 0);

TBitmap Stamp(TvekShape& shape, int width, int height)
{
    TBitmap b(width, height);
    b.Canvas().Brush = TBrush{Paper, bsSolid};
    b.Canvas().FillRect(Rect(0, 0, width, height));
    shape.PaintTo(b.Canvas(), 0, 0, 1.0, 1.0);
    return b;
}

void SetPen(TvekShape& s, int width, TPenStyle style = psSolid, TColor color = clBlack)
{
    s.SetPen(TPen{color, width, style, pmCopy});
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
