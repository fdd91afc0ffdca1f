#include "effects/PaintFX.h"
#include "tests/effects/FxTestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

// The kernels written out again, row above / own row / row below, and their divisors.
const int kKernel[9][10] = {
    {-1, -1, -1, -1, 8, -1, -1, -1, -1, 1}, {-1, -1, -1, -1, 9, -1, -1, -1, -1, 1},
    {1, 1, 1, 1, -2, 1, -1, -1, -1, 1},     {-1, -1, -1, -1, 16, -1, -1, -1, -1, 8},
    {0, -1, 0, -1, 5, -1, 0, -1, 0, 1},     {1, 0, 1, 0, 0, 0, 1, 0, -2, 1},
    {2, 2, 2, 2, 0, 2, 2, 2, 2, 16},        {3, 3, 3, 3, 8, 3, 3, 3, 3, 32},
    {0, 1, 0, 1, 2, 1, 0, 1, 0, 6},
};

// The filter as written: a padded copy of the whole picture with its frame, then every pixel from it.
TBitmap ReferenceFilter(const TBitmap& c, int kind, TConvolveBorder border)
{
    const int w = c.Width(), h = c.Height();
    TBitmap out = c;
    auto sum = [&](auto at, int x, int y, int ch) {
        int s = 0;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) s += kKernel[kind][3 * i + j] * at(x + j, y + i)[ch];
        return std::clamp(s / kKernel[kind][9], 0, 255);
    };
    if (border == cbSkipBorder) {
        auto at = [&](int x, int y) { return Px(c, x - 1, y - 1); };
        for (int y = 1; y <= h - 2; ++y)
            for (int x = 1; x <= w - 2; ++x) SetPx(out, x, y, {sum(at, x, y, 0), sum(at, x, y, 1), sum(at, x, y, 2)});
        return out;
    }
    const bool wrap = border == cbWrap;
    std::vector<std::vector<TPixel>> p(h + 2, std::vector<TPixel>(w + 2));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) p[y + 1][x + 1] = Px(c, x, y);
    for (int x = 1; x <= w; ++x) {
        p[0][x] = Px(c, x - 1, wrap ? h - 1 : 0);
        p[h + 1][x] = Px(c, x - 1, wrap ? 0 : h - 1);
    }
    for (int y = 1; y <= h; ++y) {
        p[y][0] = Px(c, wrap ? w - 1 : 0, y - 1);
        p[y][w + 1] = Px(c, wrap ? 0 : w - 1, y - 1);
    }
    p[0][0] = Px(c, 0, 0);
    p[0][w + 1] = Px(c, w - 1, 0);
    p[h + 1][0] = Px(c, 0, h - 1);
    p[h + 1][w + 1] = Px(c, w - 1, h - 1);
    auto at = [&](int x, int y) { return p[y][x]; };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPx(out, x, y, {sum(at, x, y, 0), sum(at, x, y, 1), sum(at, x, y, 2)});
    return out;
}

TEST(ApplyFilter, MatchesThePaddedCopyForEveryKernelBorderAndSize)
{
    TvekPaintFX fx;
    const int sizes[][2] = {{1, 1}, {1, 6}, {6, 1}, {2, 2}, {3, 3}, {2, 5}, {7, 4}, {33, 19}};
    unsigned seed = 10;
    for (auto [w, h] : sizes)
        for (int kind = 0; kind <= 8; ++kind)
            for (TConvolveBorder border : {cbWrap, cbReplicate, cbSkipBorder}) {
                const TBitmap src = RandomImage(w, h, ++seed);
                TBitmap fast = src;
                fx.ApplyFilter(kind, border, fast);
                EXPECT_EQ(fast, ReferenceFilter(src, kind, border)) << w << "x" << h << " kind " << kind << " border " << border;
            }
}

TEST(ApplyFilter, UniformPicturesShowWhichKernelsSumToTheirDivisor)
{
    TvekPaintFX fx;
    for (int kind : {fkHighPass, fkSharpen, fkSoften, fkBlur, fkSoftenLess, fkColorEmboss, fkEdgeEnhance}) {
        TBitmap bmp = UniformImage(6, 5, 40, 90, 200);
        fx.ApplyFilter(kind, cbWrap, bmp);
        EXPECT_EQ(bmp, UniformImage(6, 5, 40, 90, 200)) << kind;
    }
    TBitmap bmp = UniformImage(6, 5, 40, 90, 200);
    fx.Laplace(bmp);
    EXPECT_EQ(bmp, UniformImage(6, 5, 0, 0, 0));
    // Kinds past the table and unknown borders leave the picture alone.
    TBitmap same = RandomImage(5, 5, 3), copy = same;
    fx.ApplyFilter(9, cbWrap, same);
    fx.ApplyFilter(-1, cbWrap, same);
    EXPECT_EQ(same, copy);
}

TEST(ApplyFilter, WrapSeesTheBottomRowAboveTheTopRow)
{
    TvekPaintFX fx;
    TBitmap bmp = GreyImage(5, 4, 255);
    for (int x = 0; x < 5; ++x) SetPx(bmp, x, 3, Grey(0));
    TBitmap wrapped = bmp, replicated = bmp;
    fx.ApplyFilter(fkLaplace, cbWrap, wrapped);
    fx.ApplyFilter(fkLaplace, cbReplicate, replicated);
    EXPECT_EQ(Px(wrapped, 2, 0), Grey(255)); // 8 * 255 - 5 * 255 above and beside
    EXPECT_EQ(Px(replicated, 2, 0), Grey(0));
}

TEST(ApplyFilter, FindEdgesBrightensOnlyLightAboveDark)
{
    TvekPaintFX fx;
    TBitmap lightAbove(4, 6, pf24bit), darkAbove(4, 6, pf24bit);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 4; ++x) {
            SetPx(lightAbove, x, y, Grey(y < 3 ? 200 : 0));
            SetPx(darkAbove, x, y, Grey(y < 3 ? 0 : 200));
        }
    fx.ApplyFilter(fkFindEdges, cbReplicate, lightAbove);
    fx.ApplyFilter(fkFindEdges, cbReplicate, darkAbove);
    EXPECT_EQ(Px(lightAbove, 1, 3), Grey(255));
    EXPECT_EQ(Px(darkAbove, 1, 3), Grey(0));
    EXPECT_EQ(Px(darkAbove, 1, 2), Grey(0));
}

} // namespace
