#include "platform/Errors.h"
#include "platform/TBitmap.h"

#include <gtest/gtest.h>

TEST(BitmapTest, RowsArePaddedToFourBytes)
{
    EXPECT_EQ(TBitmap::RowBytesFor(1, pf1bit), 4);
    EXPECT_EQ(TBitmap::RowBytesFor(33, pf1bit), 8);
    EXPECT_EQ(TBitmap::RowBytesFor(3, pf4bit), 4);
    EXPECT_EQ(TBitmap::RowBytesFor(5, pf8bit), 8);
    EXPECT_EQ(TBitmap::RowBytesFor(3, pf15bit), 8);
    EXPECT_EQ(TBitmap::RowBytesFor(5, pf24bit), 16);
    EXPECT_EQ(TBitmap::RowBytesFor(5, pf32bit), 20);
}

TEST(BitmapTest, RefusesHugeAndNegativeDimensions)
{
    EXPECT_THROW(TBitmap(-1, 5), EvekImageError);
    EXPECT_THROW(TBitmap(1 << 21, 1), EvekImageError);
    EXPECT_THROW(TBitmap(1 << 15, 1 << 14), EvekImageError); // 2^29 pixels
    TBitmap ok(16, 16);
    EXPECT_THROW(ok.SetSize(1 << 20, 1 << 20), EvekImageError);
    EXPECT_EQ(ok.Width(), 16); // a refused resize leaves the bitmap as it was
}

TEST(BitmapTest, PixelFormatRoundTripsKeepColoursOfTheTargetPalette)
{
    TBitmap bmp(4, 2, pf24bit);
    bmp.SetPixel(0, 0, clRed);
    bmp.SetPixel(1, 0, clLime);
    bmp.SetPixel(2, 0, clBlue);
    bmp.SetPixel(3, 1, clWhite);
    for (TPixelFormat f : {pf4bit, pf8bit, pf32bit}) {
        TBitmap copy(bmp);
        copy.SetPixelFormat(f);
        EXPECT_EQ(copy.GetPixel(0, 0), clRed) << f;
        EXPECT_EQ(copy.GetPixel(1, 0), clLime) << f;
        EXPECT_EQ(copy.GetPixel(2, 0), clBlue) << f;
        EXPECT_EQ(copy.GetPixel(3, 1), clWhite) << f;
        EXPECT_EQ(copy.GetPixel(0, 1), clBlack) << f;
        copy.SetPixelFormat(pf24bit);
        EXPECT_TRUE(copy == bmp) << f;
    }
    TBitmap mono(bmp);
    mono.SetPixelFormat(pf1bit);
    EXPECT_EQ(mono.GetPixel(3, 1), clWhite);
    EXPECT_EQ(mono.GetPixel(2, 0), clBlack);
}

TEST(BitmapTest, HighColourFormatsKeepTheirBitsOfEachChannel)
{
    TBitmap bmp(1, 1, pf24bit);
    bmp.SetPixel(0, 0, RGB(0xFF, 0x84, 0x08));
    TBitmap b16(bmp);
    b16.SetPixelFormat(pf16bit);
    EXPECT_EQ(b16.GetPixel(0, 0), RGB(0xFF, 0x86, 0x08));
    TBitmap b15(bmp);
    b15.SetPixelFormat(pf15bit);
    EXPECT_EQ(b15.GetPixel(0, 0), RGB(0xFF, 0x84, 0x08));
}

TEST(BitmapTest, TransparentColourIsBottomLeftUnlessSet)
{
    TBitmap bmp(3, 3);
    bmp.SetPixel(0, 2, clAqua);
    EXPECT_EQ(bmp.TransparentColor(), clAqua);
    bmp.SetTransparentColor(clRed);
    EXPECT_EQ(bmp.TransparentColor(), clRed);
    TBitmap copy;
    copy.Assign(bmp);
    EXPECT_EQ(copy.TransparentColor(), clRed);
}

TEST(BitmapTest, SetSizeKeepsPixelsThatStillFit)
{
    TBitmap bmp(2, 2);
    bmp.SetPixel(1, 1, clYellow);
    bmp.SetSize(3, 3);
    EXPECT_EQ(bmp.GetPixel(1, 1), clYellow);
    EXPECT_EQ(bmp.GetPixel(2, 2), clBlack);
}
