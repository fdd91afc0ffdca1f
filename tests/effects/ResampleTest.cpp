#include "effects/PaintFX.h"
#include "platform/Errors.h"
#include "tests/effects/FxTestImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

struct TTap {
    int pixel;
    float weight;
};

// Stretch as written, one pixel and one extended-precision step at a time.
std::vector<std::vector<TTap>> ReferenceTaps(int d, int s, float support, TFilterFunction filter)
{
    const float scale = (s == 1 || d == 1) ? static_cast<float>(static_cast<long double>(d) / s)
                                           : static_cast<float>(static_cast<long double>(d - 1) / (s - 1));
    std::vector<std::vector<TTap>> taps(d);
    for (int i = 0; i < d; ++i) {
        const float center = static_cast<float>(i / static_cast<long double>(scale));
        float width = support, fscale = 1;
        if (scale < 1) {
            width = static_cast<float>(support / static_cast<long double>(scale));
            fscale = static_cast<float>(1 / static_cast<long double>(scale));
        }
        for (long long j = static_cast<long long>(std::floor(static_cast<long double>(center) - width));
             j <= static_cast<long long>(std::ceil(static_cast<long double>(center) + width)); ++j) {
            float weight;
            if (scale < 1)
                weight = static_cast<float>(filter(static_cast<float>((center - static_cast<long double>(j)) / fscale)) /
                                            static_cast<long double>(fscale));
            else
                weight = filter(static_cast<float>(center - static_cast<long double>(j)));
            if (weight == 0) continue;
            long long n = j < 0 ? -j : (j >= s ? 2LL * s - j - 1 : j);
            n = std::clamp<long long>(n, 0, s - 1);
            taps[i].push_back({static_cast<int>(n), weight});
        }
    }
    return taps;
}

int StoreSum(const float sum[3], int c)
{
    return sum[c] > 255 ? 255 : (sum[c] < 0 ? 0 : static_cast<int>(std::nearbyint(sum[c])));
}

TBitmap ReferenceStretch(const TBitmap& src, int dw, int dh, float support, TFilterFunction filter)
{
    const int sw = src.Width(), sh = src.Height();
    const auto columns = ReferenceTaps(dw, sw, support, filter);
    const auto rows = ReferenceTaps(dh, sh, support, filter);
    TBitmap work(dw, sh, pf24bit), dst(dw, dh, pf24bit);
    for (int k = 0; k < sh; ++k)
        for (int i = 0; i < dw; ++i) {
            float sum[3] = {0, 0, 0};
            for (const TTap& t : columns[i])
                for (int c = 0; c < 3; ++c)
                    sum[c] = static_cast<float>(sum[c] + static_cast<long double>(Px(src, t.pixel, k)[c]) * t.weight);
            SetPx(work, i, k, {StoreSum(sum, 0), StoreSum(sum, 1), StoreSum(sum, 2)});
        }
    for (int k = 0; k < dw; ++k)
        for (int i = 0; i < dh; ++i) {
            float sum[3] = {0, 0, 0};
            for (const TTap& t : rows[i])
                for (int c = 0; c < 3; ++c)
                    sum[c] = static_cast<float>(sum[c] + static_cast<long double>(Px(work, k, t.pixel)[c]) * t.weight);
            SetPx(dst, k, i, {StoreSum(sum, 0), StoreSum(sum, 1), StoreSum(sum, 2)});
        }
    return dst;
}

struct TNamedFilter {
    TFilterFunction filter;
    float support;
};

const TNamedFilter kFilters[] = {{BoxFilter, 0.5f},      {TriangleFilter, 1},   {HermiteFilter, 1},
                                 {BellFilter, 1.5f},     {SplineFilter, 2},     {MitchellFilter, 2},
                                 {SincFilter, 3},        {Lanczos3Filter, 3}};

TEST(Stretch, FilterFunctionsHaveTheirShapes)
{
    EXPECT_EQ(BoxFilter(0.5f), 1.0f);
    EXPECT_EQ(BoxFilter(-0.5f), 0.0f);
    EXPECT_EQ(TriangleFilter(0.25f), 0.75f);
    EXPECT_EQ(TriangleFilter(-1.0f), 0.0f);
    EXPECT_EQ(HermiteFilter(0.5f), 0.5f);
    EXPECT_EQ(BellFilter(1.0f), 0.125f);
    EXPECT_EQ(BellFilter(0.0f), 0.75f);
    EXPECT_FLOAT_EQ(SplineFilter(0.0f), 2.0f / 3);
    EXPECT_FLOAT_EQ(SplineFilter(1.0f), 1.0f / 6);
    EXPECT_FLOAT_EQ(MitchellFilter(0.0f), 8.0f / 9);
    EXPECT_FLOAT_EQ(MitchellFilter(-1.0f), 1.0f / 18);
    EXPECT_EQ(MitchellFilter(2.0f), 0.0f);
    EXPECT_EQ(SincFilter(0.0f), 1.0f);
    EXPECT_FLOAT_EQ(SincFilter(0.5f), static_cast<float>(2 / std::numbers::pi));
    EXPECT_LT(std::fabs(SincFilter(1.0f)), 1e-7f); // pi held as a float leaves a trace
    EXPECT_EQ(Lanczos3Filter(0.0f), 1.0f);
    EXPECT_EQ(Lanczos3Filter(3.0f), 0.0f);
    EXPECT_EQ(Lanczos3Filter(-3.5f), 0.0f);
    EXPECT_FLOAT_EQ(Lanczos3Filter(1.5f), SincFilter(1.5f) * SincFilter(0.5f));
}

TEST(Stretch, MatchesThePixelByPixelResamplerForEveryFilter)
{
    TvekPaintFX fx;
    const int cases[][4] = {{13, 9, 5, 4}, {13, 9, 31, 20}, {40, 3, 11, 8}, {7, 7, 7, 7}, {1, 1, 4, 3},
                            {1, 5, 3, 2},  {2, 2, 9, 9},    {6, 4, 1, 1},  {5, 8, 1, 17}, {64, 48, 17, 13}};
    unsigned seed = 1;
    for (const auto& f : kFilters)
        for (const auto& c : cases) {
            TBitmap src = RandomImage(c[0], c[1], ++seed);
            TBitmap dst(c[2], c[3], pf24bit);
            fx.Stretch(src, dst, f.support, f.filter);
            EXPECT_EQ(dst, ReferenceStretch(src, c[2], c[3], f.support, f.filter))
                << c[0] << "x" << c[1] << " to " << c[2] << "x" << c[3] << " support " << f.support;
        }
}

TEST(Stretch, SmoothPicturesAgreeToo)
{
    // Gradients give many sums that sit close to halves, where the float steps decide.
    TvekPaintFX fx;
    TBitmap src(50, 40, pf24bit);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 50; ++x) SetPx(src, x, y, {x * 5, y * 6, (x + y) * 2});
    for (auto [dw, dh] : {std::pair{17, 13}, std::pair{123, 77}, std::pair{50, 40}}) {
        TBitmap dst(dw, dh, pf24bit);
        fx.Stretch(src, dst, 3.0f, Lanczos3Filter);
        EXPECT_EQ(dst, ReferenceStretch(src, dw, dh, 3.0f, Lanczos3Filter)) << dw << "x" << dh;
    }
}

TEST(Stretch, LargeReductionsAgreeToo)
{
    // A sixteenth of the width: each destination pixel sums about a hundred source pixels, and the
    // weights next to the filter's zeros are so small that the sums need more bits than an extended
    // mantissa. Sixteen rows and more go through the horizontal pass several at a time.
    TvekPaintFX fx;
    TBitmap src = RandomImage(1600, 35, 21);
    for (auto [dw, dh] : {std::pair{100, 3}, std::pair{137, 35}, std::pair{1601, 16}}) {
        TBitmap dst(dw, dh, pf24bit);
        fx.Stretch(src, dst, 3.0f, Lanczos3Filter);
        EXPECT_EQ(dst, ReferenceStretch(src, dw, dh, 3.0f, Lanczos3Filter)) << dw << "x" << dh;
    }
}

TEST(Stretch, SameSizeLanczosReproducesThePicture)
{
    TvekPaintFX fx;
    TBitmap src = RandomImage(37, 21, 9);
    TBitmap dst(37, 21, pf24bit);
    fx.Stretch(src, dst, 3.0f, Lanczos3Filter);
    EXPECT_EQ(dst, src);
}

TEST(Stretch, EmptySourceRaisesAndLeavesDstAlone)
{
    TvekPaintFX fx;
    TBitmap empty(0, 5, pf24bit);
    TBitmap dst = RandomImage(3, 3, 1), copy = dst;
    try {
        fx.Stretch(empty, dst, 3.0f, Lanczos3Filter);
        FAIL() << "no exception";
    } catch (const EvekError& e) {
        EXPECT_STREQ(e.what(), "Source bitmap too small");
    }
    EXPECT_EQ(dst, copy);
    // A support with no end is refused instead of building endless lists.
    TBitmap src = RandomImage(4, 4, 2);
    EXPECT_THROW(fx.Stretch(src, dst, INFINITY, Lanczos3Filter), EvekError);
    EXPECT_THROW(fx.Stretch(src, dst, NAN, Lanczos3Filter), EvekError);
}

TEST(Stretch, ConvertsAPaletteSourceAndGivesDstItsFormat)
{
    TvekPaintFX fx;
    TBitmap src(6, 6, pf8bit);
    src.SetPixel(2, 2, clRed);
    TBitmap dst(3, 3, pf8bit);
    fx.Stretch(src, dst, 1.0f, TriangleFilter);
    EXPECT_EQ(src.PixelFormat(), pf24bit);
    EXPECT_EQ(dst.PixelFormat(), pf24bit);
    EXPECT_EQ(dst.Width(), 3);
}

} // namespace
