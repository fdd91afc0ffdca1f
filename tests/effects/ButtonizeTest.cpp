#include "effects/PaintFX.h"
#include "tests/effects/FxTestImages.h"

#include <gtest/gtest.h>

namespace {

TEST(Buttonize, LightTopLeftDarkBottomRightWithDoubledCorners)
{
    TvekPaintFX fx;
    TBitmap bmp = GreyImage(30, 30, 100);
    fx.Buttonize(bmp, 10, 120);
    EXPECT_EQ(Px(bmp, 15, 0), Grey(172)); // 100 + 155 * 120 div 255
    EXPECT_EQ(Px(bmp, 0, 15), Grey(172));
    EXPECT_EQ(Px(bmp, 15, 29), Grey(53)); // 100 - 100 * 120 div 255
    EXPECT_EQ(Px(bmp, 29, 15), Grey(53));
    EXPECT_EQ(Px(bmp, 15, 10), Grey(172)); // the band is d + 1 rows deep
    EXPECT_EQ(Px(bmp, 15, 11), Grey(100));
    EXPECT_EQ(Px(bmp, 15, 15), Grey(100));
    EXPECT_EQ(Px(bmp, 0, 0), Grey(211)); // lightened twice: 172 + 83 * 120 div 255
    TBitmap same = RandomImage(9, 9, 1), copy = same;
    fx.Buttonize(same, 0, 120);
    EXPECT_EQ(same, copy);
}

TEST(Buttonize, PicturesNotLargerThanTheBevelStayInside)
{
    TvekPaintFX fx;
    for (auto [w, h] : {std::pair{1, 1}, std::pair{5, 5}, std::pair{3, 40}, std::pair{40, 3}, std::pair{21, 21}}) {
        TBitmap b = GreyImage(w, h, 100);
        fx.Buttonize(b, 10, 120);
        EXPECT_NE(Px(b, 0, 0), Grey(100));
        TBitmap s = RandomImage(w, h, w * h);
        fx.Seamless(s, 10);
        fx.Seamless(s, 255);
    }
}

TEST(Seamless, BottomRowsFadeIntoTheTopRowsWithHalvesToEven)
{
    TvekPaintFX fx;
    const TBitmap src = RandomImage(40, 30, 2);
    TBitmap bmp = src;
    fx.Seamless(bmp, 10);
    for (int x = 0; x < 40; ++x) EXPECT_EQ(Px(bmp, x, 29), Px(bmp, x, 0)) << x;
    for (int x = 10; x <= 29; ++x) EXPECT_EQ(Px(bmp, x, 19), Px(src, x, 19)) << x; // weight 0 at distance d
    EXPECT_EQ(Px(bmp, 39, 15), Px(src, 0, 15));                                      // the outermost column
    EXPECT_EQ(Px(bmp, 29, 15), Px(src, 29, 15));

    TBitmap half = GreyImage(10, 10, 0);
    SetPx(half, 5, 1, {2, 3, 7});
    SetPx(half, 5, 8, {1, 2, 4});
    fx.Seamless(half, 2); // row 8 takes half of row 1
    EXPECT_EQ(Px(half, 5, 8), (TPixel{2, 2, 6}));
    TBitmap zero = RandomImage(6, 6, 3), copy = zero;
    fx.Seamless(zero, 0);
    EXPECT_EQ(zero, copy);
}

TEST(ButtonizeOval, RaisedAndSunkenRingsAndUnknownStylesOnlySmooth)
{
    TvekPaintFX fx;
    TBitmap round = GreyImage(60, 60, 128), rimmed = round;
    fx.ButtonizeOval(round, 5, "round", 120);
    fx.ButtonizeOval(rimmed, 5, "rimmed", 120);
    EXPECT_GT(Px(round, 30, 0)[0], 128);
    EXPECT_GT(Px(round, 0, 30)[0], 128);
    EXPECT_LT(Px(round, 30, 59)[0], 128);
    EXPECT_LT(Px(round, 59, 30)[0], 128);
    EXPECT_EQ(Px(round, 30, 30), Grey(128));
    // The rim is strongest at its inner edge; its outermost ring has level 0 and stays.
    EXPECT_EQ(Px(rimmed, 30, 0), Grey(128));
    EXPECT_LT(Px(rimmed, 30, 4)[0], 128);
    EXPECT_GT(Px(rimmed, 30, 55)[0], 128);
    TBitmap frame = GreyImage(60, 60, 128);
    fx.ButtonizeOval(frame, 5, "doubleround", 120);
    EXPECT_GT(Px(frame, 30, 0)[0], 128); // raised outside
    EXPECT_LT(Px(frame, 30, 6)[0], 128);  // sunken inside it

    const TBitmap src = RandomImage(20, 15, 4);
    TBitmap other = src, smoothed = src;
    fx.ButtonizeOval(other, 5, "Round", 120); // styles compare case-sensitively
    fx.AntiAlias(smoothed);
    EXPECT_EQ(other, smoothed);
    TBitmap zero = src;
    fx.ButtonizeOval(zero, 0, "round", 120);
    EXPECT_EQ(zero, src);
    for (auto [w, h] : {std::pair{1, 1}, std::pair{2, 9}, std::pair{9, 2}}) {
        TBitmap small = RandomImage(w, h, 5);
        fx.ButtonizeOval(small, 50, "doubleround", 255);
    }
}

TEST(MaskOval, PaintsTheCornersOutsideTheInscribedEllipse)
{
    TvekPaintFX fx;
    const TBitmap src = RandomImage(40, 40, 6);
    TBitmap bmp = src;
    fx.MaskOval(bmp, clWhite);
    for (auto [x, y] : {std::pair{0, 0}, std::pair{39, 0}, std::pair{0, 39}, std::pair{39, 39}, std::pair{3, 3}})
        EXPECT_EQ(Px(bmp, x, y), Grey(255));
    EXPECT_EQ(Px(bmp, 20, 20), Px(src, 20, 20));
    EXPECT_EQ(Px(bmp, 20, 1), Px(src, 20, 1));
    TBitmap coloured = src;
    fx.MaskOval(coloured, RGB(10, 20, 30));
    EXPECT_EQ(Px(coloured, 0, 0), (TPixel{30, 20, 10}));
}

TEST(TextAngle, DrawsRotatedTextAndRestoresTheCanvas)
{
    TvekPaintFX fx;
    TBitmap bmp = GreyImage(120, 120, 255);
    TCanvas& canvas = bmp.Canvas();
    canvas.Brush.Color = clRed;
    TFont font;
    font.Height = -20;
    font.Color = clBlack;
    fx.TextAngle(canvas, 30, 100, 90, "Vistrel", font);
    int left = 120, right = -1, top = 120, bottom = -1;
    for (int y = 0; y < 120; ++y)
        for (int x = 0; x < 120; ++x)
            if (Px(bmp, x, y) != Grey(255)) {
                EXPECT_EQ(Px(bmp, x, y), Grey(0)) << "background stays transparent";
                left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0);
    EXPECT_GT(bottom - top, 2 * (right - left)); // a word at 90 degrees runs upwards
    EXPECT_LE(bottom, 100);
    EXPECT_EQ(canvas.Brush.Color, clRed);
    EXPECT_EQ(canvas.Font.Escapement, 0);
}

} // namespace
