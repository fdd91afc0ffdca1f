#include "DispatchTestTools.h"

#include "imaging/Codecs.h"

#include "imaging/ColorReduction.h"
#include "imaging/ImageIO.h"
#include "tests/common/TestFiles.h"
#include "tests/common/TestPictures.h"

namespace {

void ExpectTruncationsThrow(const std::string& file)
{
    ExpectEveryTruncationThrows(Bytes(ReadWholeFile(file)),
                                [](const std::uint8_t* p, std::size_t n) { TBitmap b; DecodeJpeg(p, n, b); });
}

TEST(JpegCodecTest, ColourFilesDecodeLikeImageMagick)
{
    REQUIRE_MAGICK();
    TTempDir dir;
    const std::string file = dir.File("c.jpg");
    Magick("-size 37x23 plasma:fractal -seed 3 -quality 80 " + Quote(file));
    TBitmap bmp = LoadPicture(file);
    EXPECT_EQ(bmp.PixelFormat(), pf24bit);
    EXPECT_EQ(bmp.Width(), 37);
    EXPECT_EQ(bmp.Height(), 23);
    EXPECT_LE(MaxDifference(BitmapRgb(bmp), MagickPixels(file)), 1);
    ExpectTruncationsThrow(file);

    Magick("-size 64x48 gradient:red-blue -interlace JPEG " + Quote(dir.File("p.jpg")));
    bmp = LoadPicture(dir.File("p.jpg"));
    EXPECT_LE(MaxDifference(BitmapRgb(bmp), MagickPixels(dir.File("p.jpg"))), 1) << "progressive";
    ExpectTruncationsThrow(dir.File("p.jpg"));
}

TEST(JpegCodecTest, GreyscaleFilesGiveGreyPaletteImagesAndStayGrey)
{
    REQUIRE_MAGICK();
    TTempDir dir;
    const std::string file = dir.File("g.jpg");
    Magick("-size 37x23 gradient:white-black -colorspace Gray " + Quote(file));
    ASSERT_EQ(Identify("%[channels]", file).substr(0, 4), "gray");
    TBitmap bmp = LoadPicture(file);
    EXPECT_EQ(bmp.PixelFormat(), pf8bit);
    EXPECT_EQ(bmp.Palette(), GrayPalette256());
    EXPECT_LE(MaxDifference(BitmapRgb(bmp), MagickPixels(file)), 1);

    // Saved again, the grey palette image is written as a greyscale JPEG.
    WriteImageFileBytes(dir.File("again.jpg"), EncodeJpeg(bmp, 90));
    EXPECT_EQ(Identify("%[channels]", dir.File("again.jpg")).substr(0, 4), "gray");
    // A palette with any colour in it is written in colour.
    TBitmap coloured(bmp);
    auto palette = coloured.Palette();
    palette[5].rgbRed = 200;
    coloured.SetPalette(palette);
    WriteImageFileBytes(dir.File("colour.jpg"), EncodeJpeg(coloured, 90));
    EXPECT_EQ(Identify("%[channels]", dir.File("colour.jpg")).substr(0, 4), "srgb");
}

TEST(JpegCodecTest, GreyscaleOutputOfAColourImageIsItsLuminance)
{
    // Four 8 x 8 blocks of one colour each survive the compression exactly.
    TBitmap colour(16, 16, pf24bit);
    const TColor blocks[4] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(200, 100, 50)};
    const int luminance[4] = {76, 150, 29, 124}; // 0.299 R + 0.587 G + 0.114 B
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) colour.SetPixel(x, y, blocks[(y / 8) * 2 + x / 8]);
    for (TPixelFormat format : {pf24bit, pf32bit, pf8bit}) {
        TBitmap source(colour);
        source.SetPixelFormat(format);
        const auto bytes = EncodeJpeg(source, 100, true);
        TBitmap grey;
        DecodeJpeg(bytes.data(), bytes.size(), grey);
        ASSERT_EQ(grey.PixelFormat(), pf8bit) << format;
        for (int i = 0; i < 4; ++i) {
            const TColor c = source.GetPixel((i % 2) * 8 + 3, (i / 2) * 8 + 3);
            const int expected = (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c) + 500) / 1000;
            EXPECT_NEAR(GetRValue(grey.GetPixel((i % 2) * 8 + 3, (i / 2) * 8 + 3)), expected, 1) << format << " " << i;
            if (format == pf24bit) {
                EXPECT_EQ(expected, luminance[i]);
            }
        }
        // Smaller than the colour file of the same image.
        EXPECT_LT(bytes.size(), EncodeJpeg(source, 100).size()) << format;
    }
}

TEST(JpegCodecTest, CmykFilesDecodeToTrueColour)
{
    REQUIRE_MAGICK();
    TTempDir dir;
    const std::string file = dir.File("k.jpg");
    Magick("-size 37x23 gradient:orange-navy -colorspace CMYK -quality 95 " + Quote(file));
    ASSERT_EQ(Identify("%[colorspace]", file), "CMYK");
    TBitmap bmp = LoadPicture(file);
    EXPECT_EQ(bmp.PixelFormat(), pf24bit);
    const int diff = MaxDifference(BitmapRgb(bmp), Bytes(RunCommand("convert " + Quote(file) +
                                                                    " -colorspace sRGB -depth 8 rgb:-")));
    EXPECT_LE(diff, 2);
    // Sanity: the picture runs from orange to navy, not inverted.
    EXPECT_GT(GetRValue(bmp.GetPixel(0, 0)), 200);
    EXPECT_LT(GetRValue(bmp.GetPixel(0, 22)), 40);
}

TEST(JpegCodecTest, QualityIsCarriedAndEveryFormatCanBeSaved)
{
    REQUIRE_MAGICK();
    TTempDir dir;
    TBitmap source(40, 30, pf24bit);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) source.SetPixel(x, y, RGB(x * 6, y * 8, 100 + x - y));
    for (int quality : {1, 37, 100}) {
        WriteImageFileBytes(dir.File("q.jpg"), EncodeJpeg(source, quality));
        EXPECT_EQ(Identify("%Q", dir.File("q.jpg")), std::to_string(quality));
    }
    WriteImageFileBytes(dir.File("q.jpg"), EncodeJpeg(source, 250));
    EXPECT_EQ(Identify("%Q", dir.File("q.jpg")), "100") << "clamped";

    // Every format is written as its 24-bit copy would be.
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf32bit}) {
        TBitmap converted(source);
        converted.SetPixelFormat(format);
        TBitmap trueColour(converted);
        trueColour.SetPixelFormat(pf24bit);
        EXPECT_EQ(EncodeJpeg(converted, 75), EncodeJpeg(trueColour, 75)) << TBitmap::BitsPerPixel(format);
    }
    // And the picture arrives: on a smooth picture within a few levels on average.
    WriteImageFileBytes(dir.File("s.jpg"), EncodeJpeg(source, 90));
    const auto expected = BitmapRgb(source), got = BitmapRgb(LoadPicture(dir.File("s.jpg")));
    ASSERT_EQ(got.size(), expected.size());
    double total = 0;
    for (std::size_t i = 0; i < got.size(); ++i) total += std::abs(got[i] - expected[i]);
    EXPECT_LE(total / got.size(), 2.0);
}

TEST(JpegCodecTest, DamagedAndHostileFilesAreRefused)
{
    TBitmap bmp(2, 2);
    const TBitmap before(bmp);
    const std::vector<std::uint8_t> notJpeg = {'B', 'M', 0, 0, 0};
    EXPECT_THROW(DecodeJpeg(notJpeg.data(), notJpeg.size(), bmp), EvekImageError);

    // A header claiming 16000 x 16000 pixels with nothing behind it.
    TTempDir dir;
    TBitmap small(16, 16, pf24bit);
    WriteImageFileBytes(dir.File("s.jpg"), EncodeJpeg(small, 50));
    auto bytes = Bytes(ReadWholeFile(dir.File("s.jpg")));
    for (std::size_t i = 2; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && bytes[i + 1] == 0xC0) {
            bytes[i + 5] = 0x3E, bytes[i + 6] = 0x80, bytes[i + 7] = 0x3E, bytes[i + 8] = 0x80;
            break;
        }
    EXPECT_THROW(DecodeJpeg(bytes.data(), bytes.size(), bmp), EvekImageError);
    EXPECT_TRUE(bmp == before);
}

} // namespace
