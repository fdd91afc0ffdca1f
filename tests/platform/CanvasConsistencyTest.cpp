#include "CanvasTestHelpers.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

// Randomized comparisons with references that are right by construction: a clipped drawing is
// the unclipped drawing cut out by the region; a drawing on a 15-, 16- or 32-bit bitmap is the
// 24-bit drawing converted afterwards (bitwise raster operations commute with dropping low bits).

namespace {

using TOperation = std::function<void(TCanvas&)>;

TOperation RandomOperation(std::mt19937& rng, int w, int h)
{
    auto coord = [&](int extent) { return std::uniform_int_distribution<int>(-extent / 2, extent + extent / 2)(rng); };
    auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    const int kind = pick(12);
    const int x1 = coord(w), y1 = coord(h), x2 = coord(w), y2 = coord(h), x3 = coord(w), y3 = coord(h),
              x4 = coord(w), y4 = coord(h);
    const TPen pen{static_cast<TColor>(rng() & 0xFFFFFF), 1 + pick(3) * pick(3), static_cast<TPenStyle>(pick(7)),
                   static_cast<TPenMode>(pick(9))};
    const TBrush brush{static_cast<TColor>(rng() & 0xFFFFFF), static_cast<TBrushStyle>(pick(8))};
    const int escapement = pick(4) * 450;
    const std::vector<TPoint> points{{x1, y1}, {x2, y2}, {x3, y3}, {x4, y4}, {x1, y3}};
    return [=](TCanvas& c) {
        c.Pen = pen;
        c.Brush = brush;
        switch (kind) {
        case 0: c.Rectangle(x1, y1, x2, y2); break;
        case 1: c.Ellipse(x1, y1, x2, y2); break;
        case 2: c.RoundRect(x1, y1, x2, y2, x3 & 15, y3 & 15); break;
        case 3: c.Pie(x1, y1, x2, y2, x3, y3, x4, y4); break;
        case 4: c.Chord(x1, y1, x2, y2, x3, y3, x4, y4); break;
        case 5: c.Arc(x1, y1, x2, y2, x3, y3, x4, y4); break;
        case 6: c.Polygon(points); break;
        case 7: c.Polyline(points); break;
        case 8: c.MoveTo(x1, y1), c.LineTo(x2, y2); break;
        case 9: c.FillRect(Rect(x1, y1, x2, y2)); break;
        case 10: c.DrawFocusRect(Rect(x1, y1, x2, y2)); break;
        case 11:
            c.Font.Escapement = escapement;
            c.Font.Size = 8 + (x3 & 7);
            c.TextOut(x1, y1, "Ag#");
            break;
        }
    };
}

} // namespace

TEST(CanvasConsistencyTest, ClippedDrawingIsTheDrawingCutByTheRegion)
{
    std::mt19937 rng(7);
    const int w = 37, h = 29;
    const TBitmap noise8 = NoiseBitmap(w, h, pf8bit), noise24 = NoiseBitmap(w, h, pf24bit);
    for (int round = 0; round < 300; ++round) {
        const TBitmap& original = round % 3 == 0 ? noise8 : noise24;
        const QRegion region = EllipticRegion(3, 2, 30, 25) ^ QRegion(10 + round % 7, 0, 8, 29);
        const TOperation op = RandomOperation(rng, w, h);
        TBitmap clipped(original), free(original);
        clipped.Canvas().SetClipRegion(region);
        op(clipped.Canvas());
        op(free.Canvas());
        std::vector<bool> inside(w * h);
        for (const QRect& r : region)
            for (int y = r.top(); y <= r.bottom(); ++y)
                for (int x = r.left(); x <= r.right(); ++x)
                    if (x >= 0 && y >= 0 && x < w && y < h) inside[y * w + x] = true;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const TColor expect = inside[y * w + x] ? free.GetPixel(x, y) : original.GetPixel(x, y);
                ASSERT_EQ(clipped.GetPixel(x, y), expect) << "round " << round << " at " << x << "," << y;
            }
    }
}

TEST(CanvasConsistencyTest, EveryTrueColourFormatDrawsLikeTwentyFourBits)
{
    std::mt19937 rng(11);
    const int w = 33, h = 27;
    for (int round = 0; round < 200; ++round) {
        const TOperation op = RandomOperation(rng, w, h);
        for (TPixelFormat f : {pf15bit, pf16bit, pf32bit}) {
            TBitmap direct = NoiseBitmap(w, h, f);
            TBitmap wide(direct);
            wide.SetPixelFormat(pf24bit);
            op(direct.Canvas());
            op(wide.Canvas());
            wide.SetPixelFormat(f);
            ASSERT_TRUE(direct == wide) << "round " << round << " format " << f;
        }
    }
}

TEST(CanvasConsistencyTest, PaletteBitmapsKeepValidIndices)
{
    std::mt19937 rng(3);
    const std::vector<TRGBQuad> pal{ColorToQuad(clBlack), ColorToQuad(clRed), ColorToQuad(clGreen),
                                    ColorToQuad(clNavy), ColorToQuad(clSilver), ColorToQuad(clWhite)};
    for (TPixelFormat f : {pf4bit, pf8bit}) {
        TBitmap b = NoiseBitmap(31, 23, pf24bit);
        b.ConvertToPalette(f, pal);
        for (int round = 0; round < 200; ++round) RandomOperation(rng, 31, 23)(b.Canvas());
        for (int y = 0; y < 23; ++y)
            for (int x = 0; x < 31; ++x) ASSERT_LT(b.GetPixelIndex(x, y), 6) << f;
    }
}

TEST(CanvasConsistencyTest, WideFiguresDrawnInBandsMatchNarrowOnes)
{
    // A figure wider than about 1600 pixels (for this height) is drawn in bands of rows; a narrow clip region makes
    // it one band. Both must agree, in particular on the rows where bands meet.
    const int w = 1800, h = 640;
    const std::vector<TOperation> ops{
        [](TCanvas& c) { c.Ellipse(-3, 5, 1790, 630); },
        [](TCanvas& c) { c.Pen.Width = 6, c.Pen.Mode = pmXor, c.Brush.Color = clRed, c.Ellipse(10, -20, 1750, 600); },
        [](TCanvas& c) { c.Pen.Width = 3, c.Brush.Style = bsDiagCross, c.Pie(0, 0, 1800, 640, 1800, 640, 0, 0); },
        [](TCanvas& c) { c.Pen.Style = psDashDot, c.Brush.Color = clBlue, c.Rectangle(5, 5, 1795, 635); },
        [](TCanvas& c) { c.Polygon({{0, 0}, {1799, 320}, {0, 639}, {900, 320}}); },
        [](TCanvas& c) { c.Pen.Width = 9, c.Polyline({{0, 630}, {900, 3}, {1799, 630}}); },
        [](TCanvas& c) {
            c.Font.Height = 400, c.Font.Escapement = 300, c.Brush.Color = clYellow;
            c.TextOut(100, 630, "Wide");
        },
    };
    const TBitmap blank = WhiteBitmap(w, h);
    for (std::size_t k = 0; k < ops.size(); ++k) {
        TBitmap whole(blank);
        ops[k](whole.Canvas());
        for (int strip : {0, 1000}) {
            TBitmap narrow(blank);
            narrow.Canvas().SetClipRegion(QRegion(strip, 0, 200, h));
            ops[k](narrow.Canvas());
            for (int y = 0; y < h; ++y) {
                const std::uint8_t* a = whole.ScanLine(y) + 3 * strip;
                const std::uint8_t* b = narrow.ScanLine(y) + 3 * strip;
                ASSERT_TRUE(std::equal(a, a + 3 * 200, b)) << "figure " << k << " strip " << strip << " row " << y;
            }
        }
    }
}
