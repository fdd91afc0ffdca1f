#include "CanvasTestHelpers.h"

#include <gtest/gtest.h>

#include <climits>

// Copying pictures, and drawing far outside or on nothing.

TEST(CanvasCopyTest, DrawLeavesTheTransparentColourOut)
{
    TBitmap overlay = WhiteBitmap(6, 6);
    overlay.Canvas().Brush.Color = clRed;
    overlay.Canvas().FillRect(Rect(1, 1, 5, 5));
    TBitmap b(10, 10);
    b.Canvas().Brush.Color = clBlue;
    b.Canvas().FillRect(Rect(0, 0, 10, 10));

    TBitmap opaque(b);
    opaque.Canvas().Draw(2, 3, overlay);
    EXPECT_EQ(CountOf(opaque, clWhite), 20);
    EXPECT_EQ(BoundsOf(opaque, clRed), QRect(3, 4, 4, 4));

    overlay.SetTransparent(true); // the bottom-left pixel (white) is the transparent colour
    b.Canvas().Draw(2, 3, overlay);
    EXPECT_EQ(CountOf(b, clWhite), 0) << Art(b);
    EXPECT_EQ(BoundsOf(b, clRed), QRect(3, 4, 4, 4));
    overlay.SetTransparentColor(clRed);
    b.Canvas().Draw(-2, -2, overlay); // partly outside: the rest still lands
    EXPECT_EQ(b.GetPixel(0, 0), clBlue) << Art(b);
    EXPECT_EQ(b.GetPixel(3, 0), clWhite);
    EXPECT_EQ(b.GetPixel(0, 3), clWhite);
    EXPECT_EQ(CountOf(b, clWhite), 7);

    // A palette picture onto a true-colour one, and the other way round.
    TBitmap pal(overlay);
    pal.SetPixelFormat(pf8bit);
    pal.SetTransparent(false);
    TBitmap t = WhiteBitmap(8, 8);
    t.Canvas().Draw(1, 1, pal);
    EXPECT_EQ(BoundsOf(t, clRed), QRect(2, 2, 4, 4));
    TBitmap p8 = WhiteBitmap(8, 8, pf8bit);
    overlay.SetTransparent(false);
    p8.Canvas().Draw(1, 1, overlay);
    EXPECT_EQ(BoundsOf(p8, clRed), QRect(2, 2, 4, 4));
}

TEST(CanvasCopyTest, CopyRectStretchesByNearestNeighbour)
{
    TBitmap src(3, 2);
    const TColor colours[6] = {clRed, clBlue, clBlack, clLime, clYellow, clAqua};
    for (int i = 0; i < 6; ++i) src.SetPixel(i % 3, i / 3, colours[i]);
    TBitmap b = WhiteBitmap(10, 10);
    b.Canvas().CopyRect(Rect(1, 1, 7, 5), src, Rect(0, 0, 3, 2));
    for (int y = 1; y < 5; ++y)
        for (int x = 1; x < 7; ++x) EXPECT_EQ(b.GetPixel(x, y), colours[(y - 1) / 2 * 3 + (x - 1) / 2]) << x << "," << y;
    EXPECT_EQ(CountOf(b, clWhite), 100 - 24);

    // A reversed destination mirrors; shrinking picks source pixels.
    TBitmap m = WhiteBitmap(3, 2);
    m.Canvas().CopyRect(Rect(3, 0, 0, 2), src, Rect(0, 0, 3, 2));
    EXPECT_EQ(m.GetPixel(0, 0), clBlack);
    EXPECT_EQ(m.GetPixel(2, 1), clLime);
    TBitmap s = WhiteBitmap(1, 1);
    s.Canvas().StretchDraw(Rect(0, 0, 1, 1), src);
    EXPECT_EQ(s.GetPixel(0, 0), clRed);
    // Source pixels outside the source bitmap leave the destination alone.
    TBitmap o = WhiteBitmap(6, 2);
    o.Canvas().CopyRect(Rect(0, 0, 6, 2), src, Rect(-3, 0, 3, 2));
    EXPECT_EQ(o.GetPixel(2, 0), clWhite);
    EXPECT_EQ(o.GetPixel(3, 0), clRed);
}

TEST(CanvasCopyTest, CopyingWithinOneBitmapReadsTheOldPixels)
{
    TBitmap b(8, 1);
    for (int x = 0; x < 8; ++x) b.SetPixel(x, 0, RGB(x * 10, 0, 0));
    b.Canvas().CopyRect(Rect(1, 0, 8, 1), b, Rect(0, 0, 7, 1));
    for (int x = 1; x < 8; ++x) EXPECT_EQ(b.GetPixel(x, 0), RGB((x - 1) * 10, 0, 0));
}

TEST(CanvasCopyTest, CopyModesCombineSourceAndDestination)
{
    const TBitmap original = NoiseBitmap(12, 12, pf24bit);
    const TBitmap src = NoiseBitmap(5, 5, pf16bit);
    TBitmap b(original);
    b.Canvas().CopyMode = cmSrcInvert;
    b.Canvas().Draw(3, 3, src);
    EXPECT_FALSE(b == original);
    b.Canvas().Draw(3, 3, src);
    EXPECT_TRUE(b == original);
    b.Canvas().CopyMode = cmSrcAnd;
    TBitmap black(5, 5);
    b.Canvas().Draw(0, 0, black);
    EXPECT_EQ(BoundsOf(b, clBlack), QRect(0, 0, 5, 5));
    b.Canvas().CopyMode = cmNotSrcCopy;
    b.Canvas().Draw(0, 0, black);
    EXPECT_EQ(BoundsOf(b, clWhite), QRect(0, 0, 5, 5));
}

TEST(CanvasCopyTest, FarCoordinatesAndEmptyBitmapsAreHarmless)
{
    const int big = INT_MAX, small = INT_MIN;
    auto everything = [&](TCanvas& c) {
        c.Pen.Width = 1;
        for (int pass = 0; pass < 2; ++pass) {
            c.Rectangle(small, small, big, big);
            c.Ellipse(small, small, big, big);
            c.Ellipse(big - 5, big - 5, big, big);
            c.RoundRect(small, 5, big, 9, big, big);
            c.Pie(small, small, big, big, big, 0, small, 0);
            c.Chord(-big, 3, big, 20, 0, small, 0, big);
            c.Arc(small, small, 4, 4, 0, 0, 0, 0);
            c.MoveTo(small, small);
            c.LineTo(big, big);
            c.LineTo(big, small);
            c.Polyline({{small, 0}, {big, 3}, {0, big}});
            c.Polygon({{small, small}, {big, 0}, {0, big}});
            c.Polygon({});
            c.Polygon({{1, 1}});
            c.Polygon({{1, 1}, {5, 5}});
            c.FillRect(Rect(small, small, big, big));
            c.FrameRect(Rect(small, small, big, big));
            c.DrawFocusRect(Rect(small, small, big, big));
            c.TextOut(big, big, "far");
            c.TextOut(small, 2, "far");
            c.CopyRect(Rect(small, small, big, big), c.Bitmap(), Rect(0, 0, 3, 3));
            c.CopyRect(Rect(0, 0, 3, 3), c.Bitmap(), Rect(small, small, big, big));
            c.StretchDraw(Rect(big, big, small, small), c.Bitmap());
            c.Draw(big, small, c.Bitmap());
            c.Pen.Width = 1 << 30; // wider than everything
        }
    };
    TBitmap b(16, 16);
    everything(b.Canvas());
    TBitmap e;
    everything(e.Canvas());
    EXPECT_TRUE(e.Empty());
    TBitmap p(9, 7, pf4bit);
    p.Canvas().SetClipRegion(QRegion(2, 2, 3, 3));
    everything(p.Canvas());
}
