#include "CanvasTestHelpers.h"

#include <gtest/gtest.h>

// Pen modes, hatches, the focus rectangle, palette bitmaps and clip regions.

TEST(CanvasModeTest, PenModesCombineWithThePixels)
{
    struct Case {
        TPenMode mode;
        TColor expect; // on a pixel of 0x336699 (r 0x99, g 0x66, b 0x33) with pen 0x0F0F0F
    };
    const TColor dst = RGB(0x99, 0x66, 0x33), pen = 0x0F0F0F;
    for (Case k : {Case{pmCopy, pen}, Case{pmNot, ~dst & 0xFFFFFF}, Case{pmXor, dst ^ pen},
                   Case{pmNotXor, ~(dst ^ pen) & 0xFFFFFF}, Case{pmMerge, dst | pen}, Case{pmMask, dst & pen},
                   Case{pmBlack, clBlack}, Case{pmWhite, clWhite}, Case{pmNop, dst}}) {
        for (TPixelFormat f : {pf24bit, pf32bit}) {
            TBitmap b(8, 8, f);
            b.Canvas().Brush.Color = dst;
            b.Canvas().FillRect(Rect(0, 0, 8, 8));
            b.Canvas().Pen.Mode = k.mode;
            b.Canvas().Pen.Color = pen;
            b.Canvas().Brush.Color = pen;
            b.Canvas().Rectangle(1, 1, 7, 7); // outline and interior both follow the mode
            EXPECT_EQ(b.GetPixel(1, 1), k.expect) << k.mode << " " << f;
            EXPECT_EQ(b.GetPixel(3, 3), k.expect) << k.mode << " " << f;
            EXPECT_EQ(b.GetPixel(0, 0), dst);
        }
    }
}

TEST(CanvasModeTest, XorTwiceRestoresEveryFormat)
{
    for (TPixelFormat f : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
        const TBitmap original = NoiseBitmap(40, 30, f);
        TBitmap b(original);
        TCanvas& c = b.Canvas();
        c.Pen.Mode = pmXor;
        // Light colours, so that even the monochrome palette xors with its white entry.
        c.Pen.Color = RGB(230, 200, 220);
        c.Brush.Color = RGB(200, 250, 210);
        c.Pen.Width = 3;
        auto draw = [&] {
            c.Ellipse(-5, 2, 30, 25);
            c.Polygon({{0, 0}, {39, 5}, {20, 29}});
            c.MoveTo(0, 29);
            c.LineTo(39, 0);
            c.Pie(5, 5, 35, 28, 0, 0, 39, 29);
        };
        draw();
        EXPECT_FALSE(b == original) << f;
        draw();
        EXPECT_TRUE(b == original) << f;
        c.Pen.Mode = pmNot;
        c.Pen.Width = 1;
        c.RoundRect(3, 3, 33, 27, 9, 9);
        c.RoundRect(3, 3, 33, 27, 9, 9);
        EXPECT_TRUE(b == original) << f;
    }
}

TEST(CanvasModeTest, PaletteBitmapsStayInsideTheirPalette)
{
    // Xor and not on a small palette keep every index inside it (the image stays valid while a
    // frame is shown) and still undo themselves.
    const std::vector<TRGBQuad> pal{ColorToQuad(clBlack), ColorToQuad(clRed), ColorToQuad(clLime),
                                    ColorToQuad(clBlue), ColorToQuad(clWhite)};
    TBitmap b = NoiseBitmap(30, 20, pf24bit);
    b.ConvertToPalette(pf8bit, pal);
    const TBitmap original(b);
    b.Canvas().Pen.Mode = pmXor;
    b.Canvas().Pen.Color = clLime;
    b.Canvas().Brush.Color = clLime;
    b.Canvas().Rectangle(2, 2, 28, 18);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) ASSERT_LT(b.GetPixelIndex(x, y), 5);
    b.Canvas().Rectangle(2, 2, 28, 18);
    EXPECT_TRUE(b == original);

    // Copy mode writes the nearest palette entry of the colour.
    b.Canvas().Pen.Mode = pmCopy;
    b.Canvas().Brush.Color = RGB(240, 20, 10);
    b.Canvas().Pen.Color = RGB(20, 20, 230);
    b.Canvas().Ellipse(0, 0, 30, 20);
    EXPECT_EQ(b.GetPixelIndex(15, 10), 1);
    EXPECT_EQ(b.GetPixelIndex(0, 10), 3);
    TBitmap mono = WhiteBitmap(16, 16, pf1bit);
    mono.Canvas().Brush.Color = RGB(30, 30, 30);
    mono.Canvas().FillRect(Rect(4, 4, 12, 12));
    EXPECT_EQ(mono.GetPixel(4, 4), clBlack);
    EXPECT_EQ(mono.GetPixel(12, 12), clWhite);
    EXPECT_EQ(CountOf(mono, clBlack), 64);
    // A palette longer than the pixels can index: only the reachable entries are drawn with.
    TBitmap nibble(8, 8, pf4bit);
    std::vector<TRGBQuad> longPal(40, ColorToQuad(clBlack));
    longPal[39] = ColorToQuad(clRed);
    longPal[3] = ColorToQuad(clMaroon);
    nibble.SetPalette(longPal);
    nibble.Canvas().Brush.Color = clRed;
    nibble.Canvas().FillRect(Rect(0, 0, 8, 8));
    EXPECT_EQ(nibble.GetPixelIndex(2, 2), 3);
    TBitmap vga = WhiteBitmap(16, 16, pf4bit);
    vga.Canvas().Pen.Color = RGB(250, 250, 5);
    vga.Canvas().MoveTo(0, 3);
    vga.Canvas().LineTo(16, 3);
    EXPECT_EQ(vga.GetPixel(7, 3), clYellow);
    EXPECT_EQ(vga.GetPixel(7, 4), clWhite);
}

TEST(CanvasModeTest, FocusRectangleIsADottedInversionThatUndoesItself)
{
    for (TPixelFormat f : {pf4bit, pf8bit, pf16bit, pf24bit}) {
        const TBitmap original = NoiseBitmap(20, 16, f);
        TBitmap b(original);
        b.Canvas().DrawFocusRect(Rect(2, 3, 15, 12));
        int changed = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 20; ++x) {
                const bool onFrame = (x == 2 || x == 14 || y == 3 || y == 11) && x >= 2 && x <= 14 && y >= 3 && y <= 11;
                const bool differs = b.GetPixel(x, y) != original.GetPixel(x, y);
                if (!onFrame) ASSERT_FALSE(differs) << x << "," << y << " " << f;
                changed += differs;
            }
        // Every other pixel of the 13 x 9 frame (40 pixels) is inverted.
        EXPECT_NEAR(changed, 20, 1) << f;
        b.Canvas().DrawFocusRect(Rect(2, 3, 15, 12));
        EXPECT_TRUE(b == original) << f;
    }
    // Degenerate frames (one row, one column) also undo themselves.
    const TBitmap original = NoiseBitmap(10, 10, pf24bit);
    TBitmap b(original);
    for (TRect r : {Rect(1, 1, 8, 2), Rect(4, 1, 5, 9), Rect(3, 3, 4, 4), Rect(-5, -5, 50, 50)}) {
        b.Canvas().DrawFocusRect(r);
        b.Canvas().DrawFocusRect(r);
        EXPECT_TRUE(b == original);
    }
}

TEST(CanvasModeTest, HatchedBrushesLeaveTheirGaps)
{
    TBitmap b = WhiteBitmap(16, 16);
    b.Canvas().Brush.Color = clBlue;
    b.Canvas().Brush.Style = bsHorizontal;
    b.Canvas().FillRect(Rect(0, 0, 16, 16));
    for (int y = 0; y < 16; ++y) EXPECT_EQ(b.GetPixel(5, y), y % 8 == 3 ? clBlue : clWhite) << y;
    EXPECT_EQ(CountOf(b, clBlue), 32);

    TBitmap v = WhiteBitmap(16, 16);
    v.Canvas().Brush.Color = clBlue;
    v.Canvas().Brush.Style = bsCross;
    v.Canvas().Pen.Style = psClear;
    v.Canvas().Ellipse(0, 0, 16, 16);
    EXPECT_EQ(v.GetPixel(4, 8), clBlue) << Art(v);
    EXPECT_EQ(v.GetPixel(8, 11), clBlue);
    EXPECT_EQ(v.GetPixel(5, 5), clWhite);
    // The pattern is fixed to the bitmap, not to the figure: two fills meet without a seam.
    TBitmap d = WhiteBitmap(16, 8), e = WhiteBitmap(16, 8);
    d.Canvas().Brush.Style = e.Canvas().Brush.Style = bsFDiagonal;
    d.Canvas().Brush.Color = e.Canvas().Brush.Color = clBlue;
    d.Canvas().FillRect(Rect(0, 0, 16, 8));
    e.Canvas().FillRect(Rect(0, 0, 5, 8));
    e.Canvas().FillRect(Rect(5, 0, 16, 8));
    EXPECT_TRUE(d == e);
    EXPECT_EQ(d.GetPixel(0, 0), clBlue);
    EXPECT_EQ(d.GetPixel(1, 1), clBlue);
    EXPECT_EQ(d.GetPixel(1, 0), clWhite);
}

TEST(CanvasModeTest, ClipRegionsLimitAndCombine)
{
    auto filled = [](const std::function<void(TCanvas&)>& setup) {
        TBitmap b = WhiteBitmap(20, 20);
        setup(b.Canvas());
        b.Canvas().Brush.Color = clRed;
        b.Canvas().FillRect(Rect(0, 0, 20, 20));
        return b;
    };
    const QRegion a(0, 0, 10, 10), b(5, 5, 10, 10);
    auto expect = [&](const TBitmap& bmp, const QRegion& region) {
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 20; ++x)
                ASSERT_EQ(bmp.GetPixel(x, y), region.contains(QPoint(x, y)) ? clRed : clWhite) << x << "," << y << Art(bmp);
    };
    expect(filled([&](TCanvas& c) { c.SetClipRegion(a); }), a);
    expect(filled([&](TCanvas& c) { c.SetClipRegion(a); c.CombineClipRegion(b, rgnAnd); }), a & b);
    expect(filled([&](TCanvas& c) { c.SetClipRegion(a); c.CombineClipRegion(b, rgnOr); }), a | b);
    expect(filled([&](TCanvas& c) { c.SetClipRegion(a); c.CombineClipRegion(b, rgnXor); }), a ^ b);
    expect(filled([&](TCanvas& c) { c.SetClipRegion(a); c.CombineClipRegion(b, rgnDiff); }), a - b);
    expect(filled([&](TCanvas& c) { c.SetClipRegion(a); c.CombineClipRegion(b, rgnCopy); }), b);
    // Without a clip region the whole bitmap takes part in the combination.
    expect(filled([&](TCanvas& c) { c.CombineClipRegion(b, rgnDiff); }), QRegion(0, 0, 20, 20) - b);
    expect(filled([&](TCanvas& c) { c.SetClipRegion(a); c.ClearClipRegion(); }), QRegion(0, 0, 20, 20));
    expect(filled([&](TCanvas& c) { c.SetClipRegion(QRegion()); }), QRegion());

    // Every operation honours the clip; a clipped figure keeps its own outline (no edge along the clip).
    TBitmap e = WhiteBitmap(20, 20);
    e.Canvas().SetClipRegion(QRegion(0, 0, 10, 20));
    e.Canvas().Brush.Color = clRed;
    e.Canvas().Ellipse(0, 0, 20, 20);
    e.Canvas().MoveTo(0, 2);
    e.Canvas().LineTo(20, 2);
    e.Canvas().TextOut(0, 5, "WWWW");
    e.Canvas().SetPixel(15, 15, clBlack);
    e.Canvas().DrawFocusRect(Rect(0, 0, 20, 20));
    TBitmap src = WhiteBitmap(20, 20);
    src.Canvas().Brush.Color = clBlue;
    src.Canvas().FillRect(Rect(0, 0, 20, 20));
    e.Canvas().CopyRect(Rect(0, 18, 20, 20), src, Rect(0, 0, 20, 2));
    EXPECT_EQ(BoundsOf(e, clWhite) & QRect(10, 0, 10, 20), QRect(10, 0, 10, 20)) << Art(e);
    EXPECT_EQ(CountOf(e, clWhite) >= 200, true);
    EXPECT_EQ(e.GetPixel(9, 10), clRed) << Art(e);
    EXPECT_EQ(e.GetPixel(9, 19), clBlue);
}

TEST(CanvasModeTest, FigureRegionsMatchTheFigures)
{
    // The pixels of a region are the pixels the figure covers with a one-pixel pen in its colour.
    auto check = [](const QRegion& region, const std::function<void(TCanvas&)>& draw) {
        TBitmap viaFigure = WhiteBitmap(40, 40), viaRegion = WhiteBitmap(40, 40);
        viaFigure.Canvas().Pen.Color = clRed;
        viaFigure.Canvas().Brush.Color = clRed;
        draw(viaFigure.Canvas());
        viaRegion.Canvas().SetClipRegion(region);
        viaRegion.Canvas().Brush.Color = clRed;
        viaRegion.Canvas().FillRect(Rect(0, 0, 40, 40));
        EXPECT_TRUE(viaFigure == viaRegion) << Art(viaFigure) << Art(viaRegion);
    };
    check(EllipticRegion(3, 4, 35, 30), [](TCanvas& c) { c.Ellipse(3, 4, 35, 30); });
    check(EllipticRegion(30, 30, 2, 5), [](TCanvas& c) { c.Ellipse(2, 5, 30, 30); });
    check(RoundRectRegion(1, 2, 38, 33, 12, 8), [](TCanvas& c) { c.RoundRect(1, 2, 38, 33, 12, 8); });
    check(RectRegion(5, 6, 20, 30), [](TCanvas& c) { c.Rectangle(5, 6, 20, 30); });
    const std::vector<TPoint> tri{{2, 2}, {37, 10}, {12, 36}};
    TBitmap fillOnly = WhiteBitmap(40, 40);
    fillOnly.Canvas().Pen.Style = psClear;
    fillOnly.Canvas().Brush.Color = clRed;
    fillOnly.Canvas().Polygon(tri);
    TBitmap viaRegion = WhiteBitmap(40, 40);
    viaRegion.Canvas().SetClipRegion(PolygonRegion(tri));
    viaRegion.Canvas().Brush.Color = clRed;
    viaRegion.Canvas().FillRect(Rect(0, 0, 40, 40));
    EXPECT_TRUE(fillOnly == viaRegion) << Art(fillOnly) << Art(viaRegion);
    // Regions combine like the figures do: a torus is the outer ellipse without the inner one.
    QRegion torus = EllipticRegion(0, 0, 40, 40) ^ EllipticRegion(10, 10, 30, 30);
    EXPECT_FALSE(torus.contains(QPoint(20, 20)));
    EXPECT_TRUE(torus.contains(QPoint(5, 20)));
    // A figure far larger than any bitmap still clips correctly where bitmaps lie.
    const QRegion huge = EllipticRegion(-(1 << 30), -(1 << 30), 1 << 30, 16);
    EXPECT_TRUE(huge.contains(QPoint(0, 0)));
    EXPECT_TRUE(huge.contains(QPoint(5000, 7)));
    EXPECT_FALSE(huge.contains(QPoint(5000, 16)));
    EXPECT_FALSE(EllipticRegion(0, 0, 1 << 30, 1 << 10).contains(QPoint(0, 0)));
}
