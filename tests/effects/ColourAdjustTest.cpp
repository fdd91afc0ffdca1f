#include "effects/PaintFX.h"
#include "tests/effects/FxTestImages.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// One row of pixels, each with the same value in all three bytes, after an in-place operation.
template <typename Op> std::vector<int> MapGreys(const std::vector<int>& values, Op op)
{
    TBitmap bmp(static_cast<int>(values.size()), 1, pf24bit);
    for (std::size_t i = 0; i < values.size(); ++i) SetPx(bmp, static_cast<int>(i), 0, Grey(values[i]));
    op(bmp);
    std::vector<int> out;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const TPixel p = Px(bmp, static_cast<int>(i), 0);
        EXPECT_TRUE(p[0] == p[1] && p[1] == p[2]);
        out.push_back(p[0]);
    }
    return out;
}

TEST(ColourAdjust, LighterDarkerContrastUseTruncatingIntegerSteps)
{
    TvekPaintFX fx;
    EXPECT_EQ(MapGreys({0, 255, 100}, [&](TBitmap& b) { fx.Lighter(b, 25); }), (std::vector<int>{25, 255, 115}));
    EXPECT_EQ(MapGreys({255, 0, 100}, [&](TBitmap& b) { fx.Darker(b, 25); }), (std::vector<int>{230, 0, 91}));
    // Split at 128, distance from 127: 128 moves by 25 div 255 = 0.
    EXPECT_EQ(MapGreys({0, 255, 200, 127, 128, 100}, [&](TBitmap& b) { fx.Contrast(b, 25); }),
              (std::vector<int>{0, 255, 207, 127, 128, 98}));
    // Amounts beyond the menu's reach clamp rather than wrap around the byte.
    EXPECT_EQ(MapGreys({10, 250}, [&](TBitmap& b) { fx.Lighter(b, 1000); }), (std::vector<int>{255, 255}));
    EXPECT_EQ(MapGreys({10, 250}, [&](TBitmap& b) { fx.Darker(b, -1000); }), (std::vector<int>{49, 255}));
}

TEST(ColourAdjust, SaturationTruncatesTowardZeroForNegativeDifferences)
{
    TvekPaintFX fx;
    TBitmap bmp(3, 1, pf24bit);
    SetPx(bmp, 0, 0, {0, 0, 255});
    SetPx(bmp, 1, 0, {0, 1, 2}); // grey 1; blue's -100 div 255 is 0, not -1
    SetPx(bmp, 2, 0, {10, 20, 30});
    TBitmap unchanged = bmp;
    fx.Saturation(unchanged, 255);
    EXPECT_EQ(unchanged, bmp);
    TBitmap a = bmp;
    fx.Saturation(a, 225);
    EXPECT_EQ(Px(a, 0, 0), (TPixel{10, 10, 235}));
    TBitmap b = bmp;
    fx.Saturation(b, 100);
    EXPECT_EQ(Px(b, 1, 0), (TPixel{1, 1, 1}));
    TBitmap c = bmp;
    fx.Saturation(c, 1000); // away from grey, clamped
    EXPECT_EQ(Px(c, 2, 0), (TPixel{0, 20, 59}));
}

TEST(ColourAdjust, GrayScaleWeighsStorageOrderAndRoundsHalvesToEvenOnEveryColour)
{
    TvekPaintFX fx;
    TBitmap bmp(4, 1, pf24bit);
    SetPx(bmp, 0, 0, {0, 0, 255});
    SetPx(bmp, 1, 0, {0, 255, 0});
    SetPx(bmp, 2, 0, {255, 255, 255});
    SetPx(bmp, 3, 0, {255, 0, 0});
    fx.GrayScale(bmp);
    EXPECT_EQ(Px(bmp, 0, 0), Grey(28));
    EXPECT_EQ(Px(bmp, 1, 0), Grey(150));
    EXPECT_EQ(Px(bmp, 2, 0), Grey(255));
    EXPECT_EQ(Px(bmp, 3, 0), Grey(76)); // blue carries the 0.3

    // All 2^24 colours against the plain extended-precision formula.
    TBitmap all(4096, 4096, pf24bit);
    for (int y = 0; y < 4096; ++y)
        for (int x = 0; x < 4096; ++x) {
            const int v = y * 4096 + x;
            SetPx(all, x, y, {v & 255, (v >> 8) & 255, v >> 16});
        }
    fx.GrayScale(all);
    int wrong = 0;
    for (int y = 0; y < 4096; ++y)
        for (int x = 0; x < 4096; ++x) {
            const int v = y * 4096 + x;
            const long double e = (v & 255) * 0.3L + ((v >> 8) & 255) * 0.59L + (v >> 16) * 0.11L;
            const int expect = static_cast<int>(std::nearbyintl(e));
            if (Px(all, x, y) != Grey(expect) && ++wrong < 5) ADD_FAILURE() << "colour " << v;
        }
    EXPECT_EQ(wrong, 0);
}

TEST(ColourAdjust, InvertTwiceRestoresAndConvertsPaletteBitmaps)
{
    TvekPaintFX fx;
    TBitmap bmp = RandomImage(17, 5, 1);
    TBitmap original = bmp;
    fx.Invert(bmp);
    EXPECT_EQ(Px(bmp, 3, 2)[1], 255 - Px(original, 3, 2)[1]);
    fx.Invert(bmp);
    EXPECT_EQ(bmp, original);

    // A palette bitmap handed to any point operation is read as 24 bits, never past its rows.
    for (auto op : {+[](TvekPaintFX& f, TBitmap& b) { f.Lighter(b, 25); }, +[](TvekPaintFX& f, TBitmap& b) { f.Contrast(b, 25); },
                    +[](TvekPaintFX& f, TBitmap& b) { f.Saturation(b, 225); }, +[](TvekPaintFX& f, TBitmap& b) { f.GrayScale(b); }}) {
        TBitmap pal(9, 3, pf8bit);
        pal.SetPixel(0, 0, clWhite);
        op(fx, pal);
        EXPECT_EQ(pal.PixelFormat(), pf24bit);
    }
}

TEST(ColourAdjust, PosterizeRoundsHalvesToEvenAndWrapsTheProduct)
{
    TvekPaintFX fx;
    const std::vector<int> in{49, 50, 51, 150, 250, 255, 0};
    TBitmap src(static_cast<int>(in.size()), 1, pf24bit);
    for (std::size_t i = 0; i < in.size(); ++i) SetPx(src, static_cast<int>(i), 0, Grey(in[i]));
    TBitmap dst(src.Width(), 1, pf24bit);
    fx.Posterize(src, dst, 100);
    const std::vector<int> expect{0, 0, 100, 200, 200, 44, 0};
    for (std::size_t i = 0; i < in.size(); ++i) EXPECT_EQ(Px(dst, static_cast<int>(i), 0), Grey(expect[i])) << in[i];

    // Depth 0 has nothing to quantize to: the picture passes unchanged.
    TBitmap zero(src.Width(), 1, pf24bit);
    fx.Posterize(src, zero, 0);
    EXPECT_EQ(zero, src);

    // A dst smaller than src receives the part it has room for.
    TBitmap big = RandomImage(20, 10, 2), small(5, 4, pf24bit);
    fx.Posterize(big, small, 10);
    for (int c = 0; c < 3; ++c) {
        const int v = Px(big, 4, 3)[c];
        EXPECT_EQ(Px(small, 4, 3)[c], static_cast<int>(std::nearbyintl(v / 10.0L)) * 10 % 256);
    }
}

TEST(ColourAdjust, SolarizeInvertsOnlyAboveTheThreshold)
{
    TvekPaintFX fx;
    TBitmap src(3, 1, pf24bit);
    SetPx(src, 0, 0, Grey(50));
    SetPx(src, 1, 0, Grey(51));
    SetPx(src, 2, 0, {49, 50, 53}); // mean 152 div 3 = 50
    TBitmap dst(3, 1, pf24bit);
    fx.Solarize(src, dst, 50);
    EXPECT_EQ(Px(dst, 0, 0), Grey(50));
    EXPECT_EQ(Px(dst, 1, 0), Grey(204));
    EXPECT_EQ(Px(dst, 2, 0), (TPixel{49, 50, 53}));
}

} // namespace
