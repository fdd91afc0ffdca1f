#include "effects/PaintFX.h"
#include "tests/effects/FxTestImages.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

TEST(FlipTurn, FlipsAndTurnsRestoreAndTurnIsClockwise)
{
    TvekPaintFX fx;
    const TBitmap src = RandomImage(7, 4, 1);
    TBitmap bmp = src;
    fx.FlipDown(bmp);
    EXPECT_EQ(Px(bmp, 2, 0), Px(src, 2, 3));
    fx.FlipDown(bmp);
    EXPECT_EQ(bmp, src);
    fx.FlipRight(bmp);
    EXPECT_EQ(Px(bmp, 0, 1), Px(src, 6, 1));
    fx.FlipRight(bmp);
    EXPECT_EQ(bmp, src);

    TBitmap turned;
    fx.Turn(bmp, turned);
    ASSERT_EQ(turned.Width(), 4);
    ASSERT_EQ(turned.Height(), 7);
    // The top row becomes the right column.
    for (int x = 0; x < 7; ++x) EXPECT_EQ(Px(turned, 3, x), Px(src, x, 0));
    EXPECT_EQ(Px(turned, 0, 0), Px(src, 0, 3));
    TBitmap t = src;
    for (int i = 0; i < 4; ++i) fx.Turn(t, t); // into itself
    EXPECT_EQ(t, src);

    TBitmap empty(0, 3, pf24bit), out(2, 2, pf24bit);
    fx.Turn(empty, out);
    EXPECT_EQ(out.Width(), 3);
    EXPECT_EQ(out.Height(), 0);
}

TEST(FlipTurn, MirrorsCopyTheFirstHalfReversed)
{
    TvekPaintFX fx;
    TBitmap row(10, 1, pf24bit);
    for (int x = 0; x < 10; ++x) SetPx(row, x, 0, Grey(x));
    fx.MirrorRight(row);
    const int expect[] = {0, 1, 2, 3, 4, 4, 3, 2, 1, 0};
    for (int x = 0; x < 10; ++x) EXPECT_EQ(Px(row, x, 0), Grey(expect[x]));

    TBitmap column(1, 5, pf24bit);
    for (int y = 0; y < 5; ++y) SetPx(column, 0, y, Grey(y));
    fx.MirrorDown(column);
    const int down[] = {0, 1, 2, 1, 0};
    for (int y = 0; y < 5; ++y) EXPECT_EQ(Px(column, 0, y), Grey(down[y]));

    TBitmap noWidth(0, 4, pf24bit), noHeight(4, 0, pf24bit);
    fx.MirrorRight(noWidth);
    fx.MirrorDown(noHeight);
    fx.MirrorRight(noHeight);
    fx.MirrorDown(noWidth);
}

TEST(Mosaic, BlocksTakeTheirTopLeftPixelAndAreCutAtTheBorder)
{
    TvekPaintFX fx;
    TBitmap bmp(7, 4, pf24bit);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x) SetPx(bmp, x, y, Grey(10 * y + x));
    fx.Mosaic(bmp, 3);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 7; ++x) EXPECT_EQ(Px(bmp, x, y), Grey(10 * (y / 3 * 3) + x / 3 * 3)) << x << "," << y;
    TBitmap same = RandomImage(5, 5, 1), copy = same;
    fx.Mosaic(same, 0); // below 1 behaves as 1
    fx.Mosaic(same, -7);
    EXPECT_EQ(same, copy);
    fx.Mosaic(same, 1 << 30);
    EXPECT_EQ(Px(same, 4, 4), Px(copy, 0, 0));
}

TEST(Whipe, StripesFollowTheRowPattern)
{
    TvekPaintFX fx;
    for (int amount : {50, 3, 9}) {
        const TBitmap src = RandomImage(120, 60, amount);
        TBitmap bmp = src;
        fx.Whipe(bmp, amount);
        const int a = amount < 5 ? 4 : (amount & ~1), b = a + 1, half = (a + 1) >> 1;
        TBitmap ref = src;
        for (int y = 0; y < 60; ++y) {
            int s = y % a;
            if (s > half) s = a - s;
            if (s == 0) s = b;
            const int m = std::abs(half - y % b) + half;
            TPixel current = Px(ref, 0, y);
            for (int x = 0; x < 120; ++x) {
                if (x % s == 0) current = Px(ref, x, y);
                if (x % m == 1) current = Px(ref, x, y);
                SetPx(ref, x, y, current);
            }
        }
        EXPECT_EQ(bmp, ref) << amount;
    }
    TBitmap empty(0, 3, pf24bit);
    fx.Whipe(empty, 50);
}

TEST(Shadows, CastFromFourPixelsAwayAndWrapAt255)
{
    TvekPaintFX fx;
    TBitmap bmp = GreyImage(20, 20, 255);
    SetPx(bmp, 10, 10, Grey(0));
    TBitmap down = bmp;
    fx.ShadowDownRight(down);
    EXPECT_EQ(Px(down, 14, 14), Grey(1));
    EXPECT_EQ(Px(down, 18, 18), Grey(255)); // partners are read as they were on entry
    EXPECT_EQ(Px(down, 6, 6), Grey(255));
    EXPECT_EQ(Px(down, 10, 10), Grey(0));

    const std::function<void(TBitmap&)> ops[] = {
        [&](TBitmap& b) { fx.ShadowUpLeft(b); }, [&](TBitmap& b) { fx.ShadowUpRight(b); },
        [&](TBitmap& b) { fx.ShadowDownLeft(b); }, [&](TBitmap& b) { fx.ShadowDownRight(b); }};
    const int at[][2] = {{6, 6}, {14, 6}, {6, 14}, {14, 14}};
    for (int i = 0; i < 4; ++i) {
        TBitmap b = bmp;
        ops[i](b);
        EXPECT_EQ(Px(b, at[i][0], at[i][1]), Grey(1)) << i;
        // Green 255 in the partner casts as 0.
        TBitmap wrap = GreyImage(12, 12, 200);
        SetPx(wrap, 6, 6, {10, 255, 20});
        ops[i](wrap);
        EXPECT_EQ(Px(wrap, 6 + (at[i][0] - 10), 6 + (at[i][1] - 10)), (TPixel{11, 0, 21})) << i;
        for (auto [w, h] : {std::pair{4, 9}, std::pair{9, 4}, std::pair{1, 1}}) {
            TBitmap small = RandomImage(w, h, i), copy = small;
            ops[i](small);
            EXPECT_EQ(small, copy);
        }
    }
}

TEST(Distortions, CentresMapToThemselvesAndDegenerateAmountsStayInside)
{
    TvekPaintFX fx;
    const TBitmap even = RandomImage(12, 10, 5);
    TBitmap e = even, lens = even;
    fx.FishEye(e, lens, 40.0L / 255);
    EXPECT_EQ(Px(lens, 6, 5), Px(even, 6, 5)); // r1 = 0 at (W / 2, H / 2)
    EXPECT_NE(lens, even);
    const TBitmap src = RandomImage(11, 9, 3);
    TBitmap s = src;
    TBitmap twisted = src;
    fx.Twist(s, twisted, 40);
    EXPECT_EQ(Px(twisted, 5, 4), Px(src, 5, 4)); // r = 0 samples at (fxmid, fymid) = (5, 4)

    // On the lens rim (r1 = rmax exactly) the pixel keeps its place.
    const TBitmap grid = RandomImage(10, 10, 4);
    TBitmap g = grid, rim = grid;
    fx.FishEye(g, rim, 0.3L); // rmax 3; pixel (8, 5) lies 3 from the centre (5, 5)
    EXPECT_EQ(Px(rim, 8, 5), Px(grid, 8, 5));

    TBitmap unchanged = src;
    fx.Twist(s, unchanged, 0);
    EXPECT_EQ(unchanged, src);

    for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 7}, std::pair{6, 1}, std::pair{2, 2}}) {
        TBitmap a = RandomImage(w, h, w + h), b = a;
        fx.FishEye(a, b, 1.0L);
        fx.FishEye(a, b, 0.0L);
        fx.FishEye(a, b, -3.0L);
        fx.Twist(a, b, 1);
        fx.Twist(a, b, -255);
    }
}

} // namespace
