#include "effects/PaintFX.h"
#include "tests/effects/FxTestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

// Pictures with few colours, so that Trace finds equal neighbours as well as different ones.
TBitmap FewColours(int w, int h, unsigned seed)
{
    const TPixel colours[] = {{0, 0, 255}, {255, 255, 255}, {0, 128, 0}, {255, 0, 0}};
    std::mt19937 rng(seed);
    TBitmap bmp(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPx(bmp, x, y, colours[rng() % (rng() % 3 == 0 ? 4 : 2)]);
    return bmp;
}

// Trace as written: every pass, found and c kept for the whole call.
void ReferenceTrace(TBitmap& bmp, int intensity)
{
    TBitmap m = bmp;
    m.SetPixelFormat(pf8bit);
    const int w = bmp.Width(), h = bmp.Height();
    bool found = false;
    int c = 0;
    auto black = [&](int x, int y) { SetPx(bmp, x, y, Grey(0)); };
    auto step = [&](int x, int y, int nx, int ny) {
        const int mm = m.GetPixelIndex(x, y), n = m.GetPixelIndex(nx, ny);
        if (n == mm) return;
        if (found) {
            if (mm != c) black(x, y); else black(nx, ny);
        } else {
            c = n;
            black(x, y);
            found = true;
        }
    };
    for (int pass = 1; pass <= intensity; ++pass) {
        for (int y = 0; y <= h - 2; ++y)
            for (int x = 0; x <= w - 3; ++x) step(x, y, x + 1, y), step(x, y, x, y + 1);
        if (pass > 1 && h - 1 >= 1)
            for (int y = h - 1; y >= 1; --y)
                for (int x = w - 1; x >= 2; --x) step(x, y, x - 1, y), step(x, y, x, y - 1);
    }
}

// SplitBlur as written, in place pixel by pixel; taps that would leave a small picture are clamped.
void ReferenceSplitBlur(TBitmap& bmp, int d)
{
    if (d == 0) return;
    const int w = bmp.Width(), h = bmp.Height();
    auto clampTo = [](int v, int n) { return std::clamp(v, 0, n - 1); };
    for (int y = 0; y < h; ++y) {
        const int a = clampTo(y - d >= 0 ? y - d : y, h), b = clampTo(y + d < h ? y + d : h - y, h);
        for (int x = 0; x < w; ++x) {
            const int l = clampTo(x - d >= 0 ? x - d : x, w), r = clampTo(x + d < w ? x + d : w - x, w);
            TPixel p;
            for (int c = 0; c < 3; ++c) p[c] = (Px(bmp, l, a)[c] + Px(bmp, l, b)[c] + Px(bmp, r, a)[c] + Px(bmp, r, b)[c]) >> 2;
            SetPx(bmp, x, y, p);
        }
    }
}

TEST(Emboss, ReliefOfUniformGreyAndNarrowPictures)
{
    TvekPaintFX fx;
    TBitmap bmp = GreyImage(8, 5, 128);
    fx.Emboss(bmp);
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(Px(bmp, x, y), Grey(y < 4 && x < 5 ? 127 : 128)) << x << "," << y;
    // Emboss reads the row below before it changes: a picture with a bright row 1 shades row 0 only.
    TBitmap stripes = GreyImage(6, 3, 0);
    for (int x = 0; x < 6; ++x) SetPx(stripes, x, 1, Grey(255));
    fx.Emboss(stripes);
    EXPECT_EQ(Px(stripes, 0, 0), Grey(0));
    EXPECT_EQ(Px(stripes, 0, 1), Grey(255));
    for (int w = 1; w <= 3; ++w) {
        TBitmap narrow = RandomImage(w, 4, w), copy = narrow;
        fx.Emboss(narrow);
        EXPECT_EQ(narrow, copy);
    }
}

TEST(AntiAlias, AveragesTheInteriorInPlaceWithinTheClippedRectangle)
{
    TvekPaintFX fx;
    TBitmap src = RandomImage(9, 7, 4);
    TBitmap fast = src, ref = src;
    fx.AntiAliasRect(fast, 7, 9, -3, 2); // corners in any order, clipped to the interior
    for (int y = 2; y <= 5; ++y)
        for (int x = 1; x <= 7; ++x) {
            TPixel p;
            for (int c = 0; c < 3; ++c)
                p[c] = (Px(ref, x, y - 1)[c] + Px(ref, x, y + 1)[c] + Px(ref, x - 1, y)[c] + Px(ref, x + 1, y)[c]) >> 2;
            SetPx(ref, x, y, p);
        }
    EXPECT_EQ(fast, ref);
    TBitmap whole = src, rect = src;
    fx.AntiAlias(whole);
    fx.AntiAliasRect(rect, 1, 1, 7, 5);
    EXPECT_EQ(whole, rect);
    for (auto [w, h] : {std::pair{2, 2}, std::pair{1, 5}, std::pair{5, 2}}) {
        TBitmap small = RandomImage(w, h, 5), copy = small;
        fx.AntiAlias(small);
        EXPECT_EQ(small, copy);
    }
    TBitmap far = src;
    fx.AntiAliasRect(far, INT_MAX, INT_MAX, INT_MAX - 1, INT_MAX);
    fx.AntiAliasRect(far, INT_MIN, INT_MIN, INT_MIN, INT_MIN + 1);
    EXPECT_EQ(far, src);
}

TEST(SplitBlur, MatchesThePixelByPixelBlurAlsoOnPicturesSmallerThanTheDistance)
{
    TvekPaintFX fx;
    const int sizes[][2] = {{1, 1}, {1, 7}, {7, 1}, {3, 3}, {4, 4}, {5, 9}, {23, 17}};
    for (auto [w, h] : sizes)
        for (int d : {1, 3, 6, -2}) {
            TBitmap fast = RandomImage(w, h, w * 100 + h + d), ref = fast;
            fx.SplitBlur(fast, d);
            ReferenceSplitBlur(ref, d);
            EXPECT_EQ(fast, ref) << w << "x" << h << " d " << d;
        }
    TBitmap zero = RandomImage(6, 6, 1), copy = zero;
    fx.SplitBlur(zero, 0);
    EXPECT_EQ(zero, copy);
}

TEST(SplitBlur, GaussianBlurRepeatsDistanceThreeDepthPlusOneTimes)
{
    TvekPaintFX fx;
    TBitmap g0 = RandomImage(20, 12, 7), s1 = g0;
    fx.GaussianBlur(g0, 0);
    fx.SplitBlur(s1, 3);
    EXPECT_EQ(g0, s1);
    TBitmap g2 = RandomImage(20, 12, 8), s3 = g2;
    fx.GaussianBlur(g2, 2);
    for (int i = 0; i < 3; ++i) fx.SplitBlur(s3, 3);
    EXPECT_EQ(g2, s3);
}

TEST(Trace, KeepsItsReferenceColourForTheWholeCall)
{
    TvekPaintFX fx;
    const int sizes[][2] = {{1, 1}, {2, 5}, {3, 1}, {3, 2}, {5, 4}, {16, 11}};
    for (auto [w, h] : sizes)
        for (int intensity : {0, 1, 2, 3, 6}) {
            TBitmap fast = FewColours(w, h, w * 31 + h * 7 + intensity), ref = fast;
            fx.Trace(fast, intensity);
            ReferenceTrace(ref, intensity);
            EXPECT_EQ(fast, ref) << w << "x" << h << " intensity " << intensity;
        }
    // Intensity 1 never blackens the last row by its own comparisons.
    TBitmap bmp = GreyImage(6, 3, 200);
    SetPx(bmp, 2, 2, Grey(0));
    SetPx(bmp, 4, 2, {0, 0, 255});
    fx.Trace(bmp, 1);
    EXPECT_EQ(Px(bmp, 4, 2), (TPixel{0, 0, 255}));
    EXPECT_EQ(Px(bmp, 2, 1), Grey(0)); // the first difference found, above the black pixel
}

} // namespace
