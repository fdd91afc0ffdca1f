#include "imaging/ColorLookup.h"
#include "imaging/ColorQuantizer.h"
#include "imaging/ColorReduction.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <set>
#include <tuple>

namespace {

TBitmap Noise(int width, int height, unsigned seed)
{
    std::mt19937 rng(seed);
    TBitmap b(width, height, pf24bit);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = b.ScanLine(y);
        for (int i = 0; i < 3 * width; ++i) row[i] = static_cast<std::uint8_t>(rng());
    }
    return b;
}

TBitmap FromColors(int width, int height, const std::vector<TColor>& colors)
{
    TBitmap b(width, height, pf24bit);
    for (int i = 0; i < width * height; ++i) b.SetPixel(i % width, i / width, colors[i % colors.size()]);
    return b;
}

std::vector<int> Indices(const TBitmap& b)
{
    std::vector<int> out;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x) out.push_back(b.ScanLine(y)[x]);
    return out;
}

// ---- the slow reference ------------------------------------------------------------------------

struct TShare {
    int dx, dy, weight; // dx in the direction of travel
};
struct TRefFilter {
    int divisor;
    std::vector<TShare> shares;
};

TRefFilter RefFilter(TDitherChoice d)
{
    switch (d) {
    case dcNearest: return {1, {}};
    case dcFloydSteinberg: return {16, {{1, 0, 7}, {-1, 1, 3}, {0, 1, 5}, {1, 1, 1}}};
    case dcStucki:
        return {42, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2},
                     {-2, 2, 1}, {-1, 2, 2}, {0, 2, 4}, {1, 2, 2}, {2, 2, 1}}};
    case dcSierra:
        return {32, {{1, 0, 5}, {2, 0, 3}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 5}, {1, 1, 4}, {2, 1, 2},
                     {-1, 2, 2}, {0, 2, 3}, {1, 2, 2}}};
    case dcJaJuNi:
        return {48, {{1, 0, 7}, {2, 0, 5}, {-2, 1, 3}, {-1, 1, 5}, {0, 1, 7}, {1, 1, 5}, {2, 1, 3},
                     {-2, 2, 1}, {-1, 2, 3}, {0, 2, 5}, {1, 2, 3}, {2, 2, 1}}};
    case dcBurkes: return {32, {{1, 0, 8}, {2, 0, 4}, {-2, 1, 2}, {-1, 1, 4}, {0, 1, 8}, {1, 1, 4}, {2, 1, 2}}};
    case dcSteveArche:
        return {200, {{2, 0, 32}, {-3, 1, 12}, {-1, 1, 26}, {1, 1, 30}, {3, 1, 16}, {-2, 2, 12}, {0, 2, 26},
                      {2, 2, 12}, {-3, 3, 5}, {-1, 3, 12}, {1, 3, 12}, {3, 3, 5}}};
    }
    return {1, {}};
}

// A lookup as a plain function of the colour: index and chosen colour.
using TRefLookup = int (*)(int r, int g, int b, int (&chosen)[3]);

int RefNetscape(int r, int g, int b, int (&chosen)[3])
{
    const int l[3] = {(r + 3) / 51, (g + 3) / 51, (b + 3) / 51};
    for (int c = 0; c < 3; ++c) chosen[c] = 51 * l[c];
    return 36 * l[0] + 6 * l[1] + l[2];
}

int RefMonochrome(int r, int g, int b, int (&chosen)[3])
{
    const bool white = 77 * r + 150 * g + 29 * b >= 32513;
    chosen[0] = chosen[1] = chosen[2] = white ? 255 : 0;
    return white;
}

int RefGray(int r, int g, int b, int (&chosen)[3])
{
    const int v = (77 * r + 150 * g + 29 * b) / 256;
    chosen[0] = chosen[1] = chosen[2] = v;
    return v;
}

// Error diffusion over a whole-image error array, rows alternating direction, shares that fall
// outside the image dropped.
std::vector<int> RefDither(const TBitmap& src, TDitherChoice dither, TRefLookup lookup)
{
    const int w = src.Width(), h = src.Height();
    const TRefFilter f = RefFilter(dither);
    std::vector<long long> err(static_cast<std::size_t>(w * h * 3), 0);
    std::vector<int> out(static_cast<std::size_t>(w * h));
    for (int y = 0; y < h; ++y) {
        const int d = y % 2 == 0 ? 1 : -1;
        for (int i = 0; i < w; ++i) {
            const int x = d == 1 ? i : w - 1 - i;
            const TColor px = src.GetPixel(x, y);
            const int c[3] = {GetRValue(px), GetGValue(px), GetBValue(px)};
            int value[3], chosen[3];
            for (int k = 0; k < 3; ++k) {
                const long long e = err[static_cast<std::size_t>((y * w + x) * 3 + k)];
                value[k] = std::clamp(static_cast<int>(c[k] + (e + f.divisor / 2) / f.divisor), 0, 255);
            }
            out[static_cast<std::size_t>(y * w + x)] = lookup(value[0], value[1], value[2], chosen);
            for (const TShare& s : f.shares) {
                const int tx = x + s.dx * d, ty = y + s.dy;
                if (tx < 0 || tx >= w || ty >= h) continue;
                for (int k = 0; k < 3; ++k)
                    err[static_cast<std::size_t>((ty * w + tx) * 3 + k)] += s.weight * (value[k] - chosen[k]);
            }
        }
    }
    return out;
}

const TDitherChoice kDithers[] = {dcNearest, dcFloydSteinberg, dcStucki, dcSierra, dcJaJuNi, dcSteveArche, dcBurkes};

} // namespace

TEST(ColorReduction, EveryDithererMatchesTheSlowReferenceWithEveryFixedLookup)
{
    const std::tuple<TPaletteChoice, TRefLookup> lookups[] = {
        {pcNetscape216, RefNetscape}, {pcMonochrome, RefMonochrome}, {pcGray256, RefGray}};
    // Widths below, at and above the filters' reach, so that errors fall off both ends.
    const std::pair<int, int> sizes[] = {{1, 5}, {2, 4}, {3, 3}, {7, 6}, {16, 9}};
    unsigned seed = 1;
    for (TDitherChoice dither : kDithers)
        for (const auto& [palette, ref] : lookups)
            for (const auto& [w, h] : sizes) {
                const TBitmap src = Noise(w, h, seed++);
                const TBitmap out = ReduceBitmapColors(src, palette, dither, {}, 8);
                ASSERT_EQ(out.PixelFormat(), pf8bit);
                EXPECT_EQ(Indices(out), RefDither(src, dither, ref))
                    << "dither " << dither << " palette " << palette << " size " << w << "x" << h;
            }
}

TEST(ColorReduction, SerpentineOrderShowsOnlyWithDiffusion)
{
    // Row 1 is row 0 mirrored. Nearest colour maps it to the mirror of row 0's indices; a diffuser
    // runs row 1 right to left, so the errors it carries differ and so does the result.
    TBitmap src(24, 2, pf24bit);
    std::mt19937 rng(5);
    for (int x = 0; x < 24; ++x) {
        const TColor c = RGB(rng() & 255, rng() & 255, rng() & 255);
        src.SetPixel(x, 0, c);
        src.SetPixel(23 - x, 1, c);
    }
    const TBitmap nearest = ReduceBitmapColors(src, pcMonochrome, dcNearest, {}, 8);
    for (int x = 0; x < 24; ++x) EXPECT_EQ(nearest.GetPixelIndex(x, 0), nearest.GetPixelIndex(23 - x, 1));
    for (TDitherChoice dither : {dcFloydSteinberg, dcStucki, dcBurkes, dcSteveArche}) {
        const TBitmap fs = ReduceBitmapColors(src, pcNetscape216, dither, {}, 8);
        bool mirrored = true;
        for (int x = 0; x < 24; ++x) mirrored = mirrored && fs.GetPixelIndex(x, 0) == fs.GetPixelIndex(23 - x, 1);
        EXPECT_FALSE(mirrored) << dither;
    }
}

TEST(ColorReduction, FixedLookupsAtTheirThresholds)
{
    TNetscapeColorLookup netscape;
    TChosenColor chosen;
    EXPECT_EQ(netscape.Lookup(47, 0, 0, chosen), 0);
    EXPECT_EQ(netscape.Lookup(48, 0, 0, chosen), 36);
    EXPECT_EQ(chosen.red, 51);
    EXPECT_EQ(netscape.Lookup(255, 255, 255, chosen), 215);
    EXPECT_EQ(chosen.blue, 255);

    TMonochromeLookup mono;
    EXPECT_EQ(mono.Lookup(127, 127, 127, chosen), 0); // 256 * 127 = 32512
    EXPECT_EQ(chosen.red, 0);
    EXPECT_EQ(mono.Lookup(128, 128, 128, chosen), 1);
    EXPECT_EQ(chosen.green, 255);

    TGrayScaleLookup gray;
    EXPECT_EQ(gray.Lookup(255, 0, 0, chosen), 76);
    EXPECT_EQ(gray.Lookup(255, 255, 255, chosen), 255);
    EXPECT_EQ(chosen.blue, 255);
}

TEST(ColorReduction, FastLookupRemembersTheFirstAnswerForEachKey)
{
    TChosenColor chosen;
    // Entries sit under their own key from the start: (7, 0, 0) shares black's key and gets black,
    // though (8, 0, 0) is nearer.
    TFastColorLookup blacks({ColorToQuad(RGB(0, 0, 0)), ColorToQuad(RGB(8, 0, 0))});
    EXPECT_EQ(blacks.Lookup(7, 0, 0, chosen), 0);
    EXPECT_EQ(blacks.Lookup(8, 0, 0, chosen), 1);

    // A tie goes to the first entry, and the key keeps that answer for a colour nearer to another.
    const std::vector<TRGBQuad> palette = {ColorToQuad(RGB(100, 0, 0)), ColorToQuad(RGB(0, 100, 0))};
    TFastColorLookup lookup(palette);
    EXPECT_EQ(lookup.Lookup(50, 50, 0, chosen), 0);
    EXPECT_EQ(chosen.red, 100);
    EXPECT_EQ(lookup.Lookup(50, 55, 0, chosen), 0);
    // A fresh lookup asked the second colour first answers it by distance.
    TFastColorLookup fresh(palette);
    EXPECT_EQ(fresh.Lookup(50, 55, 0, chosen), 1);
    EXPECT_EQ(chosen.green, 100);
}

TEST(ColorReduction, OctreeKeepsFewColoursExactlyInTreeOrderAndPadsWithBlack)
{
    const std::vector<TColor> colors = {RGB(200, 10, 10), RGB(10, 200, 10), RGB(10, 10, 200), RGB(255, 255, 0),
                                        RGB(1, 2, 3)};
    const TBitmap src = FromColors(5, 3, colors);
    const TBitmap out = ReduceBitmapColors(src, pcOptimized, dcNearest, {}, 3);
    ASSERT_EQ(out.Palette().size(), 8u);
    // Depth first, children by (red bit, green bit, blue bit) from the top bit down.
    auto key = [](TColor c) {
        unsigned k = 0;
        for (int bit = 7; bit >= 0; --bit)
            k = k << 3 | ((GetRValue(c) >> bit) & 1) << 2 | ((GetGValue(c) >> bit) & 1) << 1 | ((GetBValue(c) >> bit) & 1);
        return k;
    };
    std::vector<TColor> order = colors;
    std::sort(order.begin(), order.end(), [&](TColor a, TColor b) { return key(a) < key(b); });
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(QuadToColor(out.Palette()[i]), order[i]) << i;
    for (std::size_t i = 5; i < 8; ++i) EXPECT_EQ(QuadToColor(out.Palette()[i]), clBlack) << i;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(out.GetPixel(x, y), src.GetPixel(x, y));
}

TEST(ColorReduction, OctreeMergesTheNewestNodeOfTheDeepestLevelFirst)
{
    // Four colours into three: the two pairs differ only in the lowest blue bit, and the pair whose
    // branch was made last is merged.
    const TBitmap src = FromColors(4, 1, {RGB(0, 0, 0), RGB(0, 0, 1), RGB(255, 255, 254), RGB(255, 255, 255)});
    const std::vector<TRGBQuad> three = BuildOctreePalette(src, 3, 8, false);
    ASSERT_EQ(three.size(), 3u);
    EXPECT_EQ(QuadToColor(three[0]), RGB(0, 0, 0));
    EXPECT_EQ(QuadToColor(three[1]), RGB(0, 0, 1));
    EXPECT_EQ(QuadToColor(three[2]), RGB(255, 255, 254)); // (254 + 255) div 2

    // Two colours apart in the top bit merge only at the root.
    const std::vector<TRGBQuad> one = BuildOctreePalette(FromColors(2, 1, {RGB(0, 0, 0), RGB(129, 3, 0)}), 1, 8, false);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_EQ(QuadToColor(one[0]), RGB(64, 1, 0));
}

TEST(ColorReduction, OptimizedWindowsKeepsTheStaticColoursAtBothEnds)
{
    const TBitmap src = FromColors(3, 1, {RGB(101, 2, 3), RGB(250, 128, 7), RGB(101, 2, 3)});
    const TBitmap out = ReduceBitmapColors(src, pcOptimizedWindows, dcFloydSteinberg, {}, 8);
    const auto& p = out.Palette();
    const auto& stock = StockPalette20();
    ASSERT_EQ(p.size(), 256u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(p[i], stock[i]);
        EXPECT_EQ(p[246 + i], stock[10 + i]);
    }
    EXPECT_EQ(QuadToColor(p[10]), RGB(101, 2, 3));
    EXPECT_EQ(QuadToColor(p[11]), RGB(250, 128, 7));
    for (int i = 12; i < 246; ++i) EXPECT_EQ(QuadToColor(p[i]), clBlack);
    // Exact colours leave no error to diffuse.
    EXPECT_EQ(Indices(out), (std::vector<int>{10, 11, 10}));
}

TEST(ColorReduction, PaletteChoicesAndTheirEdges)
{
    const TBitmap src = Noise(9, 4, 77);
    struct TCase {
        TPaletteChoice choice;
        std::size_t size;
    };
    for (const TCase& c : {TCase{pcWindows20, 20}, TCase{pcHalftone256, 256}, TCase{pcWindowsGray4, 4},
                           TCase{pcMonochrome, 2}, TCase{pcGray256, 256}, TCase{pcNetscape216, 216},
                           TCase{pcOptimized, 32}}) {
        const TBitmap out = ReduceBitmapColors(src, c.choice, dcStucki, {}, 5);
        EXPECT_EQ(out.PixelFormat(), pf8bit);
        EXPECT_EQ(out.Palette().size(), c.size) << c.choice;
        for (int v : Indices(out)) EXPECT_LT(v, static_cast<int>(c.size));
    }
    EXPECT_EQ(QuadToColor(ReduceBitmapColors(src, pcWindowsGray4, dcNearest, {}, 8).Palette()[2]), RGB(192, 192, 192));

    // The given palette is used as it is; an empty one gives nothing to reduce to.
    const std::vector<TRGBQuad> given = {ColorToQuad(clRed), ColorToQuad(clBlue)};
    const TBitmap out = ReduceBitmapColors(src, pcGivenPalette, dcNearest, given, 8);
    EXPECT_EQ(out.Palette(), given);
    EXPECT_TRUE(ReduceBitmapColors(src, pcGivenPalette, dcNearest, {}, 8).Empty());

    const TBitmap copy = ReduceBitmapColors(src, pcNone, dcBurkes, {}, 8);
    EXPECT_EQ(copy.PixelFormat(), pf24bit);
    EXPECT_EQ(copy, src);

    // Palette sources are read as their colours.
    TBitmap paletted(4, 4, pf8bit);
    paletted.SetPixelIndex(1, 1, 215);
    const TBitmap fromPalette = ReduceBitmapColors(paletted, pcNetscape216, dcNearest, {}, 8);
    EXPECT_EQ(fromPalette.GetPixel(1, 1), paletted.GetPixel(1, 1));

    EXPECT_ANY_THROW(ReduceBitmapColors(src, pcOptimized, dcNearest, {}, 9));
}

TEST(ColorReduction, ProgressReachesAHundred)
{
    std::vector<int> seen;
    ReduceBitmapColors(Noise(5, 7, 3), pcNetscape216, dcFloydSteinberg, {}, 8, [&](int p) { seen.push_back(p); });
    ASSERT_FALSE(seen.empty());
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
    EXPECT_EQ(seen.back(), 100);
}
