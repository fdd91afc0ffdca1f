#include "CanvasTestHelpers.h"

#include <gtest/gtest.h>

// Figure pixel rules: boxes exclude their right and bottom edge, the pen outlines, the brush fills.

TEST(CanvasFigureTest, RectangleOutlinesWithThePenAndFillsWithTheBrush)
{
    TBitmap b = WhiteBitmap(14, 14);
    TCanvas& c = b.Canvas();
    c.Brush.Color = clRed;
    c.Rectangle(0, 0, 10, 10);
    EXPECT_EQ(BoundsOf(b, clBlack), QRect(0, 0, 10, 10)) << Art(b);
    EXPECT_EQ(BoundsOf(b, clRed), QRect(1, 1, 8, 8)) << Art(b);
    EXPECT_EQ(CountOf(b, clBlack), 36) << Art(b);
    EXPECT_EQ(CountOf(b, clRed), 64);

    TBitmap clear = WhiteBitmap(14, 14);
    clear.Canvas().Brush.Style = bsClear;
    clear.Canvas().Rectangle(Rect(10, 10, 0, 0)); // reversed corners are put in order
    EXPECT_EQ(BoundsOf(clear, clBlack), QRect(0, 0, 10, 10));
    EXPECT_EQ(CountOf(clear, clWhite), 14 * 14 - 36) << Art(clear);
}

TEST(CanvasFigureTest, RectanglePenWidthsAndStyles)
{
    // A wide pen is centred on the outline and leans to the top left when its width is even, so a
    // figure drawn from p div 2 with width - p + 1 fits its control exactly.
    TBitmap b = WhiteBitmap(20, 20);
    b.Canvas().Pen.Width = 4;
    b.Canvas().Brush.Color = clRed;
    b.Canvas().Rectangle(2, 2, 19, 19);
    EXPECT_EQ(BoundsOf(b, clBlack), QRect(0, 0, 20, 20)) << Art(b);
    EXPECT_EQ(BoundsOf(b, clRed), QRect(4, 4, 12, 12)) << Art(b);

    TBitmap inside = WhiteBitmap(20, 20);
    inside.Canvas().Pen.Width = 3;
    inside.Canvas().Pen.Style = psInsideFrame;
    inside.Canvas().Rectangle(5, 5, 15, 15);
    EXPECT_EQ(BoundsOf(inside, clBlack), QRect(5, 5, 10, 10)) << Art(inside);
    EXPECT_EQ(BoundsOf(inside, clWhite), QRect(0, 0, 20, 20));
    EXPECT_EQ(inside.GetPixel(8, 8), clWhite); // the brush is white here
    EXPECT_EQ(inside.GetPixel(7, 10), clBlack);

    // Without a pen the brush leaves the right and bottom edge out, as GDI does.
    TBitmap nopen = WhiteBitmap(14, 14);
    nopen.Canvas().Pen.Style = psClear;
    nopen.Canvas().Brush.Color = clBlue;
    nopen.Canvas().Rectangle(0, 0, 10, 10);
    EXPECT_EQ(BoundsOf(nopen, clBlue), QRect(0, 0, 9, 9)) << Art(nopen);
}

TEST(CanvasFigureTest, FillAndFrameUseTheBrushOnly)
{
    TBitmap b = WhiteBitmap(12, 12);
    TCanvas& c = b.Canvas();
    c.Brush.Color = clBlue;
    c.Pen.Mode = pmXor; // a pattern fill copies whatever the pen mode
    c.FillRect(Rect(2, 3, 7, 9));
    EXPECT_EQ(BoundsOf(b, clBlue), QRect(2, 3, 5, 6)) << Art(b);
    EXPECT_EQ(CountOf(b, clBlue), 30);

    TBitmap f = WhiteBitmap(12, 12);
    f.Canvas().Brush.Color = clRed;
    f.Canvas().FrameRect(Rect(1, 1, 6, 5));
    EXPECT_EQ(BoundsOf(f, clRed), QRect(1, 1, 5, 4));
    EXPECT_EQ(CountOf(f, clRed), 14) << Art(f);
    f.Canvas().Brush.Style = bsClear;
    f.Canvas().FillRect(Rect(0, 0, 12, 12));
    EXPECT_EQ(CountOf(f, clRed), 14);
}

TEST(CanvasFigureTest, EllipseIsInscribedInItsBox)
{
    for (QRect box : {QRect(1, 2, 10, 10), QRect(0, 0, 17, 9), QRect(3, 1, 6, 15), QRect(2, 2, 1, 1)}) {
        TBitmap b = WhiteBitmap(20, 20);
        b.Canvas().Brush.Color = clRed;
        b.Canvas().Ellipse(box.left(), box.top(), box.left() + box.width(), box.top() + box.height());
        QRect drawn = BoundsOf(b, clBlack) | BoundsOf(b, clRed);
        EXPECT_EQ(drawn, box) << Art(b);
        // Symmetric about both axes of the box.
        for (int y = box.top(); y <= box.bottom(); ++y)
            for (int x = box.left(); x <= box.right(); ++x) {
                const int mx = box.left() + box.right() - x, my = box.top() + box.bottom() - y;
                ASSERT_EQ(b.GetPixel(x, y), b.GetPixel(mx, y)) << Art(b);
                ASSERT_EQ(b.GetPixel(x, y), b.GetPixel(x, my)) << Art(b);
            }
    }
    // The outline is one pixel thick on the axes and the centre is the brush.
    TBitmap b = WhiteBitmap(20, 20);
    b.Canvas().Brush.Color = clRed;
    b.Canvas().Ellipse(0, 0, 15, 11);
    EXPECT_EQ(b.GetPixel(0, 5), clBlack);
    EXPECT_EQ(b.GetPixel(1, 5), clRed);
    EXPECT_EQ(b.GetPixel(14, 5), clBlack);
    EXPECT_EQ(b.GetPixel(7, 0), clBlack);
    EXPECT_EQ(b.GetPixel(7, 1), clRed);
    EXPECT_EQ(b.GetPixel(0, 0), clWhite);
    // Every outline pixel touches the outside or the inside: no doubled rim.
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 15; ++x)
            if (b.GetPixel(x, y) == clBlack) {
                bool touchesOutside = false;
                for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                    touchesOutside |= b.GetPixel(x + dx, y + dy) == clWhite || x + dx < 0 || y + dy < 0;
                EXPECT_TRUE(touchesOutside) << x << "," << y << Art(b);
            }
}

TEST(CanvasFigureTest, WideEllipseAndRoundRectStayInTheirOuterBox)
{
    TBitmap b = WhiteBitmap(30, 30);
    b.Canvas().Pen.Width = 5;
    b.Canvas().Brush.Color = clRed;
    b.Canvas().Ellipse(5, 5, 25, 20);
    EXPECT_EQ(BoundsOf(b, clBlack), QRect(3, 3, 24, 19)) << Art(b); // 5 - 2 .. 24 + 2
    EXPECT_EQ(b.GetPixel(15, 12), clRed);
    EXPECT_EQ(b.GetPixel(7, 12), clBlack); // inside the band on the left

    TBitmap r = WhiteBitmap(30, 30);
    r.Canvas().Brush.Color = clRed;
    r.Canvas().RoundRect(2, 3, 22, 18, 8, 6);
    EXPECT_EQ(BoundsOf(r, clBlack), QRect(2, 3, 20, 15)) << Art(r);
    EXPECT_EQ(r.GetPixel(2, 3), clWhite);   // corners are cut
    EXPECT_EQ(r.GetPixel(12, 3), clBlack);  // straight edges are not
    EXPECT_EQ(r.GetPixel(2, 10), clBlack);
    EXPECT_EQ(r.GetPixel(12, 10), clRed);
    // A corner larger than the box is the whole box: an ellipse.
    TBitmap e = WhiteBitmap(30, 30), rr = WhiteBitmap(30, 30);
    e.Canvas().Ellipse(1, 1, 20, 14);
    rr.Canvas().RoundRect(1, 1, 20, 14, 100, 100);
    EXPECT_TRUE(e == rr) << Art(e) << Art(rr);
}

TEST(CanvasFigureTest, ArcsRunCounterClockwiseFromStartToEnd)
{
    // Box 0..20, centre (10, 10) between pixels 9 and 10. From the top to the left
    // counter-clockwise is the top-left quarter: exactly pixels 0..9 of both axes.
    TBitmap pie = WhiteBitmap(21, 21);
    pie.Canvas().Brush.Color = clRed;
    pie.Canvas().Pie(0, 0, 20, 20, 10, 0, 0, 10);
    QRect drawn = BoundsOf(pie, clBlack) | BoundsOf(pie, clRed);
    EXPECT_EQ(drawn, QRect(0, 0, 10, 10)) << Art(pie);
    EXPECT_EQ(pie.GetPixel(5, 5), clRed);
    EXPECT_EQ(pie.GetPixel(9, 5), clBlack); // the radius to the start point
    EXPECT_EQ(pie.GetPixel(5, 9), clBlack); // and to the end point

    // The same points the other way round take the remaining three quarters.
    TBitmap big = WhiteBitmap(21, 21);
    big.Canvas().Brush.Color = clRed;
    big.Canvas().Pie(0, 0, 20, 20, 0, 10, 10, 0);
    EXPECT_EQ(big.GetPixel(15, 15), clRed) << Art(big);
    EXPECT_EQ(big.GetPixel(15, 5), clRed);
    EXPECT_EQ(big.GetPixel(5, 15), clRed);
    EXPECT_NE(big.GetPixel(5, 5), clRed);

    // A chord keeps the side of the arc; an arc has no fill and no straight edges.
    TBitmap chord = WhiteBitmap(21, 21);
    chord.Canvas().Brush.Color = clRed;
    chord.Canvas().Chord(0, 0, 20, 20, 20, 10, 0, 10);
    EXPECT_EQ(chord.GetPixel(10, 4), clRed) << Art(chord);
    EXPECT_EQ(chord.GetPixel(10, 15), clWhite);
    EXPECT_EQ(chord.GetPixel(10, 9), clBlack); // the chord itself
    TBitmap arc = WhiteBitmap(21, 21);
    arc.Canvas().Brush.Color = clRed;
    arc.Canvas().Arc(0, 0, 20, 20, 20, 10, 0, 10);
    EXPECT_EQ(CountOf(arc, clRed), 0);
    EXPECT_EQ(arc.GetPixel(10, 0), clBlack) << Art(arc);
    EXPECT_EQ(arc.GetPixel(10, 19), clWhite);
    EXPECT_EQ(arc.GetPixel(10, 9), clWhite);
    // Start and end on one ray: the whole ellipse.
    TBitmap full = WhiteBitmap(21, 21), ellipse = WhiteBitmap(21, 21);
    full.Canvas().Pie(0, 0, 20, 20, 20, 10, 30, 10);
    ellipse.Canvas().Ellipse(0, 0, 20, 20);
    EXPECT_TRUE(full == ellipse) << Art(full);
}

TEST(CanvasFigureTest, PolygonFillRules)
{
    // A five-pointed star drawn in one stroke: its centre is outside by the alternate rule and
    // inside by the winding rule.
    const std::vector<TPoint> star{{15, 0}, {24, 28}, {0, 10}, {30, 10}, {6, 28}};
    TBitmap alt = WhiteBitmap(31, 31);
    alt.Canvas().Brush.Color = clRed;
    alt.Canvas().Pen.Style = psClear;
    alt.Canvas().Polygon(star);
    EXPECT_EQ(alt.GetPixel(15, 15), clWhite) << Art(alt);
    EXPECT_EQ(alt.GetPixel(15, 4), clRed);
    TBitmap wind = WhiteBitmap(31, 31);
    wind.Canvas().Brush.Color = clRed;
    wind.Canvas().Pen.Style = psClear;
    wind.Canvas().PolyFillMode = pfmWinding;
    wind.Canvas().Polygon(star);
    EXPECT_EQ(wind.GetPixel(15, 15), clRed) << Art(wind);

    // A square polygon: the outline passes through its vertices, the fill lies inside.
    TBitmap sq = WhiteBitmap(14, 14);
    sq.Canvas().Brush.Color = clRed;
    sq.Canvas().Polygon({{1, 1}, {10, 1}, {10, 10}, {1, 10}});
    EXPECT_EQ(BoundsOf(sq, clBlack), QRect(1, 1, 10, 10)) << Art(sq);
    EXPECT_EQ(BoundsOf(sq, clRed), QRect(2, 2, 8, 8));
    // No white between a slanted outline and the fill.
    TBitmap tri = WhiteBitmap(16, 16);
    tri.Canvas().Brush.Color = clRed;
    tri.Canvas().Polygon({{1, 1}, {14, 3}, {4, 14}});
    for (int y = 0; y < 16; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < 16; ++x)
            if (tri.GetPixel(x, y) != clWhite) last = x, first = first < 0 ? x : first;
        for (int x = first; x >= 0 && x <= last; ++x) EXPECT_NE(tri.GetPixel(x, y), clWhite) << y << Art(tri);
    }
}

TEST(CanvasFigureTest, LinesLeaveTheirLastPointOut)
{
    TBitmap b = WhiteBitmap(12, 12);
    TCanvas& c = b.Canvas();
    c.MoveTo(1, 1);
    c.LineTo(9, 1);
    EXPECT_EQ(BoundsOf(b, clBlack), QRect(1, 1, 8, 1));
    EXPECT_EQ(c.PenPos, (TPoint{9, 1}));
    c.LineTo(9, 9); // continues from the pen position; the corner is drawn by the second line
    EXPECT_EQ(b.GetPixel(9, 1), clBlack);
    EXPECT_EQ(b.GetPixel(9, 9), clWhite);
    EXPECT_EQ(CountOf(b, clBlack), 16);

    TBitmap d = WhiteBitmap(12, 12);
    d.Canvas().MoveTo(10, 0);
    d.Canvas().LineTo(0, 5); // steps of two to the left per row
    EXPECT_EQ(CountOf(d, clBlack), 10) << Art(d);
    EXPECT_EQ(BoundsOf(d, clBlack), QRect(1, 0, 10, 5));
    for (int y = 0; y < 5; ++y) {
        int n = 0;
        for (int x = 0; x < 12; ++x) n += d.GetPixel(x, y) == clBlack;
        EXPECT_EQ(n, 2) << y << Art(d);
    }

    TBitmap p = WhiteBitmap(12, 12);
    p.Canvas().Polyline({{0, 0}, {5, 0}, {5, 5}});
    EXPECT_EQ(CountOf(p, clBlack), 10) << Art(p);
    EXPECT_EQ(p.Canvas().PenPos, (TPoint{0, 0})); // a polyline leaves the pen where it was

    TBitmap w = WhiteBitmap(20, 12);
    w.Canvas().Pen.Width = 3;
    w.Canvas().MoveTo(5, 5);
    w.Canvas().LineTo(14, 5);
    EXPECT_EQ(BoundsOf(w, clBlack), QRect(4, 4, 12, 3)) << Art(w); // round ends reach 1.5 beyond
}

TEST(CanvasFigureTest, StyledPensDashOnePixelLines)
{
    auto run = [](TPenStyle style, TBrushStyle brush) {
        TBitmap b = WhiteBitmap(40, 3);
        b.Canvas().Pen.Style = style;
        b.Canvas().Brush.Style = brush;
        b.Canvas().Brush.Color = clRed;
        b.Canvas().MoveTo(0, 1);
        b.Canvas().LineTo(40, 1);
        std::string row;
        for (int x = 0; x < 40; ++x) {
            TColor c = b.GetPixel(x, 1);
            row += c == clBlack ? '#' : c == clRed ? 'r' : '.';
        }
        return row;
    };
    EXPECT_EQ(run(psDot, bsClear), "###...###...###...###...###...###...###.");
    EXPECT_EQ(run(psDash, bsClear), "##################......################");
    EXPECT_EQ(run(psDashDot, bsClear), "#########......###......#########......#");
    EXPECT_EQ(run(psDashDotDot, bsClear), "#########...###...###...#########...###.");
    // With a solid brush the gaps take the background colour, as in opaque mode.
    EXPECT_EQ(run(psDot, bsSolid), "###rrr###rrr###rrr###rrr###rrr###rrr###r");
    EXPECT_EQ(run(psClear, bsSolid), std::string(40, '.'));
    // Wider pens draw solid whatever the style.
    TBitmap w = WhiteBitmap(30, 5);
    w.Canvas().Pen.Width = 2;
    w.Canvas().Pen.Style = psDot;
    w.Canvas().MoveTo(2, 2);
    w.Canvas().LineTo(27, 2);
    for (int x = 2; x <= 27; ++x) EXPECT_EQ(w.GetPixel(x, 2), clBlack) << x;
}
