#include "CanvasTestHelpers.h"

#include <gtest/gtest.h>

// Text: fonts, measuring, background modes and escapement.

TEST(CanvasTextTest, TextOutDrawsInsideItsCellWithTheFontColour)
{
    TBitmap b = WhiteBitmap(120, 40);
    TCanvas& c = b.Canvas();
    c.Font.Size = 12;
    c.Font.Color = clRed;
    c.Brush.Style = bsClear;
    const TSize ext = c.TextExtent("Hello");
    c.TextOut(10, 5, "Hello");
    const QRect ink = BoundsOf(b, clRed);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_TRUE(QRect(10, 5, ext.cx, ext.cy).contains(ink)) << Art(b);
    EXPECT_EQ(CountOf(b, clWhite) + CountOf(b, clRed), 120 * 40); // no antialiased shades
    EXPECT_EQ(c.PenPos, (TPoint{10 + ext.cx, 5}));

    // A solid brush paints the whole cell as background; a clear one leaves it.
    TBitmap o = WhiteBitmap(120, 40);
    o.Canvas().Font.Size = 12;
    o.Canvas().Brush.Color = clBlue;
    o.Canvas().TextOut(10, 5, "Hello");
    EXPECT_EQ(BoundsOf(o, clBlue) | BoundsOf(o, clBlack), QRect(10, 5, ext.cx, ext.cy)) << Art(o);
    EXPECT_EQ(CountOf(o, clBlue) + CountOf(o, clBlack), ext.cx * ext.cy);
    // Hatched brushes draw text on a transparent background.
    TBitmap h = WhiteBitmap(120, 40);
    h.Canvas().Brush.Style = bsCross;
    h.Canvas().Brush.Color = clBlue;
    h.Canvas().TextOut(10, 5, "Hello");
    EXPECT_EQ(CountOf(h, clBlue), 0);
}

TEST(CanvasTextTest, FontSizeHeightAndStyleChangeTheMetrics)
{
    TBitmap b(4, 4);
    TCanvas& c = b.Canvas();
    c.Font.Size = 10;
    const int h10 = c.TextHeight("Ag");
    c.Font.Size = 20;
    const int h20 = c.TextHeight("Ag");
    EXPECT_GT(h20, h10 + 8);
    // Height in pixels wins over Size: Size 15 at 96 dpi is 20 pixels.
    c.Font.Size = 15;
    const TSize bySize = c.TextExtent("Sample");
    c.Font.Size = 99;
    c.Font.Height = 20;
    const TSize byHeight = c.TextExtent("Sample");
    EXPECT_EQ(bySize.cx, byHeight.cx);
    EXPECT_EQ(bySize.cy, byHeight.cy);
    // A cell height counts ascent and descent: the characters come out smaller.
    c.Font.CellHeight = true;
    for (int cell : {9, 20, 33, 100}) {
        c.Font.Height = cell;
        EXPECT_LE(c.TextHeight("Sample"), cell);
        EXPECT_GE(c.TextHeight("Sample"), cell - 2);
    }
    c.Font.Height = 20;
    EXPECT_LT(c.TextWidth("Sample"), byHeight.cx);
    c.Font.CellHeight = false;
    c.Font.Style = fsBold;
    EXPECT_GT(c.TextWidth("Sample"), byHeight.cx);
    EXPECT_EQ(c.TextWidth(""), 0);
    EXPECT_EQ(c.TextWidth("ab") > c.TextWidth("a"), true);
}

TEST(CanvasTextTest, WindowsFaceNamesMapToInstalledFamilies)
{
    TBitmap b(4, 4);
    TCanvas& c = b.Canvas();
    c.Font.Size = 12;
    auto widths = [&](const char* name) {
        c.Font.Name = name;
        return std::pair{c.TextWidth("iiiii"), c.TextWidth("WWWWW")};
    };
    // Courier New stands for a monospaced face; Arial and unknown names for DejaVu Sans.
    auto mono = widths("Courier New");
    EXPECT_EQ(mono.first, mono.second);
    auto sans = widths("DejaVu Sans");
    EXPECT_LT(sans.first, sans.second);
    EXPECT_EQ(widths("Arial"), sans);
    EXPECT_EQ(widths("MS Sans Serif"), sans);
    EXPECT_EQ(widths("No Such Face 123"), sans);
    EXPECT_EQ(widths(""), sans);
    EXPECT_NE(widths("Times New Roman"), sans);
}

TEST(CanvasTextTest, TextBytesAreUtf8WhenValidElseLatin1)
{
    TBitmap b(4, 4);
    TCanvas& c = b.Canvas();
    c.Font.Size = 14;
    const std::string utf8 = "caf\xC3\xA9";  // é in UTF-8
    const std::string latin1 = "caf\xE9";    // é in Latin-1
    EXPECT_EQ(c.TextWidth(utf8), c.TextWidth(latin1));
    EXPECT_NE(c.TextWidth(utf8), c.TextWidth("caf\xC3\xA9" "x"));
    // A stray byte makes the whole text Latin-1: two characters, not one broken sequence.
    EXPECT_EQ(c.TextWidth("\xC3\xA9\xFF"), c.TextWidth("\xC3") + c.TextWidth("\xA9") + c.TextWidth("\xFF"));
}

TEST(CanvasTextTest, EscapementTurnsTextCounterClockwiseAboutItsOrigin)
{
    TBitmap b = WhiteBitmap(60, 100);
    TCanvas& c = b.Canvas();
    c.Font.Size = 14;
    c.Font.Escapement = 900;
    c.Brush.Style = bsClear;
    const TSize ext = c.TextExtent("Upward");
    c.TextOut(10, 90, "Upward");
    const QRect ink = BoundsOf(b, clBlack);
    ASSERT_FALSE(ink.isEmpty());
    // Runs upwards from (10, 90), the cell's top edge turned to the left side.
    EXPECT_GT(ink.height(), ink.width()) << Art(b);
    EXPECT_LE(ink.bottom(), 90);
    EXPECT_GE(ink.top(), 90 - ext.cx - 1);
    EXPECT_GE(ink.left(), 10);
    EXPECT_LE(ink.right(), 10 + ext.cy);

    // Turned by 180 degrees the text hangs upside down to the left of and above its origin.
    TBitmap u = WhiteBitmap(100, 60);
    u.Canvas().Font.Size = 14;
    u.Canvas().Font.Escapement = 1800;
    u.Canvas().Brush.Style = bsClear;
    u.Canvas().TextOut(90, 40, "Upward");
    const QRect inv = BoundsOf(u, clBlack);
    EXPECT_LE(inv.right(), 90) << Art(u);
    EXPECT_LE(inv.bottom(), 40);
    EXPECT_GT(inv.width(), inv.height());

    // An opaque background turns with the text.
    TBitmap o = WhiteBitmap(60, 100);
    o.Canvas().Font.Size = 14;
    o.Canvas().Font.Escapement = 900;
    o.Canvas().Brush.Color = clBlue;
    o.Canvas().TextOut(10, 90, "Upward");
    EXPECT_EQ(BoundsOf(o, clBlue) | BoundsOf(o, clBlack), QRect(10, 90 - ext.cx, ext.cy, ext.cx)) << Art(o);
}

TEST(CanvasTextTest, TextOnPaletteBitmapsUsesPaletteColours)
{
    TBitmap b = WhiteBitmap(80, 30, pf4bit);
    b.Canvas().Font.Size = 14;
    b.Canvas().Font.Color = RGB(250, 0, 0);
    b.Canvas().Brush.Color = RGB(0, 0, 240);
    b.Canvas().TextOut(2, 2, "Text");
    EXPECT_GT(CountOf(b, clRed), 10);
    EXPECT_GT(CountOf(b, clBlue), 100);
    EXPECT_EQ(CountOf(b, clRed) + CountOf(b, clBlue) + CountOf(b, clWhite), 80 * 30);
}
